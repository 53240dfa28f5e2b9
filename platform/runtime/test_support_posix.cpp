#include "platform/runtime/test_support.h"

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace runtime::test {

void SetEnvironment(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }

void UnsetEnvironment(const std::string& name) { unsetenv(name.c_str()); }

bool UnderWine() { return false; }

int64_t ProcessId() { return getpid(); }

void KillThisProcess() {
  raise(SIGKILL);
  std::_Exit(kKilledExitCode);  // not reached: SIGKILL cannot be caught
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::filesystem::path& folder) {
  int out[2];
  if (pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<std::string> words = arguments;
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) process_ = pid;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  output_ = out[0];
}

ChildProcess::~ChildProcess() {
  Kill();
  if (output_ >= 0) close(static_cast<int>(output_));
}

bool ChildProcess::Started() const { return process_ > 0; }

size_t ChildProcess::ReadSome(char* buffer, size_t size) {
  const ssize_t n = read(static_cast<int>(output_), buffer, size);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

void ChildProcess::Kill() {
  if (process_ <= 0) return;
  kill(static_cast<pid_t>(process_), SIGKILL);
  waitpid(static_cast<pid_t>(process_), nullptr, 0);
  process_ = -1;
}

int ChildProcess::Wait() {
  if (process_ <= 0) return -1;
  int status = 0;
  waitpid(static_cast<pid_t>(process_), &status, 0);
  process_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace runtime::test
