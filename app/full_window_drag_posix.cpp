#include "app/full_window_drag.h"

namespace app {

// The desktops here have no such setting.
FullWindowDragOff::FullWindowDragOff() = default;
FullWindowDragOff::~FullWindowDragOff() = default;

}  // namespace app
