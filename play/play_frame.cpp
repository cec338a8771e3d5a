#include "play/play_frame.h"

#include "app/shell.h"
#include "board/board_state.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/input.h"
#include "play/movement.h"
#include "play/scene.h"

std::int32_t MoveDirection;
std::int32_t StepX;
std::int32_t StepY;
std::uint8_t PlayerMoving;
std::uint8_t CarryingPlatform;

namespace {

constexpr std::int32_t StepPixels = 4;

void SetStep(std::int32_t direction) {
  StepX = direction == DirLeft ? -StepPixels : direction == DirRight ? StepPixels : 0;
  StepY = direction == DirUp ? -StepPixels : direction == DirDown ? StepPixels : 0;
}

}  // namespace

void DecideMove(std::int32_t direction) {
  ProbeUnderPlayer();
  StepX = StepY = 0;
  PlayerMoving = CarryingPlatform = 0;
  switch (direction) {
    case DirLeft: ProbeLeft(); break;
    case DirUp: ProbeUp(); break;
    case DirRight: ProbeRight(); break;
    case DirDown: ProbeDown(); break;
    default: return;
  }
  if (NeighbourLand || NeighbourPlatform) {
    SetStep(direction);
    PlayerMoving = 1;
  } else if (NeighbourWater && OnPlatform) {
    const std::int32_t n = FindPlatformUnderPlayer();
    if (n >= 0 && CanPlatformMove(n, direction)) {
      SetStep(direction);
      PlayerMoving = 1;
      CarryingPlatform = 1;
    }
  }
}

void AdvanceMove() {
  if (!PlayerMoving) return;
  PlayerBob.x += StepX;
  PlayerBob.y += StepY;
  if (CarryingPlatform) {
    // Asked after the Player's step: he is then 4 pixels ahead of his platform.
    const std::int32_t n = FindPlatformUnderPlayer();
    if (n >= 0) {
      PlatformTable.x[n] += StepX;
      PlatformTable.y[n] += StepY;
    }
  }
}

std::int32_t PlayFrame() {
  if (platform::AsyncKeyDown(platform::VK_ESCAPE)) {
    platform::PostMessage(MainWindow, platform::WM_DESTROY, 0, 0);
  }

  // The snapshot is taken in every frame, so that R and D are seen while they are held; the
  // arrows are still decided only on a cell boundary, and only there is a missing keyboard
  // reported.
  const bool onBoundary = AtCellBoundary();
  if (onBoundary) MoveDirection = 0;
  if (ReadKeyboard() == 0 && onBoundary) ShowMessage("No keyboard!");
  if (onBoundary) {
    if (KeyboardState[DIK_LEFT]) MoveDirection = DirLeft;
    if (KeyboardState[DIK_UP]) MoveDirection = DirUp;
    if (KeyboardState[DIK_RIGHT]) MoveDirection = DirRight;
    if (KeyboardState[DIK_DOWN]) MoveDirection = DirDown;
  }

  // Deliberate: R restarts in every frame it is held, the Player standing at his start.
  if (KeyboardState[DIK_R]) ResetLevel();
  if (KeyboardState[DIK_D]) {
    EditorMode = 1;
    EditorClearPending = 1;
  }

  // Asked again: a restart may have moved the Player.
  if (AtCellBoundary()) DecideMove(MoveDirection);

  DrawBoardAndBalls();
  // Deliberate: the step comes before the collection, so a ball on the start cell is taken
  // only if the Player does not move in the level's first frame.
  AdvanceMove();
  DrawPlatformsAndPlayer();
  HandleSolvedLevel();
  CollectBalls();
  BuildTerrainGrid();
  MarkPlatformCells();
  PresentFrame(MainWindow);
  return 1;
}

void ResetPlayFrameState() {
  MoveDirection = StepX = StepY = 0;
  PlayerMoving = CarryingPlatform = 0;
}
