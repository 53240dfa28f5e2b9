// The program as the start-up tests run it: the whole start-up and shutdown around a main
// window that needs no screen. It stays until the file named by DINARVEX_TEST_HOLD_UNTIL
// appears, as the real window stays until the user leaves; without it, it returns at once.
// The message boxes it showed (answered with their default button) go to the error output
// as "caption: text", one a line, for the tests to read.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "app/program_run.h"
#include "platform/ui/headless/headless_backend.h"

namespace {

void HeldMain() {
  const char* release = std::getenv("DINARVEX_TEST_HOLD_UNTIL");
  if (release == nullptr) return;
  while (!std::filesystem::exists(release)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace

int main() {
  ui::HeadlessBackend screen;
  const int code = app::RunProgram(&HeldMain);
  for (const ui::ShownMessage& shown : screen.messages()) {
    std::cerr << shown.box.caption << ": " << shown.box.text << std::endl;
  }
  return code;
}
