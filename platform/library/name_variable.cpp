#include "platform/library/name_variable.h"

#include "platform/runtime/text.h"

namespace library {

void NameVariable::Set(std::string_view text) {
  std::string fitted = runtime::FitCString(text, size_);
  std::lock_guard lock(mutex_);
  text_ = std::move(fitted);
}

std::string NameVariable::Get() const {
  std::lock_guard lock(mutex_);
  return text_;
}

}  // namespace library
