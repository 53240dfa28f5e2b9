// Names that run-time expressions can read: record fields and memos bound by their file
// managers, per thread. A binding lives until its owner unbinds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files/layout.h"

namespace library {

// Binds `name` to the field `decl` of the buffer at `record`; a later binding of the same
// name replaces it.
void BindName(std::string_view name, const files::FieldDecl& decl, const uint8_t* record,
              const void* owner);
void UnbindOwner(const void* owner);

// The bound value as text (a STRING with its blanks); nullopt for an unknown name.
std::optional<std::string> BoundValue(std::string_view name);

}  // namespace library
