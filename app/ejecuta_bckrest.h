// The window procedure "EjecutaBCKREST": backup and restore of the suite's data areas.
#pragma once

namespace app {

void EjecutaBCKREST();

}  // namespace app
