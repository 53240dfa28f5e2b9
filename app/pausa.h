// A pause that the person sees: the wait cursor for its length.
#pragma once

namespace app {

// Waits `seconds` with the wait cursor, then lets the screen catch up once.
void Pausa(int seconds);

}  // namespace app
