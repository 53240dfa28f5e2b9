#include "app/screen.h"

#include "platform/ui/backend.h"

// Start-up's beep, yield and message go through the window layer, so that a second copy
// shows its box on whichever screen the program runs. The application icon and the busy
// cursor belong to the windows, none of which is open yet.
namespace app::screen {

void SetApplicationIcon(std::string_view) {}

void BeepExclamation() { ui::Beep(ui::Sound::Exclamation); }

void YieldOnce() { ui::Yield(); }

int ShowInformation(std::string_view text, std::string_view caption) {
  return ui::Message(text, caption, ui::Icon::Information);
}

int ShowError(std::string_view text, std::string_view caption) {
  return ui::Message(text, caption, ui::Icon::Error);
}

void SetBusyCursor(bool) {}

}  // namespace app::screen
