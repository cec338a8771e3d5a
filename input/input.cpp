#include "input/input.h"

#include <cstring>

std::uint8_t KeyboardState[256];

void ResetInputState() { std::memset(KeyboardState, 0, sizeof KeyboardState); }
