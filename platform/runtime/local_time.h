// The local date and time of the system clock, each platform's in its own unit.
#pragma once

#include <ctime>

namespace runtime {

// Now in local time, with the hundredths of its second in *hundredths.
std::tm LocalNow(int* hundredths);

}  // namespace runtime
