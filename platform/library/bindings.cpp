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

using Map = std::map<std::string, Binding, std::less<>>;

// Allocated on the first binding and freed with the last one, so that an owner unbinding
// itself while the thread ends never meets a map that is already destroyed.
thread_local Map* t_bindings = nullptr;

}  // namespace

void BindName(std::string_view name, const files::FieldDecl& decl, const uint8_t* record,
              const void* owner) {
  if (t_bindings == nullptr) t_bindings = new Map;
  t_bindings->insert_or_assign(std::string(name), Binding{decl, record, owner});
}

void UnbindOwner(const void* owner) {
  if (t_bindings == nullptr) return;
  std::erase_if(*t_bindings, [owner](const auto& entry) { return entry.second.owner == owner; });
  if (t_bindings->empty()) {
    delete t_bindings;
    t_bindings = nullptr;
  }
}

std::optional<std::string> BoundValue(std::string_view name) {
  if (t_bindings == nullptr) return std::nullopt;
  auto it = t_bindings->find(name);
  if (it == t_bindings->end()) return std::nullopt;
  return FieldText(it->second.decl, it->second.record);
}

}  // namespace library
