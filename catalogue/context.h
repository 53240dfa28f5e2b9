// One thread's catalogue: for every table its record buffer, memo buffers, file driver and
// the four references to its managers.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "catalogue/table_managers.h"
#include "platform/files/keyed_file.h"
#include "platform/library/record_driver.h"

namespace catalogue {

struct TableSlot {
  std::vector<uint8_t> record;
  std::vector<std::vector<uint8_t>> memo_storage;
  std::vector<uint8_t*> memos;
  std::unique_ptr<library::RecordDriver> driver;
  files::KeyedFile* keyed_file = nullptr;  // the driver's file, for a keyed table
  std::unique_ptr<TableFileManager> file_manager_ref;          // owning
  std::unique_ptr<TableRelationManager> relation_manager_ref;  // owning
  TableFileManager* file_manager = nullptr;  // set by its Init, cleared by its Kill
  TableRelationManager* relation_manager = nullptr;  // set at construction, cleared by Kill
};

struct Context {
  library::ErrorManager* errors = nullptr;
  std::array<TableSlot, kTableCount> tables;

  TableSlot& operator[](Table table) { return tables[static_cast<size_t>(table)]; }
};

}  // namespace catalogue
