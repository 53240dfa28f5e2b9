// The main module's routines that the runtime calls: once for the program, and once per
// thread at its start and end. A thread's table files and record buffers belong to its
// catalogue: CatalogInit creates them and CatalogKill releases them.
#pragma once

namespace app {

// Gives the globals their initial values and builds the text matcher, the error manager
// and the settings store, in that order.
void MainModuleInit();
// Destroys the settings store, the error manager and the text matcher.
void MainModuleKill();

// The calling thread's window globals, then CatalogThreadStart.
void MainModuleThreadInit();
// Builds the calling thread's catalogue, except on the first thread, whose catalogue the
// program main builds.
void CatalogThreadStart();
// Frees the calling thread's catalogue with its table files and buffers.
void MainModuleThreadKill();

}  // namespace app
