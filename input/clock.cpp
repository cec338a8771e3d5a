#include "input/clock.h"

namespace {
std::uint32_t ClockStart;
}

void ResetClockState() { ClockStart = 0; }
