#include "app/full_window_drag.h"

#include <windows.h>

namespace app {

// Written to the user profile and broadcast, as the desktop's own settings do.
constexpr UINT kWriteAndBroadcast = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

FullWindowDragOff::FullWindowDragOff() {
  BOOL on = FALSE;
  if (SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0) && on == TRUE) {
    was_on_ = true;
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, kWriteAndBroadcast);
  }
}

FullWindowDragOff::~FullWindowDragOff() {
  if (was_on_) SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, kWriteAndBroadcast);
}

}  // namespace app
