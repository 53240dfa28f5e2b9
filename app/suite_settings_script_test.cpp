// The suite's settings as the program reads them and as the POSIX port of the backup
// script reads them. The script is run through sh, so these belong to the Linux build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/data_paths.h"
#include "app/globals.h"
#include "app/suite_settings.h"
#include "platform/runtime/command.h"
#include "platform/runtime/cp1252.h"
#include "platform/runtime/test_support.h"

namespace app {
namespace {

using runtime::test::TestFolder;
using runtime::test::ReadWholeFile;

namespace fs = std::filesystem;

class SuiteSettingsScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    InitGlobals();
    home_ = fs::current_path();
  }
  void TearDown() override { fs::current_path(home_); }

  std::string Write(const std::string& bytes) {
    const std::string path = folder_ + "/Sorvane.ini";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  fs::path home_;
  TestFolder test_folder_;
  const std::string folder_ = test_folder_.path().string();
};

// The suite's settings file as the program reads it and as the backup script reads it,
// over values that used to part them: both must name the same folder. The program folder
// is laid out by the install step; the script runs as the program runs it and copies
// the folder's one record file.
TEST_F(SuiteSettingsScriptTest, ProgramAndBackupScriptFindTheSameFolder) {
  const fs::path suite = folder_;
  const fs::path program = suite / "Dinarvex";
  ASSERT_EQ(runtime::RunCommand("sh " + (fs::path(DINARVEX_SOURCE_DIR) / "tools" / "install_layout.sh").string() +
                                " " + program.string())
                .exit_code,
            0);
  const std::string abs = suite.string() + "/Datos/";
  struct Case {
    std::string value;   // as written after "Rutadatos=", UTF-8 (stored in code page 1252)
    std::string folder;  // the folder it names, from the suite's folder
  } cases[] = {
      {abs + "Plana", "Datos/Plana"},
      {" \t" + abs + "Blancos \t ", "Datos/Blancos"},
      {abs + "a=b==c", "Datos/a=b==c"},
      {"=igual", "=igual"},
      {abs + "Nómina año", "Datos/Nómina año"},
      {"Datos/Euro€", "Datos/Euro€"},
      {"Datos/Relativa", "Datos/Relativa"},
      {"Datos/../Datos/Arriba", "Datos/Arriba"},
      {abs + "a&b;c$d`e'f\"g!h%i|j", "Datos/a&b;c$d`e'f\"g!h%i|j"},
      {"Datos/dos  blancos", "Datos/dos  blancos"},
  };
  fs::current_path(program);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const fs::path folder = suite / c.folder;
    fs::create_directories(folder);
    std::ofstream(folder / "CFPARAME.VQF", std::ios::binary) << c.folder;
    Write("[Sistemas]\r\nRutadatos=" + runtime::Utf8ToCp1252(c.value) + "\r\n");

    InitGlobals();
    ASSERT_EQ(SetDataRoot(), "");
    ASSERT_EQ(ReadSuiteSettings(suite / "Sorvane.ini"), "");
    std::error_code error;
    EXPECT_TRUE(fs::equivalent(GLO::RUTADATOS.value(), folder, error)) << GLO::RUTADATOS.value();

    const fs::path copy = program / "CopiasREC" / "Dadm" / "CFPARAME.VQF";
    fs::remove(copy);
    ASSERT_EQ(runtime::RunCommand("cmd.exe /c .\\RESBACK.BAT,1").exit_code, 0);
    EXPECT_EQ(ReadWholeFile(copy), c.folder);
    fs::remove_all(folder);
  }
  fs::current_path(home_);
}

}  // namespace
}  // namespace app
