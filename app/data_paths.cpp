#include "app/data_paths.h"

#include <string_view>

#include "app/globals.h"
#include "app/suite_settings.h"
#include "catalogue/disk_names.h"
#include "catalogue/name_variables.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/text.h"

namespace app {
namespace {

constexpr const char* kProgramFolderText = "La ruta de la carpeta del programa";

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

// What a refusal calls the folder a file's name starts with.
std::string FolderText(catalogue::Folder folder) {
  switch (folder) {
    case catalogue::Folder::RutaDatos: return std::string("La ruta RutaDatos de ") + kSuiteSettingsFile;
    case catalogue::Folder::RutaDatosNomina: return std::string("La ruta RutaDatosNomina de ") + kSuiteSettingsFile;
    case catalogue::Folder::RutaDatosContabilidad:
      return std::string(DCT::USARUTACONTAB == 1 ? "La ruta RutaDatosContabilidad de " : "La ruta RutaDatos de ") +
             kSuiteSettingsFile;
    case catalogue::Folder::RutaProg: return kProgramFolderText;
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

std::string SetDataRoot() {
  const std::string root = DataRoot();
  if (!decltype(GLO::RUTAPROG)::Fits(root)) {
    return TooLongText(kProgramFolderText, root, decltype(GLO::RUTAPROG)::kMaxChars);
  }
  GLO::RUTAPROG = root;
  return {};
}

std::string NameDiskFiles() {
  for (const catalogue::DiskFile& file : catalogue::DiskFiles()) {
    if (NeedsAreaPaths(file) && DCT::USAAREAS != 1) continue;
    const std::string name = runtime::JoinPath(FolderOf(file.folder), file.file);
    const size_t max_chars = catalogue::NameVariableOf(file.table)->size() - 1;
    if (runtime::CharCount(name) > max_chars) {
      return TooLongText(FolderText(file.folder) + " para el archivo " + file.file, name, max_chars);
    }
    catalogue::SetDiskName(file.table, name);
  }
  return {};
}

}  // namespace app
