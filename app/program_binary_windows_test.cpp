// The real program, started from its folder in a suite folder of its own, as a user
// starts it: a second copy is refused while the first runs (the named event), and a copy
// that was killed does not block the next.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "tools/demo_suite.h"
#include "platform/runtime/test_support.h"

namespace app {
namespace {

using runtime::test::TestFolder;
using runtime::test::ReadWholeFile;

namespace fs = std::filesystem;
using runtime::test::ChildProcess;

class ProgramBinaryTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_folder_);
    // A suite the program can start in: its settings, the data folder, users and parameters.
    ASSERT_EQ(tools::WriteDemoSuite(tools::StandardDemo(suite_.string())), "");
  }
  void TearDown() override { runtime::test::UnsetEnvironment("DINARVEX_TEST_HOLD_UNTIL"); }

  // Starts the program in its folder; with `hold`, its main window stays until the file
  // `release` appears.
  std::unique_ptr<ChildProcess> Start(bool hold) {
    if (hold) {
      runtime::test::SetEnvironment("DINARVEX_TEST_HOLD_UNTIL", release().string());
    } else {
      runtime::test::UnsetEnvironment("DINARVEX_TEST_HOLD_UNTIL");
    }
    auto program = std::make_unique<ChildProcess>(std::vector<std::string>{DINARVEXSOR_BINARY}, program_folder_);
    EXPECT_TRUE(program->Started());
    return program;
  }

  // Waits until a copy holds the single-instance event.
  static bool WaitUntilHeld() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      if (HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, L"Dinarvexsor.exe_UEvent")) {
        CloseHandle(event);
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  static std::string AllOutput(ChildProcess& program) {
    std::string text;
    for (std::string line = program.ReadLine(); !line.empty(); line = program.ReadLine()) text += line + "\n";
    return text;
  }

  fs::path release() const { return suite_ / "release"; }
  fs::path ini() const { return program_folder_ / "Dinarvex.INI"; }

  TestFolder folder_;
  const fs::path& suite_ = folder_.path();
  const fs::path program_folder_ = suite_ / "Dinarvex";
};

TEST_F(ProgramBinaryTest, SecondCopyIsRefusedWhileTheFirstRuns) {
  auto first = Start(true);
  ASSERT_TRUE(WaitUntilHeld());

  auto second = Start(false);
  const std::string shown = AllOutput(*second);
  EXPECT_EQ(second->Wait(), 0);
  EXPECT_NE(shown.find("El programa ya está ejecutandose.."), std::string::npos) << shown;
  EXPECT_NE(shown.find("Oh no..."), std::string::npos) << shown;
  // The first copy is still in its main window, so nobody has written the settings file.
  EXPECT_FALSE(fs::exists(ini()));

  std::ofstream(release()).close();
  EXPECT_EQ(first->Wait(), 0);
  EXPECT_EQ(ReadWholeFile(ini()), "[__Dont_Touch_Me__]\r\nSectors=\r\n");
}

TEST_F(ProgramBinaryTest, ACopyThatWasKilledDoesNotBlockTheNext) {
  auto killed = Start(true);
  ASSERT_TRUE(WaitUntilHeld());
  killed->Kill();

  auto next = Start(false);
  const std::string shown = AllOutput(*next);
  EXPECT_EQ(next->Wait(), 0);
  EXPECT_EQ(shown, "");
  EXPECT_TRUE(fs::exists(ini()));
}

// The program is a window program, with no console of its own beside its window; the
// test programs, which write to their console, are console programs.
TEST(ProgramLink, TheProgramIsAWindowProgramAndItsTestStandInAConsoleProgram) {
  // The subsystem field of a PE file's optional header.
  const auto subsystem = [](const char* program) {
    std::ifstream in(program, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(bytes.size(), 0x40u) << program;
    if (bytes.size() <= 0x40) return 0;
    uint32_t header = 0;
    std::memcpy(&header, bytes.data() + 0x3C, sizeof header);
    uint16_t value = 0;
    if (header + 4 + 20 + 70 > bytes.size()) return 0;
    EXPECT_EQ(bytes.substr(header, 4), std::string("PE\0\0", 4)) << program;
    std::memcpy(&value, bytes.data() + header + 4 + 20 + 68, sizeof value);
    return static_cast<int>(value);
  };
  EXPECT_EQ(subsystem(DINARVEXSOR_PROGRAM), IMAGE_SUBSYSTEM_WINDOWS_GUI);
  EXPECT_EQ(subsystem(DINARVEXSOR_BINARY), IMAGE_SUBSYSTEM_WINDOWS_CUI);
}

}  // namespace
}  // namespace app
