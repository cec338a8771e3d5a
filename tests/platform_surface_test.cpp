#include <gtest/gtest.h>

#include <memory>

#include "platform/surface.h"

namespace {

using platform::Blit;
using platform::Rect;
using platform::Surface;

struct SurfaceDeleter {
  void operator()(Surface* s) const { platform::ReleaseSurface(s); }
};
using SurfacePtr = std::unique_ptr<Surface, SurfaceDeleter>;

SurfacePtr Make(int w, int h) {
  return SurfacePtr(platform::CreateSurface(w, h));
}

std::uint32_t At(const Surface& s, int x, int y) {
  return s.pixels[std::size_t(y * s.width + x)];
}

void Fill(Surface& s, std::uint32_t v) {
  s.pixels.assign(s.pixels.size(), v);
}

TEST(Surface, CreateRefusesBadSidesAndStartsBlack) {
  EXPECT_EQ(platform::CreateSurface(0, 10), nullptr);
  EXPECT_EQ(platform::CreateSurface(10, -1), nullptr);
  EXPECT_EQ(platform::CreateSurface(platform::MaxSurfaceSide + 1, 1), nullptr);
  SurfacePtr s = Make(3, 2);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->pixels.size(), 6u);
  for (std::uint32_t p : s->pixels) EXPECT_EQ(p, 0u);

  std::uint8_t* bits = nullptr;
  int pitch = 0;
  ASSERT_TRUE(platform::LockSurface(s.get(), &bits, &pitch));
  EXPECT_EQ(pitch, 12);
  bits[pitch + 4] = 0xAB;  // blue byte of pixel (1, 1)
  platform::UnlockSurface(s.get());
  EXPECT_EQ(At(*s, 1, 1), 0xABu);
  EXPECT_FALSE(platform::LockSurface(nullptr, &bits, &pitch));
}

TEST(Surface, BlitRefusesBadRectanglesAndDrawsNothing) {
  SurfacePtr dst = Make(10, 10);
  SurfacePtr src = Make(4, 4);
  Fill(*src, 0x123456);
  const Rect bad[] = {
      {0, 0, 0, 4},    // empty
      {5, 5, 1, 9},    // inverted
      {-1, 0, 3, 4},   // left of the surface
      {8, 8, 12, 12},  // past its right and bottom
  };
  for (const Rect& r : bad) EXPECT_FALSE(Blit(*dst, r, *src, nullptr, false));
  const Rect srcOutside{2, 2, 6, 6};
  EXPECT_FALSE(Blit(*dst, Rect{0, 0, 4, 4}, *src, &srcOutside, false));
  // A hand-made surface whose pixel store does not match its size is never touched.
  Surface broken;
  broken.width = 100;
  broken.height = 100;
  EXPECT_FALSE(Blit(broken, Rect{0, 0, 4, 4}, *src, nullptr, false));
  EXPECT_FALSE(Blit(*dst, Rect{0, 0, 4, 4}, broken, nullptr, false));
  for (std::uint32_t p : dst->pixels) EXPECT_EQ(p, 0u);
}

TEST(Surface, UnscaledBlitCopiesOrKeysOutBlack) {
  SurfacePtr src = Make(3, 1);
  src->pixels = {0x000000, 0x000001, 0xFFFFFF};
  SurfacePtr dst = Make(5, 2);
  Fill(*dst, 0xAAAAAA);

  ASSERT_TRUE(Blit(*dst, Rect{1, 1, 4, 2}, *src, nullptr, true));
  EXPECT_EQ(At(*dst, 1, 1), 0xAAAAAAu);  // black left out
  EXPECT_EQ(At(*dst, 2, 1), 0x000001u);  // nearly black is opaque
  EXPECT_EQ(At(*dst, 3, 1), 0xFFFFFFu);
  EXPECT_EQ(At(*dst, 0, 1), 0xAAAAAAu);
  EXPECT_EQ(At(*dst, 4, 1), 0xAAAAAAu);
  EXPECT_EQ(At(*dst, 2, 0), 0xAAAAAAu);

  ASSERT_TRUE(Blit(*dst, Rect{0, 0, 3, 1}, *src, nullptr, false));
  EXPECT_EQ(At(*dst, 0, 0), 0u);  // without the key black is copied
  EXPECT_EQ(At(*dst, 2, 0), 0xFFFFFFu);

  const Rect part{1, 0, 3, 1};
  ASSERT_TRUE(Blit(*dst, Rect{3, 0, 5, 1}, *src, &part, false));
  EXPECT_EQ(At(*dst, 3, 0), 0x000001u);
  EXPECT_EQ(At(*dst, 4, 0), 0xFFFFFFu);
}

TEST(Surface, StretchTakesNearestPixelBothWays) {
  SurfacePtr src = Make(2, 2);
  src->pixels = {1, 2, 3, 0};
  SurfacePtr dst = Make(6, 6);
  Fill(*dst, 9);
  ASSERT_TRUE(Blit(*dst, Rect{1, 1, 5, 5}, *src, nullptr, true));
  const std::uint32_t expected[6][6] = {
      {9, 9, 9, 9, 9, 9}, {9, 1, 1, 2, 2, 9}, {9, 1, 1, 2, 2, 9},
      {9, 3, 3, 9, 9, 9}, {9, 3, 3, 9, 9, 9}, {9, 9, 9, 9, 9, 9},
  };
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(*dst, x, y), expected[y][x]) << x << "," << y;
  }

  // Shrinking 4 columns to 2 keeps one of each pair.
  SurfacePtr wide = Make(4, 1);
  wide->pixels = {10, 11, 12, 13};
  SurfacePtr narrow = Make(2, 1);
  ASSERT_TRUE(Blit(*narrow, Rect{0, 0, 2, 1}, *wide, nullptr, false));
  EXPECT_EQ(At(*narrow, 0, 0), 11u);
  EXPECT_EQ(At(*narrow, 1, 0), 13u);
}

TEST(Surface, OverlappingBlitWithinOneSurfaceReadsTheOldPixels) {
  SurfacePtr s = Make(5, 1);
  s->pixels = {1, 2, 3, 4, 5};
  const Rect from{0, 0, 4, 1};
  ASSERT_TRUE(Blit(*s, Rect{1, 0, 5, 1}, *s, &from, false));
  EXPECT_EQ(s->pixels, (std::vector<std::uint32_t>{1, 1, 2, 3, 4}));
}

}  // namespace
