#include "platform/library/line_reader.h"

#include <limits>

#include "platform/runtime/cp1252.h"
#include "platform/runtime/text.h"

namespace library {
namespace {

constexpr int kOpenAttempts = 50;

// Well-formed UTF-8: no stray continuation bytes, no truncated, overlong or surrogate
// sequences, nothing above U+10FFFF.
bool IsUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, code = lead & 0x07;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

}  // namespace

int LineReader::Init(std::string_view file_name) {
  Close();
  return file_.Open(file_name, kOpenAttempts);
}

int LineReader::GetNextLine(std::string* buffer, size_t size) {
  // The whole line is read first: the cut counts characters, and a cut through the
  // bytes of a UTF-8 character would make the line read as code page 1252.
  std::string bytes;
  if (const int code = file_.ReadLine(&bytes, std::numeric_limits<size_t>::max()); code != 0) {
    buffer->clear();
    return code;
  }
  const std::string text = IsUtf8(bytes) ? bytes : runtime::Cp1252ToUtf8(bytes);
  *buffer = runtime::FitCString(text, size);
  return 0;
}

void LineReader::Close() {
  if (file_.IsOpen()) file_.Close();
}

}  // namespace library
