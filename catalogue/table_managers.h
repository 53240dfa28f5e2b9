// The per-table managers: one pair per table and thread, driven by the table's TableDef.
#pragma once

#include "catalogue/table_def.h"
#include "platform/library/file_manager.h"
#include "platform/library/relation_manager.h"

namespace catalogue {

struct Context;
struct TableSlot;

class TableFileManager : public library::FileManager {
 public:
  TableFileManager(const TableDef& def, TableSlot& slot, Context& context)
      : def_(def), slot_(slot), context_(context) {}

  void BindFields() override;
  void Init() override;
  void Kill() override;
  void PrimeFields() override;
  // The first use of any kind binds the file and adds the keys in declaration order.
  int UseFile(int kind) override;
  int ValidateFieldServer(int field, bool report) override;

  const TableDef& def() const { return def_; }

 private:
  int RunCheck(const FieldCheck& check, int result, bool report);
  int CheckInFile(const FieldCheck& check, bool report);

  const TableDef& def_;
  TableSlot& slot_;
  Context& context_;
};

class TableRelationManager : public library::RelationManager {
 public:
  TableRelationManager(const TableDef& def, TableSlot& slot, Context& context)
      : def_(def), slot_(slot), context_(context) {}

  // Initialises the table's file manager, then this manager; an alias's refers to its
  // table's relation manager.
  void Init();
  // Kills and frees the file manager, then kills this manager.
  void Kill() override;
  void AddRelations() override;

  const TableDef& def() const { return def_; }

 private:
  const TableDef& def_;
  TableSlot& slot_;
  Context& context_;
};

}  // namespace catalogue
