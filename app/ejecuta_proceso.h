// The window procedure "EjecutaProceso": the conversion run over the suite's tables.
#pragma once

namespace app {

void EjecutaProceso();

}  // namespace app
