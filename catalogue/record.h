// One field of this thread's record buffer, reached by its compile-time name (fields.h):
// GetText(PAR::NOMBRE), SetDecimal(BAN::SALDOEDO, value).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/field_ref.h"
#include "platform/runtime/decimal.h"

namespace catalogue {

// A text field's text (CSTRING up to its NUL, STRING with its blanks); a number's text.
std::string GetText(const FieldRef& field);
// A text field takes the text cut to its size; a numeric field the number it reads as.
void SetText(const FieldRef& field, std::string_view text);

// A DECIMAL field's exact value; nullopt when its bytes are not a packed decimal.
std::optional<runtime::Decimal> GetDecimal(const FieldRef& field);
// Stores the value rounded to the field's places; false, field untouched, when too large.
[[nodiscard]] bool SetDecimal(const FieldRef& field, const runtime::Decimal& value);

}  // namespace catalogue
