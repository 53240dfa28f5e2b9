#include "platform/runtime/paths.h"

namespace runtime {

const char kPathSeparator = '/';

// No short forms here: every path is its own short and long form.

std::string ShortPath(std::string_view path) { return path.empty() ? CurrentFolder() : std::string(path); }

std::string LongPath(std::string_view path) { return std::string(path); }

}  // namespace runtime
