#include "platform/runtime/text.h"

#include <algorithm>
#include <cstring>

#include "platform/runtime/cp1252.h"

namespace runtime {

size_t CharCount(std::string_view utf8) {
  size_t chars = 0;
  for (size_t i = 0; i < utf8.size(); i += Utf8CharLength(utf8, i)) ++chars;
  return chars;
}

std::string_view Left(std::string_view utf8, size_t n) {
  size_t i = 0;
  for (size_t chars = 0; i < utf8.size() && chars < n; ++chars) i += Utf8CharLength(utf8, i);
  return utf8.substr(0, i);
}

std::string FitCString(std::string_view utf8, size_t n) { return std::string(Left(utf8, n == 0 ? 0 : n - 1)); }

std::string FitString(std::string_view utf8, size_t n) {
  std::string out(Left(utf8, n));
  out.append(n - CharCount(out), ' ');
  return out;
}

std::string_view Clip(std::string_view text) {
  const size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string Upper(std::string_view utf8) {
  // Going through code page 1252 would turn characters it cannot hold into "?", so only
  // the runs that it can hold are converted.
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const size_t len = Utf8CharLength(utf8, i);
    const std::string_view one = utf8.substr(i, len);
    const std::string byte = Utf8ToCp1252(one);
    if (byte != "?" || one == "?") {
      out += Cp1252ToUtf8(UpperCp1252(byte));
    } else {
      out += one;
    }
    i += len;
  }
  return out;
}

int ComparePadded(std::string_view a, std::string_view b) {
  const size_t n = std::max(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(i < a.size() ? a[i] : ' ');
    const auto cb = static_cast<unsigned char>(i < b.size() ? b[i] : ' ');
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

std::string ReadCStringField(const uint8_t* field, size_t n) {
  const auto* p = reinterpret_cast<const char*>(field);
  return Cp1252ToUtf8(std::string_view(p, strnlen(p, n)));
}

// Both writers cut the converted bytes, not the text before conversion: whatever the
// conversion makes of a text, no more than the field's n bytes are written.
void WriteCStringField(uint8_t* field, size_t n, std::string_view utf8) {
  if (n == 0) return;
  const std::string bytes = Utf8ToCp1252(utf8);
  std::memset(field, 0, n);
  std::memcpy(field, bytes.data(), std::min(bytes.size(), n - 1));
}

std::string ReadStringField(const uint8_t* field, size_t n) {
  return Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(field), n));
}

void WriteStringField(uint8_t* field, size_t n, std::string_view utf8) {
  const std::string bytes = Utf8ToCp1252(utf8);
  const size_t used = std::min(bytes.size(), n);
  std::memcpy(field, bytes.data(), used);
  std::memset(field + used, ' ', n - used);
}

}  // namespace runtime
