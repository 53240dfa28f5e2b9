// Code page 1252, the single-byte encoding of the suite's record files and settings
// files, to and from UTF-8, the encoding of every text in memory and on screen.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace runtime {

// Every one of the 256 bytes has a character: the five bytes that code page 1252 leaves
// undefined (81, 8D, 8F, 90, 9D) stand for the control characters U+0081 .. U+009D of
// the same number, so that any byte string survives a round trip unchanged.
std::string Cp1252ToUtf8(std::string_view bytes);

// A character that code page 1252 cannot hold becomes "?", as on the suite's platform;
// a malformed UTF-8 sequence counts as one such character per bad byte.
std::string Utf8ToCp1252(std::string_view utf8);

// The bytes of the character that starts at utf8[i], as Utf8ToCp1252 reads it: a valid
// sequence, or a single byte of a malformed one (which converts to one "?" of its own).
// Every routine that counts characters steps with it, so that n characters of a text
// are exactly n bytes once converted.
size_t Utf8CharLength(std::string_view utf8, size_t i);

// The Unicode code point of one code page 1252 byte, and back (-1 when not encodable).
char32_t Cp1252ToCodePoint(unsigned char byte);
int CodePointToCp1252(char32_t code_point);

// Upper case of code page 1252 bytes: a-z and the accented letters (à..þ but not ÷, and
// š, œ, ž, ÿ). ß and µ have no single-byte upper case and stay as they are.
unsigned char UpperCp1252(unsigned char byte);
std::string UpperCp1252(std::string_view bytes);

}  // namespace runtime
