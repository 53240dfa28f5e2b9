#include "app/program_run.h"

#include <atomic>

#include "app/module_hooks.h"
#include "app/programa_principal.h"

namespace app {
namespace {

struct ProgramHalt {
  int code;
};

std::atomic<int> last_thread_number{1};
thread_local int this_thread_number = 1;  // the thread that runs main() is the first

}  // namespace

int ThreadNumber() { return this_thread_number; }

void Halt(int code) { throw ProgramHalt{code}; }

int RunProgram(WindowProcedure main_window) {
  int code = 0;
  MainModuleInit();
  MainModuleThreadInit();
  try {
    ProgramaPrincipal(main_window);
  } catch (const ProgramHalt& halt) {
    code = halt.code;
  }
  MainModuleThreadKill();
  MainModuleKill();
  return code;
}

std::thread StartThread(std::function<void()> body) {
  const int number = ++last_thread_number;
  return std::thread([number, body = std::move(body)] {
    this_thread_number = number;
    MainModuleThreadInit();
    body();
    MainModuleThreadKill();
  });
}

}  // namespace app
