// The window procedure "Main": the main window with its login and menu. It shows the
// version, the conversion factor, the suite's folder and the company name, and logs a
// user in against the suite's users table; only then does it offer the backup window and
// the conversion.
#pragma once

namespace app {

// Runs the main window; returns when the user leaves the program.
void Main();

}  // namespace app
