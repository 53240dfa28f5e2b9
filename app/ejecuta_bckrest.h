// The window procedure "EjecutaBCKREST": backup and restore of the suite's three data
// areas through the batch scripts beside the program, with the scripts' logs shown in two
// lists, the way on to the conversion window, and a test of the amount conversion.
#pragma once

namespace app {

// Opens the backup window and runs it until it closes; its response is left in the
// thread's window globals. Runs from the program's folder, which holds the scripts.
void EjecutaBCKREST();

}  // namespace app
