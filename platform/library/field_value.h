// Reading, writing, clearing and comparing one field of a record buffer by its declaration,
// whatever its type. Used where fields are reached by number: initial values, field checks,
// relation links.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/layout.h"

namespace library {

bool IsNumeric(const files::FieldDecl& field);  // Byte, Short, Long, Real, Decimal

// A new record: every byte zero (reserved runs included), STRING fields blank.
void ClearRecord(const files::RecordLayout& layout, uint8_t* record);
// The field's cleared value: zero, empty or blank.
void ClearField(const files::FieldDecl& field, uint8_t* record);

// A number's decimal text ("12", "-3", "100.01"); a CSTRING up to its NUL; a STRING with
// its blanks. A damaged DECIMAL reads as "0".
std::string FieldText(const files::FieldDecl& field, const uint8_t* record);
// A number's value; a text field's text read as a number (0 when it is none).
double FieldNumber(const files::FieldDecl& field, const uint8_t* record);

// Assigns a text: a text field takes it cut to its size; a numeric field the number it
// reads as (0 when none), cut to the field's range.
void SetFieldText(const files::FieldDecl& field, uint8_t* record, std::string_view text);
void SetFieldNumber(const files::FieldDecl& field, uint8_t* record, double value);

// Assigns `from`'s value to `to`: byte for byte between fields of one type and size, else
// through the value's text (a LONG code into a CSTRING takes its decimal text).
void CopyField(const files::FieldDecl& from, const uint8_t* from_record,
               const files::FieldDecl& to, uint8_t* to_record);

// Whether two fields hold the same value: numbers by value, texts as blank-padded texts,
// upper-cased when no_case is set; a number and a text through the number's text.
bool SameValue(const files::FieldDecl& a, const uint8_t* a_record,
               const files::FieldDecl& b, const uint8_t* b_record, bool no_case);

}  // namespace library
