// The per-table managers: one pair per table and thread, driven by the table's TableDef.
// They reach the other tables through a TableLookup only.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>

#include "catalogue/table_def.h"
#include "catalogue/table_lookup.h"
#include "platform/library/file_manager.h"
#include "platform/library/record_driver.h"
#include "platform/library/relation_manager.h"

namespace catalogue {

// The record buffer, memo buffers and file driver one table's file manager works on; the
// catalogue owns them and keeps them in place while the manager lives.
struct TableBuffers {
  uint8_t* record;
  std::span<uint8_t* const> memos;
  library::RecordDriver* driver;
};

class TableFileManager : public library::FileManager {
 public:
  TableFileManager(const TableDef& def, TableBuffers buffers, TableLookup& lookup)
      : def_(def), buffers_(buffers), lookup_(lookup) {}

  void BindFields() override;
  void Init() override;
  void PrimeFields() override;
  // The first use of any kind binds the file and adds the keys in declaration order.
  int UseFile(int kind) override;
  int ValidateFieldServer(int field, bool report) override;

  const TableDef& def() const { return def_; }

 private:
  int RunCheck(const FieldCheck& check, int result, bool report);
  int CheckInFile(const FieldCheck& check, bool report);

  const TableDef& def_;
  const TableBuffers buffers_;
  TableLookup& lookup_;
};

// Owns its table's file manager: its Init initialises that one first, its Kill kills and
// frees it.
class TableRelationManager : public library::RelationManager {
 public:
  TableRelationManager(const TableDef& def, std::unique_ptr<TableFileManager> file_manager,
                       TableLookup& lookup)
      : def_(def), file_manager_(std::move(file_manager)), lookup_(lookup) {}

  // Initialises the table's file manager, then this manager; an alias's refers to its
  // table's relation manager.
  void Init();
  // Kills and frees the file manager, then kills this manager.
  void Kill() override;
  void AddRelations() override;

  const TableDef& def() const { return def_; }
  // The table's file manager from its Init to its Kill; null outside that.
  TableFileManager* file_manager() const {
    return file_manager_ != nullptr && file_manager_->started() ? file_manager_.get() : nullptr;
  }

 private:
  const TableDef& def_;
  std::unique_ptr<TableFileManager> file_manager_;
  TableLookup& lookup_;
};

}  // namespace catalogue
