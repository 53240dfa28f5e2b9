#include "platform/runtime/single_instance.h"

#include "platform/runtime/text.h"

namespace runtime {

std::string UniqueEventName(std::string_view name) {
  std::string mark(Clip(name));
  mark += "_UEvent";
  return FitCString(mark, 260);
}

}  // namespace runtime
