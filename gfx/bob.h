// Blitter objects: the game's sprites. A BOB is a position, a size, attribute bits and up to 64
// frame surfaces, each a copy of one cell of an image sheet with black as its transparent colour.
#pragma once

#include <cstdint>

#include "gfx/bitmap.h"
#include "platform/surface.h"

inline constexpr std::uint32_t BobVisible = 0x10;
inline constexpr std::uint32_t BobLoaded = 0x80;
inline constexpr int MaxBobFrames = 64;
inline constexpr int MaxBobHeapBlocks = 16;

struct Bob {
  std::uint32_t state;
  std::uint32_t attributes;
  std::int32_t x;  // left edge in BackBuffer pixels
  std::int32_t y;  // top edge
  std::int32_t width;
  std::int32_t height;
  std::int32_t widthPad;  // columns added so that the surface width is a multiple of 8
  std::int32_t currentFrame;
  std::int32_t frameCount;
  void* heapBlocks[MaxBobHeapBlocks];
  platform::Surface* frameSurfaces[MaxBobFrames];
};

// Every operation returns 1 for success and 0 for failure; a null bob gives 0.
std::uint32_t CreateBob(Bob* bob, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, std::int32_t frameCount, std::uint32_t attributes,
                        std::uint32_t surfaceCaps);
// Fills a frame from the sheet: with addressing 0, (column, row) names a cell of the BOB's size
// in a sheet with one-pixel grid lines; otherwise it is the block's top-left pixel.
std::uint32_t LoadBobFrame(Bob* bob, const BitmapFile* bitmap, std::int32_t frame,
                           std::int32_t column, std::int32_t row, std::int32_t addressing);
std::uint32_t SetBobPosition(Bob* bob, std::int32_t x, std::int32_t y);
// Draws the current frame at (x, y), clipped to the 560 x 560 board, black transparent.
std::uint32_t DrawBob(Bob* bob, platform::Surface* destination);
// Draws the whole current frame stretched to drawWidth x drawHeight at (x, y), unclipped.
std::uint32_t DrawBobScaled(Bob* bob, std::int32_t drawWidth, std::int32_t drawHeight,
                            platform::Surface* destination);
std::uint32_t DestroyBob(Bob* bob);
