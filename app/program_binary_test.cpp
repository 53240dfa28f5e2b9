// The real program, started from its folder in a suite folder of its own, as a user
// starts it: a second copy is refused while the first runs, and the first is untouched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/demo_suite.h"
#include "platform/runtime/test_support.h"

namespace app {
namespace {

using runtime::test::TestFolder;
using runtime::test::ReadWholeFile;

namespace fs = std::filesystem;

class ProgramBinaryTest : public testing::Test {
 protected:
  void SetUp() override {
    program_folder_ = suite_ / "Dinarvex";
    fs::create_directories(program_folder_);
    fs::create_directories(suite_ / "run");
    // A suite the program can start in: its settings, the data folder, users and parameters.
    ASSERT_EQ(tools::WriteDemoSuite(tools::StandardDemo(suite_.string())), "");
  }
  // Starts the program in its folder; with `hold`, its main window stays until the file
  // `release` appears. Its error output goes to `stderr_file`.
  pid_t Start(bool hold, const std::string& stderr_file) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (chdir(program_folder_.c_str()) != 0) _exit(127);
    const int err = open(stderr_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(err, 2);
    setenv("XDG_RUNTIME_DIR", (suite_ / "run").c_str(), 1);
    if (hold) {
      setenv("DINARVEX_TEST_HOLD_UNTIL", release().c_str(), 1);
    } else {
      unsetenv("DINARVEX_TEST_HOLD_UNTIL");
    }
    execl(DINARVEXSOR_BINARY, DINARVEXSOR_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }

  static int ExitCode(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  // Waits until the copy `pid` holds the single-instance mark, by trying to lock its file.
  bool WaitUntilHeld(pid_t pid) {
    const fs::path lock = suite_ / "run" / "Dinarvexsor.exe_UEvent.lock";
    for (;;) {
      if (waitpid(pid, nullptr, WNOHANG) != 0) return false;  // it ended
      const int fd = open(lock.c_str(), O_RDWR | O_CLOEXEC);
      if (fd >= 0) {
        const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
        close(fd);  // also drops a lock taken just now
        if (!free) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  std::string release() const { return (suite_ / "release").string(); }
  fs::path ini() const { return program_folder_ / "Dinarvex.INI"; }

  TestFolder folder_;
  const fs::path& suite_ = folder_.path();
  fs::path program_folder_;
};

TEST_F(ProgramBinaryTest, SecondCopyIsRefusedWhileTheFirstRuns) {
  const pid_t first = Start(true, (suite_ / "first.err").string());
  ASSERT_TRUE(WaitUntilHeld(first));

  const pid_t second = Start(false, (suite_ / "second.err").string());
  EXPECT_EQ(ExitCode(second), 0);
  const std::string shown = ReadWholeFile(suite_ / "second.err");
  EXPECT_NE(shown.find("El programa ya está ejecutandose.."), std::string::npos) << shown;
  EXPECT_NE(shown.find("Oh no..."), std::string::npos) << shown;
  // The first copy is still in its main window, so nobody has written the settings file.
  EXPECT_FALSE(fs::exists(ini()));

  std::ofstream(release()).close();
  EXPECT_EQ(ExitCode(first), 0);
  EXPECT_EQ(ReadWholeFile(suite_ / "first.err"), "");
  EXPECT_EQ(ReadWholeFile(ini()), "[__Dont_Touch_Me__]\r\nSectors=\r\n");
}

TEST_F(ProgramBinaryTest, ACopyThatCrashedDoesNotBlockTheNext) {
  const pid_t crashed = Start(true, (suite_ / "crashed.err").string());
  ASSERT_TRUE(WaitUntilHeld(crashed));
  kill(crashed, SIGKILL);
  EXPECT_EQ(ExitCode(crashed), 128 + SIGKILL);

  const pid_t next = Start(false, (suite_ / "next.err").string());
  EXPECT_EQ(ExitCode(next), 0);
  EXPECT_EQ(ReadWholeFile(suite_ / "next.err"), "");
  EXPECT_TRUE(fs::exists(ini()));
}

// A program folder whose data root does not fit GLO:RUTAPROG would lose Sorvane.ini and
// name its files in another folder: the program says so, names it, and ends.
TEST_F(ProgramBinaryTest, ProgramFolderTooLongIsRefusedByName) {
  program_folder_ = suite_ / std::string(128, 'p') / "Dinarvex";
  fs::create_directories(program_folder_);
  const pid_t program = Start(false, (suite_ / "long.err").string());
  EXPECT_EQ(ExitCode(program), 1);
  const std::string shown = ReadWholeFile(suite_ / "long.err");
  const std::string root = program_folder_.string() + "/..";
  EXPECT_NE(shown.find("Problema: La ruta de la carpeta del programa es demasiado larga: " + root + " (" +
                       std::to_string(root.size()) + " caracteres; caben 124)."),
            std::string::npos)
      << shown;
  EXPECT_FALSE(fs::exists(ini()));  // stopped before anything was written
}

// The program binary in a suite whose users table was lost: its message names the file,
// and it ends without waiting for anything.
TEST_F(ProgramBinaryTest, MissingUsersTableStopsStartUpByName) {
  const fs::path users = fs::weakly_canonical(suite_) / "Dadm" / "CFUSUARI.VQF";
  fs::remove(users);
  const pid_t program = Start(false, (suite_ / "users.err").string());
  EXPECT_EQ(ExitCode(program), 1);
  EXPECT_EQ(ReadWholeFile(suite_ / "users.err"),
            "Problema: Ha ocurrido el error 2\nNo se encuentra el archivo " + users.string() +
                ".\nRevise la clave RutaDatos de Sorvane.ini: debe nombrar la carpeta de los datos de la empresa.\n");
  EXPECT_FALSE(fs::exists(ini()));
}

}  // namespace
}  // namespace app
