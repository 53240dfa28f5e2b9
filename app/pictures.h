// The pictures the windows show, laid into the program's folder (the current folder when
// it runs) by the install step.
#pragma once

namespace app {

// Drawn behind the main window's controls.
inline constexpr const char* kBackgroundPicture = "fondo.xpm";
// The house of the backup window's and the conversion window's top corner.
inline constexpr const char* kHomePicture = "Home.xpm";

}  // namespace app
