#include "app/ejecuta_bckrest.h"

#include "platform/ui/backend.h"

namespace app {

// The backup window is not part of the program yet: it says so and returns.
void EjecutaBCKREST() {
  ui::Message("Procesos de copia y restauración: todavía no disponibles.", "Información",
              ui::Icon::Information);
}

}  // namespace app
