// Playing what the editor made: the painted board, and "level.dat" as a test.
#include "app/editor_play.h"

#include "app/level_start.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "midend/game.h"
#include "midend/puzzle.h"

namespace {

// While a test runs: what it took over, given back when it ends.
bool Testing;
std::uint8_t LevelBefore;
bool OverriddenBefore;
std::uint8_t OverrideBefore;

}  // namespace

void LeaveEditor(EditorLeave leave) {
  if (leave == EditorLeave::Play) {
    // The board as painted, nothing of the level in play before it; by its content it has a
    // par and a best of its own, as a pasted level has.
    std::uint8_t record[LevelRecordSize];
    std::string refusal;
    if (!EditedRecord(record, &refusal)) {
      EditorCheckText = "Cannot play this board: " + refusal.substr(0, refusal.find('\n'));
      return;
    }
    EditorMode = 0;
    EndTestPlay();
    PlayPuzzle(record, "Your level");
    PuzzleStarted();
  } else if (leave == EditorLeave::TestPlay) {
    if (!Testing) {
      LevelBefore = CurrentLevel;
      OverriddenBefore = ProgressOverridden();
      OverrideBefore = OverriddenBefore ? LoadProgress() : 0;
    }
    Testing = true;
    LeavePuzzle();
    // As --start-level 0 plays it: the progress is neither read nor written meanwhile.
    SetProgressOverride(true, 0);
    CurrentLevel = 0;
    StartLevel();
  }
}

bool TestPlaying() {
  return Testing && LevelInPlay == 0;
}

void BackToEditor() {
  if (!TestPlaying()) return;
  // The Player back on the saved start (a save without a Player stores where he stands).
  StartLevel();
  EndTestPlay();
  EditorMode = 1;
  EditorCheckText.clear();
}

void EndTestPlay() {
  if (!Testing) return;
  Testing = false;
  // A level chosen meanwhile (the menu, the next level after a solve) stays chosen.
  if (CurrentLevel == 0) CurrentLevel = LevelBefore;
  SetProgressOverride(OverriddenBefore, OverrideBefore);
}

void ResetEditorPlayState() {
  Testing = OverriddenBefore = false;
  LevelBefore = OverrideBefore = 0;
}
