#include "platform/runtime/command.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "platform/runtime/wide_text_windows.h"

namespace runtime {
namespace {

// A line that starts the command processor by its bare name gets the system's own
// cmd.exe as the program to start: left to the search, a cmd.exe in the current folder
// (the program's folder, where anyone may drop files) would run in its place.
std::wstring SystemCommandProcessor(const std::wstring& line) {
  constexpr std::wstring_view kName = L"cmd.exe";
  if (line.size() <= kName.size() || line[kName.size()] != L' ') return {};
  for (size_t i = 0; i < kName.size(); ++i) {
    if (std::towlower(line[i]) != kName[i]) return {};
  }
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\cmd.exe";
}

}  // namespace

CommandResult RunCommand(std::string_view command_line) {
  const std::wstring line = Utf8ToWide(command_line);
  const std::wstring program = SystemCommandProcessor(line);
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.empty() ? nullptr : program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process)) {
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
