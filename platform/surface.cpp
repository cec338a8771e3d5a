#include "platform/surface.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace platform {
namespace {

// A surface whose pixel store matches its size; anything else is never read or written.
bool Consistent(const Surface& s) {
  return s.width >= 1 && s.height >= 1 && s.width <= MaxSurfaceSide && s.height <= MaxSurfaceSide &&
         s.pixels.size() == std::size_t(s.width) * std::size_t(s.height);
}

bool Inside(const Rect& r, const Surface& s) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= s.width &&
         r.bottom <= s.height;
}

// The unscaled cases, one row at a time: whole rows are block copies, keyed rows go four pixels
// at a time.
void CopyRows(std::uint32_t* dst, std::ptrdiff_t dstPitch, const std::uint32_t* src,
              std::ptrdiff_t srcPitch, int width, int height) {
  const std::size_t rowBytes = std::size_t(width) * sizeof(std::uint32_t);
  for (int y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    std::memcpy(dst, src, rowBytes);
  }
}

// Four pixels at once; a lane comparison yields all ones where true.
typedef std::uint32_t Pixels4 __attribute__((vector_size(16)));

void CopyRowsKeyed(std::uint32_t* dst, std::ptrdiff_t dstPitch, const std::uint32_t* src,
                   std::ptrdiff_t srcPitch, int width, int height) {
  for (int y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    int i = 0;
    for (; i + 4 <= width; i += 4) {
      Pixels4 s;
      Pixels4 d;
      std::memcpy(&s, src + i, sizeof s);
      std::memcpy(&d, dst + i, sizeof d);
      d = (d & reinterpret_cast<Pixels4>(s == 0)) | s;  // lanes of s that are 0 keep d
      std::memcpy(dst + i, &d, sizeof d);
    }
    for (; i < width; ++i) dst[i] = src[i] != 0 ? src[i] : dst[i];
  }
}

// Nearest pixel: each destination pixel takes the source pixel under its centre.
bool Stretch(Surface& dst, const Rect& d, const Surface& src, const Rect& s, bool blackKey) {
  const std::int64_t dw = d.right - d.left;
  const std::int64_t dh = d.bottom - d.top;
  const std::int64_t sw = s.right - s.left;
  const std::int64_t sh = s.bottom - s.top;
  int* columns = new (std::nothrow) int[std::size_t(dw)];
  if (columns == nullptr) return false;
  for (std::int64_t x = 0; x < dw; ++x) columns[x] = s.left + int((2 * x + 1) * sw / (2 * dw));
  for (std::int64_t y = 0; y < dh; ++y) {
    const std::int64_t sy = s.top + (2 * y + 1) * sh / (2 * dh);
    const std::uint32_t* srcRow = &src.pixels[std::size_t(sy) * std::size_t(src.width)];
    std::uint32_t* dstRow =
        &dst.pixels[std::size_t(d.top + y) * std::size_t(dst.width) + std::size_t(d.left)];
    if (blackKey) {
      for (std::int64_t x = 0; x < dw; ++x) {
        const std::uint32_t p = srcRow[columns[x]];
        if (p != 0) dstRow[x] = p;
      }
    } else {
      for (std::int64_t x = 0; x < dw; ++x) dstRow[x] = srcRow[columns[x]];
    }
  }
  delete[] columns;
  return true;
}

}  // namespace

Surface* CreateSurface(int width, int height) {
  if (width < 1 || height < 1 || width > MaxSurfaceSide || height > MaxSurfaceSide) return nullptr;
  Surface* surface = new (std::nothrow) Surface;
  if (surface == nullptr) return nullptr;
  surface->width = width;
  surface->height = height;
  surface->pixels.assign(std::size_t(width) * std::size_t(height), 0);
  return surface;
}

void ReleaseSurface(Surface* surface) {
  delete surface;
}

bool LockSurface(Surface* surface, std::uint8_t** bits, int* pitch) {
  if (surface == nullptr || bits == nullptr || pitch == nullptr || !Consistent(*surface))
    return false;
  *bits = reinterpret_cast<std::uint8_t*>(surface->pixels.data());
  *pitch = surface->width * int(sizeof(std::uint32_t));
  return true;
}

void UnlockSurface(Surface*) {}

bool Blit(Surface& dst, const Rect& dstRect, const Surface& src, const Rect* srcRect,
          bool blackKey) {
  if (!Consistent(dst) || !Consistent(src)) return false;
  const Rect s = srcRect != nullptr ? *srcRect : Rect{0, 0, src.width, src.height};
  if (!Inside(dstRect, dst) || !Inside(s, src)) return false;

  // A blit within one surface reads a copy, so overlapping rectangles come out as if the source
  // were taken whole before anything was written.
  if (&dst == &src) {
    const Surface copy = src;
    return Blit(dst, dstRect, copy, &s, blackKey);
  }

  const int width = dstRect.right - dstRect.left;
  const int height = dstRect.bottom - dstRect.top;
  if (width != s.right - s.left || height != s.bottom - s.top) {
    return Stretch(dst, dstRect, src, s, blackKey);
  }
  std::uint32_t* d =
      &dst.pixels[std::size_t(dstRect.top) * std::size_t(dst.width) + std::size_t(dstRect.left)];
  const std::uint32_t* p =
      &src.pixels[std::size_t(s.top) * std::size_t(src.width) + std::size_t(s.left)];
  if (blackKey) {
    CopyRowsKeyed(d, dst.width, p, src.width, width, height);
  } else {
    CopyRows(d, dst.width, p, src.width, width, height);
  }
  return true;
}

}  // namespace platform
