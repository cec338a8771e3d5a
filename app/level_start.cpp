// Starting a level: its file read and its level put in play; and a restart.
#include "app/level_start.h"

#include <string>

#include "app/progress.h"
#include "board/level_file.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "input/move_keys.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"
#include "platform/platform.h"

void StartLevel() {
  PlayMoves = {};
  // A puzzle starts again as it was made.
  if (PuzzleInPlay()) {
    for (int unknown = ReplayPuzzle(); unknown > 0; --unknown) ShowMessage("Hov!");
    if (EditorMode) EditorShowBoard(PlayLevel, PlayState);
    return;
  }
  const platform::Window window = platform::FindWindow("WINXCLASS", "Yelko");
  if (window != 0) {
    platform::EnableMenuItem(window, LevelCommandBase + 1, true);
  }
  std::string problem;
  if (LoadLevelFile(CurrentLevel, &problem)) {
    for (int unknown = PlayRecord(LevelRecord, CurrentLevel); unknown > 0; --unknown) {
      ShowMessage("Hov!");
    }
  } else {
    ShowMessage("INVALID_HANDLE_VALUE");
    PlayUnavailable(CurrentLevel, problem);
  }
  // The editor shows the board set up (a level chosen, or Reset, while it is open).
  if (EditorMode) EditorShowBoard(PlayLevel, PlayState);
}

void ResetLevel() {
  // A restart is a step of its own, which undo takes back.
  const GameState before = PlayState;
  const std::uint64_t beforeKey = LevelInPlayKey;
  const std::uint8_t helpedBefore = AttemptHelped;
  StartLevel();
  RecordRestart(before, beforeKey, helpedBefore);
  ForgetHint();
}
