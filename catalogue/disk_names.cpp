#include "catalogue/disk_names.h"

#include <array>
#include <memory>

#include "catalogue/modules.h"
#include "catalogue/name_variables.h"

namespace catalogue {
namespace {

using Variables = std::array<std::unique_ptr<library::NameVariable>, kTableCount>;

Variables MakeVariables() {
  Variables variables;
  for (size_t i = 0; i < kTableCount; ++i) {
    const TableDef& def = Def(static_cast<Table>(i));
    if (!def.is_alias && def.name_size > 0) {
      variables[i] = std::make_unique<library::NameVariable>(def.name_size);
    }
  }
  return variables;
}

}  // namespace

library::NameVariable* NameVariableOf(Table table) {
  static Variables variables = MakeVariables();
  const TableDef& def = Def(table);
  return variables[static_cast<size_t>(def.is_alias ? def.alias_of : table)].get();
}

void SetDiskName(Table table, std::string_view path) {
  if (library::NameVariable* variable = NameVariableOf(table)) variable->Set(path);
}

std::string DiskName(Table table) {
  library::NameVariable* variable = NameVariableOf(table);
  return variable != nullptr ? variable->Get() : std::string();
}

}  // namespace catalogue
