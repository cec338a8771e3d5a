// Display surfaces: rectangles of 32-bit pixels in memory, and the one blit that copies between
// them. Both backends share this code, so a frame is the same to the pixel wherever it is drawn.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// w x h pixels, each a little-endian 0x00RRGGBB word (bytes blue, green, red, 0), rows top down.
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

inline constexpr int MaxSurfaceSide = 8192;

// Null for a side below 1 or above MaxSurfaceSide. New pixels are black.
Surface* CreateSurface(int width, int height);
void ReleaseSurface(Surface* surface);
// The address of the top row and the distance in bytes between rows.
bool LockSurface(Surface* surface, std::uint8_t** bits, int* pitch);
void UnlockSurface(Surface* surface);

// Copies src's rectangle (the whole surface when srcRect is null) onto dst's rectangle,
// stretching by nearest pixel when the sizes differ. With blackKey, source pixels equal to 0 are
// left out. Refuses (false, nothing drawn) a rectangle that is empty, inverted, or not wholly
// inside its surface.
bool Blit(Surface& dst, const Rect& dstRect, const Surface& src, const Rect* srcRect,
          bool blackKey);

}  // namespace platform
