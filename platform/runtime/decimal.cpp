#include "platform/runtime/decimal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace runtime {
namespace {

__extension__ typedef unsigned __int128 UInt128;

constexpr std::array<Int128, Decimal::kMaxDigits + 1> MakePowers() {
  std::array<Int128, Decimal::kMaxDigits + 1> p{};
  p[0] = 1;
  for (size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
  return p;
}
constexpr std::array<Int128, Decimal::kMaxDigits + 1> kPow10 = MakePowers();

Int128 Abs128(Int128 v) { return v < 0 ? -v : v; }

bool MulOverflows(Int128 a, Int128 b, Int128* out) { return __builtin_mul_overflow(a, b, out); }

// *v × 10^by; false when that does not fit 128 bits (*v is then unspecified).
bool ScaleUp(Int128* v, int by) {
  if (*v == 0) return true;
  return by <= Decimal::kMaxDigits && !MulOverflows(*v, kPow10[static_cast<size_t>(by)], v);
}

// Writes the magnitude's digits, most significant first ("0" for zero), so that they end
// just before `end`; returns where they start. Magnitudes that fit 64 bits (all amounts)
// take the far cheaper 64-bit division.
char* WriteDigits(Int128 v, char* end) {
  UInt128 m = static_cast<UInt128>(Abs128(v));
  char* p = end;
  while (m > UINT64_MAX) {
    *--p = static_cast<char>('0' + static_cast<int>(m % 10));
    m /= 10;
  }
  uint64_t small = static_cast<uint64_t>(m);
  do {
    *--p = static_cast<char>('0' + static_cast<int>(small % 10));
    small /= 10;
  } while (small != 0);
  return p;
}

// units × 10^-places as text with exactly `places` decimals.
std::string FixedText(Int128 units, int places) {
  // At most kMaxDigits + 1 digits, the zeros before them, a sign and a point.
  char buf[Decimal::kMaxDigits + Decimal::kMaxPlaces + 4];
  char* const end = buf + sizeof buf;
  char* digits = WriteDigits(units, end);
  const auto wanted = static_cast<ptrdiff_t>(places) + 1;  // at least one integer digit
  while (end - digits < wanted) *--digits = '0';
  const size_t count = static_cast<size_t>(end - digits);
  const size_t whole = count - static_cast<size_t>(places);
  std::string out;
  out.reserve(count + 2);
  if (units < 0) out += '-';
  out.append(digits, whole);
  if (places > 0) {
    out += '.';
    out.append(digits + whole, static_cast<size_t>(places));
  }
  return out;
}

// A packed byte's two digits as the number 0 to 99, or kNotDigits when either half-byte is
// above 9; and the other way round.
constexpr uint8_t kNotDigits = 0xFF;
constexpr std::array<uint8_t, 256> kPackedValue = [] {
  std::array<uint8_t, 256> v{};
  for (int b = 0; b < 256; ++b) v[b] = (b >> 4) > 9 || (b & 0x0F) > 9 ? kNotDigits : static_cast<uint8_t>((b >> 4) * 10 + (b & 0x0F));
  return v;
}();
constexpr std::array<uint8_t, 100> kPackedByte = [] {
  std::array<uint8_t, 100> b{};
  for (int v = 0; v < 100; ++v) b[v] = static_cast<uint8_t>((v / 10) << 4 | v % 10);
  return b;
}();

// Writes the packed digits of a magnitude that fits the field's `size` bytes, with the sign
// half-byte: the last byte holds the lowest digit and the sign, every byte before it two
// digits. Instantiated for 64 bits (every amount a record holds: divisions by a constant,
// which compile to multiplications) and for 128. Eight digits at a time are split in halves
// and quarters, so that most divisions do not wait for one another; the leading zeros are
// written as such.
template <typename Magnitude>
void WritePacked(Magnitude magnitude, bool negative, uint8_t* field, size_t size) {
  field[size - 1] = static_cast<uint8_t>(static_cast<int>(magnitude % 10) << 4 | (negative ? 0xD : 0x0));
  magnitude /= 10;
  size_t i = size - 1;
  for (; i >= 4; i -= 4) {
    if (magnitude == 0) break;
    const auto eight = static_cast<uint32_t>(magnitude % 100000000);
    magnitude /= 100000000;
    const uint32_t high = eight / 10000, low = eight % 10000;
    field[i - 1] = kPackedByte[low % 100];
    field[i - 2] = kPackedByte[low / 100];
    field[i - 3] = kPackedByte[high % 100];
    field[i - 4] = kPackedByte[high / 100];
  }
  if (magnitude == 0) {
    std::memset(field, 0, i);
    return;
  }
  for (; i > 0; --i) {
    field[i - 1] = kPackedByte[static_cast<size_t>(magnitude % 100)];
    magnitude /= 100;
  }
}

}  // namespace

Decimal Decimal::Make(Int128 units, int places) {
  if (Abs128(units) >= kPow10[kMaxDigits]) throw DecimalError("decimal result beyond 38 digits");
  return Decimal(units, places);
}

Decimal Decimal::WithPlaces(int places) const {
  if (places <= places_) return *this;
  Int128 units = units_;
  if (!ScaleUp(&units, places - places_)) throw DecimalError("decimal result beyond 38 digits");
  return Make(units, places);
}

std::optional<Decimal> Decimal::Parse(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty()) return Decimal();
  while (text.back() == ' ') text.remove_suffix(1);
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);

  size_t point = 0;
  while (point < text.size() && text[point] != '.') ++point;
  const std::string_view whole = text.substr(0, point);
  std::string_view fraction = point == text.size() ? std::string_view() : text.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);  // trailing zeros say nothing
  if (fraction.size() > static_cast<size_t>(kMaxPlaces)) return std::nullopt;

  // The first 18 digits are gathered in 64 bits (the digit limit cannot be reached there),
  // the rest in 128.
  uint64_t small = 0;
  int small_digits = 0;
  Int128 units = 0;
  for (const std::string_view part : {whole, fraction}) {
    for (const char c : part) {
      if (c < '0' || c > '9') return std::nullopt;
      if (small_digits < 18) {
        small = small * 10 + static_cast<uint64_t>(c - '0');
        ++small_digits;
        continue;
      }
      if (small_digits == 18) {
        units = static_cast<Int128>(small);
        ++small_digits;
      }
      if (units >= kPow10[kMaxDigits - 1]) return std::nullopt;
      units = units * 10 + (c - '0');
    }
  }
  if (small_digits <= 18) units = static_cast<Int128>(small);
  return Decimal(negative ? -units : units, static_cast<int>(fraction.size()));
}

