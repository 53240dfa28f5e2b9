// Pictures: the display formats of the program's texts.
//
//   n-W.P   a number right-aligned in W characters with P decimals (rounded half away from
//           zero), a leading "-" when negative, "," between groups of three integer
//           digits and "." before the decimals: "n-15.2" of -1234.5 is "      -1,234.50".
//   n-_W.P  the same without grouping: "n-_19.2" of 1234.5 is "            1234.50".
//           A number that does not fit in W characters shows as W "#" characters.
//   sN      a text cut or padded with blanks to N characters.
//   D06     a date as dd/mm/yyyy ("10/12/2026"); d06 is the same. No date (day 0, or a
//           number outside the calendar) shows as 10 blanks.
//   T3      a time on the 12-hour clock as hh:mm followed by AM or PM ("03:45PM",
//           midnight "12:00AM", noon "12:00PM"); seconds are not shown. No time (clock
//           value 0, or outside the day) shows as 7 blanks.
//
// A picture other than these is a programming error and throws std::invalid_argument.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/runtime/decimal.h"

namespace runtime {

std::string FormatNumber(const Decimal& value, std::string_view picture);
std::string FormatText(std::string_view utf8, std::string_view picture);
std::string FormatDate(int32_t day, std::string_view picture);
std::string FormatTime(int32_t clock, std::string_view picture);

}  // namespace runtime
