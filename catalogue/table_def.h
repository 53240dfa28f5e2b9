// The shape in which the dictionary declares one table: its record layout, keys, relations,
// initial values and field checks. The ten module sources hold one TableDef per table as
// constant data; the generic managers read it.
#pragma once

#include <cstdint>
#include <span>

#include "catalogue/generated/tables.h"
#include "platform/files/layout.h"

namespace catalogue {

struct KeyInfo {
  const char* description;  // "Por Control"
  bool auto_increment;
};

// A field's value in a new record. Numbers go into numeric fields, texts into text fields.
struct InitialValue {
  uint16_t field;    // index into the layout's fields
  double number;
  const char* text;  // nullptr for a number
};

enum class CheckKind : uint8_t { List, Range, InFile };

// One field of the parent table set from one field of this table before the lookup.
struct Assignment {
  uint16_t parent_field;
  uint16_t from_field;
};

struct FieldCheck {
  uint16_t field;
  CheckKind kind;
  const char* field_text;  // the field's caption in messages (%Field)
  const char* message;     // the list, range or parent label shown in the message (%Message)
  std::span<const char* const> values;  // List: the allowed values, each as its text
  double low;                            // Range: bounds, both included
  double high;
  Table parent;                          // InFile: the table looked up, by its key
  uint16_t parent_key;
  std::span<const Assignment> assignments;
};

enum RelationMode : uint8_t { kModeNone = 0, kModeClear = 1, kModeRestrict = 2, kModeCascade = 3 };

struct Link {
  uint16_t mine;    // field of this table
  uint16_t theirs;  // field of the related table
};

// A relation in full, or a mirror entry (only the related table, for a relation that the
// other table declares in full).
struct RelationDecl {
  Table related;
  bool mirror;
  uint8_t update_mode;
  uint8_t delete_mode;
  uint16_t related_key;
  std::span<const Link> links;
};

// The driver that reads and writes the table's file.
enum class Driver : uint8_t { Keyed, Flat };

struct TableDef {
  Table id;
  const char* label;
  const char* prefix;
  Driver driver;
  files::RecordLayout layout;
  std::span<const KeyInfo> keys;  // one per layout.keys entry
  bool is_alias;
  Table alias_of;                 // is_alias only
  uint16_t name_size;             // bytes of the disk-name variable; 0 when it has none
  const char* fixed_name;         // the file's own name when it has no name variable
  bool create;                    // a missing file is created on open
  std::span<const InitialValue> initial_values;
  std::span<const FieldCheck> checks;
  std::span<const RelationDecl> relations;  // in registration order
  const char* memo_binding;       // the name its memo is bound under, or nullptr
};

}  // namespace catalogue
