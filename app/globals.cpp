#include "app/globals.h"

namespace app::GLO {

constinit runtime::Decimal FACTORC = runtime::Decimal::FromInt(100000);

}  // namespace app::GLO
