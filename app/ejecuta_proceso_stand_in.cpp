// Stands in for the conversion window in the tests until the real one is built here.
#include "app/ejecuta_proceso.h"

namespace app {

void EjecutaProceso() {}

}  // namespace app
