#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gfx/bob.h"
#include "gfx/display.h"
#include "tests/test_support.h"

namespace {

// Sheet pixel (x, y) as the 0x00RRGGBB word a frame holds after loading: unique per pixel of
// sheets up to 1024 pixels each way, and never black.
std::uint32_t SheetColour(int x, int y) {
  return std::uint32_t(x & 0xFF) | std::uint32_t(y & 0xFF) << 8 |
         std::uint32_t(0x10 + (x >> 8) + 4 * (y >> 8)) << 16;
}

BitmapFile MakeSheet(int w, int h) {
  BitmapFile sheet{};
  sheet.infoHeader.width = w;
  sheet.infoHeader.height = h;
  sheet.infoHeader.bitCount = 24;
  sheet.pixels.resize(std::size_t(w * h * 3));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint32_t c = SheetColour(x, y);
      std::uint8_t* p = &sheet.pixels[std::size_t(3 * (w * y + x))];
      p[0] = std::uint8_t(c);
      p[1] = std::uint8_t(c >> 8);
      p[2] = std::uint8_t(c >> 16);
    }
  }
  return sheet;
}

void SetSheetPixel(BitmapFile& sheet, int x, int y, std::uint8_t b, std::uint8_t g,
                   std::uint8_t r) {
  std::uint8_t* p = &sheet.pixels[std::size_t(3 * (sheet.infoHeader.width * y + x))];
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

std::uint32_t Pixel(const platform::Surface& s, int x, int y) {
  return s.pixels[std::size_t(y * s.width + x)];
}

constexpr std::uint32_t Background = 0xABCDEF;

class Bobs : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    ASSERT_EQ(DisplayInit(800, 600, 32), 1u);
    BackBuffer->pixels.assign(BackBuffer->pixels.size(), Background);
  }

  // A visible 40 x 40 BOB holding cell (column, row) of the sheet.
  Bob Tile(const BitmapFile& sheet, int column, int row) {
    Bob bob{};
    EXPECT_EQ(CreateBob(&bob, 0, 0, 40, 40, 1, 0x11, 0), 1u);
    EXPECT_EQ(LoadBobFrame(&bob, &sheet, 0, column, row, 0), 1u);
    return bob;
  }

  // Checks that BackBuffer shows the BOB's frame pixel (fx0 + i, fy0 + j) at (left + i, top + j)
  // over the rectangle, and the background everywhere else.
  void ExpectDrawn(const Bob& bob, int left, int top, int right, int bottom, int fx0, int fy0) {
    const platform::Surface& frame = *bob.frameSurfaces[0];
    for (int y = 0; y < BoardPixels; ++y) {
      for (int x = 0; x < BoardPixels; ++x) {
        const bool inside = x >= left && x < right && y >= top && y < bottom;
        const std::uint32_t want =
            inside ? Pixel(frame, fx0 + x - left, fy0 + y - top) : Background;
        ASSERT_EQ(Pixel(*BackBuffer, x, y), want) << x << "," << y;
      }
    }
  }
};

TEST_F(Bobs, CellsAreAddressedAcrossGridLines) {
  const BitmapFile pieces = MakeSheet(328, 82);
  Bob player = Tile(pieces, 2, 0);
  EXPECT_EQ(player.attributes, 0x91u);
  const platform::Surface& f = *player.frameSurfaces[0];
  EXPECT_EQ(Pixel(f, 0, 0), SheetColour(83, 1));
  EXPECT_EQ(Pixel(f, 39, 39), SheetColour(122, 40));
  Bob water = Tile(pieces, 0, 1);
  EXPECT_EQ(Pixel(*water.frameSurfaces[0], 0, 0), SheetColour(1, 42));

  const BitmapFile boats = MakeSheet(363, 363);
  Bob platform{};
  ASSERT_EQ(CreateBob(&platform, 0, 0, 120, 120, 1, 0x11, 0), 1u);
  ASSERT_EQ(LoadBobFrame(&platform, &boats, 0, 1, 2, 0), 1u);
  EXPECT_EQ(Pixel(*platform.frameSurfaces[0], 0, 0), SheetColour(122, 243));
  EXPECT_EQ(Pixel(*platform.frameSurfaces[0], 119, 119), SheetColour(241, 362));

  // Any other addressing takes (column, row) as the block's top-left pixel.
  ASSERT_EQ(LoadBobFrame(&player, &pieces, 0, 7, 3, 1), 1u);
  EXPECT_EQ(Pixel(f, 0, 0), SheetColour(7, 3));
}

