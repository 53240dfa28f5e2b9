// The backend of real windows, drawn with FLTK 1.3. It creates one widget per control
// from the window's description and keeps it in step with the window model; the person's
// clicks, choices and keys go back to the model, which decides what they mean. Tab and
// Enter never reach the widgets, so that focus order and Enter follow the model's rules.
#pragma once

#include <chrono>
#include <map>
#include <memory>

#include "platform/ui/backend.h"

namespace ui {

class FltkBackend : public Backend {
 public:
  FltkBackend();
  ~FltkBackend() override;

  void Open(Window& window) override;
  void Close(Window& window) override;
  void Show(Window& window, int control) override;
  void Focus(Window& window, int control) override;
  void Insert(Window& window, int control, std::string_view text) override;
  Input NextInput(Window& window) override;
  void Poll(Window& window) override;
  int Message(const MessageBox& box) override;
  void SetCursor(Cursor cursor) override;
  void Beep(Sound sound) override;
  void Yield() override;

  struct Screen;

 private:
  BackendInstaller installer_;
  std::chrono::steady_clock::time_point last_yield_{};
  std::map<const Window*, std::unique_ptr<Screen>> screens_;
};

}  // namespace ui
