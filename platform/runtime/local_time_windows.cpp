#include "platform/runtime/local_time.h"

#include <windows.h>

namespace runtime {

std::tm LocalNow(int* hundredths) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  std::tm local{};
  local.tm_year = now.wYear - 1900;
  local.tm_mon = now.wMonth - 1;
  local.tm_mday = now.wDay;
  local.tm_hour = now.wHour;
  local.tm_min = now.wMinute;
  local.tm_sec = now.wSecond;
  local.tm_wday = now.wDayOfWeek;
  *hundredths = now.wMilliseconds / 10;
  return local;
}

}  // namespace runtime
