#include "catalogue/record.h"

#include "catalogue/catalogue.h"
#include "catalogue/modules.h"
#include "platform/library/field_value.h"

namespace catalogue {
namespace {

const files::FieldDecl& Decl(const FieldRef& field) {
  return Def(field.table).layout.fields[field.index];
}

}  // namespace

std::string GetText(const FieldRef& field) {
  return library::FieldText(Decl(field), RecordOf(field.table));
}

void SetText(const FieldRef& field, std::string_view text) {
  library::SetFieldText(Decl(field), RecordOf(field.table), text);
}

std::optional<runtime::Decimal> GetDecimal(const FieldRef& field) {
  return runtime::LoadDecimalField(RecordOf(field.table) + field.offset, field.digits,
                                   field.places);
}

bool SetDecimal(const FieldRef& field, const runtime::Decimal& value) {
  return runtime::StoreDecimalField(RecordOf(field.table) + field.offset, field.digits,
                                    field.places, value);
}

}  // namespace catalogue
