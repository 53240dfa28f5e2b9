#include "platform/runtime/picture.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/runtime/clock.h"

namespace runtime {
namespace {

Decimal D(std::string_view text) { return Decimal::Parse(text).value(); }

TEST(Picture, NumbersAreRightAlignedWithTheirDecimals) {
  const struct {
    const char* value;
    const char* picture;
    const char* out;
  } cases[] = {
      {"100000", "n-19.2", "         100,000.00"},
      {"-1234.5", "n-15.2", "      -1,234.50"},
      {"999.999", "n-15.2", "       1,000.00"},  // rounds half away from zero
      {"-0.004", "n-15.2", "           0.00"},
      {"123", "n-15.2", "         123.00"},
      {"999999999999999.99", "n-23.2", " 999,999,999,999,999.99"},
      {"1234.5", "n-_19.2", "            1234.50"},
      {"-0.015", "n-_19.3", "             -0.015"},
      {"2.35", "n-_19.4", "             2.3500"},
      {"-8765.43", "n-_19.5", "        -8765.43000"},
      {"1234567890123456.78", "n-_19.2", "1234567890123456.78"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatNumber(D(c.value), c.picture), c.out) << c.value << " " << c.picture;
  }
}

TEST(Picture, ANumberThatDoesNotFitShowsHashes) {
  EXPECT_EQ(FormatNumber(D("123456789012345678.9"), "n-_19.2"), std::string(19, '#'));
  EXPECT_EQ(FormatNumber(D("-1000000000000"), "n-15.2"), std::string(15, '#'));
}

TEST(Picture, TextsAreCutOrPaddedToTheirWidth) {
  EXPECT_EQ(FormatText("9.0.3", "s12"), "9.0.3       ");
  EXPECT_EQ(FormatText("añadido", "s3"), "aña");
}

TEST(Picture, DatesAreDayMonthYear) {
  EXPECT_EQ(FormatDate(DayNumber({2026, 12, 10}), "D06"), "10/12/2026");
  EXPECT_EQ(FormatDate(DayNumber({2000, 2, 29}), "d06"), "29/02/2000");
  EXPECT_EQ(FormatDate(DayNumber({1800, 1, 1}), "D06"), "01/01/1800");
  EXPECT_EQ(FormatDate(0, "D06"), "          ");
}

TEST(Picture, TimesAreOnTheTwelveHourClock) {
  const struct {
    TimeOfDay time;
    const char* out;
  } cases[] = {
      {{0, 0, 0, 0}, "12:00AM"},    {{0, 5, 59, 99}, "12:05AM"}, {{9, 7, 0, 0}, "09:07AM"},
      {{11, 59, 59, 99}, "11:59AM"}, {{12, 0, 0, 0}, "12:00PM"}, {{15, 45, 30, 0}, "03:45PM"},
      {{23, 59, 59, 99}, "11:59PM"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatTime(ClockValue(c.time), "T3"), c.out) << c.out;
  }
  EXPECT_EQ(FormatTime(0, "T3"), "       ");
}

TEST(Picture, UnknownPicturesAreRefused) {
  EXPECT_THROW(FormatNumber(D("1"), "n19.2"), std::invalid_argument);
  EXPECT_THROW(FormatNumber(D("1"), "n-x.2"), std::invalid_argument);
  EXPECT_THROW(FormatText("a", "s"), std::invalid_argument);
  EXPECT_THROW(FormatDate(1, "D6"), std::invalid_argument);
  EXPECT_THROW(FormatTime(1, "T1"), std::invalid_argument);
}

}  // namespace
}  // namespace runtime
