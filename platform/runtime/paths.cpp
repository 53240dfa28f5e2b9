#include "platform/runtime/paths.h"

#include <filesystem>
#include <system_error>

#include "platform/runtime/text.h"

namespace runtime {

std::string CurrentFolder() {
  std::error_code error;
  const std::u8string here = std::filesystem::current_path(error).u8string();
  return error ? std::string() : std::string(here.begin(), here.end());
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

}  // namespace runtime
