#include <gtest/gtest.h>

#include <tuple>

#include "gfx/bob.h"
#include "gfx/display.h"
#include "tests/test_support.h"

namespace {

// Sheet pixel (x, y) as the 0x00RRGGBB word a frame holds after loading; unique, never black.
std::uint32_t SheetColour(int x, int y) {
  return std::uint32_t(x & 0xFF) | std::uint32_t(y & 0xFF) << 8 |
         std::uint32_t(0x10 + (x >> 8) + 4 * (y >> 8)) << 16;
}

BitmapFile MakeSheet(int w, int h) {
  BitmapFile sheet{};
  sheet.infoHeader.width = w;
  sheet.infoHeader.height = h;
  for (int i = 0; i < w * h; ++i) {
    const std::uint32_t c = SheetColour(i % w, i / w);
    sheet.pixels.insert(sheet.pixels.end(),
                        {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
  }
  return sheet;
}

void SetSheetPixel(BitmapFile& sheet, int x, int y, std::uint32_t c) {
  std::uint8_t* p = &sheet.pixels[std::size_t(3 * (sheet.infoHeader.width * y + x))];
  p[0] = std::uint8_t(c);
  p[1] = std::uint8_t(c >> 8);
  p[2] = std::uint8_t(c >> 16);
}

std::uint32_t Pixel(const platform::Surface& s, int x, int y) {
  return s.pixels[std::size_t(y * s.width + x)];
}

constexpr std::uint32_t Ground = 0xABCDEF;

class Bobs : public testing_support::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    ASSERT_EQ(DisplayInit(800, 600, 32), 1u);
    BackBuffer->pixels.assign(BackBuffer->pixels.size(), Ground);
  }

  // A visible BOB of size x size holding cell (column, row) of the sheet.
  Bob Load(const BitmapFile& sheet, int size, int column, int row) {
    Bob bob{};
    EXPECT_EQ(CreateBob(&bob, 0, 0, size, size, 1, 0x11, 0), 1u);
    EXPECT_EQ(LoadBobFrame(&bob, &sheet, 0, column, row, 0), 1u);
    bob.attributes |= BobVisible;
    return bob;
  }

  // BackBuffer must show `want(x, y)` inside the rectangle and the ground everywhere else.
  template <typename F>
  void ExpectBoard(int left, int top, int right, int bottom, F want) {
    for (int y = 0; y < BoardPixels; ++y) {
      for (int x = 0; x < BoardPixels; ++x) {
        const bool in = x >= left && x < right && y >= top && y < bottom;
        ASSERT_EQ(Pixel(*BackBuffer, x, y), in ? want(x, y) : Ground) << x << "," << y;
      }
    }
  }
};

// Frames are padded to a multiple of 8 pixels wide; only the frames asked for are made.
TEST_F(Bobs, FramesArePaddedToEightPixelsAndOnlyThoseAskedForAreMade) {
  Bob odd{};
  ASSERT_EQ(CreateBob(&odd, 0, 0, 41, 10, 2, 0x11, 0), 1u);
  EXPECT_EQ(std::tuple(odd.widthPad, odd.frameSurfaces[1]->width, odd.frameSurfaces[2] == nullptr),
            std::tuple(7, 48, true));
}

TEST_F(Bobs, LoadReadsOnlyInsideTheSheetAndTheBob) {
  const BitmapFile pieces = MakeSheet(328, 82);
  BitmapFile lying = MakeSheet(40, 40);
  lying.infoHeader.height = 400;  // a record that does not describe its pixels
  Bob bob{};
  ASSERT_EQ(CreateBob(&bob, 0, 0, 40, 40, 1, 0x11, 0), 1u);
  struct Call {
    const BitmapFile* sheet;
    int frame, column, row, addressing;
  };
  const Call refused[] = {
      {&lying, 0, 0, 0, 1},   {nullptr, 0, 0, 0, 0},   {&pieces, 1, 0, 0, 0},
      {&pieces, -1, 0, 0, 0}, {&pieces, 0, 8, 0, 0},   {&pieces, 0, 0, 2, 0},
      {&pieces, 0, -1, 0, 0}, {&pieces, 0, 289, 0, 1}, {&pieces, 0, 0, 43, 1},
  };
  const BitmapFile empty{};
  EXPECT_EQ(LoadBobFrame(&bob, &empty, 0, 0, 0, 0), 0u);
  for (const Call& c : refused) {
    EXPECT_EQ(LoadBobFrame(&bob, c.sheet, c.frame, c.column, c.row, c.addressing), 0u)
        << &c - refused;
  }
  EXPECT_EQ(bob.attributes & BobLoaded, 0u);
  EXPECT_EQ(bob.frameSurfaces[0]->pixels, std::vector<std::uint32_t>(1600, 0));
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, 7, 1, 0), 1u);     // the last cell
  EXPECT_EQ(LoadBobFrame(&bob, &pieces, 0, 288, 42, 1), 1u);  // the last pixel position
  EXPECT_EQ(Pixel(*bob.frameSurfaces[0], 39, 39), SheetColour(327, 81));
}