TEST_F(Bobs, SurfacesArePaddedToWholeGroupsOfEightColumns) {
  Bob bob{};
  ASSERT_EQ(CreateBob(&bob, 0, 0, 41, 10, 2, 0x11, 0), 1u);
  EXPECT_EQ(bob.widthPad, 7);
  EXPECT_EQ(bob.frameSurfaces[0]->width, 48);
  EXPECT_EQ(bob.frameSurfaces[1]->height, 10);
  EXPECT_EQ(bob.frameSurfaces[2], nullptr);
  for (int w : {8, 40, 120}) {
    ASSERT_EQ(CreateBob(&bob, 0, 0, w, 10, 1, 0x11, 0), 1u);
    EXPECT_EQ(bob.widthPad, 0);
    EXPECT_EQ(bob.frameSurfaces[0]->width, w);
  }
  EXPECT_EQ(CreateBob(&bob, 0, 0, 40, 40, MaxBobFrames + 1, 0x11, 0), 0u);
  EXPECT_EQ(CreateBob(&bob, 0, 0, 40, 0, 1, 0x11, 0), 0u);
  EXPECT_EQ(CreateBob(nullptr, 0, 0, 40, 40, 1, 0x11, 0), 0u);
}

TEST_F(Bobs, LoadRefusesWhatLiesOutsideTheSheetOrTheBob) {
  const BitmapFile pieces = MakeSheet(328, 82);
  const BitmapFile empty{};
  Bob bob{};
  ASSERT_EQ(CreateBob(&bob, 0, 0, 40, 40, 1, 0x11, 0), 1u);
  EXPECT_EQ(LoadBobFrame(&bob, &empty, 0, 0, 0, 0), 0u);
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 1, 0, 0, 0), 0u);  // frame not created
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, -1, 0, 0, 0), 0u);
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, 8, 0, 0), 0u);  // column 8 starts at x 329
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, 0, 2, 0), 0u);
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, -1, 0, 0), 0u);
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, 289, 0, 1), 0u);  // one column past the edge
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, 0, 43, 1), 0u);
  EXPECT_EQ(LoadBobFrame(&bob, nullptr, 0, 0, 0, 0), 0u);
  EXPECT_EQ(LoadBobFrame(nullptr, &pieces, 0, 0, 0, 0), 0u);
  // A sheet record whose size does not match its pixels is not read.
  BitmapFile lying = MakeSheet(40, 40);
  lying.infoHeader.height = 400;
  EXPECT_EQ(LoadBobFrame(&bob, &lying, 0, 0, 0, 1), 0u);
  EXPECT_EQ(bob.attributes & BobLoaded, 0u);
  for (std::uint32_t p : bob.frameSurfaces[0]->pixels) ASSERT_EQ(p, 0u);

  // The last cell that fits, on both axes.
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, 7, 1, 0), 1u);
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, 288, 42, 1), 1u);
}

