// For the tests of every layer: what they need of the operating system, in the same form
// on both platforms (test_support_posix.cpp, test_support_windows.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace runtime::test {

// A fresh folder in the system's temporary folder, removed with everything in it at the
// end. A test that works inside it must step out before then: Windows keeps the working
// folder of a process from being removed.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` inside the folder as the program writes paths: UTF-8 text with the
  // platform's separator.
  std::string In(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file, byte for byte; empty when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);
// Makes `bytes` the whole content of a file, created when missing.
void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);

// Sets or removes a variable of this process's environment (seen by children too).
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

// True under wine, which lacks some of the system's features (it makes no symbolic links):
// a test of such a feature skips there.
bool UnderWine();

// This process's id.
int64_t ProcessId();

// The exit code of a process that was killed: by SIGKILL on POSIX (128 + 9, as a shell
// reports it), by TerminateProcess on Windows, which is given this code.
inline constexpr int kKilledExitCode = 137;

// Ends this process at once, as a crash or a power cut would: no destructor, no flush.
[[noreturn]] void KillThisProcess();

// Another program, started with its standard output and error output on a pipe to this
// process.
class ChildProcess {
 public:
  // `arguments` begins with the program's path; it runs in `folder` (empty: this one's).
  explicit ChildProcess(const std::vector<std::string>& arguments, const std::filesystem::path& folder = {});
  ~ChildProcess();  // kills it when it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const;
  // The next line it printed, without its line end; empty when it ended.
  std::string ReadLine();
  // Ends it at once, as a crash or a power cut would (SIGKILL, TerminateProcess), and
  // waits until it is gone.
  void Kill();
  // Waits until it ends by itself; its exit code.
  int Wait();

 private:
  intptr_t process_ = -1;  // the pid on POSIX, the process HANDLE on Windows
  intptr_t output_ = -1;   // the read end of its standard output
  std::string pending_;  // read but not yet returned

  // Up to `size` bytes of its output; 0 at the end.
  size_t ReadSome(char* buffer, size_t size);
};

}  // namespace runtime::test
