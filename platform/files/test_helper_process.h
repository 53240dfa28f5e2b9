// For tests: a helper process, by default the drivers' (test_helper_main.cpp), as another
// station, with its standard output on a pipe. The including target defines
// FILES_TEST_HELPER, the drivers' helper's path.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace files::test {

class HelperProcess {
 public:
  explicit HelperProcess(std::vector<std::string> args, std::string program = FILES_TEST_HELPER) {
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = fdopen(out[0], "r");
  }
  ~HelperProcess() {
    Kill();
    fclose(out_);
  }

  // The next line the helper printed, empty when it ended.
  std::string ReadLine() {
    char line[128];
    if (fgets(line, sizeof line, out_) == nullptr) return {};
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
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

}  // namespace files::test
