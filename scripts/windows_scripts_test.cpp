// The Windows scripts, as delivered: their bytes, checked on every platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/runtime/cp1252.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = DINARVEX_SOURCE_DIR;

std::string Read(const fs::path& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The Windows scripts, as delivered: code page 1252, CR LF after every line but the last,
// and the copy scripts ending with "!PAUSE".
TEST(WindowsScripts, AreCodePage1252WithCrLfAndNoFinalLineBreak) {
  struct Case {
    const char* name;
    const char* last_line;
    const char* holds;  // a text of the script, as UTF-8
  };
  const Case cases[] = {
      {"RESBACK.BAT", "!PAUSE", "echo   SORVANE  -  Reconversión"},
      {"RESREST.BAT", "!PAUSE", "echo   Restauración de los datos"},
      {"ini.cmd", nullptr, "set \"section=[%~2]\""},
      {"LIMPIA.BAT", "pause", "echo LIMPIA VALORES"},
      {"ini.bat", "WScript.Quit(0);", "cscript /nologo /e:jscript"},
  };
  for (const Case& c : cases) {
    std::string bytes = Read(kSource / "scripts" / c.name);
    ASSERT_FALSE(bytes.empty()) << c.name;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << c.name << " at " << i;
      }
      if (bytes[i] == '\r') {
        EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << c.name << " at " << i;
      }
      // Bytes the code page leaves undefined, and the lead bytes of UTF-8 for Latin letters.
      for (unsigned char bad : {0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xC2, 0xC3}) {
        EXPECT_NE(static_cast<unsigned char>(bytes[i]), bad) << c.name << " at " << i;
      }
    }
    EXPECT_NE(bytes.back(), '\n') << c.name;
    if (c.last_line != nullptr) {
      EXPECT_EQ(bytes.substr(bytes.rfind("\r\n") + 2), c.last_line) << c.name;
    }
    EXPECT_NE(runtime::Cp1252ToUtf8(bytes).find(c.holds), std::string::npos) << c.name;
  }
}

// A value expanded with "%" is parsed again, so that a "&" in a data path runs what follows
// it; the copy scripts reach the data paths through delayed expansion ("!") only, and the
// settings reader takes each line with delayed expansion off, so that a "!" stays.
TEST(WindowsScripts, ExpandTheDataPathsOnlyWithDelayedExpansion) {
  for (const char* name : {"RESBACK.BAT", "RESREST.BAT"}) {
    const std::string bytes = Read(kSource / "scripts" / name);
    for (const char* variable : {"Rutadatos", "RutaDatosContabilidad", "RutaDatosNomina", "Datos"}) {
      EXPECT_EQ(bytes.find(std::string("%") + variable + "%"), std::string::npos) << name << " " << variable;
    }
    EXPECT_NE(bytes.find("echo Admin:  !Rutadatos!\r\n"), std::string::npos) << name;
    EXPECT_NE(bytes.find("call :Copia Administrativo Rutadatos Dadm\r\n"), std::string::npos) << name;
  }
  const std::string reader = Read(kSource / "scripts" / "ini.cmd");
  const size_t off = reader.find("setlocal EnableExtensions DisableDelayedExpansion\r\n");
  const size_t take = reader.find("  set \"line=%%L\"\r\n  setlocal EnableDelayedExpansion\r\n");
  EXPECT_NE(off, std::string::npos);
  EXPECT_NE(take, std::string::npos);
  EXPECT_LT(off, take);
}

}  // namespace
