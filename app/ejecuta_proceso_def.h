// The conversion window's description: its controls in number order, bound to the
// variables of the procedure "EjecutaProceso".
#pragma once

#include <string>
#include <vector>

#include "platform/ui/window_description.h"

namespace app {

// The procedure's own variables behind the controls.
struct EjecutaProcesoLocals {
  std::vector<std::string> log;  // the log list
  std::string mensabase;         // LOC:MENSABASE, the status line
};

ui::WindowDescription EjecutaProcesoDescription(EjecutaProcesoLocals& loc);

}  // namespace app
