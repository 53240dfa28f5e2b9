// The dictionary at run time: per thread, every table's file manager, relation manager,
// keyed file and record buffer, built by CatalogInit and freed by CatalogKill.
#pragma once

#include <cstdint>

#include "catalogue/generated/tables.h"
#include "platform/files/keyed_file.h"
#include "platform/library/error_manager.h"

namespace catalogue {

class TableFileManager;
class TableRelationManager;

// Builds this thread's catalogue: constructs every table's objects, module by module, then
// initialises them in the same order. Nothing when this thread's catalogue already exists.
// `errors` must outlive the catalogue.
void CatalogInit(library::ErrorManager& errors);
// Kills and frees every table's objects module by module, then the thread's files and
// buffers. Nothing when this thread has no catalogue.
void CatalogKill();

// This thread's objects of a table; null before CatalogInit and after CatalogKill.
TableFileManager* FileManagerOf(Table table);
TableRelationManager* RelationManagerOf(Table table);
// The keyed file of a table on the keyed driver; null for one on the flat driver.
files::KeyedFile* FileOf(Table table);
uint8_t* RecordOf(Table table);
uint8_t* MemoOf(Table table, int memo);

}  // namespace catalogue
