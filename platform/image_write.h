// Writing a surface as a 24-bit Windows bitmap: screenshots and the game's own image sheets.
#pragma once

#include <string>

#include "platform/surface.h"

namespace platform {

// Bottom-up rows, each padded to 4 bytes; written atomically. False on failure, with *why
// saying what went wrong.
bool WriteBmp24(const char* path, const Surface& image, std::string* why = nullptr);

}  // namespace platform
