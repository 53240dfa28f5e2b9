// The ten module sources of the dictionary, each a run of TableDefs in module order.
#pragma once

#include <span>

#include "catalogue/table_def.h"

namespace catalogue {

extern const std::span<const TableDef> kModule01;
extern const std::span<const TableDef> kModule02;
extern const std::span<const TableDef> kModule03;
extern const std::span<const TableDef> kModule04;
extern const std::span<const TableDef> kModule05;
extern const std::span<const TableDef> kModule06;
extern const std::span<const TableDef> kModule07;
extern const std::span<const TableDef> kModule08;
extern const std::span<const TableDef> kModule09;
extern const std::span<const TableDef> kModule10;

// The ten modules in module order.
std::span<const std::span<const TableDef>> Modules();

// The declaration of a table, by its id.
const TableDef& Def(Table table);

}  // namespace catalogue
