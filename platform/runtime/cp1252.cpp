#include "platform/runtime/cp1252.h"

#include <array>

namespace runtime {
namespace {

// Code points of bytes 0x80 .. 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns the code point and advances i. A malformed,
// truncated or overlong sequence yields U+FFFD and consumes a single byte.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  const int extra = b0 < 0x80 ? 0 : (b0 >> 5) == 0x6 ? 1 : (b0 >> 4) == 0xE ? 2 : (b0 >> 3) == 0x1E ? 3 : -1;
  if (extra < 0 || i + extra >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = b0 & (0x7F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += extra + 1;
  return cp;
}

}  // namespace

char32_t Cp1252ToCodePoint(unsigned char byte) {
  return (byte >= 0x80 && byte < 0xA0) ? kHighControls[byte - 0x80] : byte;
}

int CodePointToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (size_t k = 0; k < kHighControls.size(); ++k) {
    if (kHighControls[k] == cp) return static_cast<int>(0x80 + k);
  }
  return -1;
}

size_t Utf8CharLength(std::string_view utf8, size_t i) {
  const size_t start = i;
  NextCodePoint(utf8, i);
  return i - start;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const int b = CodePointToCp1252(NextCodePoint(utf8, i));
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

unsigned char UpperCp1252(unsigned char b) {
  if (b >= 'a' && b <= 'z') return b - 0x20;
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return b - 0x20;
  switch (b) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return b;
  }
}

std::string UpperCp1252(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out) c = static_cast<char>(UpperCp1252(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace runtime
