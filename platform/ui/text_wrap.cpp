#include "platform/ui/text_wrap.h"

#include <vector>

namespace ui {
namespace {

// The length of the UTF-8 character that begins at `at`.
size_t CharLength(std::string_view text, size_t at) {
  size_t length = 1;
  while (at + length < text.size() && (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) ++length;
  return length;
}

// Where a word wider than the line is cut: after the last separator that leaves the first
// piece within `max_width`, else after the last character that does; at least one character.
size_t CutOfWord(std::string_view word, int max_width, const TextWidth& width) {
  size_t fits = 0, separator = 0;
  for (size_t at = 0; at < word.size();) {
    const size_t next = at + CharLength(word, at);
    if (width(word.substr(0, next)) > max_width) break;
    fits = next;
    if (word[at] == '/' || word[at] == '\\') separator = next;
    at = next;
  }
  if (separator > 0 && separator < word.size()) return separator;
  return fits > 0 ? fits : CharLength(word, 0);
}

void WrapLine(std::string_view line, int max_width, const TextWidth& width, std::string* out) {
  std::string current;
  size_t at = 0;
  while (at < line.size()) {
    const size_t blank = line.find(' ', at);
    std::string_view word = line.substr(at, blank == std::string_view::npos ? std::string_view::npos : blank - at);
    at = blank == std::string_view::npos ? line.size() : blank + 1;
    for (;;) {
      const std::string joined = current.empty() ? std::string(word) : current + " " + std::string(word);
      if (width(joined) <= max_width) {
        current = joined;
        break;
      }
      if (!current.empty()) {
        *out += current + "\n";
        current.clear();
        continue;
      }
      const size_t cut = CutOfWord(word, max_width, width);
      if (cut >= word.size()) {
        current = std::string(word);
        break;
      }
      *out += std::string(word.substr(0, cut)) + "\n";
      word.remove_prefix(cut);
    }
  }
  *out += current;
}

}  // namespace

std::string WrapText(std::string_view text, int max_width, const TextWidth& width) {
  std::string out;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    WrapLine(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), max_width,
             width, &out);
    if (end == std::string_view::npos) return out;
    out += '\n';
    start = end + 1;
  }
}

}  // namespace ui
