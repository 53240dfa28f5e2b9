#include "platform/library/bindings.h"

#include <map>

#include "platform/library/field_value.h"

namespace library {
namespace {

struct Binding {
  files::FieldDecl decl;
  const uint8_t* record;
  const void* owner;
};

std::map<std::string, Binding, std::less<>>& Bindings() {
  thread_local std::map<std::string, Binding, std::less<>> bindings;
  return bindings;
}

}  // namespace

void BindName(std::string_view name, const files::FieldDecl& decl, const uint8_t* record,
              const void* owner) {
  Bindings().insert_or_assign(std::string(name), Binding{decl, record, owner});
}

void UnbindOwner(const void* owner) {
  auto& bindings = Bindings();
  std::erase_if(bindings, [owner](const auto& entry) { return entry.second.owner == owner; });
}

std::optional<std::string> BoundValue(std::string_view name) {
  auto& bindings = Bindings();
  auto it = bindings.find(name);
  if (it == bindings.end()) return std::nullopt;
  return FieldText(it->second.decl, it->second.record);
}

}  // namespace library
