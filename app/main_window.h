// The window procedure "Main": the main window with its login and menu.
#pragma once

namespace app {

// Runs the main window; returns when the user leaves the program.
void Main();

}  // namespace app
