// A keyboard snapshot that never loses a tap. A backend hears key presses and releases as
// events; the game reads the whole keyboard once per frame. A key pressed and released between
// two reads would be missed, so a press is latched: the next snapshot shows the key held (once)
// even when it was already released. Holding a key reads exactly as before.
#pragma once

#include <cstdint>

namespace platform {

struct KeyLatch {
  std::uint8_t held[256] = {};
  std::uint8_t pressed[256] = {};  // pressed since the last snapshot
};

inline void KeyLatchDown(KeyLatch& latch, std::uint8_t scanCode) {
  if (scanCode == 0) return;
  latch.held[scanCode] = 0x80;
  latch.pressed[scanCode] = 0x80;
}

inline void KeyLatchUp(KeyLatch& latch, std::uint8_t scanCode) {
  latch.held[scanCode] = 0;
}

// Every key down now or pressed since the last snapshot; then forgets the presses.
inline void KeyLatchSnapshot(KeyLatch& latch, std::uint8_t state[256]) {
  for (int i = 0; i < 256; ++i) {
    state[i] = std::uint8_t(latch.held[i] | latch.pressed[i]);
    latch.pressed[i] = 0;
  }
}

// Focus lost: nothing is held any more.
inline void KeyLatchClear(KeyLatch& latch) {
  latch = KeyLatch{};
}

}  // namespace platform
