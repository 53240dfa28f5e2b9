#include "platform/runtime/command.h"

#ifdef _WIN32

#include <windows.h>

#include <vector>

namespace runtime {
namespace {

std::string WideToUtf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string utf8(size - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                 nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      size);
  return wide;
}

std::string SystemErrorText(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (text == nullptr) return "Error " + std::to_string(code);
  std::string utf8 = WideToUtf8(text);
  LocalFree(text);
  while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r')) utf8.pop_back();
  return utf8;
}

}  // namespace

CommandResult RunCommand(std::string_view command_line) {
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::wstring line = Utf8ToWide(command_line);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return {kCommandNotStarted, SystemErrorText(GetLastError())};
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return {static_cast<int>(code), {}};
}

}  // namespace runtime

#else

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

#endif
