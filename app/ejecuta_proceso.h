// The window procedure "EjecutaProceso": the conversion run over the suite's tables with
// its log, and the new factor and currency name in the parameters record.
#pragma once

namespace app {

// Opens the conversion window and runs it until it closes; its response is left in the
// thread's window globals. The parameters table must be open (the main window opens it).
void EjecutaProceso();

}  // namespace app
