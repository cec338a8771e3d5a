// Writes the program's icon: the Player's cell of "pieces.bmp" as a Windows .ico with 48, 32
// and 16 pixel images (32-bit, black transparent), for the resource compiler.
// Usage: yelko-icon PIECES.bmp OUT.ico
#include <cstdio>
#include <vector>

#include "gfx/bitmap.h"
#include "platform/byte_order.h"
#include "platform/files.h"

namespace {

// The Player's cell in the pieces sheet.
constexpr int CellX = 83;
constexpr int CellY = 1;
constexpr int CellSide = 40;

// One icon image of side x side pixels, scaled from the cell by nearest pixel: the bitmap header
// (twice the height: colour rows, then the mask), the colour rows bottom up, the mask rows.
std::vector<std::uint8_t> IconImage(const BitmapFile& sheet, int side) {
  using platform::Put16;
  using platform::Put32;
  std::vector<std::uint8_t> out;
  const int maskRow = (side + 31) / 32 * 4;
  Put32(out, 40);
  Put32(out, std::uint32_t(side));
  Put32(out, std::uint32_t(side * 2));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  std::vector<std::uint8_t> mask(std::size_t(maskRow) * std::size_t(side), 0);
  const int width = sheet.infoHeader.width;
  for (int y = side - 1; y >= 0; --y) {
    for (int x = 0; x < side; ++x) {
      const int sx = CellX + x * CellSide / side;
      const int sy = CellY + y * CellSide / side;
      const std::uint8_t* p = &sheet.pixels[(std::size_t(sy) * std::size_t(width) + sx) * 3];
      const bool clear = p[0] == 0 && p[1] == 0 && p[2] == 0;
      out.insert(out.end(), {p[0], p[1], p[2], std::uint8_t(clear ? 0 : 255)});
      if (clear) mask[std::size_t(side - 1 - y) * maskRow + x / 8] |= std::uint8_t(0x80 >> (x % 8));
    }
  }
  out.insert(out.end(), mask.begin(), mask.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: yelko-icon PIECES.bmp OUT.ico\n");
    return 2;
  }
  BitmapFile sheet{};
  if (!LoadBitmapFile(&sheet, argv[1]) || sheet.infoHeader.width < CellX + CellSide ||
      sheet.infoHeader.height < CellY + CellSide) {
    std::fprintf(stderr, "yelko-icon: %s is not the pieces sheet\n", argv[1]);
    return 1;
  }
  const int sides[] = {48, 32, 16};
  std::vector<std::vector<std::uint8_t>> images;
  for (int side : sides) images.push_back(IconImage(sheet, side));
  std::vector<std::uint8_t> ico;
  platform::Put16(ico, 0);
  platform::Put16(ico, 1);  // an icon
  platform::Put16(ico, std::uint32_t(images.size()));
  std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    ico.insert(ico.end(), {std::uint8_t(sides[i]), std::uint8_t(sides[i]), 0, 0});
    platform::Put16(ico, 1);
    platform::Put16(ico, 32);
    platform::Put32(ico, std::uint32_t(images[i].size()));
    platform::Put32(ico, offset);
    offset += std::uint32_t(images[i].size());
  }
  for (const auto& image : images) ico.insert(ico.end(), image.begin(), image.end());
  if (!platform::ReplaceFileAtomically(argv[2], ico.data(), ico.size())) {
    std::fprintf(stderr, "yelko-icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
