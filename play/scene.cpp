#include "play/scene.h"

#include "app/assets.h"
#include "app/progress.h"
#include "board/board_state.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/clock.h"
#include "sound/sound.h"

std::uint32_t SolvedClock;
std::uint8_t FinishedPlayed;

namespace {

constexpr std::uint32_t BannerDelayMs = 1000;
constexpr std::uint32_t FinishedDelayMs = 4000;
constexpr std::uint8_t LastLevel = LevelCount;

// Where each banner image is drawn, 100 x 100: "WELL" over "DONE!".
struct BannerDraw {
  int image;
  std::int32_t x;
  std::int32_t y;
};
constexpr BannerDraw BannerLayout[] = {
    {1, 120, 100}, {2, 210, 100}, {3, 280, 100}, {3, 350, 100}, {4, 96, 200},
    {5, 172, 200}, {6, 256, 200}, {2, 338, 200}, {7, 396, 200},
};
constexpr std::int32_t BannerSize = 100;

void DrawAt(Bob* bob, std::int32_t x, std::int32_t y) {
  SetBobPosition(bob, x, y);
  DrawBob(bob, BackBuffer);
}

// Balls and the Player off the board stand on no cell.
bool OnBoardCell(std::int32_t x, std::int32_t y) {
  return x >= 0 && y >= 0 && x % CellPixels == 0 && y % CellPixels == 0 &&
         OnBoard(x / CellPixels, y / CellPixels);
}

int BallCount() {
  return BallTotal < 0 ? 0 : BallTotal > BallSlots ? BallSlots : BallTotal;
}

}  // namespace

void DrawBoardAndBalls() {
  // The water tiles cover the whole frame, which is never cleared otherwise; a cell under a
  // platform gets only water, even over land.
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      DrawAt(&WaterTileBob, c * CellPixels, r * CellPixels);
      if (BoardGrid[c][r] == CellLand) DrawAt(&LandTileBob, c * CellPixels, r * CellPixels);
    }
  }
  for (int n = 0; n < BallCount(); ++n) {
    if (BallAlive[n]) DrawBob(&BallBobs[n], BackBuffer);
  }
}

void DrawPlatformsAndPlayer() {
  for (int n = 0; n < PlatformCount && n < MaxPlatformsInRecord; ++n) {
    const std::int32_t type = PlatformTable.type[n];
    if (type < 0 || type >= PlatformTypes) continue;  // an unknown type has no picture
    DrawAt(&PlatformBobs[type], PlatformTable.x[n], PlatformTable.y[n]);
  }
  DrawAt(&PlayerBob, PlayerBob.x, PlayerBob.y);
}

void HandleSolvedLevel() {
  if (!LevelSolved) {
    SolvedClock = GetClock();
    return;
  }
  if (GetClock() - SolvedClock > BannerDelayMs) DrawSolvedBanner();
  // Deliberate: the finishing sound plays once a run, and only when level 5 is current.
  if (GetClock() - SolvedClock > FinishedDelayMs && CurrentLevel == LastLevel && !FinishedPlayed) {
    PlaySound(FinishedSound, 0);
    FinishedPlayed = 1;
  }
  // A board changed in the editor earns no progress.
  if (!SolveEarned) return;
  EnableLevelMenu(CurrentLevel);
  // Deliberate: the level to resume is the one after the last solve, not the highest reached.
  SaveProgress(CurrentLevel);
}

void CollectBalls() {
  if (!OnBoardCell(PlayerBob.x, PlayerBob.y)) return;
  for (int n = 0; n < BallCount(); ++n) {
    if (!BallAlive[n] || BallBobs[n].x != PlayerBob.x || BallBobs[n].y != PlayerBob.y) continue;
    --BallsLeft;
    // Deliberate: the crunch is started and at once stopped and rewound, never left to play.
    PlaySound(CrunchSound, 0);
    StopSound(CrunchSound);
    BallAlive[n] = 0;
    if (BallsLeft == 0) {
      LevelSolved = 1;
      SolveEarned = AttemptFromStart;
      if (CurrentLevel < LastLevel && SolveEarned) ++CurrentLevel;
      PlaySound(BifaldSound, 0);
    }
  }
}

void DrawSolvedBanner() {
  for (const BannerDraw& d : BannerLayout) {
    Bob* bob = &BannerBobs[d.image];
    SetBobPosition(bob, d.x, d.y);
    DrawBobScaled(bob, BannerSize, BannerSize, BackBuffer);
  }
}

void ResetSceneState() {
  SolvedClock = 0;
  FinishedPlayed = 0;
}
