// The program main: start-up, the run of the window procedure "Main", shutdown.
#pragma once

#include "app/program_run.h"

namespace app {

// The single-instance mark's name, after the program's file.
inline constexpr const char* kProgramFileName = "Dinarvexsor.exe";
// The program's own settings file, in the program folder.
inline constexpr const char* kProgramSettingsFile = "Dinarvex.INI";

// Prepares everything (error manager, text matcher, settings store, the first thread's
// catalogue, single-instance check, data paths, disk names), runs `main_window`, and shuts
// down. A second copy of the program halts here with code 0.
void ProgramaPrincipal(WindowProcedure main_window);

}  // namespace app
