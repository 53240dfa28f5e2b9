#include "app/main_window.h"
#include "app/program_run.h"

int main() { return app::RunProgram(&app::Main); }
