#include "platform/library/field_value.h"

#include <cmath>
#include <cstring>

#include "platform/runtime/decimal.h"
#include "platform/runtime/text.h"

namespace library {
namespace {

using files::FieldDecl;
using files::FieldType;

int64_t LoadInteger(const FieldDecl& field, const uint8_t* p) {
  switch (field.type) {
    case FieldType::Byte:
      return p[0];
    case FieldType::Short: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case FieldType::Long: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default:
      return 0;
  }
}

// Stores the integer in the field's width, as an assignment to a narrower type does.
void StoreInteger(const FieldDecl& field, uint8_t* p, int64_t value) {
  switch (field.type) {
    case FieldType::Byte:
      p[0] = static_cast<uint8_t>(value);
      break;
    case FieldType::Short: {
      int16_t v = static_cast<int16_t>(value);
      std::memcpy(p, &v, 2);
      break;
    }
    case FieldType::Long: {
      int32_t v = static_cast<int32_t>(value);
      std::memcpy(p, &v, 4);
      break;
    }
    default:
      break;
  }
}

double LoadReal(const uint8_t* p) {
  double v;
  std::memcpy(&v, p, 8);
  return v;
}

void StoreDecimal(const FieldDecl& field, uint8_t* p, const runtime::Decimal& value) {
  if (!runtime::StoreDecimalField(p, field.digits, field.places, value)) {
    // Too large for the field: the field keeps no partial value.
    std::memset(p, 0, field.size);
  }
}

void StoreNumberText(const FieldDecl& field, uint8_t* p, std::string_view text) {
  runtime::Decimal value = runtime::Decimal::Parse(text).value_or(runtime::Decimal());
  switch (field.type) {
    case FieldType::Real: {
      double v = value.ToDouble();
      std::memcpy(p, &v, 8);
      break;
    }
    case FieldType::Decimal:
      StoreDecimal(field, p, value);
      break;
    default:
      StoreInteger(field, p, static_cast<int64_t>(value.UnitsAt(0)));
      break;
  }
}

bool IsText(const FieldDecl& field) {
  return field.type == FieldType::CString || field.type == FieldType::String;
}

}  // namespace

bool IsNumeric(const FieldDecl& field) {
  return !IsText(field) && field.type != FieldType::Group;
}

void ClearField(const FieldDecl& field, uint8_t* record) {
  if (field.type == FieldType::Group) return;
  std::memset(record + field.offset, field.type == FieldType::String ? ' ' : 0, field.size);
}

void ClearRecord(const files::RecordLayout& layout, uint8_t* record) {
  std::memset(record, 0, layout.length);
  for (const FieldDecl& field : layout.fields) {
    if (field.type == FieldType::String) ClearField(field, record);
  }
}

std::string FieldText(const FieldDecl& field, const uint8_t* record) {
  const uint8_t* p = record + field.offset;
  switch (field.type) {
    case FieldType::CString:
      return runtime::ReadCStringField(p, field.size);
    case FieldType::String:
    case FieldType::Group:
      return runtime::ReadStringField(p, field.size);
    case FieldType::Real:
      return runtime::RealToText(LoadReal(p));
    case FieldType::Decimal:
      return runtime::DecimalFieldText(p, field.digits, field.places).value_or("0");
    default:
      return std::to_string(LoadInteger(field, p));
  }
}

double FieldNumber(const FieldDecl& field, const uint8_t* record) {
  const uint8_t* p = record + field.offset;
  switch (field.type) {
    case FieldType::Real:
      return LoadReal(p);
    case FieldType::Decimal:
      return runtime::LoadDecimalFieldAsDouble(p, field.digits, field.places).value_or(0);
    case FieldType::Byte:
    case FieldType::Short:
    case FieldType::Long:
      return static_cast<double>(LoadInteger(field, p));
    default:
      return runtime::Decimal::Parse(FieldText(field, record)).value_or(runtime::Decimal()).ToDouble();
  }
}

void SetFieldText(const FieldDecl& field, uint8_t* record, std::string_view text) {
  uint8_t* p = record + field.offset;
  switch (field.type) {
    case FieldType::CString:
      runtime::WriteCStringField(p, field.size, text);
      break;
    case FieldType::String:
    case FieldType::Group:
      runtime::WriteStringField(p, field.size, text);
      break;
    default:
      StoreNumberText(field, p, text);
      break;
  }
}

void SetFieldNumber(const FieldDecl& field, uint8_t* record, double value) {
  uint8_t* p = record + field.offset;
  switch (field.type) {
    case FieldType::Real:
      std::memcpy(p, &value, 8);
      break;
    case FieldType::Byte:
    case FieldType::Short:
    case FieldType::Long:
      StoreInteger(field, p, static_cast<int64_t>(std::trunc(value)));
      break;
    default:
      SetFieldText(field, record, runtime::RealToText(value));
      break;
  }
}

void CopyField(const FieldDecl& from, const uint8_t* from_record, const FieldDecl& to,
               uint8_t* to_record) {
  if (from.type == to.type && from.size == to.size && from.digits == to.digits &&
      from.places == to.places) {
    std::memmove(to_record + to.offset, from_record + from.offset, to.size);
    return;
  }
  SetFieldText(to, to_record, FieldText(from, from_record));
}

bool SameValue(const FieldDecl& a, const uint8_t* a_record, const FieldDecl& b,
               const uint8_t* b_record, bool no_case) {
  if (IsNumeric(a) && IsNumeric(b)) {
    if (a.type == FieldType::Decimal || b.type == FieldType::Decimal ||
        a.type == FieldType::Real || b.type == FieldType::Real) {
      return FieldText(a, a_record) == FieldText(b, b_record);
    }
    return LoadInteger(a, a_record + a.offset) == LoadInteger(b, b_record + b.offset);
  }
  std::string x = FieldText(a, a_record);
  std::string y = FieldText(b, b_record);
  if (no_case) {
    x = runtime::Upper(x);
    y = runtime::Upper(y);
  }
  return runtime::EqualPadded(x, y);
}

}  // namespace library
