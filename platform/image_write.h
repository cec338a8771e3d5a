// Writing a surface as a 24-bit Windows bitmap: screenshots and the game's own image sheets.
#pragma once

#include "platform/surface.h"

namespace platform {

// Bottom-up rows, each padded to 4 bytes; written atomically. False on failure.
bool WriteBmp24(const char* path, const Surface& image);

}  // namespace platform
