#include "platform/runtime/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/runtime/test_support.h"

namespace runtime {
namespace {

// Every test gets a runtime folder of its own, so that tests running at the same time,
// and a real copy of the program, never see each other's marks.
class SingleInstanceTest : public testing::Test {
 protected:
  void SetUp() override { setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1); }
  void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

  const test::TestFolder test_folder_;
  const std::string folder_ = test_folder_.path().string();
};

TEST_F(SingleInstanceTest, SecondCreateOfTheSameNameIsRefused) {
  EXPECT_TRUE(CreateUniqueEvent("Dinarvexsor.exe"));
  EXPECT_FALSE(CreateUniqueEvent("Dinarvexsor.exe"));
  EXPECT_FALSE(CreateUniqueEvent("Dinarvexsor.exe   "));  // the name is clipped
  EXPECT_TRUE(CreateUniqueEvent("Otro.exe"));
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/Dinarvexsor.exe_UEvent.lock"));
}

TEST_F(SingleInstanceTest, AHolderThatDiesReleasesTheMark) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (CreateUniqueEvent("Dinarvexsor.exe")) raise(SIGKILL);
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the child could not take the mark";
  EXPECT_TRUE(CreateUniqueEvent("Dinarvexsor.exe"));
}

TEST_F(SingleInstanceTest, AnUnusableRuntimeFolderRefuses) {
  setenv("XDG_RUNTIME_DIR", (folder_ + "/missing").c_str(), 1);
  EXPECT_FALSE(CreateUniqueEvent("Dinarvexsor.exe"));
}

}  // namespace
}  // namespace runtime
