#include "gfx/sprites.h"

BitmapFile PiecesBitmap;
BitmapFile BoatsBitmap;
Bob LandTileBob;
Bob WaterTileBob;
Bob BallBobs[BallSlots];
Bob PlayerBob;
Bob PlatformBobs[PlatformTypes];
Bob BannerBobs[BannerImages + 1];

void ResetSpriteState() {
  PiecesBitmap = {};
  BoatsBitmap = {};
  LandTileBob = {};
  WaterTileBob = {};
  for (Bob& b : BallBobs) b = {};
  PlayerBob = {};
  for (Bob& b : PlatformBobs) b = {};
  for (Bob& b : BannerBobs) b = {};
}
