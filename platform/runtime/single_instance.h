// The mark that lets only one copy of a program run at a time.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

// CLIP(name) & "_UEvent", cut to 259 characters: the name of the mark.
std::string UniqueEventName(std::string_view name);

// Creates the single-instance mark named CLIP(name) & "_UEvent" (at most 259 characters)
// and holds it until the process ends. Returns false when another process holds it or
// it cannot be created. The operating system releases it when the holder ends, however
// it ends, so a copy that crashed never blocks the next start.
//
// On Windows the mark is a named event. Elsewhere it is an exclusive lock on a file of
// that name in the user's runtime folder ($XDG_RUNTIME_DIR; without one, the temporary
// folder, with the user's id in the file name). Each platform's form is in its own unit.
bool CreateUniqueEvent(std::string_view name);

}  // namespace runtime
