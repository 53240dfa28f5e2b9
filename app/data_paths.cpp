#include "app/data_paths.h"

#include <string_view>

#include "app/globals.h"
#include "catalogue/disk_names.h"
#include "platform/runtime/paths.h"

namespace app {
namespace {

std::string_view FolderOf(catalogue::Folder folder) {
  switch (folder) {
    case catalogue::Folder::RutaDatos:
      return GLO::RUTADATOS;
    case catalogue::Folder::RutaDatosNomina:
      return GLO::RUTADATOSNOMINA;
    case catalogue::Folder::RutaDatosContabilidad:
      return DCT::USARUTACONTAB == 1 ? std::string_view(GLO::RUTADATOSCONTABILIDAD) : GLO::RUTADATOS;
    case catalogue::Folder::RutaProg:
      return GLO::RUTAPROG;
  }
  return {};
}

// The payroll tables, the accounting users table and the two agenda tables (rows 107 to
// 111) are named only with the area-paths switch on.
bool NeedsAreaPaths(const catalogue::DiskFile& file) { return file.row >= 107 && file.row <= 111; }

}  // namespace

std::string DataRoot() {
  std::string root = runtime::ShortPath("");
  root += runtime::kPathSeparator;
  root += "..";
  return root;
}

void NameDiskFiles() {
  for (const catalogue::DiskFile& file : catalogue::DiskFiles()) {
    if (NeedsAreaPaths(file) && DCT::USAAREAS != 1) continue;
    catalogue::SetDiskName(file.table, runtime::JoinPath(FolderOf(file.folder), file.file));
  }
}

}  // namespace app
