// The millisecond clock and the busy wait measured from a remembered start.
#pragma once

#include <cstdint>

std::uint32_t GetClock();
// Remembers the current reading as the start of the next wait.
std::uint32_t StartClock();
// Returns once at least `milliseconds` have passed since the last StartClock.
std::uint32_t WaitClock(std::uint32_t milliseconds);

void ResetClockState();
