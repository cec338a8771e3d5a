// The game's sprites and image sheets, created and filled at start-up (app/assets.cpp).
#pragma once

#include "gfx/bitmap.h"
#include "gfx/bob.h"

inline constexpr int BallSlots = 10;
inline constexpr int PlatformTypes = 9;
inline constexpr int BannerImages = 7;

extern BitmapFile PiecesBitmap;  // "pieces.bmp": tiles, ball, Player, banner, 40 x 40 cells
extern BitmapFile BoatsBitmap;   // "boats.bmp": the nine platforms, 120 x 120 cells

extern Bob LandTileBob;
extern Bob WaterTileBob;
extern Bob BallBobs[BallSlots];
extern Bob PlayerBob;  // drawn where the state in play puts the Player
extern Bob PlatformBobs[PlatformTypes];
extern Bob BannerBobs[BannerImages + 1];  // images 1..7; index 0 unused

void ResetSpriteState();