TEST_F(Bobs, DrawClipsToTheBoardAndKeysOutPureBlack) {
  BitmapFile pieces = MakeSheet(328, 82);
  SetSheetPixel(pieces, 124, 1, 0x000000);  // cell (3, 0), frame pixel (0, 0)
  SetSheetPixel(pieces, 125, 1, 0x010000);  // red 1: opaque
  Bob bob = Load(pieces, 40, 3, 0);
  const platform::Surface& f = *bob.frameSurfaces[0];
  auto frameAt = [&](int dx, int dy) {
    return [&f, dx, dy](int x, int y) {
      const std::uint32_t p = Pixel(f, x + dx, y + dy);
      return p != 0 ? p : Ground;
    };
  };
  SetBobPosition(&bob, -10, 0);
  ASSERT_EQ(DrawBob(&bob, BackBuffer), 1u);
  ExpectBoard(0, 0, 30, 40, frameAt(10, 0));

  BackBuffer->pixels.assign(BackBuffer->pixels.size(), Ground);
  SetBobPosition(&bob, 540, 530);
  ASSERT_EQ(DrawBob(&bob, BackBuffer), 1u);
  ExpectBoard(540, 530, 560, 560, frameAt(-540, -530));
  EXPECT_EQ(std::pair(Pixel(*BackBuffer, 540, 530), Pixel(*BackBuffer, 541, 530)),
            std::pair(Ground, 0x010000u));

  BackBuffer->pixels.assign(BackBuffer->pixels.size(), Ground);
  for (auto [x, y] : {std::pair{560, 0}, {-40, 0}, {0, 560}, {-2147483647, 0}, {2147483647, 5}}) {
    SetBobPosition(&bob, x, y);
    EXPECT_EQ(DrawBob(&bob, BackBuffer), 0u) << x << "," << y;
  }
  SetBobPosition(&bob, 0, 0);
  bob.attributes &= ~BobVisible;
  EXPECT_EQ(DrawBob(&bob, BackBuffer), 1u);  // invisible: done, nothing drawn
  ExpectBoard(0, 0, 0, 0, frameAt(0, 0));
}

TEST_F(Bobs, ScaledDrawCoversExactlyItsRectangle) {
  BitmapFile pieces = MakeSheet(328, 82);
  SetSheetPixel(pieces, 42, 42, 0);  // frame pixel (0, 0) of cell (1, 1)
  Bob banner = Load(pieces, 40, 1, 1);
  SetBobPosition(&banner, 120, 100);
  ASSERT_EQ(DrawBobScaled(&banner, 100, 100, BackBuffer), 1u);
  // 2.5 times, each pixel showing the frame pixel under its centre: in each row destination
  // pixels 0..1 show frame pixel 0, 2..4 pixel 1, 5..6 pixel 2, ...
  ExpectBoard(120, 100, 220, 200, [&](int x, int y) {
    const std::uint32_t p =
        Pixel(*banner.frameSurfaces[0], (2 * (x - 120) + 1) * 2 / 10, (2 * (y - 100) + 1) * 2 / 10);
    return p != 0 ? p : Ground;
  });
  EXPECT_EQ(std::tuple(Pixel(*BackBuffer, 121, 101), Pixel(*BackBuffer, 122, 100),
                       Pixel(*BackBuffer, 219, 199)),
            std::tuple(Ground, SheetColour(43, 42), SheetColour(81, 81)));
  SetBobPosition(&banner, 500, 100);  // not clipped: leaving the surface is refused whole
  EXPECT_EQ(DrawBobScaled(&banner, 100, 100, BackBuffer), 0u);
}

TEST_F(Bobs, DestroyReleasesOnlyWhatTheBobOwns) {
  Bob shared{};
  Bob owned{};
  ASSERT_EQ(CreateBob(&shared, 0, 0, 40, 40, 3, 0x11, 0), 1u);
  ASSERT_EQ(CreateBob(&owned, 0, 0, 40, 40, 2, 0, 0), 1u);
  const std::size_t before = DisplaySurfaces.size();
  // Shared frames are forgotten (the display frees them at shutdown); owned ones freed, once.
  EXPECT_EQ(DestroyBob(&shared), 1u);
  EXPECT_EQ(std::pair(shared.frameSurfaces[0] == nullptr, DisplaySurfaces.size()),
            std::pair(true, before));
  EXPECT_EQ(DestroyBob(&owned) + DestroyBob(&owned), 2u);
  EXPECT_EQ(DisplaySurfaces.size(), before - 2);

  // A BOB still holding frames when the display shuts down never touches them again.
  Bob kept = Load(MakeSheet(82, 42), 40, 0, 0);
  DisplayShutdown();
  platform::Surface elsewhere{BoardPixels, BoardPixels,
                              std::vector<std::uint32_t>(BoardPixels * BoardPixels)};
  EXPECT_EQ(DrawBob(&kept, &elsewhere), 0u);
  EXPECT_EQ(DrawBobScaled(&kept, 80, 80, &elsewhere), 0u);
}

}  // namespace
