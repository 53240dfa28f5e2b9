#include "app/ejecuta_bckrest_def.h"

#include "app/pictures.h"
#include "platform/runtime/picture.h"

namespace app {
namespace {

using ui::ControlType;

constexpr const char* kAmountPicture = "n-23.2";

// A DECIMAL(17,2) entry shown through its picture. What the person typed is taken when
// it is a number that the variable can hold; anything else leaves the variable as it was,
// and the entry shows that value again.
ui::Use UseAmount(runtime::Decimal& variable) {
  return {.get = [&variable] { return runtime::FormatNumber(variable, kAmountPicture); },
          .set = [&variable](const std::string& text) {
            if (auto typed = runtime::Decimal::Parse(runtime::Deformat(text))) {
              if (auto fitted = typed->Fit(17, 2)) variable = *fitted;
            }
          }};
}

// Both lists: one column, left-aligned with an indent of 2, resizable, headed
// "RESULTADOS DEL PROCESO", showing each line through "s120", in a fixed-width font.
ui::ControlDescription LogList(const char* name, const std::vector<std::string>* rows, ui::Box at) {
  return {.type = ControlType::List, .name = name, .text = "RESULTADOS DEL PROCESO",
          .picture = "s120", .rows = rows, .at = at, .monospace = true};
}

}  // namespace

ui::WindowDescription EjecutaBCKRESTDescription(EjecutaBCKRESTLocals& loc) {
  return {
      .module = "Dinarvex$Dinvx003",
      .label = "P1$WINDOW",
      .title = "Copia de respaldo y restauración",
      .width = 1000,
      .height = 624,
      .controls = {
          {.type = ControlType::String, .text = "SORVANE  ·  reconversor", .at = {10, 14, 700, 28}},
          {.type = ControlType::Line, .at = {10, 54, 980, 2}},
          {.type = ControlType::String, .text = "copia de respaldo", .at = {10, 64, 300, 22}},
          {.type = ControlType::Button, .name = "?BTN_COPIAR", .text = "ejecutar copia",
           .at = {10, 90, 300, 30}},
          LogList("?LIST1", &loc.backup_list, {320, 64, 670, 242}),
          {.type = ControlType::Button, .name = "?BTN_RESTAURAR", .text = "ejecutar restauración",
           .at = {10, 346, 300, 30}},
          {.type = ControlType::Text, .name = "?LOC:RESTORE", .use = ui::UseString(loc.RESTORE, 2000),
           .at = {10, 382, 300, 180}, .read_only = true},
          {.type = ControlType::String, .text = "restauración", .at = {10, 320, 300, 22}},
          {.type = ControlType::Text, .name = "?LOC:BACKUP", .use = ui::UseString(loc.BACKUP, 2000),
           .at = {10, 126, 300, 180}, .read_only = true},
          {.type = ControlType::Button, .name = "?CLOSE", .text = "cerrar", .at = {890, 582, 100, 30}},
          LogList("?LIST2", &loc.restore_list, {320, 320, 670, 242}),
          {.type = ControlType::Button, .name = "?BUTTON4", .text = "ejecutar reconversión",
           .at = {10, 582, 300, 30}},
          {.type = ControlType::String, .name = "?MONTOS", .picture = "s20",
           .use = ui::UseString(loc.MONTOS, 20), .at = {706, 584, 160, 26}},
          {.type = ControlType::Prompt, .text = "Monto Prueba:", .at = {326, 584, 110, 26}},
          {.type = ControlType::Entry, .name = "?MONTOX", .picture = kAmountPicture,
           .use = UseAmount(loc.MONTOX), .at = {436, 584, 190, 26}},
          {.type = ControlType::Button, .name = "?BUTTON5", .text = "Calc", .at = {636, 583, 60, 28}},
          {.type = ControlType::Image, .at = {934, 4, 56, 44}, .image = kHomePicture},
      }};
}

}  // namespace app
