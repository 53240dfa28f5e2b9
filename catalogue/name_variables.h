// The process-wide name variables, as the file managers refer to them.
#pragma once

#include "catalogue/generated/tables.h"
#include "platform/library/name_variable.h"

namespace catalogue {

// The table's name variable (its aliased table's for an alias); null when it has none.
library::NameVariable* NameVariableOf(Table table);

}  // namespace catalogue
