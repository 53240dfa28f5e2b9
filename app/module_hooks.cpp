#include "app/module_hooks.h"

#include "app/globals.h"
#include "app/program_run.h"
#include "catalogue/catalogue.h"
#include "platform/library/window_manager.h"

namespace app {

void MainModuleInit() {
  InitGlobals();
  FuzzyMatcherGlobal.emplace();
  ErrorManagerGlobal.emplace();
  IniStoreGlobal.emplace();
}

void MainModuleKill() {
  IniStoreGlobal.reset();
  ErrorManagerGlobal.reset();
  FuzzyMatcherGlobal.reset();
}

void MainModuleThreadInit() {
  library::ThreadWindowGlobals() = {};
  CatalogThreadStart();
}

void CatalogThreadStart() {
  if (ThreadNumber() != 1) catalogue::CatalogInit(*ErrorManagerGlobal);
}

void MainModuleThreadKill() { catalogue::CatalogKill(); }

}  // namespace app
