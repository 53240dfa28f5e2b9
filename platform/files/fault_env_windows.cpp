#include <windows.h>

#include "platform/files/fault_env.h"

namespace files::test {

int FaultEnv::InjectedError() { return ERROR_IO_DEVICE; }

}  // namespace files::test
