// The previous amount conversion (see amount_conversion_previous.cpp); same contracts as
// the routines of amount_conversion.h (PotenciaDiez is the one there).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app::previous {

std::string ConvierteMonto(std::string_view amount);
std::string RedondeaMonto(std::string_view amount, int decimals);
std::string DigitoRedondeo(std::string_view amount, int decimals);
std::string FormateaDecimales(std::string_view amount, int decimals);
[[nodiscard]] bool ConvertAmountField(uint8_t* field, int digits);

}  // namespace app::previous
