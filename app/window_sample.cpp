// One of the program's windows as it looks freshly opened, with chosen controls showing
// chosen texts and nothing shown before them; or one message box. The screen tests
// compare a control of the running program with the same control here.
//   window_sample main|backup|conversion [CONTROL=TEXT ...]
//   window_sample box TEXT [ICON BUTTONS DEFAULT]
// ICON is information (the default), question, exclamation or error; BUTTONS as a message
// box takes them ("&Si|&No"), DEFAULT the number of the default button.
// Its window is titled "Muestra", so that the tests find it beside the program's own.
// It stays until its window is closed.
#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "app/ejecuta_bckrest_def.h"
#include "app/ejecuta_proceso_def.h"
#include "app/main_window_def.h"
#include "app/module_hooks.h"
#include "platform/ui/backend.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/window.h"

namespace {

constexpr const char* kTitle = "Muestra";

// Makes the named control show `text` and nothing else.
bool SetText(ui::WindowDescription& described, std::string_view assignment) {
  const size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string name(assignment.substr(0, equals));
  const std::string text(assignment.substr(equals + 1));
  for (ui::ControlDescription& c : described.controls) {
    if (c.name != name) continue;
    c.text = text;
    c.use = {.get = [text] { return text; }};
    return true;
  }
  return false;
}

// A window is mapped a moment after it opens and drawn once the screen asks for it, all
// within the event loop's first turns; the tests take their picture once "ready" appears
// on the standard output, a little after that.
void SayReadySoon() {
  Fl::add_timeout(0.3, [](void*) {
    std::printf("ready\n");
    std::fflush(stdout);
  });
}

// The icon a box's ICON argument names; false for no such icon.
bool IconNamed(std::string_view name, ui::Icon* icon) {
  constexpr std::pair<std::string_view, ui::Icon> kIcons[] = {{"information", ui::Icon::Information},
                                                             {"question", ui::Icon::Question},
                                                             {"exclamation", ui::Icon::Exclamation},
                                                             {"error", ui::Icon::Error}};
  for (const auto& [known, value] : kIcons) {
    if (name != known) continue;
    *icon = value;
    return true;
  }
  return false;
}

int Show(ui::WindowDescription described, int argc, char** argv) {
  described.title = kTitle;
  for (int i = 2; i < argc; ++i) {
    if (!SetText(described, argv[i])) {
      std::fprintf(stderr, "no such control: %s\n", argv[i]);
      return 2;
    }
  }
  ui::Window window(std::move(described));
  window.Open();
  SayReadySoon();
  while (window.NextEvent()) {
    if (window.Event() == ui::event::CloseWindow) window.Close();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc > 1 ? argv[1] : "";
  ui::FltkBackend screen;
  app::MainModuleInit();  // the factor and the other globals the main window shows
  app::MainLocals main_locals;
  app::EjecutaBCKRESTLocals backup_locals;
  app::EjecutaProcesoLocals conversion_locals;
  int code = 2;
  if (kind == "main") {
    code = Show(app::MainWindowDescription(main_locals), argc, argv);
  } else if (kind == "backup") {
    code = Show(app::EjecutaBCKRESTDescription(backup_locals), argc, argv);
  } else if (kind == "conversion") {
    code = Show(app::EjecutaProcesoDescription(conversion_locals), argc, argv);
  } else if (ui::Icon icon = ui::Icon::Information;
             kind == "box" && (argc == 3 || (argc == 6 && IconNamed(argv[3], &icon)))) {
    SayReadySoon();
    ui::Message(argv[2], kTitle, icon, argc == 6 ? argv[4] : ui::kOkButton, argc == 6 ? std::atoi(argv[5]) : 1);
    code = 0;
  } else {
    std::fprintf(stderr, "uso: %s main|backup|conversion [CONTROL=TEXTO ...] | box TEXTO [ICONO BOTONES DEFECTO]\n",
                 argv[0]);
  }
  app::MainModuleKill();
  return code;
}
