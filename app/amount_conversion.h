// Conversion of one money amount of the old currency into the new one: divided by the
// factor GLO:FACTORC and rounded half away from zero to two decimals, except that every
// amount from 0 up to (not including) 1000 becomes 0.01. Amounts travel as texts; all
// arithmetic on them is exact decimal arithmetic.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

// The converted amount right-aligned in 19 characters with two decimals, "0.01" for the
// small amounts, or "Error" when the amount is not a number (or the factor is zero).
std::string ConvierteMonto(std::string_view amount);

// The amount rounded half away from zero to `decimals` decimals: for 2 to 5 decimals
// right-aligned in 19 characters without grouping, otherwise as plain text. "Error" when
// the amount is not a number or `decimals` is outside 0 to 9.
std::string RedondeaMonto(std::string_view amount, int decimals);

// The amount's digit after the given count of decimals as a signed tenth ("0.5" for
// 12.345 and 2, "-0.4" for -0.004 and 2), or "Error" as above.
std::string DigitoRedondeo(std::string_view amount, int decimals);

// The amount cut toward zero to exactly `decimals` decimals ("-1.23" for -1.239 and 2,
// "123.00" for "123" or "123."), or "Error" when it is not a number or `decimals` < 0.
std::string FormateaDecimales(std::string_view amount, int decimals);

// base to the power exponent. Throws runtime::DecimalError when the exponent is negative
// or the power does not fit 32 bits.
int32_t PotenciaDiez(int32_t base, int32_t exponent);

// Converts a DECIMAL(digits, 2) record field in place: its exact value goes through
// ConvierteMonto and the result is stored back with two places. Returns false, leaving
// the field as it was, when the field is damaged or the result cannot be stored.
[[nodiscard]] bool ConvertAmountField(uint8_t* field, int digits);

}  // namespace app
