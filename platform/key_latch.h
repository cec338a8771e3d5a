// A keyboard snapshot that never loses a tap, and what a box, a menu or a lost focus does to
// the keys held: the one place every backend keeps its keys (and gamepad buttons) in.
//
// A backend hears presses and releases as events; the game reads the whole keyboard once per
// frame. A key pressed and released between two reads would be missed, so a press is latched:
// the next snapshot shows the key held (once) even when it was already released. Holding a key
// reads exactly as before.
#pragma once

#include <cstdint>

#include "platform/keys.h"

namespace platform {

struct KeyLatch {
  std::uint8_t held[256] = {};
  std::uint8_t pressed[256] = {};  // pressed since the last snapshot
  std::uint8_t tapped[256] = {};   // pressed since the last snapshot, for asking on its own
  std::uint8_t recent[256] = {};   // ... since the one before
};

// A press. The system's repeats of a held key change nothing: a key held reads as held, and a
// repeat is no new press (it must not walk a step of its own). After a box or a menu
// (KeyLatchAfterModal) a key still down from before counts only once pressed again, so that the
// Escape that closed a box does not also end the game, nor the Enter that answered it leave the
// editor.
inline void KeyLatchDown(KeyLatch& latch, std::uint8_t code, bool repeat = false) {
  if (code == 0 || repeat) return;
  latch.held[code] = 0x80;
  latch.pressed[code] = 0x80;
  latch.tapped[code] = 0x80;
}

inline void KeyLatchUp(KeyLatch& latch, std::uint8_t code) {
  latch.held[code] = 0;
}

// Every key down now or pressed since the last snapshot (KeyHeld), with KeyPressed for a press
// since then and KeyLetGo for one already released; then forgets the presses.
inline void KeyLatchSnapshot(KeyLatch& latch, std::uint8_t state[256]) {
  for (int i = 0; i < 256; ++i) {
    const bool pressed = latch.pressed[i] != 0;
    state[i] = std::uint8_t((latch.held[i] | latch.pressed[i]) != 0 ? KeyHeld : 0) |
               (pressed ? KeyPressed : 0) | (pressed && latch.held[i] == 0 ? KeyLetGo : 0);
    latch.pressed[i] = 0;
    latch.recent[i] = latch.tapped[i];
    latch.tapped[i] = 0;
  }
}

// One key asked on its own (the game asks Escape and Enter so, in each frame, before or after
// the snapshot): down now, or tapped during this frame or the one before, however short the tap.
// A tap counts once.
inline bool KeyLatchAsk(KeyLatch& latch, std::uint8_t code) {
  const bool down = (latch.held[code] | latch.tapped[code] | latch.recent[code]) != 0;
  latch.tapped[code] = latch.recent[code] = 0;
  return down;
}

// Focus lost, or a box or a menu closed: nothing counts as held any more.
inline void KeyLatchClear(KeyLatch& latch) {
  latch = KeyLatch{};
}
inline void KeyLatchAfterModal(KeyLatch& latch) {
  KeyLatchClear(latch);
}

}  // namespace platform
