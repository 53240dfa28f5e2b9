#include "platform/library/ini_store.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <optional>
#include <string_view>

#include "platform/runtime/cp1252.h"

namespace library {
namespace {

constexpr std::string_view kListSection = "__Dont_Touch_Me__";
constexpr std::string_view kListKey = "Sectors";

std::string_view Trim(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  return runtime::UpperCp1252(Trim(a)) == runtime::UpperCp1252(Trim(b));
}

// The file as lines of code page 1252 bytes, without their line ends.
struct IniLines {
  std::vector<std::string> lines;
  std::string line_end = "\r\n";  // the file's own, so that a rewrite keeps its style
};

std::optional<IniLines> ReadLines(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  if (!in) return std::nullopt;
  const std::string bytes = content.str();
  IniLines file;
  const size_t first_end = bytes.find('\n');
  if (first_end != std::string::npos && (first_end == 0 || bytes[first_end - 1] != '\r')) file.line_end = "\n";
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    file.lines.push_back(std::move(line));
    start = end + 1;
  }
  return file;
}

// "[name]" gives name; any other line nothing.
std::optional<std::string_view> SectionHeader(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return line.substr(1, close - 1);
}

// Where a key lies: the line of the section's header and the key's own line (both may be
// missing), and the line after the section's last non-blank line.
struct KeyPlace {
  std::optional<size_t> header, key;
  size_t section_end = 0;
};

KeyPlace FindKey(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
  KeyPlace place;
  bool inside = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (const auto header = SectionHeader(lines[i])) {
      inside = !place.header && SameName(*header, section);
      if (inside) {
        place.header = i;
        place.section_end = i + 1;
      }
      continue;
    }
    if (!inside) continue;
    if (!Trim(lines[i]).empty()) place.section_end = i + 1;
    const size_t equals = lines[i].find('=');
    if (!place.key && equals != std::string::npos && Trim(lines[i]).front() != ';' &&
        SameName(std::string_view(lines[i]).substr(0, equals), key)) {
      place.key = i;
    }
  }
  return place;
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> names;
  while (!Trim(text).empty()) {
    const size_t comma = text.find(',');
    const std::string_view name = Trim(text.substr(0, comma));
    if (!name.empty()) names.emplace_back(runtime::Cp1252ToUtf8(name));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return names;
}

std::string JoinList(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ',';
    text += runtime::Utf8ToCp1252(name);
  }
  return text;
}

// Writes the whole file to a temporary file beside it and moves that over the file, so
// that a failure or a crash half-way leaves the old file whole.
bool ReplaceFile(const std::string& path, const IniLines& file) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    for (const std::string& line : file.lines) out << line << file.line_end;
    out.flush();
    if (out) {
      out.close();
      std::error_code error;
      std::filesystem::rename(temporary, path, error);
      if (!error) return true;
    }
  }
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  return false;
}

}  // namespace

void IniStore::Init(std::string file_name) {
  file_name_ = std::move(file_name);
  open_ = true;
  sections_.clear();
  const std::optional<IniLines> file = ReadLines(file_name_);
  if (!file) return;
  const KeyPlace place = FindKey(file->lines, kListSection, kListKey);
  if (!place.key) return;
  const std::string& line = file->lines[*place.key];
  sections_ = SplitList(std::string_view(line).substr(line.find('=') + 1));
}

bool IniStore::Kill() {
  if (!open_) return true;
  open_ = false;
  std::optional<IniLines> read = ReadLines(file_name_);
  std::error_code error;
  // A file that exists but cannot be read must not be replaced by the list alone.
  if (!read && std::filesystem::exists(file_name_, error)) return false;
  IniLines file = read.value_or(IniLines{});
  const std::string line = std::string(kListKey) + "=" + JoinList(sections_);
  const KeyPlace place = FindKey(file.lines, kListSection, kListKey);
  if (place.key) {
    file.lines[*place.key] = line;
  } else if (place.header) {
    file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(place.section_end), line);
  } else {
    file.lines.push_back("[" + std::string(kListSection) + "]");
    file.lines.push_back(line);
  }
  return ReplaceFile(file_name_, file);
}

}  // namespace library
