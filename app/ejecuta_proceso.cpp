#include "app/ejecuta_proceso.h"

#include "platform/ui/backend.h"

namespace app {

// The conversion window is not part of the program yet: it says so and returns.
void EjecutaProceso() {
  ui::Message("Proceso de reconversión: todavía no disponible.", "Información",
              ui::Icon::Information);
}

}  // namespace app
