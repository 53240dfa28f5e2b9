#include "catalogue/modules.h"

#include <array>

namespace catalogue {
namespace {

using Index = std::array<const TableDef*, kTableCount>;

const std::span<const TableDef> kModules[] = {kModule01, kModule02, kModule03, kModule04,
                                              kModule05, kModule06, kModule07, kModule08,
                                              kModule09, kModule10};

// A table's id is its position in module order.
Index MakeIndex() {
  Index index{};
  for (std::span<const TableDef> module : kModules) {
    for (const TableDef& def : module) index[static_cast<size_t>(def.id)] = &def;
  }
  return index;
}

}  // namespace

std::span<const std::span<const TableDef>> Modules() { return kModules; }

const TableDef& Def(Table table) {
  static const Index index = MakeIndex();
  return *index[static_cast<size_t>(table)];
}

}  // namespace catalogue
