// The suite's settings that start-up reads: eleven keys of section "Sistemas" of the
// suite's settings file in the data root.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace app {

inline constexpr const char* kSuiteSettingsFile = "Sorvane.ini";

// Reads the keys into their globals. A missing file or key reads as one blank, so a
// folder global holds a blank and a number global 0. The three data paths are read as
// docs/suite-settings.md says, the scripts' way too: a relative path counts from the data
// root (GLO:RUTAPROG, set before). Returns empty, or the message that refuses a data path
// that does not fit its global or holds a byte the code page leaves undefined; the other
// values are kept as written, cut to their global's size.
[[nodiscard]] std::string ReadSuiteSettings(const std::string& settings_file);

// The message that refuses `path` for being longer than `max_chars` characters; `what`
// names it ("La ruta RutaDatos de Sorvane.ini").
std::string TooLongText(const std::string& what, std::string_view path, size_t max_chars);

}  // namespace app
