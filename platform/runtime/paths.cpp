#include "platform/runtime/paths.h"

#include <filesystem>
#include <system_error>

#include "platform/runtime/text.h"

namespace runtime {
namespace {

std::filesystem::path FromUtf8(std::string_view path) {
  return path.empty() ? std::filesystem::path(CurrentFolder()) : PathOf(path);
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

std::string LongPath(std::string_view path) { return LongForm(ToUtf8(Resolved(path))); }

bool IsRelativePath(std::string_view path) {
  const std::filesystem::path p = PathOf(path);
  return !p.has_root_name() && !p.has_root_directory();
}

std::filesystem::path PathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(Clip(folder));
  path += kPathSeparator;
  path += name;
  return path;
}

std::string FileNameOf(std::string_view path) {
  const size_t separator = path.find_last_of("/\\");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

}  // namespace runtime
