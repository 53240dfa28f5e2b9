#include "app/main_window.h"
#include "app/program_run.h"
#include "platform/ui/fltk/fltk_backend.h"

int main() {
  ui::FltkBackend screen;
  return app::RunProgram(&app::Main);
}
