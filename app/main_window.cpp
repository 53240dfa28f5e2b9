#include "app/main_window.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace app {

// The main window is not part of the program yet: Main returns at once. Tests that need a
// running copy set DINARVEX_TEST_HOLD_UNTIL to a file's path, and Main returns only when
// that file appears, as the real window returns only when the user leaves.
void Main() {
  const char* release = std::getenv("DINARVEX_TEST_HOLD_UNTIL");
  if (release == nullptr) return;
  while (!std::filesystem::exists(release)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace app
