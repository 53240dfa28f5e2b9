#include "app/pausa.h"

#include <chrono>
#include <thread>

#include "platform/ui/backend.h"

namespace app {

void Pausa(int seconds) {
  ui::SetCursor(ui::Cursor::Wait);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  ui::SetCursor(ui::Cursor::Normal);
  ui::Yield();
}

}  // namespace app
