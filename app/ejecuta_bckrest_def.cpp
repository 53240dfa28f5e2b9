#include "app/ejecuta_bckrest_def.h"

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
      .height = 560,
      .controls = {
          {.type = ControlType::String, .text = "SORVANE  ·  reconversor", .at = {10, 10, 700, 28}},
          {.type = ControlType::Line, .at = {10, 44, 980, 2}},
          {.type = ControlType::String, .text = "copia de respaldo", .at = {10, 54, 200, 20}},
          {.type = ControlType::Button, .name = "?BTN_COPIAR", .text = "ejecutar copia",
           .at = {10, 78, 200, 30}},
          LogList("?LIST1", &loc.backup_list, {220, 54, 770, 210}),
          {.type = ControlType::Button, .name = "?BTN_RESTAURAR", .text = "ejecutar restauración",
           .at = {10, 304, 200, 30}},
          {.type = ControlType::Text, .name = "?LOC:RESTORE", .use = ui::UseString(loc.RESTORE, 2000),
           .at = {10, 340, 200, 150}, .read_only = true},
          {.type = ControlType::String, .text = "restauración", .at = {10, 280, 200, 20}},
          {.type = ControlType::Text, .name = "?LOC:BACKUP", .use = ui::UseString(loc.BACKUP, 2000),
           .at = {10, 114, 200, 150}, .read_only = true},
          {.type = ControlType::Button, .name = "?CLOSE", .text = "cerrar", .at = {890, 510, 100, 30}},
          LogList("?LIST2", &loc.restore_list, {220, 280, 770, 210}),
          {.type = ControlType::Button, .name = "?BUTTON4", .text = "ejecutar reconversión",
           .at = {10, 510, 200, 30}},
          {.type = ControlType::String, .name = "?MONTOS", .picture = "s20",
           .use = ui::UseString(loc.MONTOS, 20), .at = {590, 512, 160, 24}},
          {.type = ControlType::Prompt, .text = "Monto Prueba:", .at = {230, 514, 100, 22}},
          {.type = ControlType::Entry, .name = "?MONTOX", .picture = kAmountPicture,
           .use = UseAmount(loc.MONTOX), .at = {330, 510, 180, 26}},
          {.type = ControlType::Button, .name = "?BUTTON5", .text = "Calc", .at = {520, 510, 60, 28}},
          {.type = ControlType::Image, .at = {940, 2, 50, 40}, .image = "Home.bmp"},
      }};
}

}  // namespace app
