// The name variables of the tables' disk files: one process-wide text per table that has
// one, holding the file's full path. An alias shares its table's. Start-up writes them
// before any table is used; the file managers read them on every open.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "catalogue/generated/tables.h"

namespace catalogue {

// Stores `path` in the table's name variable (its aliased table's for an alias), cut to
// the variable's size less one character. Does nothing for a table without a variable.
void SetDiskName(Table table, std::string_view path);
// The table's name variable (its aliased table's for an alias); empty when unset or absent.
std::string DiskName(Table table);

// The folder global whose value goes before a disk file's name.
enum class Folder { RutaDatos, RutaDatosNomina, RutaDatosContabilidad, RutaProg };

struct DiskFile {
  int row;
  const char* file;  // "CFPARAME.VQF"
  Folder folder;
  Table table;       // the table that owns the name variable; its aliases share it
};

// The suite's disk files, in the order start-up names them.
std::span<const DiskFile> DiskFiles();

}  // namespace catalogue
