#include "platform/runtime/paths.h"

namespace runtime {

const char kPathSeparator = '/';

// No short forms here: every path is its own short and long form.

std::string ShortPath(std::string_view path) { return path.empty() ? CurrentFolder() : std::string(path); }

std::string LongForm(std::string_view absolute_path) { return std::string(absolute_path); }

}  // namespace runtime
