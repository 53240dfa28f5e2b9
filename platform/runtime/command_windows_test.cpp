#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/runtime/command.h"
#include "platform/runtime/test_support.h"

namespace runtime {
namespace {

namespace fs = std::filesystem;

class RunCommandTest : public testing::Test {
 protected:
  void SetUp() override { fs::current_path(folder_); }
  void TearDown() override { fs::current_path(previous_); }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }

  const fs::path previous_ = fs::current_path();
  const test::TestFolder test_folder_;
  const fs::path folder_ = test_folder_.path();
};

TEST_F(RunCommandTest, BatchLineRunsTheScriptOfTheCurrentFolderAndGivesItsExitCode) {
  Write("PRUEBA.BAT", "@echo corrio>salida.txt\r\n@exit /b 7\r\n");
  EXPECT_EQ(RunCommand("cmd.exe /c .\\PRUEBA.BAT,1").exit_code, 7);
  std::ifstream in(folder_ / "salida.txt");
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line.substr(0, 6), "corrio");
}

// A cmd.exe dropped into the program's folder is not what runs the scripts.
TEST_F(RunCommandTest, TheSystemsCommandProcessorRunsNotOneInTheCurrentFolder) {
  fs::copy_file(DINARVEX_EXIT_42, folder_ / "cmd.exe");
  Write("PRUEBA.BAT", "@exit /b 3\r\n");
  EXPECT_EQ(RunCommand("cmd.exe /c .\\PRUEBA.BAT,1").exit_code, 3);
  EXPECT_EQ(RunCommand("CMD.EXE /c .\\PRUEBA.BAT,1").exit_code, 3);
}

TEST_F(RunCommandTest, AProgramThatCannotStartGivesMinusFourAndTheSystemsReason) {
  const CommandResult result = RunCommand("no-existe-este-programa.exe /c");
  EXPECT_EQ(result.exit_code, kCommandNotStarted);
  EXPECT_FALSE(result.error_text.empty());
}

}  // namespace
}  // namespace runtime
