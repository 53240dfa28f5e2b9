#include "platform/runtime/local_time.h"

namespace runtime {

std::tm LocalNow(int* hundredths) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  *hundredths = static_cast<int>(now.tv_nsec / 10'000'000);
  return local;
}

}  // namespace runtime
