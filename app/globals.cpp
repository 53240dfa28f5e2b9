#include "app/globals.h"

namespace app::GLO {

runtime::Decimal FACTORC = runtime::Decimal::FromInt(100000);

}  // namespace app::GLO
