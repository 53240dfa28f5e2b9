#include "platform/runtime/single_instance.h"

#include <windows.h>

#include "platform/runtime/wide_text_windows.h"

namespace runtime {

bool CreateUniqueEvent(std::string_view name) {
  // Auto-reset and not signalled; only its existence matters. The handle stays open
  // until the process ends, which is what keeps the mark; the system closes it however
  // the process ends.
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, Utf8ToWide(UniqueEventName(name)).c_str());
  if (event == nullptr) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(event);
    return false;
  }
  return true;
}

}  // namespace runtime
