#include "app/main_window_def.h"

#include "app/globals.h"
#include "app/pictures.h"
#include "platform/runtime/picture.h"

namespace app {
namespace {

using ui::ControlType;

template <size_t N>
ui::Use UseGlobal(CStringVar<N>& variable) {
  return {.get = [&variable] { return variable.value(); },
          .set = [&variable](const std::string& text) { variable = text; }};
}

ui::Use ShowText(std::string_view text) {
  return {.get = [text] { return std::string(text); }};
}

}  // namespace

ui::WindowDescription MainWindowDescription(MainLocals& loc) {
  return {
      .module = "Dinarvex$Dinvx001",
      .label = "P1$WINDOW",
      .title = "Reconversión monetaria",
      .width = 520,
      .height = 470,
      .background = kBackgroundPicture,
      .controls = {
          {.type = ControlType::String, .name = "?DCT:VERSION", .picture = "s12",
           .use = ShowText(DCT::VERSION), .at = {420, 10, 90, 20}},
          {.type = ControlType::String, .text = "Factor de Reconversión:", .at = {10, 10, 190, 20}},
          {.type = ControlType::String, .name = "?GLO:FACTORC",
           .use = {.get = [] { return runtime::FormatNumber(GLO::FACTORC, "n-19.2"); }},
           .at = {200, 10, 160, 20}},
          {.type = ControlType::String, .text = "reconversor", .at = {10, 36, 200, 20}},
          {.type = ControlType::Line, .at = {10, 62, 500, 2}},
          {.type = ControlType::String, .text = "SORVANE  ·  Reconversión monetaria",
           .at = {10, 70, 500, 30}},
          {.type = ControlType::String, .text = "Empresa:", .at = {10, 112, 70, 20}},
          {.type = ControlType::Text, .name = "?LOC:EMPRESA", .use = ui::UseCString(loc.EMPRESA, 111),
           .at = {80, 108, 430, 40}, .read_only = true},
          {.type = ControlType::Line, .at = {10, 156, 500, 2}},
          {.type = ControlType::Group, .name = "?LOGIN", .text = "Login", .at = {10, 172, 500, 150}},
          {.type = ControlType::Prompt, .text = "Usuario:", .group = 10, .at = {30, 192, 80, 24}},
          {.type = ControlType::Entry, .name = "?GLO:CODUSER", .picture = "s10",
           .use = UseGlobal(GLO::CODUSER), .group = 10, .at = {120, 192, 160, 24},
           .tip = "Usuario", .message = "Indique el código o nombre de usuario asignado."},
          {.type = ControlType::Prompt, .text = "Clave:", .group = 10, .at = {30, 226, 80, 24}},
          {.type = ControlType::Entry, .name = "?LOC:CLAVE", .picture = "s10",
           .use = ui::UseCString(loc.CLAVE, 21), .group = 10, .at = {120, 226, 160, 24},
           .password = true, .tip = "Clave Secreta del usuario",
           .message = "Indique la clave secreta asignada."},
          {.type = ControlType::Button, .name = "?BTN_INICIAR", .text = "Iniciar sesión", .group = 10,
           .at = {120, 262, 160, 28}, .disabled = true},
          {.type = ControlType::Group, .name = "?INFO", .text = "Info", .at = {10, 172, 500, 150},
           .hidden = true},
          {.type = ControlType::Text, .name = "?INFOSTRING", .use = ui::UseString(loc.INFOSTRING, 2000),
           .group = 16, .at = {20, 182, 480, 134}, .read_only = true},
          {.type = ControlType::String, .name = "?LOC:MENSAJE", .picture = "s100",
           .use = ui::UseCString(loc.MENSAJE, 111), .at = {10, 326, 500, 22}},
          {.type = ControlType::Line, .at = {10, 352, 500, 2}},
          {.type = ControlType::Button, .name = "?BTN_BACKUP", .text = "Procesos Copia o Restauración",
           .at = {10, 358, 240, 30}, .hidden = true, .disabled = true},
          {.type = ControlType::Button, .name = "?BTN_PROCESO", .text = "Ejecutar Proceso",
           .at = {270, 358, 240, 30}, .hidden = true, .disabled = true},
          {.type = ControlType::Button, .name = "?SALIR", .text = "salir", .at = {410, 396, 100, 30}},
          {.type = ControlType::Entry, .name = "?GLO:RUTAPROGLONG", .picture = "s199",
           .use = UseGlobal(GLO::RUTAPROGLONG), .at = {10, 436, 500, 24}},
      }};
}

}  // namespace app
