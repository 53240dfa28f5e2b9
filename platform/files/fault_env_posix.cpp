#include <cerrno>

#include "platform/files/fault_env.h"

namespace files::test {

int FaultEnv::InjectedError() { return EIO; }

}  // namespace files::test
