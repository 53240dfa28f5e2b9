// A second process for the tests, its standard output on a pipe: a writer to kill, a
// station that holds a file, a run that dies at a chosen point.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace files::test {

class TestProcess {
 public:
  TestProcess(const char* program, std::vector<std::string> args) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program, &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = fdopen(out[0], "r");
  }
  ~TestProcess() {
    Kill();
    if (out_ != nullptr) fclose(out_);
  }
  TestProcess(const TestProcess&) = delete;
  TestProcess& operator=(const TestProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // The next line the process printed, empty when it ended.
  std::string ReadLine() {
    char line[128];
    if (out_ == nullptr || fgets(line, sizeof line, out_) == nullptr) return {};
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

  // Waits for the process to end; true when a SIGKILL ended it.
  bool EndedByKill() {
    if (pid_ <= 0) return false;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }

  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_ = 0;
  FILE* out_ = nullptr;
};

// True when a journal lies beside `path` that SQLite would play back into it: its header
// carries the journal's magic, which SQLite writes only once it is about to change the
// file itself (until then the header is zeros and the file is still whole).
inline bool HasLiveJournal(const std::string& path) {
  std::ifstream journal(path + "-journal", std::ios::binary);
  char magic[8] = {};
  return journal.read(magic, sizeof magic) && std::string(magic, sizeof magic) != std::string(8, '\0');
}

// A writer killed by SIGKILL inside a transaction that has already written into `path`:
// the helper's "spill" run. Returns whether it left a live journal, as a crash does.
inline bool KillWriterMidTransaction(const char* helper, const std::string& path) {
  TestProcess writer(helper, {"spill", path});
  if (writer.ReadLine() != "spilled") return false;
  writer.Kill();
  return HasLiveJournal(path);
}

}  // namespace files::test
