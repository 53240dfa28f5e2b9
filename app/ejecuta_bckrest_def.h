// The backup window's description: its controls in number order, bound to the variables
// of the procedure "EjecutaBCKREST".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/decimal.h"
#include "platform/ui/window_description.h"

namespace app {

// The procedure's own variables behind the controls.
struct EjecutaBCKRESTLocals {
  std::vector<std::string> backup_list;   // lines of the backup log, each a STRING(120)
  std::vector<std::string> restore_list;  // lines of the restore log, each a STRING(120)
  std::string BACKUP;                     // STRING(2000): the backup help text
  std::string RESTORE;                    // STRING(2000): the restore help text
  runtime::Decimal MONTOX;                // DECIMAL(17,2): the test amount typed
  std::string MONTOS;                     // STRING(20): the test amount converted
};

// Control numbers the procedure acts on.
inline constexpr int kBackupButton = 4;
inline constexpr int kRestoreButton = 6;
inline constexpr int kCloseButton = 10;
inline constexpr int kConversionButton = 12;
inline constexpr int kCalcButton = 16;

// Width of a log line in the lists.
inline constexpr size_t kLogLineWidth = 120;

inline constexpr std::string_view kBackupHelp =
    "Este proceso copia todos los archivos .VQF contenidos en los directorios de datos DADM, "
    "PCON01 y DNOM de las carpetas respectivas de las carpetas de los subsistemas "
    "Administrativo, Contabilidad y Nómina del sistema.\n"
    "\n"
    "La carpeta contentiva de estos datos es las siguiente: \".\\CopiasREC\" con sus "
    "directorios correspondientes. Para esta operación se creó un archivo comando de nombre "
    "RECBACK.BAT, el cual puede correrse fuera del programa.\n"
    "Este produce un archivo nominado REConverBCK.log con los resultados de las copias. "
    "También reside en el directorio CopiasREC.\n"
    "Es importante resaltar que esta operación reescribe los archivos en el destino de "
    "existir éstos.";

inline constexpr std::string_view kRestoreHelp =
    "Este proceso RESTAURA todos los archivos .VQF contenidos en los directorios de datos en "
    "\".\\CopiasREC\" con sus directorios correspondientes a las carpetas de los subsistemas "
    "Administrativo, Contabilidad y Nómina del sistema.\n"
    "\n"
    "Para esta operación se creó un archivo comando de nombre RECREST.BAT, el cual puede "
    "correrse fuera del programa.\n"
    "Este produce un archivo nominado REConverREST.log con los resultados de las copias. "
    "También reside en el directorio CopiasREC.\n"
    "Es importante resaltar que esta operación reescribe los archivos en el destino de "
    "existir éstos.";

ui::WindowDescription EjecutaBCKRESTDescription(EjecutaBCKRESTLocals& loc);

}  // namespace app
