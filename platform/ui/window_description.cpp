#include "platform/ui/window_description.h"

#include "platform/runtime/text.h"

namespace ui {

Use UseText(std::string& variable) {
  return {[&variable] { return variable; }, [&variable](const std::string& s) { variable = s; }};
}

Use UseCString(std::string& variable, size_t size) {
  return {[&variable] { return variable; },
          [&variable, size](const std::string& s) { variable = runtime::FitCString(s, size); }};
}

Use UseString(std::string& variable, size_t size) {
  return {[&variable] { return variable; },
          [&variable, size](const std::string& s) { variable = runtime::FitString(s, size); }};
}

}  // namespace ui
