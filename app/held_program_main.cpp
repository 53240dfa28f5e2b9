// The program as the start-up tests run it: the whole start-up and shutdown around a main
// window that needs no screen. It stays until the file named by DINARVEX_TEST_HOLD_UNTIL
// appears, as the real window stays until the user leaves; without it, it returns at once.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/program_run.h"

namespace {

void HeldMain() {
  const char* release = std::getenv("DINARVEX_TEST_HOLD_UNTIL");
  if (release == nullptr) return;
  while (!std::filesystem::exists(release)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace

int main() { return app::RunProgram(&HeldMain); }
