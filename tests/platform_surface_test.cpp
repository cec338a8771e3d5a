#include <gtest/gtest.h>

#include <memory>

#include "platform/surface.h"

namespace {

using platform::Blit;
using platform::Rect;
using platform::Surface;

using SurfacePtr = std::unique_ptr<Surface, void (*)(Surface*)>;
SurfacePtr Make(int w, int h) {
  return {platform::CreateSurface(w, h), platform::ReleaseSurface};
}
using Pixels = std::vector<std::uint32_t>;

TEST(Surface, RefusesBadSizesAndRectanglesWithoutDrawing) {
  EXPECT_EQ(platform::CreateSurface(0, 10), nullptr);
  EXPECT_EQ(platform::CreateSurface(platform::MaxSurfaceSide + 1, 1), nullptr);
  SurfacePtr dst = Make(10, 10);
  SurfacePtr src = Make(4, 4);
  src->pixels.assign(16, 0x123456);
  const Rect srcOutside{2, 2, 6, 6};
  EXPECT_FALSE(Blit(*dst, Rect{0, 0, 4, 4}, *src, &srcOutside, false));
  EXPECT_FALSE(Blit(*dst, Rect{5, 5, 1, 9}, *src, nullptr, false));
  Surface lying;  // claims a size its pixel store does not have
  lying.width = lying.height = 100;
  EXPECT_FALSE(Blit(lying, Rect{0, 0, 4, 4}, *src, nullptr, false));
  EXPECT_FALSE(Blit(*dst, Rect{0, 0, 4, 4}, lying, nullptr, false));
  EXPECT_EQ(dst->pixels, Pixels(100, 0));
}

TEST(Surface, KeyLeavesOutOnlyBlackAndStretchTakesNearestPixels) {
  SurfacePtr src = Make(6, 1);
  src->pixels = {0, 1, 0xFFFFFF, 0, 7, 0};  // four pixels at once, then the rest one by one
  SurfacePtr dst = Make(8, 1);
  dst->pixels.assign(8, 9);
  ASSERT_TRUE(Blit(*dst, Rect{1, 0, 7, 1}, *src, nullptr, true));
  EXPECT_EQ(dst->pixels, (Pixels{9, 9, 1, 0xFFFFFF, 9, 7, 9, 9}));
  ASSERT_TRUE(Blit(*dst, Rect{0, 0, 6, 1}, *src, nullptr, false));
  EXPECT_EQ(dst->pixels, (Pixels{0, 1, 0xFFFFFF, 0, 7, 0, 9, 9}));

  // Shrinking 4 columns to 2 takes the pixel under each centre.
  const Rect four{1, 0, 5, 1};
  ASSERT_TRUE(Blit(*dst, Rect{6, 0, 8, 1}, *src, &four, false));
  EXPECT_EQ(dst->pixels[6], 0xFFFFFFu);
  EXPECT_EQ(dst->pixels[7], 7u);
}

TEST(Surface, OverlappingBlitWithinOneSurfaceReadsTheOldPixels) {
  SurfacePtr s = Make(5, 1);
  s->pixels = {1, 2, 3, 4, 5};
  const Rect from{0, 0, 4, 1};
  ASSERT_TRUE(Blit(*s, Rect{1, 0, 5, 1}, *s, &from, false));
  EXPECT_EQ(s->pixels, (Pixels{1, 1, 2, 3, 4}));
}

}  // namespace
