// yelko-art: paints the game's image sheets.
//
//   yelko-art OUTDIR                          writes OUTDIR/pieces.bmp and OUTDIR/boats.bmp
//   yelko-art --icons OUTDIR                  writes the program's icons under OUTDIR
//   yelko-art --installer OUT.bmp             the Windows installer's 164 x 314 side picture
//   yelko-art --preview LEVEL.dat OUT.bmp [banner]
//                                             a 560 x 560 picture of a level drawn with them,
//                                             with "banner" the "WELL DONE!" banner over it
//
// Everything is painted from code and fixed seeds: the same bytes on every run.

#include <cstdio>
#include <cstring>
#include <string>

#include "board/level_file.h"
#include "board/level_record.h"
#include "platform/files.h"
#include "platform/image_write.h"
#include "tools/art/art.h"
#include "tools/art/paint.h"

namespace {

int WriteSheets(const std::string& dir) {
  const std::string pieces = dir + "/pieces.bmp";
  const std::string boats = dir + "/boats.bmp";
  if (!platform::WriteBmp24(pieces.c_str(), PaintPiecesSheet())) {
    std::fprintf(stderr, "%s: cannot write it\n", pieces.c_str());
    return 1;
  }
  if (!platform::WriteBmp24(boats.c_str(), PaintBoatsSheet())) {
    std::fprintf(stderr, "%s: cannot write it\n", boats.c_str());
    return 1;
  }
  return 0;
}

// Draws `sprite` at (x, y) with black transparent, scaled to w x h, clipped to the board.
void Draw(platform::Surface& board, const platform::Surface& sprite, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      const int bx = x + i, by = y + j;
      if (bx < 0 || by < 0 || bx >= board.width || by >= board.height) continue;
      const std::uint32_t p =
          sprite.pixels[std::size_t((j * sprite.height / h) * sprite.width + i * sprite.width / w)];
      if (p != 0) board.pixels[std::size_t(by * board.width + bx)] = p;
    }
  }
}

// The scene as the game draws it: water everywhere, land, balls, platforms, the Player, and
// the banner of a solved level.
int Preview(const char* levelPath, const char* outPath, bool withBanner) {
  std::uint8_t record[LevelRecordSize];
  std::memset(record, 255, sizeof record);
  if (platform::ReadFilePrefix(levelPath, record, sizeof record) < 0) {
    std::fprintf(stderr, "%s: cannot read it\n", levelPath);
    return 1;
  }
  const int side = BoardCells * PieceSide;
  platform::Surface board;
  board.width = side;
  board.height = side;
  board.pixels.assign(std::size_t(side * side), 0);
  const platform::Surface land = PaintLandTile(), water = PaintWaterTile();
  const platform::Surface ball = PaintBall(), player = PaintPlayer();
  LevelLayout level;
  DecodeLevelRecord(record, &level);
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      Draw(board, water, c * PieceSide, r * PieceSide, PieceSide, PieceSide);
      if (level.terrain[c][r] == 1)
        Draw(board, land, c * PieceSide, r * PieceSide, PieceSide, PieceSide);
    }
  }
  for (int n = 0; n < level.ballCount; ++n) {
    Draw(board, ball, level.balls[n].column * PieceSide, level.balls[n].row * PieceSide, PieceSide,
         PieceSide);
  }
  for (int n = 0; n < level.platformCount; ++n) {
    const LevelPlatform& p = level.platforms[n];
    if (p.type < 0 || p.type > 8) continue;
    Draw(board, PaintPlatform(p.type), p.column * PieceSide, p.row * PieceSide, PlatformSide,
         PlatformSide);
  }
  Draw(board, player, level.startColumn * PieceSide, level.startRow * PieceSide, PieceSide,
       PieceSide);
  // The banner's letters and places, as the game draws them.
  const struct {
    char letter;
    int x, y;
  } banner[] = {{'W', 120, 100}, {'E', 210, 100}, {'L', 280, 100}, {'L', 350, 100}, {'D', 96, 200},
                {'O', 172, 200}, {'N', 256, 200}, {'E', 338, 200}, {'!', 396, 200}};
  if (withBanner) {
    for (const auto& b : banner) Draw(board, PaintBannerLetter(b.letter), b.x, b.y, 100, 100);
  }
  if (!platform::WriteBmp24(outPath, board)) {
    std::fprintf(stderr, "%s: cannot write it\n", outPath);
    return 1;
  }
  return 0;
}

// The man on a raft out on the water, a ball ahead of him.
int InstallerPicture(const char* outPath) {
  platform::Surface picture = MakeSurface(164, 314, 0);
  const platform::Surface water = PaintWaterTile();
  for (int y = 0; y < picture.height; y += PieceSide) {
    for (int x = 0; x < picture.width; x += PieceSide) Draw(picture, water, x - 18, y - 3, 40, 40);
  }
  Draw(picture, PaintBall(), 62, 77, PieceSide, PieceSide);
  Draw(picture, PaintPlatform(5), 42, 157, PlatformSide, PlatformSide);  // the 2 x 2 square
  Draw(picture, PaintPlayer(), 62, 177, PieceSide, PieceSide);
  if (!platform::WriteBmp24(outPath, picture)) {
    std::fprintf(stderr, "%s: cannot write it\n", outPath);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2) return WriteSheets(argv[1]);
  if (argc == 3 && std::strcmp(argv[1], "--icons") == 0) return WriteIcons(argv[2]) ? 0 : 1;
  if (argc == 3 && std::strcmp(argv[1], "--installer") == 0) return InstallerPicture(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "--preview") == 0) {
    return Preview(argv[2], argv[3], false);
  }
  if (argc == 5 && std::strcmp(argv[1], "--preview") == 0 && std::strcmp(argv[4], "banner") == 0) {
    return Preview(argv[2], argv[3], true);
  }
  std::fprintf(stderr,
               "usage: yelko-art OUTDIR\n"
               "       yelko-art --icons OUTDIR\n"
               "       yelko-art --installer OUT.bmp\n"
               "       yelko-art --preview LEVEL.dat OUT.bmp [banner]\n");
  return 2;
}
