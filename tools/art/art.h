// The game's pictures, painted from code: the 40 x 40 pieces and the 120 x 120 platforms, and
// the two sheets that hold them.
#pragma once

#include <string>

#include "platform/surface.h"

inline constexpr int PieceSide = 40;
inline constexpr int PlatformSide = 120;

// Tiles fill their whole cell and hold no pure black; they repeat without a seam.
platform::Surface PaintLandTile();
platform::Surface PaintWaterTile();
// Sprites stand on pure black, which the game draws as transparent.
platform::Surface PaintBall();
platform::Surface PaintPlayer();
// One letter of the "WELL DONE!" banner: 'W', 'E', 'L', 'D', 'O', 'N' or '!'.
platform::Surface PaintBannerLetter(char letter);
// Platform type 0..8 as a raft over its shape's cells of the 3 x 3 box.
platform::Surface PaintPlatform(int type);

// "pieces.bmp": eight columns by two rows of 40 x 40 cells between one-pixel grid lines. Row 0:
// land, ball, Player; row 1: water and the banner letters W, E, L, D, O, N, "!". The cells and
// their lines take 329 pixels across; the sheet is 332, so that its rows are a whole number of
// 4-byte words and no reader has to know about row padding (the spare columns are grid line).
inline constexpr int PiecesSheetWidth = 332;
inline constexpr int PiecesSheetHeight = 2 * (PieceSide + 1) + 1;
platform::Surface PaintPiecesSheet();
// "boats.bmp": three by three cells of 120 x 120; type k in column k / 3, row k % 3. 364 pixels
// square, already a multiple of 4.
inline constexpr int BoatsSheetSide = 3 * (PlatformSide + 1) + 1;
platform::Surface PaintBoatsSheet();

// The program's icon, the Player smoothed: DIR/hicolor/NxN/apps/yelko.png at the sizes the
// desktops use (16 to 512), DIR/hicolor/scalable/apps/yelko.svg and DIR/yelko.ico for Windows.
// False (with a message) when a file cannot be written.
bool WriteIcons(const std::string& dir);

// Where cell (column, row) of a sheet of `side`-pixel cells starts.
inline int CellOrigin(int index, int side) {
  return index * (side + 1) + 1;
}