TEST_F(Bobs, DrawClipsToTheBoard) {
  const BitmapFile pieces = MakeSheet(328, 82);
  Bob bob = Tile(pieces, 3, 1);
  bob.attributes |= BobVisible;

  ASSERT_EQ(SetBobPosition(&bob, -10, 0), 1u);
  ASSERT_EQ(DrawBob(&bob, BackBuffer), 1u);
  ExpectDrawn(bob, 0, 0, 30, 40, 10, 0);

  BackBuffer->pixels.assign(BackBuffer->pixels.size(), Background);
  SetBobPosition(&bob, 540, 530);
  ASSERT_EQ(DrawBob(&bob, BackBuffer), 1u);
  ExpectDrawn(bob, 540, 530, 560, 560, 0, 0);

  BackBuffer->pixels.assign(BackBuffer->pixels.size(), Background);
  for (auto [x, y] : {std::pair{560, 0}, {-40, 0}, {0, 560}, {0, -40}, {-2147483647, 0}}) {
    SetBobPosition(&bob, x, y);
    EXPECT_EQ(DrawBob(&bob, BackBuffer), 0u) << x << "," << y;
  }
  SetBobPosition(&bob, 2147483647, 2147483647);
  EXPECT_EQ(DrawBob(&bob, BackBuffer), 0u);
  // Invisible: reported as done, nothing drawn.
  SetBobPosition(&bob, 0, 0);
  bob.attributes &= ~BobVisible;
  EXPECT_EQ(DrawBob(&bob, BackBuffer), 1u);
  ExpectDrawn(bob, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(DrawBob(nullptr, BackBuffer), 0u);
}

TEST_F(Bobs, OnlyPureBlackIsTransparent) {
  BitmapFile pieces = MakeSheet(328, 82);
  SetSheetPixel(pieces, 1, 1, 0, 0, 0);
  SetSheetPixel(pieces, 2, 1, 0, 0, 1);
  SetSheetPixel(pieces, 40, 40, 0, 0, 0);
  Bob bob = Tile(pieces, 0, 0);
  EXPECT_EQ(Pixel(*bob.frameSurfaces[0], 1, 0), 0x010000u);  // red lands in bits 16..23
  bob.attributes |= BobVisible;
  SetBobPosition(&bob, 80, 40);
  ASSERT_EQ(DrawBob(&bob, BackBuffer), 1u);
  EXPECT_EQ(Pixel(*BackBuffer, 80, 40), Background);
  EXPECT_EQ(Pixel(*BackBuffer, 81, 40), 0x010000u);
  EXPECT_EQ(Pixel(*BackBuffer, 119, 79), Background);
  EXPECT_EQ(Pixel(*BackBuffer, 118, 79), SheetColour(39, 40));
}

TEST_F(Bobs, ScaledDrawCoversExactlyItsRectangle) {
  BitmapFile pieces = MakeSheet(328, 82);
  SetSheetPixel(pieces, 42, 42, 0, 0, 0);  // frame pixel (0, 0) of cell (1, 1)
  Bob banner = Tile(pieces, 1, 1);
  banner.attributes |= BobVisible;
  SetBobPosition(&banner, 120, 100);
  ASSERT_EQ(DrawBobScaled(&banner, 100, 100, BackBuffer), 1u);
  const platform::Surface& f = *banner.frameSurfaces[0];
  for (int y = 0; y < BoardPixels; ++y) {
    for (int x = 0; x < BoardPixels; ++x) {
      const bool inside = x >= 120 && x < 220 && y >= 100 && y < 200;
      std::uint32_t want = Background;
      if (inside) {
        // Each pixel shows the frame pixel under its centre: 2.5 times, so in each row
        // destination pixels 0..1 show frame pixel 0, 2..4 pixel 1, 5..6 pixel 2, ...
        const int fx = (2 * (x - 120) + 1) * 40 / 200;
        const int fy = (2 * (y - 100) + 1) * 40 / 200;
        const std::uint32_t p = Pixel(f, fx, fy);
        want = p != 0 ? p : Background;
      }
      ASSERT_EQ(Pixel(*BackBuffer, x, y), want) << x << "," << y;
    }
  }
  EXPECT_EQ(Pixel(*BackBuffer, 121, 101), Background);
  EXPECT_EQ(Pixel(*BackBuffer, 122, 100), SheetColour(43, 42));
  EXPECT_EQ(Pixel(*BackBuffer, 219, 199), SheetColour(81, 81));
  // No clipping: a scaled draw that leaves the surface is refused whole.
  SetBobPosition(&banner, 500, 100);
  EXPECT_EQ(DrawBobScaled(&banner, 100, 100, BackBuffer), 0u);
  EXPECT_EQ(Pixel(*BackBuffer, 500, 150), Background);
}

TEST_F(Bobs, DestroyReleasesOnlyWhatTheBobOwns) {
  Bob shared{};
  Bob owned{};
  ASSERT_EQ(CreateBob(&shared, 0, 0, 40, 40, 3, 0x11, 0), 1u);
  ASSERT_EQ(CreateBob(&owned, 0, 0, 40, 40, 2, 0, 0), 1u);
  const std::size_t before = DisplaySurfaces.size();

  EXPECT_EQ(DestroyBob(&shared), 1u);
  for (platform::Surface* s : shared.frameSurfaces) EXPECT_EQ(s, nullptr);
  EXPECT_EQ(DisplaySurfaces.size(), before);  // forgotten, left for the display to free

  EXPECT_EQ(DestroyBob(&owned), 1u);
  EXPECT_EQ(DisplaySurfaces.size(), before - 2);
  EXPECT_EQ(DestroyBob(&owned), 1u);
  EXPECT_EQ(DisplaySurfaces.size(), before - 2);
  EXPECT_EQ(DestroyBob(nullptr), 0u);

  // Shutdown frees what the BOBs forgot.
  DisplayShutdown();
  EXPECT_TRUE(DisplaySurfaces.empty());
}

}  // namespace
