// The suite's settings that start-up reads: eleven keys of section "Sistemas" of the
// suite's settings file in the data root.
#pragma once

#include <string>

namespace app {

inline constexpr const char* kSuiteSettingsFile = "Sorvane.ini";

// Reads the keys into their globals. A missing file or key reads as one blank, so a
// folder global holds a blank and a number global 0; values are kept as written, cut to
// their global's size.
void ReadSuiteSettings(const std::string& settings_file);

}  // namespace app
