// Dates and times as the runtime counts them. Record fields and variables hold these
// numbers (LONG), so the units below are part of the data files' meaning.
//
// Day number: day 1 is 1 January 1800, day 2 is 2 January 1800, and so on, one per day of
// the Gregorian calendar up to 31 December 9999 (day 2994988). Day 0 means "no date".
// Clock value: hundredths of a second since midnight, plus one: 1 is 00:00:00.00 and
// 8640000 is 23:59:59.99. Clock value 0 means "no time". Both count local time.
#pragma once

#include <cstdint>
#include <optional>

namespace runtime {

constexpr int32_t kLastDayNumber = 2994988;  // 31 December 9999
constexpr int32_t kLastClockValue = 8640000;  // 23:59:59.99

struct CivilDate {
  int year;
  int month;  // 1 to 12
  int day;    // 1 to 31
};

struct TimeOfDay {
  int hour;  // 0 to 23
  int minute;
  int second;
  int hundredths;
};

// The day number of a date; 0 when there is no such date in the range above.
int32_t DayNumber(const CivilDate& date);
// The date of a day number; nullopt for 0 and for numbers outside the range.
std::optional<CivilDate> DateOfDay(int32_t day);

// The clock value of a time of day; 0 when a part is out of its range.
int32_t ClockValue(const TimeOfDay& time);
// The time of day of a clock value; nullopt for 0 and for values outside the range.
std::optional<TimeOfDay> TimeOfClock(int32_t clock);

// TODAY() and CLOCK(): the local date and time now.
int32_t Today();
int32_t Clock();

}  // namespace runtime
