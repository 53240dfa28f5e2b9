// The main window's description: its controls in number order, bound to the variables
// of the procedure "Main" and to the program's globals.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/window_description.h"

namespace app {

// The procedure's own variables behind the controls.
struct MainLocals {
  std::string EMPRESA;     // CSTRING(111): the company name
  std::string CLAVE;       // CSTRING(21): the password typed
  std::string MENSAJE;     // CSTRING(111): the status line
  std::string INFOSTRING;  // STRING(2000): the explanation in the info box
};

// Control numbers the procedure acts on.
inline constexpr int kLoginGroup = 10;
inline constexpr int kUserCode = 12;
inline constexpr int kPassword = 14;
inline constexpr int kLogin = 15;
inline constexpr int kInfoGroup = 16;
inline constexpr int kStatus = 18;
inline constexpr int kBackup = 20;
inline constexpr int kProcess = 21;
inline constexpr int kExit = 22;

inline constexpr std::string_view kInfoText =
    "ESTE PROGRAMA REALIZA TRES FUNCIONES BASICAS.\n"
    "\n"
    "1. Guardar una copia de respaldo de las tablas a ser afectadas por el    proceso de "
    "reconversión.\n"
    " 2. Restaurar las tablas desde la copia de respaldo.\n"
    " 3. Ejecutar la reconversión.\n"
    " ";

ui::WindowDescription MainWindowDescription(MainLocals& loc);

}  // namespace app
