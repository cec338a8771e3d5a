// Drawing the scene, the sounds of taken balls, and what follows a solved level.
#include "app/scene.h"

#include "app/assets.h"
#include "app/progress.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/clock.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/puzzle.h"
#include "play/movement.h"
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

}  // namespace

void DrawBoardAndBalls(const Level& level, const GameState& state) {
  // The water tiles cover the whole frame, which is never cleared otherwise; a cell under a
  // platform gets only water, even over land.
  Board board;
  BuildBoard(level, state, &board);
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      DrawAt(&WaterTileBob, c * CellPixels, r * CellPixels);
      if (board.cell[c][r] == CellLand) DrawAt(&LandTileBob, c * CellPixels, r * CellPixels);
    }
  }
  // Ball n is drawn by BOB n.
  for (int n = 0; n < level.ballCount; ++n) {
    if (state.ballsLying & (1u << n)) DrawAt(&BallBobs[n], level.ballX[n], level.ballY[n]);
  }
}

void DrawPlatformsAndPlayer(const Level& level, const GameState& state) {
  for (int n = 0; n < level.platformCount; ++n) {
    const std::int32_t type = level.platformType[n];
    if (type < 0 || type >= PlatformTypes) continue;  // an unknown type has no picture
    DrawAt(&PlatformBobs[type], state.platformX[n], state.platformY[n]);
  }
  DrawAt(&PlayerBob, state.playerX, state.playerY);
}

void DrawHint(const GameState& state) {
  if (Hint != HintKind::Move || BackBuffer == nullptr) return;
  // A white arrowhead with a dark rim at the side of the cell he should leave by, so that he
  // stays in sight: readable over any tile, whatever colours the sheets have.
  platform::Surface& frame = *BackBuffer;
  constexpr int Length = 9;
  int dx, dy;
  DirectionStep(HintDirection, &dx, &dy);
  const int cx = state.playerX + 20 + dx * 12, cy = state.playerY + 20 + dy * 12;
  for (int along = -Length; along <= Length; ++along) {
    const int half = (Length - along) / 2 + 1;  // widest at the back
    for (int across = -half; across <= half; ++across) {
      const int x = dx != 0 ? dx * along : across;
      const int y = dy != 0 ? dy * along : across;
      const int px = cx + x, py = cy + y;
      if (px < 0 || py < 0 || px >= frame.width || py >= frame.height) continue;
      const bool rim = across == -half || across == half || along == -Length || along == Length;
      frame.pixels[std::size_t(py) * std::size_t(frame.width) + std::size_t(px)] =
          rim ? 0x00202020u : 0x00FFFFFFu;
    }
  }
}

void HandleSolvedLevel(bool solved) {
  if (!solved) {
    SolvedClock = GetClock();
    return;
  }
  if (GetClock() - SolvedClock > BannerDelayMs) DrawSolvedBanner();
  // Deliberate: the finishing sound plays once a run, and only when level 5 is current.
  if (GetClock() - SolvedClock > FinishedDelayMs && CurrentLevel == LastLevel && !FinishedPlayed) {
    PlaySound(FinishedSound, 0);
    FinishedPlayed = 1;
  }
  // A board changed in the editor earns no progress, and a puzzle never moves it.
  if (!SolveEarned || PuzzleInPlay()) return;
  EnableLevelMenu(CurrentLevel);
  // Deliberate: the level to resume is the one after the last solve, not the highest reached.
  SaveProgress(CurrentLevel);
}

void SoundCollectedBalls(const RuleEvents& events) {
  for (int n = 0; n < events.ballsTaken; ++n) {
    // Deliberate: the crunch is started and at once stopped and rewound, never left to play.
    PlaySound(CrunchSound, 0);
    StopSound(CrunchSound);
  }
  if (!events.solved) return;
  SolveEarned = AttemptFromStart;
  if (CurrentLevel < LastLevel && SolveEarned && !PuzzleInPlay()) ++CurrentLevel;
  PlaySound(BifaldSound, 0);
}

void DrawSolvedBanner() {
  for (const BannerDraw& d : BannerLayout) {
    Bob* bob = &BannerBobs[d.image];
    SetBobPosition(bob, d.x, d.y);
    DrawBobScaled(bob, BannerSize, BannerSize, BackBuffer);
  }
}

std::array<std::uint32_t, 2> SolvedEventTimes() {
  const bool finishing = CurrentLevel == LastLevel && !FinishedPlayed;
  return {BannerDelayMs, finishing ? FinishedDelayMs : 0};
}

void ResetSceneState() {
  SolvedClock = 0;
  FinishedPlayed = 0;
}
