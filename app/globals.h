// The program's process-wide globals, given their initial values at program start.
#pragma once

#include "platform/runtime/decimal.h"

namespace app::GLO {

// The conversion factor, a DECIMAL(9,2): every old amount is divided by it.
extern runtime::Decimal FACTORC;

}  // namespace app::GLO
