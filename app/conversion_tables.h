// The tables the conversion run walks, in the order it walks them: for each, the key it
// reads the table by, its money fields in the order they are converted, and the texts its
// lines in the log and the status line are made of.
#pragma once

#include <span>
#include <string>

#include "catalogue/field_ref.h"

namespace app {

struct ConvertedTable {
  catalogue::KeyRef key;  // its table is the table walked
  const char* header;     // the log line before the table's records
  bool header_to_status;  // whether the header also goes to the status line
  std::span<const catalogue::FieldRef> amounts;
  // What the status line shows after "  --> Procesando " for the record in the buffer.
  std::string (*progress)(const uint8_t* record);
  // A failed write's log line is error_prefix, the record's text, separator, error text.
  const char* error_prefix;
  std::string (*record_text)(const uint8_t* record);
  const char* separator;
  const char* name;  // the table as the continuation question names it ("inventario")
};

std::span<const ConvertedTable> ConvertedTables();

}  // namespace app
