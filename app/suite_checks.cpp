#include "app/suite_checks.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/globals.h"
#include "app/suite_settings.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "platform/files/errors.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/text.h"

namespace app {
namespace {

// What the person can do about a file that failed with `code`.
std::string WhatToDo(int code) {
  switch (code) {
    case files::kFileNotFound:
    case files::kPathNotFound:
      return std::string("Revise la clave RutaDatos de ") + kSuiteSettingsFile +
             ": debe nombrar la carpeta de los datos de la empresa.";
    case files::kFileLocked:
      return "Espere a que la otra estación termine y vuelva a intentarlo.";
    case files::kAccessDenied:
      return "Si otro programa lo tiene abierto, espere a que lo cierre; si no, revise los permisos del archivo.";
    case files::kRecordNotFound:
    case files::kLayoutMismatch:
    case files::kFileSystemError:
      return "Restaure el archivo desde una copia de respaldo.";
    default:
      return "";
  }
}

// A file's name in long form, taken from its folder: the file itself may be missing, and
// only what exists has a long form.
std::string LongName(const std::string& path) {
  const std::string name = runtime::FileNameOf(path);
  if (name.size() == path.size()) return path;
  return runtime::JoinPath(runtime::LongPath(path.substr(0, path.size() - name.size() - 1)), name);
}

bool FileHeldForNow(int code) { return code == files::kFileLocked || code == files::kAccessDenied; }

}  // namespace

std::string CheckSettingsFile(const std::string& settings_file) {
  const std::string shown = LongName(settings_file);
  std::error_code error;
  if (!std::filesystem::exists(runtime::PathOf(settings_file), error)) {
    return "No se encuentra el archivo de configuración " + shown +
           ", que dice en qué carpeta están los datos de la empresa. Póngalo en la carpeta de la suite, la que "
           "contiene la carpeta del programa, y vuelva a iniciar el programa.";
  }
  if (!std::filesystem::is_regular_file(runtime::PathOf(settings_file), error) ||
      !std::ifstream(runtime::PathOf(settings_file), std::ios::binary)) {
    return "No se puede leer el archivo de configuración " + shown +
           ". Revise que sea un archivo y sus permisos, y vuelva a iniciar el programa.";
  }
  return {};
}

std::string CheckDataFolder(const std::string& settings_file) {
  const std::string shown = LongName(settings_file);
  const std::string folder(runtime::Clip(GLO::RUTADATOS.value()));
  if (folder.empty()) {
    return "El archivo de configuración " + shown +
           " no tiene la clave RutaDatos en la sección [Sistemas], que nombra la carpeta de los datos de la "
           "empresa. Escríbala (por ejemplo RutaDatos=D:\\Suite\\Dadm) y vuelva a iniciar el programa.";
  }
  std::error_code error;
  if (!std::filesystem::is_directory(runtime::PathOf(folder), error)) {
    return "La carpeta de datos " + runtime::LongPath(folder) + ", que nombra la clave RutaDatos de " + shown +
           ", no existe. Corrija la clave, o conecte la unidad donde está la carpeta, y vuelva a iniciar el "
           "programa.";
  }
  return {};
}

std::string CheckMainTables() {
  for (const catalogue::Table table : {catalogue::Table::SecUsuML, catalogue::Table::ParameML}) {
    files::KeyedFile& file = *catalogue::FileOf(table);
    if (file.Open(catalogue::DiskName(table), files::kReadWriteDenyNone) == files::kNoError) {
      file.Close();
    } else if (!FileHeldForNow(file.Code())) {
      return FileProblemText(file);
    }
  }
  return {};
}

std::string FileProblemText(const files::KeyedFile& file) {
  // The layer's English text alone says neither the file nor, in Spanish, the cause.
  std::string detail = file.Detail();
  if (detail == file.Text()) {
    detail += file.Code() == files::kRecordNotFound
                  ? ": el archivo " + file.Path() + " no tiene el registro que se busca"
                  : ": archivo " + file.Path();
  }
  if (!detail.ends_with('.')) detail += '.';
  const std::string what_to_do = WhatToDo(file.Code());
  return "Ha ocurrido el error " + std::to_string(file.Code()) + "\n" + detail +
         (what_to_do.empty() ? "" : "\n" + what_to_do);
}

}  // namespace app
