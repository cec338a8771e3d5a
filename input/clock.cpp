#include "input/clock.h"

#include "platform/platform.h"

namespace {
std::uint32_t ClockStart;
}

std::uint32_t GetClock() {
  return platform::Ticks();
}

std::uint32_t StartClock() {
  ClockStart = GetClock();
  return ClockStart;
}

std::uint32_t WaitClock(std::uint32_t milliseconds) {
  // Unsigned arithmetic: the difference is right across the clock's wrap.
  while (GetClock() - ClockStart < milliseconds) platform::SpinPause();
  return GetClock();
}

void ResetClockState() {
  ClockStart = 0;
}
