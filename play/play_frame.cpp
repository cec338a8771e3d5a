#include "play/play_frame.h"

#include "app/records.h"
#include "app/shell.h"
#include "board/board_state.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/input.h"
#include "play/hint.h"
#include "play/history.h"
#include "play/movement.h"
#include "play/position.h"
#include "play/scene.h"

std::int32_t MoveDirection;
std::int32_t StepX;
std::int32_t StepY;
std::uint8_t PlayerMoving;
std::uint8_t CarryingPlatform;

namespace {

constexpr std::int32_t StepPixels = 4;

// Undo, redo and hint act on presses, one step a press, on a cell boundary: a press seen
// between boundaries waits for the next one.
constexpr std::uint8_t UndoKey = 1, RedoKey = 2, HintKey = 4;
std::uint8_t HistoryKeysHeld;     // as of the last frame
std::uint8_t HistoryKeysPressed;  // since the last boundary

std::uint8_t HeldHistoryKeys() {
  std::uint8_t held = 0;
  if (KeyboardState[DIK_Z] || KeyboardState[DIK_U] || KeyboardState[DIK_BACK]) held |= UndoKey;
  if (KeyboardState[DIK_Y]) held |= RedoKey;
  if (KeyboardState[DIK_H]) held |= HintKey;
  return held;
}

// On a boundary: the step pressed for, if any. True when the position was replaced.
bool HandleHistoryKeys() {
  const std::uint8_t pressed = HistoryKeysPressed;
  HistoryKeysPressed = 0;
  if ((pressed & UndoKey) && UndoStep()) return true;
  if (!(pressed & UndoKey) && (pressed & RedoKey) && RedoStep()) return true;
  if (pressed == HintKey) ShowHint();
  return false;
}

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
    case DirLeft:
      ProbeLeft();
      break;
    case DirUp:
      ProbeUp();
      break;
    case DirRight:
      ProbeRight();
      break;
    case DirDown:
      ProbeDown();
      break;
    default:
      return;
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

  const std::uint8_t historyKeys = HeldHistoryKeys();
  HistoryKeysPressed |= historyKeys & ~HistoryKeysHeld;
  HistoryKeysHeld = historyKeys;

  const bool wasSolved = LevelSolved;
  // Deliberate: R restarts in every frame it is held, the Player standing at his start.
  if (KeyboardState[DIK_R]) ResetLevel();
  if (KeyboardState[DIK_D]) {
    EditorMode = 1;
    EditorClearPending = 1;
    AttemptFromStart = 0;  // whatever play resumes with, it is no longer the level's own start
    ClearHistory();
    ForgetHint();
  }

  // Asked again: a restart may have moved the Player. A frame that takes a step back or
  // brings one back shows that position and starts no move of its own.
  if (AtCellBoundary() && HistoryKeysPressed && HandleHistoryKeys()) {
    ForgetHint();
    MoveDirection = 0;
  }
  if (AtCellBoundary()) {
    const Position before = CapturePosition();
    DecideMove(MoveDirection);
    if (PlayerMoving) {
      RecordMove(before);
      NoteMoveForHint(MoveDirection);
    }
  }

  DrawBoardAndBalls();
  // Deliberate: the step comes before the collection, so a ball on the start cell is taken
  // only if the Player does not move in the level's first frame.
  AdvanceMove();
  DrawPlatformsAndPlayer();
  DrawHint();
  HandleSolvedLevel();
  CollectBalls();
  if (LevelSolved && !wasSolved) RecordSolve(MoveCount);
  BuildTerrainGrid();
  MarkPlatformCells();
  PresentFrame(MainWindow);
  return 1;
}

void ResetPlayFrameState() {
  MoveDirection = StepX = StepY = 0;
  PlayerMoving = CarryingPlatform = 0;
  HistoryKeysHeld = HistoryKeysPressed = 0;
}
