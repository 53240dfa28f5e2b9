// The Windows scripts, as delivered: their bytes, checked on every platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
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
// and the copy scripts ending with their exit code after the pause.
TEST(WindowsScripts, AreCodePage1252WithCrLfAndNoFinalLineBreak) {
  struct Case {
    const char* name;
    const char* last_line;
    const char* holds;  // a text of the script, as UTF-8
  };
  const Case cases[] = {
      {"RESBACK.BAT", "exit /b %Fallo%", "echo   SORVANE  -  Reconversión"},
      {"RESREST.BAT", "exit /b %Fallo%", "echo   Restauración de los datos"},
      {"ini.cmd", "goto :eof", "if \"%%A\"==\"[%~2]\""},
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
// it, and wine's cmd expands a "%" or "!" inside an expanded value once more. So the
// scripts run without delayed expansion and expand with "%" only their own counters and
// one character of a line; every text of the settings file stays in FOR variables.
TEST(WindowsScripts, ExpandNoTextOfTheSettingsFile) {
  struct Case {
    const char* name;
    std::set<std::string> expanded;  // every "%NAME%" and "%NAME:...%" the script holds
  };
  const Case cases[] = {
      {"RESBACK.BAT", {"Copiados", "Fallo", "Pagina"}},
      {"RESREST.BAT", {"Copiados", "Fallo", "Pagina"}},
      {"ini.cmd", {"c", "inicio"}},
  };
  const std::regex expansion("%([A-Za-z_][A-Za-z0-9_]*)(:[^%\r\n]*)?%");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // "%%" is a FOR variable or a literal "%": dropped before the search.
    const std::string bytes = std::regex_replace(Read(kSource / "scripts" / c.name), std::regex("%%"), "");
    std::set<std::string> expanded;
    for (std::sregex_iterator it(bytes.begin(), bytes.end(), expansion), end; it != end; ++it) {
      expanded.insert((*it)[1]);
    }
    EXPECT_EQ(expanded, c.expanded);
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("rem ", 0) != 0) EXPECT_EQ(line.find('!'), std::string::npos) << line;
    }
    EXPECT_NE(bytes.find("setlocal EnableExtensions DisableDelayedExpansion\r\n"), std::string::npos);
  }
}

}  // namespace
