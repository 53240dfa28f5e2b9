#include "platform/runtime/test_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "platform/runtime/wide_text_windows.h"

namespace runtime::test {
namespace {

// One argument as the C runtime of the child splits its command line back: quoted, with
// the backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

void SetEnvironment(const std::string& name, const std::string& value) {
  _wputenv_s(Utf8ToWide(name).c_str(), Utf8ToWide(value).c_str());
}

void UnsetEnvironment(const std::string& name) { _wputenv_s(Utf8ToWide(name).c_str(), L""); }

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

int64_t ProcessId() { return GetCurrentProcessId(); }

void KillThisProcess() {
  TerminateProcess(GetCurrentProcess(), kKilledExitCode);
  std::_Exit(kKilledExitCode);  // not reached: the process ends inside TerminateProcess
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::filesystem::path& folder) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inheritable, 0)) return;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  std::wstring line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += L' ';
    line += Quoted(Utf8ToWide(argument));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  PROCESS_INFORMATION process{};
  // Under wine, CreateProcess now and then fails for a program that starts on the next
  // try (seen in CI with nothing cached yet); a child is tried three times before a test
  // counts it as not started.
  for (int attempt = 0; attempt < 3 && process_ == -1; ++attempt) {
    if (attempt > 0) Sleep(200);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
      CloseHandle(process.hThread);
      process_ = reinterpret_cast<intptr_t>(process.hProcess);
    }
  }
  CloseHandle(write_end);
  output_ = reinterpret_cast<intptr_t>(read_end);
}

ChildProcess::~ChildProcess() {
  Kill();
  if (output_ != -1) CloseHandle(AsHandle(output_));
}

bool ChildProcess::Started() const { return process_ != -1; }

size_t ChildProcess::ReadSome(char* buffer, size_t size) {
  // The output ends when the child has ended and the pipe holds nothing more. Waiting for
  // every writer to close is not enough: wine's desktop process, when the child starts it,
  // inherits the child's standard output and outlives it.
  for (;;) {
    const bool ended = process_ == -1 || WaitForSingleObject(AsHandle(process_), 0) == WAIT_OBJECT_0;
    DWORD available = 0;
    if (!PeekNamedPipe(AsHandle(output_), nullptr, 0, nullptr, &available, nullptr)) return 0;
    if (available > 0) {
      DWORD n = 0;
      const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, available));
      return ReadFile(AsHandle(output_), buffer, wanted, &n, nullptr) ? n : 0;
    }
    if (ended) return 0;
    Sleep(10);
  }
}

void ChildProcess::Kill() {
  if (process_ == -1) return;
  TerminateProcess(AsHandle(process_), kKilledExitCode);
  WaitForSingleObject(AsHandle(process_), INFINITE);
  CloseHandle(AsHandle(process_));
  process_ = -1;
}

int ChildProcess::Wait() {
  if (process_ == -1) return -1;
  WaitForSingleObject(AsHandle(process_), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(AsHandle(process_), &code);
  CloseHandle(AsHandle(process_));
  process_ = -1;
  return static_cast<int>(code);
}

}  // namespace runtime::test
