// The desktop's full-window dragging (window contents shown while a window is dragged),
// which the program switches off while it runs. Only Windows has the setting; elsewhere
// this does nothing.
#pragma once

namespace app {

class FullWindowDragOff {
 public:
  // Switches the setting off when it is on.
  FullWindowDragOff();
  // Switches it on again when it was on.
  ~FullWindowDragOff();
  FullWindowDragOff(const FullWindowDragOff&) = delete;
  FullWindowDragOff& operator=(const FullWindowDragOff&) = delete;

 private:
  bool was_on_ = false;
};

}  // namespace app
