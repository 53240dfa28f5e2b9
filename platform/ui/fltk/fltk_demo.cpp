// A small window on the real screen, for the smoke test under a virtual X server: a
// person types a user and a note, Tab moves on, and Enter on "Cerrar" asks whether to
// close. It prints what the window took from the person.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/window.h"

int main() {
  ui::FltkBackend screen;
  std::string user, note;
  const std::vector<std::string> areas{"Administración", "Contabilidad", "Nómina"};
  using ui::ControlType;
  constexpr int kClose = 8;
  ui::Window window({
      .module = "Prueba",
      .title = "Prueba de ventanas",
      .width = 440,
      .height = 330,
      .controls = {
          {.type = ControlType::String, .text = "Reconversión monetaria: configuración del año", .at = {10, 10, 420, 24}},
          {.type = ControlType::Group, .name = "?DATOS", .text = "Datos", .at = {10, 50, 420, 130}},
          {.type = ControlType::Prompt, .text = "Usuario:", .group = 2, .at = {20, 64, 80, 24}},
          {.type = ControlType::Entry, .name = "?USUARIO", .picture = "s10", .use = ui::UseCString(user, 20), .group = 2, .at = {100, 64, 150, 24}, .tip = "Usuario", .message = "Indique el código o nombre de usuario asignado."},
          {.type = ControlType::Prompt, .text = "Nota:", .group = 2, .at = {20, 96, 80, 24}},
          {.type = ControlType::Text, .name = "?NOTA", .use = ui::UseText(note), .group = 2, .at = {100, 96, 320, 74}},
          {.type = ControlType::List, .name = "?AREAS", .text = "ÁREAS DE DATOS", .rows = &areas, .at = {10, 206, 300, 80}, .monospace = true},
          {.type = ControlType::Button, .name = "?CERRAR", .text = "&Cerrar", .at = {330, 256, 100, 30}},
      }});
  window.Open();
  int answer = 0;
  while (window.NextEvent()) {
    if (window.Event() == ui::event::CloseWindow) window.Close();
    if (window.Accepted() == kClose) {
      answer = ui::Message("¿Cerrar la ventana de prueba?", "Confirmar, por favor...",
                           ui::Icon::Question, "&Si|&No", 1);
      if (answer == 1) window.Close();
    }
  }
  std::printf("usuario=%s\nnota=%s\nrespuesta=%d\n", user.c_str(), note.c_str(), answer);
  return 0;
}
