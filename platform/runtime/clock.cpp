#include "platform/runtime/clock.h"

#include <chrono>
#include <ctime>

#include "platform/runtime/local_time.h"

namespace runtime {
namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

// The day before day 1.
constexpr sys_days kDayZero = sys_days(std::chrono::year(1799) / 12 / 31);

}  // namespace

int32_t DayNumber(const CivilDate& date) {
  const year_month_day ymd{std::chrono::year(date.year), std::chrono::month(static_cast<unsigned>(date.month)),
                           std::chrono::day(static_cast<unsigned>(date.day))};
  if (date.year < 1800 || date.year > 9999 || date.month < 1 || date.day < 1 || !ymd.ok()) return 0;
  return static_cast<int32_t>((sys_days(ymd) - kDayZero).count());
}

std::optional<CivilDate> DateOfDay(int32_t day) {
  if (day < 1 || day > kLastDayNumber) return std::nullopt;
  const year_month_day ymd{kDayZero + std::chrono::days(day)};
  return CivilDate{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                   static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

int32_t ClockValue(const TimeOfDay& t) {
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 ||
      t.hundredths < 0 || t.hundredths > 99) {
    return 0;
  }
  return ((t.hour * 60 + t.minute) * 60 + t.second) * 100 + t.hundredths + 1;
}

std::optional<TimeOfDay> TimeOfClock(int32_t clock) {
  if (clock < 1 || clock > kLastClockValue) return std::nullopt;
  const int32_t h = clock - 1;
  return TimeOfDay{h / 360000, h / 6000 % 60, h / 100 % 60, h % 100};
}

int32_t Today() {
  int hundredths = 0;
  const struct tm now = LocalNow(&hundredths);
  return DayNumber({now.tm_year + 1900, now.tm_mon + 1, now.tm_mday});
}

int32_t Clock() {
  int hundredths = 0;
  const struct tm now = LocalNow(&hundredths);
  // A leap second (tm_sec 60) reads as the last hundredth of its minute.
  if (now.tm_sec > 59) return ClockValue({now.tm_hour, now.tm_min, 59, 99});
  return ClockValue({now.tm_hour, now.tm_min, now.tm_sec, hundredths});
}

}  // namespace runtime
