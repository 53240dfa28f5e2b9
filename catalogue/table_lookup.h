// What one table's managers ask of the rest of their thread's catalogue: the other tables'
// managers and the error manager they all report through. The catalogue answers; the
// managers never see how it keeps its tables.
#pragma once

#include "catalogue/generated/tables.h"
#include "platform/library/error_manager.h"
#include "platform/library/file_manager.h"
#include "platform/library/relation_manager.h"

namespace catalogue {

class TableLookup {
 public:
  // The table's file manager from its Init to its Kill; null outside that.
  virtual library::FileManager* FileManagerOf(Table table) = 0;
  // The table's relation manager from its construction until the catalogue frees it.
  virtual library::RelationManager* RelationManagerOf(Table table) = 0;
  virtual library::ErrorManager* errors() = 0;

 protected:
  ~TableLookup() = default;
};

}  // namespace catalogue
