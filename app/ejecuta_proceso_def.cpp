#include "app/ejecuta_proceso_def.h"

#include "app/pictures.h"

namespace app {

ui::WindowDescription EjecutaProcesoDescription(EjecutaProcesoLocals& loc) {
  using ui::ControlType;
  return {
      .module = "Dinarvex$Dinvx004",
      .label = "P1$WINDOW",
      .title = "Reconversión monetaria",
      .width = 720,
      .height = 520,
      .controls = {
          {.type = ControlType::String, .name = "?STRING1", .text = "Dinarvexsor", .at = {10, 14, 600, 26}},
          {.type = ControlType::Prompt, .name = "?PROMPT1",
           .text = "Este proceso convierte los datos en el sistema a la nueva forma monetaria. "
                   "Es requisito indispensable, tomar un respaldo de la información existente.",
           .at = {10, 56, 700, 40}},
          {.type = ControlType::Prompt, .name = "?PROMPT3:2",
           .text = "Si  utilizó atributos de productos en los cuales se definieron montos no serán "
                   "convertidos por este proceso, deben ser convertidos manualmente.",
           .at = {10, 100, 700, 40}},
          {.type = ControlType::Button, .name = "?BTN_EJECUTAR", .text = "procesa conversión",
           .at = {10, 148, 200, 30}, .hidden = true},
          {.type = ControlType::String, .name = "?LOC:MENSABASE", .picture = "s200",
           .use = {.get = [&loc] { return loc.mensabase; }}, .at = {10, 186, 700, 22}},
          {.type = ControlType::List, .name = "?LIST2", .text = "RESULTADOS OPERACIONES",
           .picture = "s210", .rows = &loc.log, .at = {10, 214, 700, 256}, .monospace = true},
          {.type = ControlType::Button, .name = "?CLOSE", .text = "&Cerrar", .at = {610, 480, 100, 30}},
          {.type = ControlType::Image, .name = "?IMAGE1", .at = {654, 4, 56, 44}, .image = kHomePicture},
      }};
}

}  // namespace app
