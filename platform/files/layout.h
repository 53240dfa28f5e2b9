// Record layouts: how a table's fields lie in its fixed-length record buffer, and its keys.
// The catalogue declares one layout per table as constant data; the drivers read it.
#pragma once

#include <cstdint>
#include <span>

namespace files {

enum class FieldType : uint8_t {
  Byte,     // unsigned 8-bit
  Short,    // signed 16-bit, little-endian
  Long,     // signed 32-bit, little-endian
  Real,     // IEEE 754 double, little-endian
  Decimal,  // packed decimal of `digits` digits, `places` after the point
  CString,  // NUL-terminated text of at most size - 1 characters
  String,   // text padded with blanks to size
  Group,    // a named run made of the members that follow it
};

// One numbered field. Fields lie one after the other without gaps, except for reserved
// runs, which have no field of their own: the next field's offset steps over them.
struct FieldDecl {
  const char* name;  // "PAR:CONTROL"
  FieldType type;
  uint32_t offset;   // in the record buffer
  uint32_t size;     // bytes; a group's size is the bytes its members cover
  uint8_t digits;    // Decimal only
  uint8_t places;    // Decimal only
};

enum KeyFlag : uint8_t {
  kDup = 0x01,      // duplicates allowed; without it the key is unique
  kOpt = 0x02,      // an all-blank value is exempt from uniqueness (still in key order)
  kNoCase = 0x04,   // text components compare upper-cased
  kPrimary = 0x10,  // the table's primary key
};

struct KeyPart {
  uint16_t field;   // index into RecordLayout::fields (field number - 1)
  bool descending;
};

struct KeyDecl {
  const char* name;  // "PAR:KEYPAR01"
  std::span<const KeyPart> parts;
  uint8_t flags;     // KeyFlag bits
};

// A named text that belongs to the record but lies outside the record buffer.
struct MemoDecl {
  const char* name;
  uint32_t size;
};

struct RecordLayout {
  uint32_t length;  // bytes of the record buffer, reserved runs included
  std::span<const FieldDecl> fields;
  std::span<const KeyDecl> keys;
  std::span<const MemoDecl> memos;
};

}  // namespace files
