#include "app/amount_conversion.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "app/globals.h"
#include "platform/runtime/decimal.h"

// Each routine reads its amount text once, into the exact scaled integer of a Decimal, and
// computes on that; no routine goes through the text of another's result. What the texts
// would have said (a cut "-0.00" reads as 0, the digit after the cut is a signed tenth, the
// pictures show "#" for what does not fit) is taken into the arithmetic instead.

namespace app {
namespace {

using runtime::Decimal;
using runtime::Int128;
__extension__ typedef unsigned __int128 UInt128;

const char kError[] = "Error";
const Decimal kThousand = Decimal::FromInt(1000);

// Decimals kept by the division by the factor. Rounding needs the first three decimals of
// the quotient exactly; with the factor 100000.00 every quotient of an amount of up to
// five decimals is exact at ten.
constexpr int kQuotientPlaces = 10;

// The pictures "n-_19.2" to "n-_19.5" of a rounded amount: right-aligned in 19 characters.
constexpr size_t kWidth = 19;

// The decimals for which the rounding routines compute: the power of ten beside them must
// fit 32 bits, and beyond that they give "Error".
bool RoundableDecimals(int decimals) { return decimals >= 0 && decimals <= 9; }

// Runs `use` on the amount without the blanks and grouping marks that the number pictures
// write. The texts the program passes have none and are used as they are.
template <typename F>
std::string WithoutFormatting(std::string_view amount, F use) {
  if (std::none_of(amount.begin(), amount.end(), [](char c) { return c == ' ' || c == ','; })) return use(amount);
  const std::string deformatted = runtime::Deformat(amount);
  return use(std::string_view(deformatted));
}

// The deformatted amount as a number; nullopt when it is none (an empty text is none).
std::optional<Decimal> Number(std::string_view deformatted) {
  if (deformatted.empty()) return std::nullopt;
  return Decimal::Parse(deformatted);
}

char NextDigit(UInt128* magnitude) {
  if (*magnitude <= UINT64_MAX) {  // every amount: the far cheaper 64-bit division
    const auto small = static_cast<uint64_t>(*magnitude);
    *magnitude = small / 10;
    return static_cast<char>('0' + small % 10);
  }
  const auto digit = static_cast<char>('0' + static_cast<int>(*magnitude % 10));
  *magnitude /= 10;
  return digit;
}

// units × 10^-places with exactly `places` (0 to 9) decimals, right-aligned in `out` as the
// number pictures without grouping write it; false when it needs more than kWidth
// characters (the picture then shows kWidth "#").
bool WriteRightAligned(Int128 units, int places, char (&out)[kWidth]) {
  UInt128 magnitude = units < 0 ? -static_cast<UInt128>(units) : static_cast<UInt128>(units);
  char text[64];  // at most 39 digits, the point, the sign
  char* const end = text + sizeof text;
  char* p = end;
  for (int i = 0; i < places; ++i) *--p = NextDigit(&magnitude);
  if (places > 0) *--p = '.';
  do {
    *--p = NextDigit(&magnitude);
  } while (magnitude != 0);
  if (units < 0) *--p = '-';
  const auto length = static_cast<size_t>(end - p);
  if (length > kWidth) return false;
  std::memset(out, ' ', kWidth - length);
  std::memcpy(out + kWidth - length, p, length);
  return true;
}

std::string RightAligned(Int128 units, int places) {
  char out[kWidth];
  return WriteRightAligned(units, places, out) ? std::string(out, kWidth) : std::string(kWidth, '#');
}

// The number text cut toward zero to exactly `decimals` decimals, character by character:
// what stands before the point is kept as written ("007.5" gives "007.50", "-0.004" gives
// "-0.00"), and a text without a point gets one.
std::string CutText(std::string_view number, int decimals) {
  const size_t point = std::min(number.find('.'), number.size());
  const std::string_view fraction = point < number.size() ? number.substr(point + 1) : std::string_view();
  const auto wanted = static_cast<size_t>(decimals);
  const size_t kept = std::min(fraction.size(), wanted);
  std::string out;
  out.reserve(point + 1 + wanted);
  out.append(number.substr(0, point)).append(1, '.').append(fraction.substr(0, kept)).append(wanted - kept, '0');
  return out;
}

constexpr std::array<uint64_t, 19> kPow10 = [] {
  std::array<uint64_t, 19> p{};
  p[0] = 1;
  for (size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
  return p;
}();
constexpr Int128 kBelow64Bits = kPow10[18];
constexpr Int128 kTenTo17 = kPow10[17];

// The factor as the conversion divides by it: GLO:FACTORC fitted to its picture's 19.4
// and, when it has at most 18 digits, its magnitude without trailing zeros beside the power
// of ten that those zeros and its places make. Made again only when GLO:FACTORC changes, so
// that the millions of amounts of a run are each spared the fitting.
struct Factor {
  Int128 units = 0;  // GLO:FACTORC as it was made from
  int places = -1;
  std::optional<Decimal> fitted;  // nullopt: does not fit the picture
  bool in_64_bits = false;
  bool negative = false;
  uint64_t divisor = 0;
  int zeros = 0;  // factor = divisor × 10^-zeros
};

const Factor& CurrentFactor() {
  thread_local Factor factor;
  if (factor.units == GLO::FACTORC.Units() && factor.places == GLO::FACTORC.Places()) return factor;
  factor = {GLO::FACTORC.Units(), GLO::FACTORC.Places(), GLO::FACTORC.Fit(19, 4)};
  if (!factor.fitted) return factor;
  const Int128 f = factor.fitted->Units();
  factor.in_64_bits = f > -kBelow64Bits && f < kBelow64Bits;
  if (!factor.in_64_bits || f == 0) return factor;
  factor.negative = f < 0;
  factor.divisor = static_cast<uint64_t>(f < 0 ? -f : f);
  factor.zeros = factor.fitted->Places();
  while (factor.divisor % 10 == 0) {
    factor.divisor /= 10;
    --factor.zeros;
  }
  return factor;
}

// The quotient amount / factor, cut after kQuotientPlaces decimals and rounded half away
// from zero to hundredths, in 64-bit arithmetic: for an amount of up to 18 digits with at
// most kQuotientPlaces decimals and a factor of up to 18 digits (every amount a record
// holds, and the factor), where neither the scaling nor the division can fail. nullopt
// outside that range. The cut after kQuotientPlaces and the rounding depend only on the
// quotient cut to three decimals, so that is all that is computed.
std::optional<Int128> HundredthsOfQuotient(const Decimal& amount, const Factor& factor) {
  const Int128 a = amount.Units();
  if (a <= -kBelow64Bits || a >= kBelow64Bits || !factor.in_64_bits || amount.Places() > kQuotientPlaces) {
    return std::nullopt;
  }
  const bool negative = (a < 0) != factor.negative;
  const auto magnitude = static_cast<uint64_t>(a < 0 ? -a : a);
  const uint64_t divisor = factor.divisor;
  // |quotient| × 1000 = magnitude × 10^exponent / divisor; the usual factor (100000)
  // leaves nothing to divide by.
  const int exponent = 3 + factor.zeros - amount.Places();
  UInt128 thousandths;
  if (exponent >= 0) {  // at most 3 + 4: the product fits 128 bits
    const UInt128 scaled = static_cast<UInt128>(magnitude) * kPow10[static_cast<size_t>(exponent)];
    thousandths = divisor == 1 ? scaled : scaled / divisor;
  } else if (-exponent <= 18) {  // cutting in two steps cuts the same
    const uint64_t cut = magnitude / kPow10[static_cast<size_t>(-exponent)];
    thousandths = divisor == 1 ? cut : cut / divisor;
  } else {
    thousandths = 0;
  }
  // 128-bit division is a library call; the thousandths of every amount fit 64 bits.
  const UInt128 rounded = thousandths + 5;
  const auto hundredths = static_cast<Int128>(rounded <= UINT64_MAX ? static_cast<uint64_t>(rounded) / 10 : rounded / 10);
  return negative ? -hundredths : hundredths;
}

// What ConvierteMonto makes of an amount, as a number.
struct Conversion {
  enum Kind { kError, kSmallAmount, kDivided } kind;
  Int128 hundredths = 0;  // of the rounded quotient (kDivided)
};

// From 0 up to, not including, 1000: compared on the units for the places of every amount
// a record holds.
bool IsSmallAmount(const Decimal& amount) {
  if (amount.Places() > kQuotientPlaces) return amount.Sign() >= 0 && amount < kThousand;
  return amount.Units() >= 0 && amount.Units() < 1000 * static_cast<Int128>(kPow10[static_cast<size_t>(amount.Places())]);
}

Conversion Convert(const Decimal& amount) {
  if (IsSmallAmount(amount)) return {Conversion::kSmallAmount};
  const Factor& factor = CurrentFactor();
  if (!factor.fitted || factor.fitted->Sign() == 0) return {Conversion::kError};
  if (const std::optional<Int128> hundredths = HundredthsOfQuotient(amount, factor)) {
    return {Conversion::kDivided, *hundredths};
  }
  try {
    const Decimal quotient = Decimal::Divide(amount, *factor.fitted, kQuotientPlaces);
    return {Conversion::kDivided, quotient.Round(2).UnitsAt(2)};
  } catch (const runtime::DecimalError&) {  // beyond what the division holds
    return {Conversion::kError};
  }
}

}  // namespace

std::string ConvierteMonto(std::string_view amount) {
  return WithoutFormatting(amount, [](std::string_view x) -> std::string {
    const std::optional<Decimal> value = Number(x);
    if (!value) return kError;
    const Conversion converted = Convert(*value);
    switch (converted.kind) {
      case Conversion::kSmallAmount: return "0.01";
      case Conversion::kDivided: return RightAligned(converted.hundredths, 2);
      case Conversion::kError: break;
    }
    return kError;
  });
}

std::string RedondeaMonto(std::string_view amount, int decimals) {
  if (!RoundableDecimals(decimals)) return kError;
  return WithoutFormatting(amount, [decimals](std::string_view x) -> std::string {
    const std::optional<Decimal> value = Number(x);
    if (!value) return kError;
    // Only the digit after the cut decides, which is rounding half away from zero.
    const Decimal rounded = value->Round(decimals);
    if (decimals >= 2 && decimals <= 5) {
      try {
        return RightAligned(rounded.UnitsAt(decimals), decimals);
      } catch (const runtime::DecimalError&) {  // its picture's decimals do not fit a Decimal
        return kError;
      }
    }
    // Without a picture a rounded-away value is written as a number, a cut one as cut.
    return rounded == value->Truncate(decimals) ? CutText(x, decimals) : rounded.ToText();
  });
}

std::string DigitoRedondeo(std::string_view amount, int decimals) {
  if (!RoundableDecimals(decimals)) return kError;
  return WithoutFormatting(amount, [decimals](std::string_view x) -> std::string {
    const std::optional<Decimal> value = Number(x);
    if (!value) return kError;
    const Decimal digit = (value->Truncate(decimals + 1) - value->Truncate(decimals)) *
                          Decimal::FromInt(PotenciaDiez(10, decimals));
    return digit.ToText();
  });
}

std::string FormateaDecimales(std::string_view amount, int decimals) {
  if (decimals < 0) return kError;
  return WithoutFormatting(amount, [decimals](std::string_view x) -> std::string {
    return Number(x) ? CutText(x, decimals) : kError;
  });
}

int32_t PotenciaDiez(int32_t base, int32_t exponent) {
  if (exponent < 0) throw runtime::DecimalError("negative exponent");
  if (base == 0 || base == 1) return exponent == 0 ? 1 : base;  // no loop over a huge exponent
  if (base == -1) return exponent % 2 == 0 ? 1 : -1;
  int64_t power = 1;
  for (int32_t i = 0; i < exponent; ++i) {
    power *= base;
    if (power > INT32_MAX || power < INT32_MIN) throw runtime::DecimalError("power beyond 32 bits");
  }
  return static_cast<int32_t>(power);
}

bool ConvertAmountField(uint8_t* field, int digits) {
  const std::optional<Decimal> amount = runtime::LoadDecimalField(field, digits, 2);
  if (!amount) return false;
  const Conversion converted = Convert(*amount);
  Int128 hundredths = 1;  // the small-amount rule's 0.01
  if (converted.kind == Conversion::kError) return false;
  if (converted.kind == Conversion::kDivided) {
    // The "#" of a result too wide for its picture is no number to store. The picture's 19
    // characters hold at most 16 integer digits, the point and two decimals (below 10^18
    // hundredths), or a minus sign and 15 integer digits (above -10^17).
    hundredths = converted.hundredths;
    if (hundredths < 0 ? hundredths <= -kTenTo17 : hundredths >= 10 * kTenTo17) return false;
  }
  return runtime::StoreDecimalField(field, digits, 2, Decimal::FromUnits(hundredths, 2));
}

}  // namespace app
