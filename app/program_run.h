// What the runtime does around the program's own code: it starts the main module, runs the
// first thread's start hooks, calls the program main, and ends the thread and the module;
// every further thread is started and ended through the same hooks.
#pragma once

#include <functional>
#include <thread>

namespace app {

using WindowProcedure = void (*)();

// Runs the whole program with `main_window` as its window procedure "Main" and returns
// the process's exit code.
int RunProgram(WindowProcedure main_window);

// Starts a further thread that runs `body` between the thread-start and thread-end hooks,
// so that it has its own window globals and catalogue (with its table files).
std::thread StartThread(std::function<void()> body);

// THREAD(): the calling thread's number; 1 for the program's first thread.
int ThreadNumber();

// HALT(code): ends the program in order from anywhere in the program main: the first
// thread's end and the module's end still run. Implemented by unwinding to RunProgram.
[[noreturn]] void Halt(int code);

}  // namespace app
