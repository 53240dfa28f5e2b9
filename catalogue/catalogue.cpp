#include "catalogue/catalogue.h"

#include <memory>

#include "catalogue/context.h"
#include "catalogue/modules.h"

namespace catalogue {
namespace {

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
    slot.file_manager_ref = std::make_unique<TableFileManager>(def, slot, context);
    slot.relation_manager_ref = std::make_unique<TableRelationManager>(def, slot, context);
    slot.relation_manager_ref->Construct();
  }
  for (const TableDef& def : module) {
    context[def.id].relation_manager = context[def.id].relation_manager_ref.get();
  }
}

void ModuleInit(Context& context, std::span<const TableDef> module) {
  for (const TableDef& def : module) context[def.id].relation_manager_ref->Init();
}

void ModuleKill(Context& context, std::span<const TableDef> module) {
  for (const TableDef& def : module) {
    TableSlot& slot = context[def.id];
    slot.relation_manager_ref->Kill();
    slot.relation_manager_ref.reset();
  }
}

TableSlot* Slot(Table table) {
  Context* context = ThisThread().get();
  return context != nullptr ? &(*context)[table] : nullptr;
}

}  // namespace

void CatalogInit(library::ErrorManager& errors) {
  std::unique_ptr<Context>& context = ThisThread();
  if (context != nullptr) return;
  context = std::make_unique<Context>();
  context->errors = &errors;
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
  TableSlot* slot = Slot(table);
  return slot != nullptr ? slot->file_manager : nullptr;
}

TableRelationManager* RelationManagerOf(Table table) {
  TableSlot* slot = Slot(table);
  return slot != nullptr ? slot->relation_manager : nullptr;
}

files::KeyedFile* FileOf(Table table) {
  TableSlot* slot = Slot(table);
  return slot != nullptr ? slot->keyed_file : nullptr;
}

uint8_t* RecordOf(Table table) {
  TableSlot* slot = Slot(table);
  return slot != nullptr ? slot->record.data() : nullptr;
}

uint8_t* MemoOf(Table table, int memo) {
  TableSlot* slot = Slot(table);
  return slot != nullptr ? slot->memos[memo] : nullptr;
}

}  // namespace catalogue
