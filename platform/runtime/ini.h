// Settings files of "[section]" headers and "key=value" lines, stored in code page 1252
// (texts in and out are UTF-8), with CR LF or LF line ends.
//
// - Section and key names compare case-insensitively, accented letters included, with the
//   blanks and tabs around them ignored. Values lose the blanks and tabs around them.
// - A line without "=", a line before the first section header and a line that begins
//   with ";" are not entries: no key is read from them.
// - A key given more than once counts by its first line, also when its section appears
//   more than once; a present key with nothing after "=" reads as the empty text.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

// GETINI: the key's value, or `default_value` when the file cannot be read or holds no
// such key in that section.
std::string GetIni(std::string_view section, std::string_view key, std::string_view default_value,
                   const std::string& file);

// PUTINI: sets the key's value. The line that GetIni would read is rewritten in place; a
// new key goes after the last non-blank line of the section's first appearance, and a new
// section is added at the end of the file. Every other byte of the file stays as it was.
// The file is replaced as a whole (written beside it, then renamed), so a failed write
// leaves the old file intact. Returns false, changing nothing, when the file exists but
// cannot be read, cannot be written, or when a name or the value holds a line break (or
// the section name holds "]" or the key "=").
[[nodiscard]] bool PutIni(std::string_view section, std::string_view key, std::string_view value,
                          const std::string& file);

}  // namespace runtime
