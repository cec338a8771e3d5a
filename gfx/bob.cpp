#include "gfx/bob.h"

#include <cstdlib>

#include "gfx/display.h"

namespace {

// The current frame's surface, or null when currentFrame names no created frame.
platform::Surface* CurrentSurface(const Bob& bob) {
  if (bob.currentFrame < 0 || bob.currentFrame >= bob.frameCount ||
      bob.currentFrame >= MaxBobFrames) {
    return nullptr;
  }
  return bob.frameSurfaces[bob.currentFrame];
}

// Rectangles in 64 bits, so that no position or size can overflow; a blit only gets one whose
// values all fit.
struct WideRect {
  std::int64_t left, top, right, bottom;
};

bool Narrow(const WideRect& w, platform::Rect* r) {
  constexpr std::int64_t Lo = -(std::int64_t(1) << 30);
  constexpr std::int64_t Hi = std::int64_t(1) << 30;
  for (std::int64_t v : {w.left, w.top, w.right, w.bottom}) {
    if (v < Lo || v > Hi) return false;
  }
  *r = {int(w.left), int(w.top), int(w.right), int(w.bottom)};
  return true;
}

std::uint32_t BlitFrame(platform::Surface* destination, const WideRect& to, const Bob& bob,
                        const WideRect& from) {
  // Frames end with the display, so without a running one there is nothing to draw.
  if (!DisplayRunning) return 0;
  platform::Surface* frame = CurrentSurface(bob);
  platform::Rect d;
  platform::Rect s;
  if (destination == nullptr || frame == nullptr || !Narrow(to, &d) || !Narrow(from, &s)) return 0;
  return platform::Blit(*destination, d, *frame, &s, true) ? 1 : 0;
}

}  // namespace

std::uint32_t CreateBob(Bob* bob, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, std::int32_t frameCount, std::uint32_t attributes,
                        std::uint32_t) {
  if (bob == nullptr || frameCount < 0 || frameCount > MaxBobFrames) return 0;
  bob->state = 1;
  bob->attributes = attributes;
  bob->x = x;
  bob->y = y;
  bob->width = width;
  bob->height = height;
  bob->frameCount = frameCount;
  bob->currentFrame = 0;
  for (platform::Surface*& s : bob->frameSurfaces) s = nullptr;
  for (void*& b : bob->heapBlocks) b = nullptr;
  const std::int32_t r = width % 8;
  bob->widthPad = r != 0 ? 8 - r : 0;

  const std::int64_t surfaceWidth = std::int64_t(width) + bob->widthPad;
  if (surfaceWidth < 1 || surfaceWidth > platform::MaxSurfaceSide) return 0;
  for (std::int32_t i = 0; i < frameCount; ++i) {
    // Frames made before a failure stay with the BOB (and with the display, which frees them).
    bob->frameSurfaces[i] = CreateDisplaySurface(int(surfaceWidth), height);
    if (bob->frameSurfaces[i] == nullptr) return 0;
  }
  return 1;
}

std::uint32_t LoadBobFrame(Bob* bob, const BitmapFile* bitmap, std::int32_t frame,
                           std::int32_t column, std::int32_t row, std::int32_t addressing) {
  if (bob == nullptr || bitmap == nullptr || !DisplayRunning) return 0;
  if (frame < 0 || frame >= bob->frameCount || frame >= MaxBobFrames) return 0;
  platform::Surface* surface = bob->frameSurfaces[frame];
  if (surface == nullptr || bob->width < 1 || bob->height < 1 || surface->width < bob->width ||
      surface->height < bob->height) {
    return 0;
  }

  const std::int64_t sheetWidth = bitmap->infoHeader.width;
  const std::int64_t sheetHeight = bitmap->infoHeader.height;
  if (sheetWidth < 1 || sheetHeight < 1 || sheetWidth > MaxBitmapSide ||
      sheetHeight > MaxBitmapSide ||
      bitmap->pixels.size() != std::size_t(sheetWidth * sheetHeight * 3)) {
    return 0;  // an empty sheet, or a record that does not describe its pixels
  }
  // Cell addressing: cells of the BOB's size, each framed by one-pixel grid lines.
  const std::int64_t sx = addressing == 0 ? (std::int64_t(bob->width) + 1) * column + 1 : column;
  const std::int64_t sy = addressing == 0 ? (std::int64_t(bob->height) + 1) * row + 1 : row;
  if (sx < 0 || sy < 0 || sx + bob->width > sheetWidth || sy + bob->height > sheetHeight) return 0;

  std::uint8_t* bits = nullptr;
  int pitch = 0;
  if (!platform::LockSurface(surface, &bits, &pitch)) return 0;
  const std::uint8_t* src = bitmap->pixels.data() + 3 * (sheetWidth * sy + sx);
  for (std::int32_t y = 0; y < bob->height; ++y, bits += pitch, src += 3 * sheetWidth) {
    auto* dst = reinterpret_cast<std::uint32_t*>(bits);
    for (std::int32_t c = 0; c < bob->width; ++c) {
      const std::uint8_t* p = src + 3 * c;
      dst[c] = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    }
  }
  platform::UnlockSurface(surface);
  bob->attributes |= BobLoaded;
  return 1;
}

std::uint32_t SetBobPosition(Bob* bob, std::int32_t x, std::int32_t y) {
  if (bob == nullptr) return 0;
  bob->x = x;
  bob->y = y;
  return 1;
}

std::uint32_t DrawBob(Bob* bob, platform::Surface* destination) {
  if (bob == nullptr || destination == nullptr) return 0;
  if ((bob->attributes & BobVisible) == 0) return 1;
  // Clipped against the board's fixed edges, 0 and BoardPixels on both axes.
  const std::int64_t x = bob->x;
  const std::int64_t y = bob->y;
  const std::int64_t right = x + bob->width;
  const std::int64_t bottom = y + bob->height;
  const WideRect to{x > 0 ? x : 0, y > 0 ? y : 0, right < BoardPixels ? right : BoardPixels,
                    bottom < BoardPixels ? bottom : BoardPixels};
  const WideRect from{x > 0 ? 0 : -x, y > 0 ? 0 : -y,
                      right < BoardPixels ? bob->width : BoardPixels - x,
                      bottom < BoardPixels ? bob->height : BoardPixels - y};
  return BlitFrame(destination, to, *bob, from);
}

std::uint32_t DrawBobScaled(Bob* bob, std::int32_t drawWidth, std::int32_t drawHeight,
                            platform::Surface* destination) {
  if (bob == nullptr || destination == nullptr) return 0;
  if ((bob->attributes & BobVisible) == 0) return 1;
  const WideRect to{bob->x, bob->y, std::int64_t(bob->x) + drawWidth,
                    std::int64_t(bob->y) + drawHeight};
  return BlitFrame(destination, to, *bob, WideRect{0, 0, bob->width, bob->height});
}

std::uint32_t DestroyBob(Bob* bob) {
  if (bob == nullptr) return 0;
  // A BOB with attribute bits set does not own its frames: the display frees them at shutdown.
  const bool owns = bob->attributes == 0;
  for (platform::Surface*& s : bob->frameSurfaces) {
    if (owns && s != nullptr) ReleaseDisplaySurface(s);
    s = nullptr;
  }
  for (void*& b : bob->heapBlocks) {
    if (owns) std::free(b);
    b = nullptr;
  }
  return 1;
}
