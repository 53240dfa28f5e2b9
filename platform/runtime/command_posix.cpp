#include "platform/runtime/command.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

namespace runtime {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

bool IsWord(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

// The words sh is started with for a command line (see command.h). The command
// processor reads its line without regard to case, and so does this.
std::vector<std::string> ShArguments(std::string_view line) {
  constexpr std::string_view kStart = "cmd.exe /c .\\";
  constexpr std::string_view kBatch = ".bat,";
  if (StartsWithNoCase(line, kStart)) {
    std::string_view rest = line.substr(kStart.size());
    size_t dot = rest.find('.');
    if (dot != std::string_view::npos && dot > 0 && StartsWithNoCase(rest.substr(dot), kBatch)) {
      std::string_view name = rest.substr(0, dot);
      std::string_view argument = rest.substr(dot + kBatch.size());
      if (IsWord(name) && IsWord(argument)) {
        std::vector<std::string> words{"sh", "./" + std::string(name) + ".sh"};
        if (!argument.empty()) words.emplace_back(argument);
        return words;
      }
    }
  }
  return {"sh", "-c", std::string(line)};
}

}  // namespace

CommandResult RunCommand(std::string_view command_line) {
  std::vector<std::string> words = ShArguments(command_line);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) return {kCommandNotStarted, std::strerror(error)};

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return {kCommandNotStarted, std::strerror(errno)};
  }
  if (WIFSIGNALED(status)) return {128 + WTERMSIG(status), {}};
  return {WEXITSTATUS(status), {}};
}

}  // namespace runtime
