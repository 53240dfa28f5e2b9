#include "platform/runtime/ini.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/runtime/cp1252.h"
#include "platform/runtime/paths.h"

namespace runtime {
namespace {

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") + 1 - first);
}

// One line of a settings file, as offsets into the file's bytes.
struct Line {
  size_t begin;        // first byte
  size_t end;          // past the last byte before the line end
  size_t equals;       // the "=" of an entry, npos otherwise
  std::string folded;  // a header's section name or an entry's key, trimmed, upper case
  bool header;
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  bool in_section = false;
  for (size_t begin = 0; begin < bytes.size();) {
    size_t next = bytes.find('\n', begin);
    next = next == std::string_view::npos ? bytes.size() : next + 1;
    size_t end = next;
    while (end > begin && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r')) --end;
    Line line{begin, end, std::string_view::npos, {}, false};
    const std::string_view text = Trim(bytes.substr(begin, end - begin));
    if (text.starts_with('[') && text.find(']') != std::string_view::npos) {
      line.header = true;
      line.folded = UpperCp1252(Trim(text.substr(1, text.find(']') - 1)));
      in_section = true;
    } else if (in_section && !text.starts_with(';') && text.find('=') != std::string_view::npos) {
      line.equals = bytes.find('=', begin);
      line.folded = UpperCp1252(Trim(bytes.substr(begin, line.equals - begin)));
    }
    lines.push_back(std::move(line));
    begin = next;
  }
  return lines;
}

// Where a key lives, or would go: the entry's line, or else the line after which a new
// entry goes (the last non-blank line of the section's first appearance).
struct Place {
  std::optional<size_t> entry;
  std::optional<size_t> section_end;
};

Place Find(std::string_view bytes, const std::vector<Line>& lines, std::string_view section_cp,
           std::string_view key_cp) {
  const std::string section = UpperCp1252(Trim(section_cp)), key = UpperCp1252(Trim(key_cp));
  Place place;
  bool inside = false, first_appearance = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (line.header) {
      first_appearance = !place.section_end && line.folded == section;
      inside = line.folded == section;
      if (first_appearance) place.section_end = i;
      continue;
    }
    if (!inside) continue;
    if (line.equals != std::string_view::npos && line.folded == key) {
      place.entry = i;
      return place;
    }
    if (first_appearance && !Trim(bytes.substr(line.begin, line.end - line.begin)).empty()) place.section_end = i;
  }
  return place;
}

std::optional<std::string> ReadFile(const std::string& file) {
  std::ifstream in(PathOf(file), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::string GetIni(std::string_view section, std::string_view key, std::string_view default_value,
                   const std::string& file) {
  const std::optional<std::string> bytes = ReadFile(file);
  if (!bytes) return std::string(default_value);
  const std::vector<Line> lines = SplitLines(*bytes);
  const Place place = Find(*bytes, lines, Utf8ToCp1252(section), Utf8ToCp1252(key));
  if (!place.entry) return std::string(default_value);
  const Line& line = lines[*place.entry];
  return Cp1252ToUtf8(Trim(std::string_view(*bytes).substr(line.equals + 1, line.end - line.equals - 1)));
}

bool PutIni(std::string_view section, std::string_view key, std::string_view value, const std::string& file) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
      section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos) {
    return false;
  }
  std::optional<std::string> existing = ReadFile(file);
  std::error_code ignored;
  if (!existing && std::filesystem::exists(PathOf(file), ignored)) return false;  // never overwrite what cannot be read
  std::string bytes = existing.value_or("");
  const std::string section_cp = Utf8ToCp1252(section), key_cp = Utf8ToCp1252(key);
  const std::string value_cp = Utf8ToCp1252(value);
  const std::vector<Line> lines = SplitLines(bytes);
  const Place place = Find(bytes, lines, section_cp, key_cp);

  if (place.entry) {
    const Line& line = lines[*place.entry];
    bytes.replace(line.equals + 1, line.end - line.equals - 1, value_cp);
  } else if (place.section_end) {
    bytes.insert(lines[*place.section_end].end, "\r\n" + key_cp + "=" + value_cp);
  } else {
    if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    if (!bytes.empty()) bytes += "\r\n";
    bytes += "[" + section_cp + "]\r\n" + key_cp + "=" + value_cp + "\r\n";
  }

  const std::string temporary = file + ".tmp";
  {
    std::ofstream out(PathOf(temporary), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::filesystem::remove(PathOf(temporary), ignored);
      return false;
    }
  }
  // std::filesystem::rename replaces an existing file on Windows too, where std::rename
  // refuses one.
  std::error_code moved;
  std::filesystem::rename(PathOf(temporary), PathOf(file), moved);
  if (moved) {
    std::filesystem::remove(PathOf(temporary), ignored);
    return false;
  }
  return true;
}

}  // namespace runtime
