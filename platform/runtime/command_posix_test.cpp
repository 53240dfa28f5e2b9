#include "platform/runtime/command.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/runtime/test_support.h"

namespace runtime {
namespace {

namespace fs = std::filesystem;

// Runs each test in a fresh folder of its own, as the program runs in its folder.
class RunCommandTest : public testing::Test {
 protected:
  void SetUp() override { fs::current_path(folder_); }
  void TearDown() override { fs::current_path(home_); }
  static void Write(const fs::path& name, const std::string& text) { test::WriteWholeFile(name, text); }
  static std::string Read(const fs::path& name) { return test::ReadWholeFile(name); }

  const fs::path home_ = fs::current_path();
  const test::TestFolder test_folder_;
  const fs::path folder_ = test_folder_.path();
};

TEST_F(RunCommandTest, GivesTheExitCode) {
  struct Case {
    const char* line;
    int exit_code;
  };
  for (Case c : {Case{"exit 0", 0}, Case{"exit 3", 3}, Case{"kill -TERM $$", 128 + 15}}) {
    CommandResult result = RunCommand(c.line);
    EXPECT_EQ(result.exit_code, c.exit_code) << c.line;
    EXPECT_EQ(result.error_text, "") << c.line;
  }
}

TEST_F(RunCommandTest, WaitsUntilTheProcessEnds) {
  ASSERT_EQ(RunCommand("sleep 0.2 && echo hecho > fin").exit_code, 0);
  EXPECT_EQ(Read("fin"), "hecho\n");
}

TEST_F(RunCommandTest, BatchLinesRunTheirShPortsFromTheCurrentFolder) {
  struct Case {
    const char* line;
    const char* port;
  };
  for (Case c : {Case{"cmd.exe /c .\\RESBACK.BAT,1", "RESBACK"},
                 Case{"cmd.exe /c .\\RESREST.BAT,1", "RESREST"},
                 Case{"CMD.EXE /C .\\RESBACK.bat,1", "RESBACK"}}) {
    Write(std::string(c.port) + ".sh",
          "printf '%s|%s|%s' \"$0\" \"$#\" \"$1\" > args; pwd >> args; exit 7\n");
    CommandResult result = RunCommand(c.line);
    EXPECT_EQ(result.exit_code, 7) << c.line;
    EXPECT_EQ(Read("args"), std::string("./") + c.port + ".sh|1|1" + folder_.string() + "\n");
    fs::remove("args");
  }
}

TEST_F(RunCommandTest, MissingPortIsAScriptFailureNotAFailedStart) {
  // As with the command processor on Windows, the shell starts and reports the missing
  // script through its own exit code.
  CommandResult result = RunCommand("cmd.exe /c .\\RESBACK.BAT,1");
  EXPECT_NE(result.exit_code, 0);
  EXPECT_NE(result.exit_code, kCommandNotStarted);
}

TEST_F(RunCommandTest, CommandProcessorThatCannotStartGivesMinusFourAndTheReason) {
  std::string path = std::getenv("PATH");
  setenv("PATH", (folder_ / "nada").c_str(), 1);
  CommandResult result = RunCommand("cmd.exe /c .\\RESBACK.BAT,1");
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(result.exit_code, kCommandNotStarted);
  EXPECT_EQ(result.error_text, "No such file or directory");
}

}  // namespace
}  // namespace runtime
