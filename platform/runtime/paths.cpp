#include "platform/runtime/paths.h"

#include <filesystem>
#include <system_error>

#include "platform/runtime/text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace runtime {
namespace {

std::filesystem::path FromUtf8(std::string_view path) {
  return path.empty() ? std::filesystem::path(CurrentFolder())
                      : std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string ToUtf8(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

// The absolute form with "." and ".." resolved and links followed where the path exists.
std::filesystem::path Resolved(std::string_view path) {
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(FromUtf8(path), error);
  if (error) resolved = std::filesystem::absolute(FromUtf8(path), error).lexically_normal();
  // A resolved ".." at the end leaves a trailing separator: "/suite/" is "/suite".
  if (!resolved.has_filename() && resolved.has_relative_path()) resolved = resolved.parent_path();
  return resolved;
}

}  // namespace

std::string CurrentFolder() {
  std::error_code error;
  const std::u8string here = std::filesystem::current_path(error).u8string();
  return error ? std::string() : std::string(here.begin(), here.end());
}

#ifdef _WIN32

std::string ShortPath(std::string_view path) {
  const std::filesystem::path long_path =
      path.empty() ? std::filesystem::path(CurrentFolder())
                   : std::filesystem::path(std::u8string(path.begin(), path.end()));
  const std::wstring wide = long_path.wstring();
  const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (needed == 0) return std::string(path.empty() ? CurrentFolder() : std::string(path));
  std::wstring short_form(needed, L'\0');
  const DWORD written = GetShortPathNameW(wide.c_str(), short_form.data(), needed);
  short_form.resize(written);
  const std::u8string utf8 = std::filesystem::path(short_form).u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string LongPath(std::string_view path) {
  const std::wstring wide = Resolved(path).wstring();
  const DWORD needed = GetLongPathNameW(wide.c_str(), nullptr, 0);
  if (needed == 0) return ToUtf8(wide);
  std::wstring long_form(needed, L'\0');
  const DWORD written = GetLongPathNameW(wide.c_str(), long_form.data(), needed);
  long_form.resize(written);
  return ToUtf8(long_form);
}

#else

std::string ShortPath(std::string_view path) {
  return path.empty() ? CurrentFolder() : std::string(path);
}

std::string LongPath(std::string_view path) { return ToUtf8(Resolved(path)); }

#endif

bool IsRelativePath(std::string_view path) {
  const std::filesystem::path p(std::u8string(path.begin(), path.end()));
  return !p.has_root_name() && !p.has_root_directory();
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(Clip(folder));
  path += kPathSeparator;
  path += name;
  return path;
}

}  // namespace runtime
