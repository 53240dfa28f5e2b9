#include "platform/library/ini_store.h"

#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/runtime/ini.h"
#include "platform/runtime/paths.h"

namespace library {
namespace {

constexpr std::string_view kListSection = "__Dont_Touch_Me__";
constexpr std::string_view kListKey = "Sectors";

std::string_view Trim(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> names;
  for (;;) {
    const size_t comma = text.find(',');
    const std::string_view name = Trim(text.substr(0, comma));
    if (!name.empty()) names.emplace_back(name);
    if (comma == std::string_view::npos) return names;
    text.remove_prefix(comma + 1);
  }
}

std::string JoinList(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ',';
    text += name;
  }
  return text;
}

// A file that is there but cannot be read (a folder, no permission) must not be replaced
// by a file that holds the list alone.
bool ThereButUnreadable(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file = runtime::PathOf(path);
  if (!std::filesystem::exists(file, error)) return false;
  return !std::filesystem::is_regular_file(file, error) || !std::ifstream(file, std::ios::binary);
}

}  // namespace

void IniStore::Init(std::string file_name) {
  file_name_ = std::move(file_name);
  open_ = true;
  sections_ = ThereButUnreadable(file_name_)
                  ? std::vector<std::string>()
                  : SplitList(runtime::GetIni(kListSection, kListKey, "", file_name_));
}

bool IniStore::Kill() {
  if (!open_) return true;
  open_ = false;
  if (ThereButUnreadable(file_name_)) return false;
  return runtime::PutIni(kListSection, kListKey, JoinList(sections_), file_name_);
}

}  // namespace library
