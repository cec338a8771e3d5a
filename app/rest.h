// When the game may sleep: nothing moves, no key is held or waits for a boundary, no click waits
// for the editor, and the frame just shown is the one shown before it. Until the player does
// something, nothing would change but what the clock brings (the banner, the finishing sound,
// the closing screen, a notice leaving the status line), so the loop waits for input or for that.
#pragma once

#include <cstdint>

// The longest sleep: a safety net, in case something wakes the game that it does not foresee.
inline constexpr std::uint32_t MaxRestMs = 1000;

// After a frame: how long the game may sleep, in milliseconds; 0 when the next frame must run
// at its tick.
std::uint32_t RestAfterFrame();