std::string Decimal::ToText() const {
  std::string text = FixedText(units_, places_);
  if (places_ > 0) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

std::string Decimal::ToFixedText(int places) const {
  const Decimal r = Round(places).WithPlaces(places);
  return FixedText(r.units_, r.places_);
}

double Decimal::ToDouble() const { return std::strtod(ToText().c_str(), nullptr); }

Decimal Decimal::Truncate(int places) const {
  if (places >= places_) return *this;
  return Decimal(units_ / kPow10[static_cast<size_t>(places_ - places)], places);
}

Decimal Decimal::Round(int places) const {
  if (places >= places_) return *this;
  const Int128 scale = kPow10[static_cast<size_t>(places_ - places)];
  Int128 q = units_ / scale;
  const Int128 r = Abs128(units_ % scale);
  if (r >= scale - r) q += units_ < 0 ? -1 : 1;  // r >= scale / 2 without overflow
  return Decimal(q, places);
}

std::optional<Decimal> Decimal::Fit(int digits, int places) const {
  const Decimal r = Round(places);
  // The integer part needs more than digits - places digits exactly when the units reach
  // 10^(digits - places + r.places_); no Decimal reaches 10^kMaxDigits. Compared so, the
  // test needs no 128-bit division.
  const int limit = digits - places + r.places_;
  if (limit < kMaxDigits && Abs128(r.units_) >= kPow10[static_cast<size_t>(limit)]) return std::nullopt;
  return r;
}

Decimal operator+(const Decimal& a, const Decimal& b) {
  const int places = std::max(a.places_, b.places_);
  Int128 sum;
  if (__builtin_add_overflow(a.WithPlaces(places).units_, b.WithPlaces(places).units_, &sum)) {
    throw DecimalError("decimal result beyond 38 digits");
  }
  return Decimal::Make(sum, places);
}

Decimal operator-(const Decimal& a, const Decimal& b) { return a + -b; }

Decimal operator*(const Decimal& a, const Decimal& b) {
  Int128 product;
  if (MulOverflows(a.units_, b.units_, &product)) throw DecimalError("decimal result beyond 38 digits");
  const int places = a.places_ + b.places_;
  return Decimal::Make(product, places).Truncate(Decimal::kMaxPlaces);
}

Decimal Decimal::Divide(const Decimal& dividend, const Decimal& divisor, int places) {
  if (divisor.units_ == 0) throw DecimalError("decimal division by zero");
  // dividend / divisor = (u1 / u2) × 10^(p2 - p1); scaled to `places` decimals the
  // quotient's units are u1 × 10^shift / u2 with shift = places + p2 - p1.
  const int shift = places + divisor.places_ - dividend.places_;
  Int128 numerator = dividend.units_, denominator = divisor.units_;
  if (shift >= 0) {
    if (!ScaleUp(&numerator, shift)) throw DecimalError("decimal result beyond 38 digits");
  } else if (!ScaleUp(&denominator, -shift)) {
    return Decimal(0, places);  // the denominator outgrows any numerator: quotient cut to 0
  }
  return Make(numerator / denominator, places);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
  if (a.Sign() != b.Sign()) return a.Sign() <=> b.Sign();
  // Same sign: compare magnitudes on a common scale. When scaling one up overflows, that
  // one's magnitude exceeds every Decimal, so it is the larger.
  Int128 ma = Abs128(a.units_), mb = Abs128(b.units_);
  bool a_larger = false, b_larger = false;
  if (a.places_ < b.places_) {
    a_larger = !ScaleUp(&ma, b.places_ - a.places_);
  } else if (b.places_ < a.places_) {
    b_larger = !ScaleUp(&mb, a.places_ - b.places_);
  }
  std::strong_ordering magnitude = a_larger   ? std::strong_ordering::greater
                                   : b_larger ? std::strong_ordering::less
                                              : ma <=> mb;
  return a.Sign() < 0 ? 0 <=> magnitude : magnitude;
}

bool IsNumeric(std::string_view text) {
  return text.find_first_not_of(' ') != std::string_view::npos && Decimal::Parse(text).has_value();
}

std::string Deformat(std::string_view text) {
  std::string out(text.size(), '\0');
  size_t kept = 0;
  for (const char c : text) {
    if (c != ' ' && c != ',') out[kept++] = c;
  }
  out.resize(kept);
  return out;
}

std::string RealToText(double value) {
  if (!std::isfinite(value)) return "0";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", value);  // d.dddddddddddddde±x: 15 digits
  const std::string s = buf;
  const bool negative = s[0] == '-';
  const size_t start = negative ? 1 : 0;
  std::string digits = s.substr(start, 1) + s.substr(start + 2, 14);
  const int exponent = std::atoi(s.c_str() + s.find('e') + 1);
  digits.erase(digits.find_last_not_of('0') + 1);
  if (digits.empty()) return "0";
  // digits d1 d2 ... dn stand for 0.d1d2...dn × 10^(exponent + 1).
  const int point = exponent + 1;
  std::string out = negative ? "-" : "";
  if (point <= 0) {
    out += "0." + std::string(static_cast<size_t>(-point), '0') + digits;
  } else if (point >= static_cast<int>(digits.size())) {
    out += digits + std::string(static_cast<size_t>(point) - digits.size(), '0');
  } else {
    out += digits.substr(0, static_cast<size_t>(point)) + "." + digits.substr(static_cast<size_t>(point));
  }
  return out;
}

std::optional<Decimal> LoadDecimalField(const uint8_t* field, int digits, int places) {
  const size_t size = DecimalFieldSize(digits);
  const int sign = field[size - 1] & 0x0F;
  if (sign != 0x0 && sign != 0xD) return std::nullopt;
  // Two digits a byte, then the last digit beside the sign; gathered in 64 bits for the
  // first nine bytes (18 digits and the last one fit), in 128 beyond.
  const size_t pairs = size - 1, head_pairs = std::min<size_t>(pairs, 9);
  uint64_t head = 0;
  size_t i = 0;
  while (i < head_pairs && field[i] == 0) ++i;  // leading zeros
  for (; i < head_pairs; ++i) {
    const uint8_t two = kPackedValue[field[i]];
    if (two == kNotDigits) return std::nullopt;
    head = head * 100 + two;
  }
  const int last = field[size - 1] >> 4;
  if (last > 9) return std::nullopt;
  Int128 units;
  if (pairs == head_pairs) {
    units = static_cast<Int128>(head * 10 + static_cast<uint64_t>(last));
  } else {
    units = static_cast<Int128>(head);
    for (; i < pairs; ++i) {
      const uint8_t two = kPackedValue[field[i]];
      if (two == kNotDigits) return std::nullopt;
      units = units * 100 + two;
    }
    units = units * 10 + last;
  }
  return Decimal::FromUnits(sign == 0xD ? -units : units, places);
}

bool StoreDecimalField(uint8_t* field, int digits, int places, const Decimal& value) {
  // A value with the field's places (every converted amount) needs no rounding: it fits
  // when its units have at most `digits` digits.
  Int128 units = value.Units();
  if (value.Places() != places) {
    const std::optional<Decimal> fitted = value.Fit(digits, places);
    if (!fitted) return false;
    units = fitted->UnitsAt(places);
  } else if (digits < Decimal::kMaxDigits && Abs128(units) >= kPow10[static_cast<size_t>(digits)]) {
    return false;
  }
  const auto magnitude = static_cast<UInt128>(Abs128(units));
  const size_t size = DecimalFieldSize(digits);
  if (magnitude <= UINT64_MAX) {
    WritePacked(static_cast<uint64_t>(magnitude), units < 0, field, size);
  } else {
    WritePacked(magnitude, units < 0, field, size);
  }
  return true;
}

std::optional<std::string> DecimalFieldText(const uint8_t* field, int digits, int places) {
  const std::optional<Decimal> value = LoadDecimalField(field, digits, places);
  if (!value) return std::nullopt;
  return value->ToText();
}

std::optional<double> LoadDecimalFieldAsDouble(const uint8_t* field, int digits, int places) {
  const std::optional<Decimal> value = LoadDecimalField(field, digits, places);
  if (!value) return std::nullopt;
  return value->ToDouble();
}

}  // namespace runtime
