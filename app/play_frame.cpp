// One frame of play, in the order the game has always run it.
#include "app/play_frame.h"

#include "app/editor_play.h"
#include "app/level_start.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "app/scene.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "input/actions.h"
#include "input/input.h"
#include "input/move_keys.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/records.h"
#include "play/movement.h"
#include "play/rules.h"

namespace {

// Undo, redo, hint and Show solution act on presses, one step a press, on a cell boundary: a
// press seen between boundaries waits for the next one.
constexpr std::uint8_t UndoKey = 1, RedoKey = 2, HintKey = 4, SolutionKey = 8;
std::uint8_t HistoryKeysHeld;     // as of the last frame
std::uint8_t HistoryKeysPressed;  // since the last boundary

std::uint8_t HeldHistoryKeys(const FrameInput& input) {
  std::uint8_t held = 0;
  if (input.Held(Action::Undo)) held |= UndoKey;
  if (input.Held(Action::Redo)) held |= RedoKey;
  if (input.Held(Action::Hint)) held |= HintKey;
  if (input.Held(Action::Solution)) held |= SolutionKey;
  return held;
}

// On a boundary: the step pressed for, if any. True when the state was replaced.
bool HandleHistoryKeys() {
  const std::uint8_t pressed = HistoryKeysPressed;
  HistoryKeysPressed = 0;
  if ((pressed & UndoKey) && UndoStep()) return true;
  if (!(pressed & UndoKey) && (pressed & RedoKey) && RedoStep()) return true;
  if (pressed == HintKey) ShowHint();
  if (pressed == SolutionKey) ShowSolution();
  return false;
}

std::int32_t DirectionOf(Action arrow) {
  switch (arrow) {
    case Action::Left:
      return DirLeft;
    case Action::Up:
      return DirUp;
    case Action::Right:
      return DirRight;
    case Action::Down:
      return DirDown;
    default:
      return 0;
  }
}

}  // namespace

std::int32_t PlayFrame() {
  // Escape ends the game; in a test of the editor's level it goes back to the editor. A test
  // left for another level or a puzzle gives the progress back.
  if (!TestPlaying()) EndTestPlay();
  if (platform::AsyncKeyDown(platform::VK_ESCAPE)) {
    if (TestPlaying()) {
      BackToEditor();
      return 1;
    }
    platform::PostMessage(MainWindow, platform::WM_DESTROY, 0, 0);
  }

  // The keyboard is read in every frame, so that R and D are seen while they are held and no
  // arrow pressed between boundaries is lost; a move is still decided only on a cell boundary,
  // and only there is a missing keyboard reported.
  const FrameInput input = ReadFrameInput();
  if (!input.keyboard && AtCellBoundary(PlayState)) ShowMessage("No keyboard!");
  // Any key stops a solution being shown, and then does what it does.
  if (ShowingSolution() && AnyKeyPressed()) StopSolution();

  const bool wasSolved = PlayState.solved;
  const std::uint8_t historyKeys = HeldHistoryKeys(input);
  HistoryKeysPressed |= historyKeys & ~HistoryKeysHeld;
  HistoryKeysHeld = historyKeys;

  // Deliberate: R restarts in every frame it is held, the Player standing at his start. It acts
  // at once, between boundaries too, and a move under way does not go on from the start: the
  // boundary the restart puts him on is decided afresh from the arrows.
  if (input.Held(Action::Restart)) ResetLevel();
  if (input.Held(Action::Editor)) {
    EndTestPlay();
    EditorMode = 1;
    EditorClearPending = 1;
    AttemptFromStart = 0;  // whatever play resumes with, it is no longer the level's own start
    ClearHistory();
    ForgetHint();
    PlayMoves = {};
  }
  NoteMovePresses(PlayMoves, input);

  // Asked here: a restart may have put the Player on one. A frame that takes a step back or
  // brings one back shows that state and starts no move of its own; an arrow pressed meanwhile
  // waits for the next boundary.
  if (AtCellBoundary(PlayState)) {
    if (HistoryKeysPressed && HandleHistoryKeys()) {
      ForgetHint();
      PlayState.movement.direction = 0;
    } else {
      const std::int32_t direction = DirectionOf(TakeMove(PlayMoves, input));
      PlayState.movement.direction = direction != 0 ? direction : SolutionMove();
    }
  }

  KeepThinking();
  PuzzleFrame();
  const GameState before = PlayState;
  const RuleEvents events = RulesFrame(PlayLevel, &PlayState);
  if (events.stepStarted) {
    RecordMove(before);
    NoteMoveForHint(PlayState.movement.direction);
  }

  // Deliberate: the step comes before the balls are taken, so a ball on the start cell is
  // taken only if the Player does not move in the level's first frame; the tiles and balls are
  // drawn as they stood before the step, the platforms and the Player after it.
  DrawBoardAndBalls(PlayLevel, before);
  DrawPlatformsAndPlayer(PlayLevel, PlayState);
  DrawHint(PlayState);
  HandleSolvedLevel(before.solved);
  SoundCollectedBalls(events);
  if (PlayState.solved && !wasSolved) {
    RecordSolve(MoveCount);
    MarkSolvedLevels();
  }
  // The terrain is the record's again from the next frame on (the editor may have painted it).
  SetTerrain(LevelRecord, &PlayLevel);
  PresentFrame(MainWindow);
  return 1;
}

bool PlayFrameWaiting() {
  return PlayMoves.pending != Action::Count || HistoryKeysPressed != 0;
}

void ShowSolutionAtBoundary() {
  HistoryKeysPressed |= SolutionKey;
}

void ResetPlayFrameState() {
  HistoryKeysHeld = HistoryKeysPressed = 0;
  PlayMoves = {};
}
