// Key values as byte strings whose memcmp order is the key's order, so that SQLite's BLOB
// order on the key columns walks the records in key order.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files/layout.h"

namespace files {

// Whether the driver can order a component of this type (Decimal and Group cannot).
bool IsKeyableType(FieldType type);

// The encoded value of `key` for the record: one fixed-length run per component, so that
// encodings of one key all have the same length and compare component by component.
std::string EncodeKeyValue(const RecordLayout& layout, const KeyDecl& key, const uint8_t* record);

// The stored key column: the value followed by the record id (8 bytes, big-endian), which
// orders records of equal value by insertion and makes every column value unique.
std::string KeyColumn(const std::string& value, int64_t id);

// The smallest byte string above every column that begins with `prefix` (a value or the
// encoding of its leading components), for columns of `column_length` bytes.
std::string PrefixEnd(const std::string& prefix, size_t column_length);

// True when every component is blank: text of blanks only, numbers of 0.
bool IsBlankKeyValue(const RecordLayout& layout, const KeyDecl& key, const uint8_t* record);

}  // namespace files
