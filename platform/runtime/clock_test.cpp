#include "platform/runtime/clock.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

TEST(Clock, DayNumbersCountFromTheFirstOf1800) {
  const struct {
    CivilDate date;
    int32_t day;
  } cases[] = {
      {{1800, 1, 1}, 1},         {{1800, 3, 1}, 60},     // 1800 is no leap year
      {{1970, 1, 1}, 62092},     {{2000, 2, 29}, 73108},
      {{2026, 12, 10}, 82889},   {{9999, 12, 31}, kLastDayNumber},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DayNumber(c.date), c.day) << c.day;
    const std::optional<CivilDate> back = DateOfDay(c.day);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->year * 10000 + back->month * 100 + back->day, c.date.year * 10000 + c.date.month * 100 + c.date.day);
  }
}

TEST(Clock, ImpossibleDatesAndTimesAreZero) {
  for (const CivilDate& d : {CivilDate{1799, 12, 31}, CivilDate{2023, 2, 29}, CivilDate{2024, 13, 1},
                             CivilDate{2024, 4, 31}, CivilDate{10000, 1, 1}, CivilDate{2024, 0, 1}}) {
    EXPECT_EQ(DayNumber(d), 0) << d.year << "-" << d.month << "-" << d.day;
  }
  EXPECT_FALSE(DateOfDay(0).has_value());
  EXPECT_FALSE(DateOfDay(kLastDayNumber + 1).has_value());
  EXPECT_EQ(ClockValue({24, 0, 0, 0}), 0);
  EXPECT_EQ(ClockValue({12, 60, 0, 0}), 0);
  EXPECT_FALSE(TimeOfClock(0).has_value());
  EXPECT_FALSE(TimeOfClock(kLastClockValue + 1).has_value());
}

TEST(Clock, ClockValuesAreHundredthsAfterMidnightPlusOne) {
  EXPECT_EQ(ClockValue({0, 0, 0, 0}), 1);
  EXPECT_EQ(ClockValue({23, 59, 59, 99}), kLastClockValue);
  EXPECT_EQ(ClockValue({15, 45, 30, 25}), 5673026);
  const std::optional<TimeOfDay> t = TimeOfClock(5673026);
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->hour * 1000000 + t->minute * 10000 + t->second * 100 + t->hundredths, 15453025);
}

TEST(Clock, TodayAndClockAreInRange) {
  EXPECT_GT(Today(), DayNumber({2020, 1, 1}));
  EXPECT_TRUE(DateOfDay(Today()).has_value());
  EXPECT_TRUE(TimeOfClock(Clock()).has_value());
}

}  // namespace
}  // namespace runtime
