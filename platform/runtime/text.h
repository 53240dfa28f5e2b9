// Text semantics of the suite's string types, on UTF-8 texts in memory. Lengths count
// characters (code points), as the suite counts the characters of code page 1252; each
// byte of a malformed sequence counts as a character, as it becomes one "?" there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// Number of characters of a UTF-8 text.
size_t CharCount(std::string_view utf8);

// The first n characters of a UTF-8 text (all of it when shorter).
std::string_view Left(std::string_view utf8, size_t n);

// The value a CSTRING(n) variable takes when assigned: at most n - 1 characters.
std::string FitCString(std::string_view utf8, size_t n);

// The value a STRING(n) variable takes when assigned: cut or padded with blanks to n.
std::string FitString(std::string_view utf8, size_t n);

// CLIP: the text without its trailing blanks.
std::string_view Clip(std::string_view text);

// UPPER over the letters code page 1252 can hold, accented ones included; any other
// character is kept as it is.
std::string Upper(std::string_view utf8);

// The suite's string comparison: the shorter text counts as padded with blanks, so
// "ABC" equals "ABC   ". Returns <0, 0 or >0 by byte order of the padded texts.
int ComparePadded(std::string_view a, std::string_view b);
inline bool EqualPadded(std::string_view a, std::string_view b) { return ComparePadded(a, b) == 0; }

// Record-buffer fields, which hold code page 1252 bytes.
// CSTRING(n): the text up to its NUL (n bytes at most when the NUL is missing). Writing
// cuts to n - 1 characters and fills the rest of the field with NULs.
std::string ReadCStringField(const uint8_t* field, size_t n);
void WriteCStringField(uint8_t* field, size_t n, std::string_view utf8);
// STRING(n): all n bytes, blanks included. Writing cuts or pads with blanks to n.
std::string ReadStringField(const uint8_t* field, size_t n);
void WriteStringField(uint8_t* field, size_t n, std::string_view utf8);

}  // namespace runtime
