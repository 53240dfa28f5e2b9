#include "app/screen.h"

#include <iostream>

// Until the window layer is part of the program, start-up shows its message on the
// standard error stream; the icon, the cursor and the event loop belong to that layer.
namespace app::screen {

void SetApplicationIcon(std::string_view) {}

void BeepExclamation() { std::cerr << '\a'; }

void YieldOnce() {}

int ShowInformation(std::string_view text, std::string_view caption) {
  std::cerr << caption << ": " << text << std::endl;
  return 1;
}

int ShowError(std::string_view text, std::string_view caption) { return ShowInformation(text, caption); }

void SetBusyCursor(bool) {}

}  // namespace app::screen
