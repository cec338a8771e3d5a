// The status line under the board.
#include "app/status.h"

#include "app/notices.h"
#include "editor/editor.h"
#include "input/actions.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/records.h"
#include "platform/platform.h"

namespace {

std::string Count(std::int32_t n) {
  return n == ParSearching ? "\xE2\x80\xA6" : n < 0 ? "?" : std::to_string(n);
}

}  // namespace

std::string StatusLine() {
  const bool pad = platform::GamepadInUse();
  // The records say what went wrong with them; the player hears it once.
  BestOf(LevelInPlayKey);  // the records are read at their first use
  if (RecordsProblem.empty()) {
    ClearNotice(NoticeTopic::Records);
  } else {
    Notify(NoticeTopic::Records, RecordsProblem);
  }
  const std::string notice = CurrentNotice();
  const auto withNotice = [&notice](const std::string& line) {
    return notice.empty() ? line : line + "        " + notice;
  };
  if (EditorMode) {
    const std::string keys = "S save \xC2\xB7 L load \xC2\xB7 V check \xC2\xB7 Enter back to play";
    const std::string said = !EditorCheckText.empty() ? EditorCheckText : notice;
    return said.empty() ? keys : keys + "        " + said;
  }
  if (!LevelProblem.empty()) {
    return withNotice(LevelProblem + "        " + ActionKeyName(Action::Restart, pad) +
                      " try again");
  }
  if (PlayState.solved && LastSolve.key == LevelInPlayKey) {
    std::string solved = "Solved in " + std::to_string(LastSolve.moves) +
                         (LastSolve.moves == 1 ? " move" : " moves");
    if (!LastSolve.counted) {
      solved += " (not counted: the board was changed in the editor)";
    } else if (LastSolve.newBest) {
      solved += ": a new best!";
    } else {
      solved += " (best " + std::to_string(LastSolve.best) + ")";
    }
    return withNotice(solved);
  }
  std::string line = LevelInPlay > 0 ? "Level " + std::to_string(LevelInPlay) : "level.dat";
  const std::int32_t best = BestOf(LevelInPlayKey);
  line += "   Moves " + std::to_string(MoveCount);
  line += "   Best " + (best < 0 ? std::string("-") : std::to_string(best));
  line += "   Par " + Count(ParOfLevelInPlay());
  const bool buttons = platform::OnScreenButtons();
  std::string hint = HintText();
  if (Hint == HintKind::NoSolution && (pad || buttons)) {
    hint = pad ? std::string("No solution from here: ") + ActionKeyName(Action::Undo, true) +
                     " to undo"
               : "No solution from here: Undo";
  }
  if (!hint.empty()) return line + "        " + hint;
  if (!notice.empty()) return line + "        " + notice;
  if (buttons) return line;  // the buttons under the board say what they do
  return line + "        " + ActionKeyName(Action::Undo, pad) + " undo \xC2\xB7 " +
         ActionKeyName(Action::Restart, pad) + " restart \xC2\xB7 " +
         ActionKeyName(Action::Hint, pad) + " hint";
}

void UpdateStatusLine() {
  platform::SetStatusText(StatusLine());
}
