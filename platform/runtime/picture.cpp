#include "platform/runtime/picture.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

#include "platform/runtime/clock.h"
#include "platform/runtime/text.h"

namespace runtime {
namespace {

[[noreturn]] void BadPicture(std::string_view picture) {
  throw std::invalid_argument("unknown picture: " + std::string(picture));
}

// A count of 1 to 255 that makes up all of `text`; 0 otherwise.
int Count(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 255) return 0;
  return value;
}

}  // namespace

std::string FormatNumber(const Decimal& value, std::string_view picture) {
  if (!picture.starts_with("n-")) BadPicture(picture);
  std::string_view rest = picture.substr(2);
  const bool grouped = !rest.starts_with('_');
  if (!grouped) rest.remove_prefix(1);
  const size_t point = rest.find('.');
  const int width = Count(rest.substr(0, point));
  const int places = point == std::string_view::npos ? 0 : Count(rest.substr(point + 1));
  if (width == 0 || (point != std::string_view::npos && places == 0) || places > Decimal::kMaxPlaces) {
    BadPicture(picture);
  }

  std::string plain = value.ToFixedText(places);  // "-1234.50"
  std::string text;
  if (grouped) {
    const size_t first = plain[0] == '-' ? 1 : 0;
    const size_t end = plain.find('.') == std::string::npos ? plain.size() : plain.find('.');
    text = plain.substr(0, first);
    for (size_t i = first; i < end; ++i) {
      if (i > first && (end - i) % 3 == 0) text += ',';
      text += plain[i];
    }
    text += plain.substr(end);
  } else {
    text = std::move(plain);
  }
  if (text.size() > static_cast<size_t>(width)) return std::string(static_cast<size_t>(width), '#');
  return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

std::string FormatText(std::string_view utf8, std::string_view picture) {
  if (!picture.starts_with('s')) BadPicture(picture);
  const int width = Count(picture.substr(1));
  if (width == 0) BadPicture(picture);
  return FitString(utf8, static_cast<size_t>(width));
}

std::string FormatDate(int32_t day, std::string_view picture) {
  if (picture != "D06" && picture != "d06") BadPicture(picture);
  const std::optional<CivilDate> date = DateOfDay(day);
  if (!date) return std::string(10, ' ');
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", date->day, date->month, date->year);
  return buf;
}

std::string FormatTime(int32_t clock, std::string_view picture) {
  if (picture != "T3") BadPicture(picture);
  const std::optional<TimeOfDay> time = TimeOfClock(clock);
  if (!time) return std::string(7, ' ');
  const int hour12 = time->hour % 12 == 0 ? 12 : time->hour % 12;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d%s", hour12, time->minute, time->hour < 12 ? "AM" : "PM");
  return buf;
}

}  // namespace runtime
