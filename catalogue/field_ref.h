// Compile-time references to one table's field or key, as fields.h declares them.
#pragma once

#include <cstdint>

#include "catalogue/generated/tables.h"
#include "platform/files/layout.h"

namespace catalogue {

struct FieldRef {
  Table table;
  uint16_t index;  // into the table's layout.fields
  files::FieldType type;
  uint32_t offset;
  uint32_t size;
  uint8_t digits;
  uint8_t places;
};

struct KeyRef {
  Table table;
  uint16_t index;  // into the table's layout.keys
};

}  // namespace catalogue
