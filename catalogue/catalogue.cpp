#include "catalogue/catalogue.h"

#include <array>
#include <memory>
#include <vector>

#include "catalogue/modules.h"
#include "catalogue/table_lookup.h"
#include "catalogue/table_managers.h"
#include "platform/library/record_driver.h"

namespace catalogue {
namespace {

// One table's objects in one thread's catalogue.
struct TableSlot {
  std::vector<uint8_t> record;
  std::vector<std::vector<uint8_t>> memo_storage;
  std::vector<uint8_t*> memos;
  std::unique_ptr<library::RecordDriver> driver;
  files::KeyedFile* keyed_file = nullptr;  // the driver's file, for a keyed table
  // Owns the table's file manager; freed by the catalogue after its Kill.
  std::unique_ptr<TableRelationManager> managers;
};

// One thread's catalogue: every table's slot, and the answers its managers ask for.
class Context final : public TableLookup {
 public:
  explicit Context(library::ErrorManager& errors) : errors_(errors) {}

  TableSlot& operator[](Table table) { return tables_[static_cast<size_t>(table)]; }

  TableFileManager* FileManagerOf(Table table) override {
    const TableSlot& slot = (*this)[table];
    return slot.managers != nullptr ? slot.managers->file_manager() : nullptr;
  }
  TableRelationManager* RelationManagerOf(Table table) override {
    return (*this)[table].managers.get();
  }
  library::ErrorManager* errors() override { return &errors_; }

 private:
  library::ErrorManager& errors_;
  std::array<TableSlot, kTableCount> tables_;
};

std::unique_ptr<Context>& ThisThread() {
  thread_local std::unique_ptr<Context> context;
  return context;
}

void ModuleConstruct(Context& context, std::span<const TableDef> module) {
  for (const TableDef& def : module) {
    TableSlot& slot = context[def.id];
    slot.record.assign(def.layout.length, 0);
    for (const files::MemoDecl& memo : def.layout.memos) {
      slot.memo_storage.emplace_back(memo.size, 0);
      slot.memos.push_back(slot.memo_storage.back().data());
    }
    if (def.driver == Driver::Flat) {
      slot.driver = std::make_unique<library::FlatDriver>(def.layout.length, slot.record.data());
    } else {
      auto keyed =
          std::make_unique<library::KeyedDriver>(def.layout, slot.record.data(), slot.memos);
      slot.keyed_file = &keyed->file();
      slot.driver = std::move(keyed);
    }
    const TableBuffers buffers{slot.record.data(), slot.memos, slot.driver.get()};
    slot.managers = std::make_unique<TableRelationManager>(
        def, std::make_unique<TableFileManager>(def, buffers, context), context);
    slot.managers->Construct();
  }
}

void ModuleInit(Context& context, std::span<const TableDef> module) {
  for (const TableDef& def : module) context[def.id].managers->Init();
}

void ModuleKill(Context& context, std::span<const TableDef> module) {
  for (const TableDef& def : module) {
    TableSlot& slot = context[def.id];
    slot.managers->Kill();
    slot.managers.reset();
  }
}

Context* This() { return ThisThread().get(); }

}  // namespace

void CatalogInit(library::ErrorManager& errors) {
  std::unique_ptr<Context>& context = ThisThread();
  if (context != nullptr) return;
  context = std::make_unique<Context>(errors);
  for (std::span<const TableDef> module : Modules()) ModuleConstruct(*context, module);
  for (std::span<const TableDef> module : Modules()) ModuleInit(*context, module);
}

void CatalogKill() {
  std::unique_ptr<Context>& context = ThisThread();
  if (context == nullptr) return;
  for (std::span<const TableDef> module : Modules()) ModuleKill(*context, module);
  context.reset();  // the thread's files and buffers, after every manager is gone
}

TableFileManager* FileManagerOf(Table table) {
  Context* context = This();
  return context != nullptr ? context->FileManagerOf(table) : nullptr;
}

TableRelationManager* RelationManagerOf(Table table) {
  Context* context = This();
  return context != nullptr ? context->RelationManagerOf(table) : nullptr;
}

files::KeyedFile* FileOf(Table table) {
  Context* context = This();
  return context != nullptr ? (*context)[table].keyed_file : nullptr;
}

uint8_t* RecordOf(Table table) {
  Context* context = This();
  return context != nullptr ? (*context)[table].record.data() : nullptr;
}

uint8_t* MemoOf(Table table, int memo) {
  Context* context = This();
  return context != nullptr ? (*context)[table].memos[memo] : nullptr;
}

}  // namespace catalogue
