// The amount conversion as it was before it moved onto the scaled integer: each step a
// text, parsed again by the next. Kept only as the reference that the identity test and the
// benchmark compare the current routines with, input by input.
#include "app/amount_conversion_previous.h"

#include <optional>

#include "app/amount_conversion.h"  // PotenciaDiez, which did not change
#include "app/globals.h"
#include "platform/runtime/picture.h"
#include "platform/runtime/text.h"

namespace app::previous {
namespace {

using runtime::Decimal;

const char kError[] = "Error";
const Decimal kHalf = Decimal::FromUnits(5, 1);

// Decimals kept by the division by the factor. Rounding needs the first three decimals of
// the quotient exactly; with the factor 100000.00 every quotient of an amount of up to
// five decimals is exact at ten.
constexpr int kQuotientPlaces = 10;

// The working value of a text: the platform's text-to-number, which makes 0 of a text
// that is not a number.
Decimal Value(std::string_view text) { return Decimal::Parse(text).value_or(Decimal()); }

// Arithmetic beyond what a Decimal holds gives "Error", never a wrapped value.
template <typename F>
std::string OrError(F compute) {
  try {
    return compute();
  } catch (const runtime::DecimalError&) {
    return kError;
  }
}

// Upper changes no byte outside a-z into one inside ASCII, so an ASCII text (every text
// these routines hand each other) is compared without going through it.
bool IsError(std::string_view text) {
  const std::string_view clipped = runtime::Clip(text);
  for (const char c : clipped) {
    if (static_cast<unsigned char>(c) >= 0x80) return runtime::Upper(clipped) == "ERROR";
  }
  constexpr std::string_view kUpper = "ERROR";
  if (clipped.size() != kUpper.size()) return false;
  for (size_t i = 0; i < clipped.size(); ++i) {
    const char c = clipped[i] >= 'a' && clipped[i] <= 'z' ? static_cast<char>(clipped[i] - 0x20) : clipped[i];
    if (c != kUpper[i]) return false;
  }
  return true;
}

// The signed tenth DigitoRedondeo gives, from the amount cut to decimals + 1 and to
// `decimals` places; nullopt when either cut is "Error". RedondeaMonto needs the second
// cut itself as well, so it is made once and handed in.
std::optional<Decimal> RoundingDigit(std::string_view longer, std::string_view cut, int decimals) {
  if (IsError(longer) || IsError(cut)) return std::nullopt;
  return (Value(longer) - Value(cut)) * Decimal::FromInt(PotenciaDiez(10, decimals));
}

// The pictures of a rounded amount with 2 to 5 decimals.
constexpr std::string_view kPictures[] = {"n-_19.2", "n-_19.3", "n-_19.4", "n-_19.5"};

}  // namespace

std::string ConvierteMonto(std::string_view amount) {
  return OrError([&]() -> std::string {
    const std::string x = runtime::Deformat(amount);
    // IsNumeric and the value from one reading of the text.
    const std::optional<Decimal> parsed = Decimal::Parse(x);
    if (!parsed || runtime::Clip(x).empty()) return kError;
    const Decimal value = *parsed;
    if (value < Decimal::FromInt(1000) && value >= Decimal()) return "0.01";
    const std::optional<Decimal> factor = GLO::FACTORC.Fit(19, 4);
    if (!factor || *factor == Decimal()) return kError;
    return RedondeaMonto(Decimal::Divide(value, *factor, kQuotientPlaces).ToText(), 2);
  });
}

std::string RedondeaMonto(std::string_view amount, int decimals) {
  return OrError([&]() -> std::string {
    const std::string truncated = FormateaDecimales(amount, decimals);
    const std::optional<Decimal> digit = RoundingDigit(FormateaDecimales(amount, decimals + 1), truncated, decimals);
    if (!digit) return kError;
    const Decimal step = Decimal::Divide(Decimal::FromInt(1), Decimal::FromInt(PotenciaDiez(10, decimals)), decimals);
    const Decimal cut = Value(truncated);
    const bool up = *digit >= kHalf, down = *digit <= -kHalf;
    const Decimal rounded = up ? cut + step : down ? cut - step : cut;
    if (decimals >= 2 && decimals <= 5) return runtime::FormatNumber(rounded, kPictures[decimals - 2]);
    return up || down ? rounded.ToText() : truncated;
  });
}

std::string DigitoRedondeo(std::string_view amount, int decimals) {
  return OrError([&]() -> std::string {
    const std::optional<Decimal> digit =
        RoundingDigit(FormateaDecimales(amount, decimals + 1), FormateaDecimales(amount, decimals), decimals);
    return digit ? digit->ToText() : kError;
  });
}

std::string FormateaDecimales(std::string_view amount, int decimals) {
  std::string t = runtime::Deformat(amount);
  if (!runtime::IsNumeric(t) || decimals < 0) return kError;
  t = std::string(runtime::Clip(t));
  size_t point = t.find('.');  // 0-based here: the digits after it start at point + 1
  if (point == std::string::npos) {
    point = t.size();
    t += ".0000";
  } else if (point + 1 == t.size()) {
    t += "0000";
  }
  const size_t have = t.size() - point - 1;
  const auto wanted = static_cast<size_t>(decimals);
  if (wanted < have) return t.substr(0, point + 1 + wanted);
  return t + std::string(wanted - have, '0');
}

bool ConvertAmountField(uint8_t* field, int digits) {
  const std::optional<std::string> amount = runtime::DecimalFieldText(field, digits, 2);
  if (!amount) return false;
  const std::optional<Decimal> converted = Decimal::Parse(ConvierteMonto(*amount));
  return converted && runtime::StoreDecimalField(field, digits, 2, *converted);
}

}  // namespace app::previous
