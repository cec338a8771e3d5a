// The art and sounds the build lays out in the run directory: the cells the game cuts the image
// sheets by and the transparency rules their pictures keep, and the sounds' format and shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/platform_shapes.h"
#include "gfx/bitmap.h"
#include "platform/headless/headless.h"
#include "sound/sound.h"
#include "tests/test_support.h"

namespace {

using testing_support::GameDir;

struct Sheet {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
  std::uint32_t At(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
};

// Loads a sheet through the game's own loader.
Sheet LoadSheet(const std::string& name, int width, int height) {
  const std::string path = GameDir() + "/" + name;
  Sheet sheet;
  BitmapFile bmp{};
  EXPECT_EQ(LoadBitmapFile(&bmp, path.c_str()), 1u) << path << " missing? build the game first";
  if (bmp.infoHeader.width != width || bmp.infoHeader.height != height) return sheet;
  sheet.width = width;
  sheet.height = height;
  for (std::size_t i = 0; i < bmp.pixels.size(); i += 3) {
    sheet.pixels.push_back(std::uint32_t(bmp.pixels[i]) | std::uint32_t(bmp.pixels[i + 1]) << 8 |
                           std::uint32_t(bmp.pixels[i + 2]) << 16);
  }
  UnloadBitmapFile(&bmp);
  return sheet;
}

// The pixels of cell (column, row), as the game's cell addressing cuts them.
Sheet Cell(const Sheet& sheet, int column, int row, int side) {
  Sheet cell{side, side, {}};
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      cell.pixels.push_back(sheet.At((side + 1) * column + 1 + x, (side + 1) * row + 1 + y));
    }
  }
  return cell;
}

TEST(ContentArt, PiecesTilesHaveNoHolesAndSpritesStayInsideTheirCells) {
  const Sheet sheet = LoadSheet("pieces.bmp", 332, 83);
  ASSERT_EQ(sheet.pixels.size(), 332u * 83u);

  // Black is transparent: in a tile it would show holes in the board. (Whether the colours tell
  // things apart is the colour-blindness test's to judge, on the board as drawn.)
  for (const Sheet& tile : {Cell(sheet, 0, 0, 40), Cell(sheet, 0, 1, 40)}) {
    EXPECT_EQ(std::count(tile.pixels.begin(), tile.pixels.end(), 0u), 0) << "black in a tile";
  }
  // Sprites stand on black, with their picture in the middle; unused cells are empty.
  for (int column = 1; column < 8; ++column) {
    for (int row = 0; row < 2; ++row) {
      const Sheet cell = Cell(sheet, column, row, 40);
      int drawn = 0;
      for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
          if (cell.At(x, y) == 0) continue;
          ++drawn;
          EXPECT_TRUE(x > 0 && y > 0 && x < 39 && y < 39)
              << "cell (" << column << ", " << row << ") drawn to its edge at " << x << "," << y;
        }
      }
      if (row == 0 && column >= 3) {
        EXPECT_EQ(drawn, 0) << "cell (" << column << ", 0) is not used";
      } else {
        EXPECT_GT(drawn, 250) << "cell (" << column << ", " << row << ")";
      }
    }
  }
}

TEST(ContentArt, EachRaftCoversExactlyItsPlatformShape) {
  const Sheet sheet = LoadSheet("boats.bmp", 364, 364);
  ASSERT_EQ(sheet.pixels.size(), 364u * 364u);

  for (int type = 0; type < 9; ++type) {
    const Sheet boat = Cell(sheet, type / 3, type % 3, 120);
    const PlatformRecord& shape = PlatformShapeOf(type);
    for (int cx = 0; cx < 3; ++cx) {
      for (int cy = 0; cy < 3; ++cy) {
        // Occupied: the raft covers the cell but for a thin margin along its outer edges.
        // Empty: wholly transparent.
        for (int y = cy * 40; y < cy * 40 + 40; ++y) {
          for (int x = cx * 40; x < cx * 40 + 40; ++x) {
            const bool inner = x % 40 >= 8 && x % 40 < 32 && y % 40 >= 8 && y % 40 < 32;
            if (!shape.shape[cx][cy]) {
              ASSERT_EQ(boat.At(x, y), 0u) << "type " << type << " at " << x << "," << y;
            } else if (inner) {
              ASSERT_NE(boat.At(x, y), 0u) << "type " << type << " at " << x << "," << y;
            }
          }
        }
        if (!shape.shape[cx][cy]) continue;
        // Where two cells of the raft meet, the raft runs on across the border; where it ends,
        // water shows at the very edge of the cell.
        const bool right = cx < 2 && shape.shape[cx + 1][cy];
        const bool down = cy < 2 && shape.shape[cx][cy + 1];
        EXPECT_EQ(boat.At(cx * 40 + 39, cy * 40 + 20) != 0, right) << "type " << type;
        EXPECT_EQ(boat.At(cx * 40 + 20, cy * 40 + 39) != 0, down) << "type " << type;
      }
    }
  }
}

// The five sound effects, as the game's own sound layer loads them: the one format every buffer
// plays in, lengths, and that each starts and ends at rest.
using ContentSound = testing_support::FreshProgram;

TEST_F(ContentSound, EveryEffectLoadsInOrderShortQuietAtTheEdgesAndAudible) {
  ASSERT_EQ(SoundInit(), 1);
  const char* const files[] = {"walk.wav", "thump.wav", "crunch.wav", "bifald.wav", "finished.wav"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(files[i]);
    const std::string path = testing_support::GameDir() + "/" + files[i];
    ASSERT_EQ(LoadWav(path.c_str(), 0), i) << "missing? build the game first";
    const platform::PcmFormat format = headless::LastSoundFormat();
    EXPECT_EQ(format.rate, 11025u);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.bits, 8);
    const std::vector<std::uint8_t> data = headless::LastSoundSamples();
    EXPECT_EQ(data.size(), testing_support::ReadBytes(path).size() - 44) << "not the whole file";
    EXPECT_LT(data.size(), 3u * 11025u);
    // The applause and the fanfare are the long ones.
    EXPECT_GT(data.size(), i >= 3 ? 11025u * 3 / 2 : 11025u / 10);
    // No click: the first and last samples sit on the silence level, and the sound moves away
    // from it gradually.
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_NEAR(data[k], 128, 2);
      EXPECT_NEAR(data[data.size() - 1 - k], 128, 2);
    }
    for (std::size_t k = 0; k + 1 < 32; ++k) {
      EXPECT_LE(std::abs(data[k + 1] - data[k]), 24) << "jump at the start, sample " << k;
      EXPECT_LE(std::abs(data[data.size() - 1 - k] - data[data.size() - 2 - k]), 8)
          << "jump at the end, sample " << k;
    }
    // Loud enough to hear, without being clipped flat.
    const auto [low, high] = std::minmax_element(data.begin(), data.end());
    EXPECT_GT(*high - *low, 150);
    EXPECT_GT(*low, 0);
    EXPECT_LT(*high, 255);
  }
}

}  // namespace
