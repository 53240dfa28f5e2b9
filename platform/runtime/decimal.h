// Exact decimal numbers: the value type of every money amount, the text conversions the
// program relies on, and the packed DECIMAL(d,p) record field. No binary floating point is
// involved anywhere except in the two functions that say so.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace runtime {

__extension__ typedef __int128 Int128;

// Thrown when a result does not fit a Decimal (more than kMaxDigits significant digits)
// and on division by zero. Amounts of the suite's fields never come near the limit.
class DecimalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A value units × 10^-places, held in a 128-bit integer: exact for any number of up to
// 38 significant digits with at most 30 of them after the point. Every `places` argument
// below lies in 0 to kMaxPlaces, and every `digits` argument in 1 to kMaxDigits.
class Decimal {
 public:
  static constexpr int kMaxDigits = 38;
  static constexpr int kMaxPlaces = 30;

  constexpr Decimal() = default;  // zero
  static constexpr Decimal FromInt(int64_t value) { return Decimal(value, 0); }
  // units × 10^-places; DecimalError beyond kMaxDigits digits.
  static Decimal FromUnits(Int128 units, int places) { return Make(units, places); }
  // The value × 10^places, cut toward zero: the units of a field with `places` decimals.
  Int128 UnitsAt(int places) const { return Truncate(places).WithPlaces(places).units_; }

  // Text to number: an optional leading "-", then digits with at most one "." anywhere
  // among them ("12", "12.5", ".5", "12."), at least one digit; blanks before and after
  // are ignored. A text that is empty or all blank is 0, as a blank setting reads as 0.
  // Anything else ("+1", "1 2", "1e5", "1,5"), or a number beyond the limits above, gives
  // nullopt; the caller decides what that means.
  static std::optional<Decimal> Parse(std::string_view text);

  // Number to text: every significant decimal, no trailing zeros, no point when there are
  // no decimals, no grouping, "-" when negative: "1500", "0.015", "-12.3".
  std::string ToText() const;
  // Exactly `places` decimals, rounded half away from zero, no grouping: "1500.00".
  std::string ToFixedText(int places) const;
  // The nearest double (for the places the program hands a real to).
  double ToDouble() const;

  int Sign() const { return units_ < 0 ? -1 : units_ > 0 ? 1 : 0; }

  // The value as it is held: Units() × 10^-Places(). Parse keeps no trailing zeros; the
  // arithmetic keeps the places its operands give it.
  Int128 Units() const { return units_; }
  int Places() const { return places_; }

  // The value cut toward zero, or rounded half away from zero, to `places` decimals.
  Decimal Truncate(int places) const;
  Decimal Round(int places) const;

  // The value a DECIMAL(digits, places) variable takes when assigned: rounded half away
  // from zero to `places` decimals; nullopt when its integer part needs more than
  // digits - places digits (never a value cut at the top).
  std::optional<Decimal> Fit(int digits, int places) const;

  Decimal operator-() const { return Decimal(-units_, places_); }
  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b);
  // A product keeps at most kMaxPlaces decimals; further ones are cut toward zero.
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  // The quotient cut toward zero after `places` decimals; DecimalError when the divisor
  // is zero.
  static Decimal Divide(const Decimal& dividend, const Decimal& divisor, int places);

  friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
  friend bool operator==(const Decimal& a, const Decimal& b) { return (a <=> b) == 0; }

 private:
  constexpr Decimal(Int128 units, int places) : units_(units), places_(places) {}
  static Decimal Make(Int128 units, int places);  // checks the digit limit
  Decimal WithPlaces(int places) const;           // same value, more places

  Int128 units_ = 0;
  int places_ = 0;
};

// NUMERIC: the text is a number as Parse reads it, blanks around it allowed; an empty or
// all-blank text is not numeric.
bool IsNumeric(std::string_view text);

// DEFORMAT without a picture: removes the blanks and the "," grouping marks that the
// number pictures write, so "  1,234.50" gives "1234.50". Every other character is kept,
// so that a text that is not a number stays one that IsNumeric rejects.
std::string Deformat(std::string_view text);

// A real as text with at most 15 significant digits, without exponent or trailing zeros
// ("1234.5", "0.00001", "12345678901234600"): the text the platform makes of a double.
std::string RealToText(double value);

// The packed DECIMAL(digits, places) record field: digits is odd (1 to 31) and the field
// takes digits / 2 + 1 bytes. Layout: the digits, most significant first, two to a byte
// (high half-byte first), then the sign in the low half-byte of the last byte: 0x0 for
// zero and positive values, 0xD for negative ones. An all-zero field therefore holds 0.
// Example, DECIMAL(5,2) of -123.45: 12 34 5D.
constexpr size_t DecimalFieldSize(int digits) { return static_cast<size_t>(digits / 2 + 1); }

// The field's value; nullopt when a digit half-byte is above 9 or the sign half-byte is
// neither 0x0 nor 0xD (a damaged field is never read as a number).
std::optional<Decimal> LoadDecimalField(const uint8_t* field, int digits, int places);

// Stores the value rounded half away from zero to the field's places. Returns false and
// leaves the field untouched when the value's integer part does not fit the field.
[[nodiscard]] bool StoreDecimalField(uint8_t* field, int digits, int places, const Decimal& value);

// The field's value as exact text (Decimal::ToText), and as the nearest double.
std::optional<std::string> DecimalFieldText(const uint8_t* field, int digits, int places);
std::optional<double> LoadDecimalFieldAsDouble(const uint8_t* field, int digits, int places);

}  // namespace runtime
