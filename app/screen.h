// What start-up shows of itself: the application icon, the beep and message of a second
// copy, and the busy cursor while it reads the suite's settings.
#pragma once

#include <string_view>

namespace app::screen {

void SetApplicationIcon(std::string_view icon_file);
// BEEP with the system exclamation sound.
void BeepExclamation();
// Lets the event loop run once.
void YieldOnce();
// MESSAGE with the information icon and one OK button; returns the button chosen (1).
int ShowInformation(std::string_view text, std::string_view caption);
// MESSAGE with the error icon and one OK button; returns the button chosen (1).
int ShowError(std::string_view text, std::string_view caption);
// The system wait cursor while busy, the normal one otherwise.
void SetBusyCursor(bool busy);

}  // namespace app::screen
