#include "platform/runtime/paths.h"

#include <windows.h>

#include "platform/runtime/wide_text_windows.h"

namespace runtime {

const char kPathSeparator = '\\';

namespace {

// One of GetShortPathNameW and GetLongPathNameW, which share their form: asked with no
// room they tell the room they need, and 0 means the path has no such form (missing).
using PathFormCall = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);

std::string PathForm(PathFormCall call, std::string_view path) {
  const std::wstring wide = Utf8ToWide(path);
  const DWORD needed = call(wide.c_str(), nullptr, 0);
  if (needed == 0) return std::string(path);
  std::wstring form(needed, L'\0');
  const DWORD written = call(wide.c_str(), form.data(), needed);
  if (written == 0 || written >= needed) return std::string(path);
  form.resize(written);
  return WideToUtf8(form);
}

}  // namespace

std::string ShortPath(std::string_view path) {
  return PathForm(GetShortPathNameW, path.empty() ? CurrentFolder() : path);
}

std::string LongForm(std::string_view absolute_path) { return PathForm(GetLongPathNameW, absolute_path); }

}  // namespace runtime
