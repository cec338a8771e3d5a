// The status line under the board, and the window's caption.
#include "app/status.h"

#include <algorithm>

#include "app/level_names.h"
#include "app/notices.h"
#include "app/progress.h"
#include "editor/editor.h"
#include "input/actions.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/records.h"
#include "platform/platform.h"

namespace {

constexpr const char* Dot = " \xC2\xB7 ";
constexpr const char* Gap = "        ";  // before what the keys do, a hint or a notice

std::string Count(std::int32_t n) {
  return n < 0 ? "?" : std::to_string(n);
}

// One piece of the line: its text with the space before it, a shorter form (or ""), and its
// rank: when the window is narrow the lowest rank is shortened, then left out, first.
struct Part {
  std::string text;
  std::string shorter;
  int rank = 0;
};

std::vector<std::string> Variants(std::vector<Part> parts) {
  const auto join = [&parts] {
    std::string line;
    for (const Part& p : parts) line += p.text;
    // A part left first drops the space before it.
    const std::size_t start = line.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : line.substr(start);
  };
  std::vector<std::string> variants = {join()};
  std::vector<int> ranks;
  for (const Part& p : parts) ranks.push_back(p.rank);
  std::sort(ranks.begin(), ranks.end());
  ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());
  if (!ranks.empty()) ranks.pop_back();  // the highest rank always stays
  for (int rank : ranks) {
    bool shortened = false;
    for (Part& p : parts) {
      if (p.rank == rank && !p.shorter.empty()) {
        p.text = p.shorter;
        shortened = true;
      }
    }
    if (shortened) variants.push_back(join());
    std::erase_if(parts, [rank](const Part& p) { return p.rank == rank; });
    variants.push_back(join());
  }
  std::erase_if(variants, [](const std::string& v) { return v.empty(); });
  variants.erase(std::unique(variants.begin(), variants.end()), variants.end());
  return variants;
}

// What R does now: start the next level after a solve that earned it, else this one again.
std::string NextStep(bool pad, bool buttons) {
  const std::string key = buttons ? "Restart" : ActionKeyName(Action::Restart, pad);
  if (key.empty()) return "";
  return key + (CurrentLevel != LevelInPlay && CurrentLevel > 0 ? " next level" : " play again");
}

std::vector<Part> PlayParts() {
  const bool pad = platform::GamepadInUse();
  const bool buttons = platform::OnScreenButtons();
  const std::string notice = CurrentNotice();
  if (EditorMode) {
    const std::string keys = std::string(ActionKeyName(Action::Save, false)) + " save" + Dot +
                             ActionKeyName(Action::Load, false) + " load" + Dot +
                             ActionKeyName(Action::Check, false) + " check" + Dot +
                             ActionKeyName(Action::Play, false) + " back to play";
    const std::string said = !EditorCheckText.empty() ? EditorCheckText : notice;
    return {{keys, std::string(ActionKeyName(Action::Play, false)) + " play", 0},
            {said.empty() ? "" : Gap + said, "", 1}};
  }
  const std::string noticePart = notice.empty() ? "" : Gap + notice;
  if (!LevelProblem.empty()) {
    const std::string restart = ActionKeyName(Action::Restart, pad);
    return {{LevelProblem, "", 2},
            {restart.empty() ? "" : Gap + restart + " try again", "", 0},
            {noticePart, "", 1}};
  }
  if (PlayState.solved && LastSolve.key == LevelInPlayKey) {
    const std::string moves =
        std::to_string(LastSolve.moves) + (LastSolve.moves == 1 ? " move" : " moves");
    std::string worth, shorter;
    if (!LastSolve.counted) {
      worth = " (not counted: the board was changed in the editor)";
      shorter = ", not counted";
    } else if (LastSolve.newBest) {
      worth = ": a new best!";
      shorter = ", a new best";
    } else {
      worth = " (best " + std::to_string(LastSolve.best) + ")";
      shorter = worth;
    }
    const std::string next = NextStep(pad, buttons);
    return {{"Solved in " + moves + worth, "Solved: " + moves + shorter, 2},
            {next.empty() ? "" : Gap + next, "", 3},
            {noticePart, "", 1}};
  }
  const std::int32_t best = BestOf(LevelInPlayKey);
  const std::string name = LevelInPlay > 0 ? LevelName(LevelInPlayKey) : "";
  std::vector<Part> parts = {
      {LevelInPlay > 0 ? "Level " + std::to_string(LevelInPlay) : "level.dat", "", 5},
      {name.empty() ? "" : Dot + name, "", 2},
      {"   Moves " + std::to_string(MoveCount), "", 6},
      {"   Best " + (best < 0 ? std::string("-") : std::to_string(best)), "", 3},
      {"   Par " + Count(ParOfLevelInPlay()), "", 4},
  };
  std::string hint = HintText();
  if (Hint == HintKind::NoSolution && (pad || buttons)) {
    hint = pad ? std::string("No solution from here: ") + ActionKeyName(Action::Undo, true) +
                     " to undo"
               : "No solution from here: Undo";
  }
  if (!hint.empty()) {
    parts.push_back({Gap + hint, "", 1});
  } else if (!notice.empty()) {
    parts.push_back({noticePart, "", 1});
  } else if (!buttons) {  // the buttons under the board say what they do
    const std::string undo = ActionKeyName(Action::Undo, pad);
    const std::string restart = ActionKeyName(Action::Restart, pad);
    const std::string hintKey = ActionKeyName(Action::Hint, pad);
    std::string keys, shorter;
    for (const auto& [key, what] :
         {std::pair{undo, " undo"}, std::pair{restart, " restart"}, std::pair{hintKey, " hint"}}) {
      if (key.empty()) continue;
      keys += (keys.empty() ? "" : Dot) + key + what;
      shorter += (shorter.empty() ? "" : " ") + key;
    }
    if (!keys.empty()) parts.push_back({Gap + keys, Gap + shorter, 0});
  }
  return parts;
}

std::string ShownCaption;

}  // namespace

std::vector<std::string> StatusLines() {
  // The records say what went wrong with them; the player hears it once.
  BestOf(LevelInPlayKey);  // the records are read at their first use
  if (RecordsProblem.empty()) {
    ClearNotice(NoticeTopic::Records);
  } else {
    Notify(NoticeTopic::Records, RecordsProblem);
  }
  return Variants(PlayParts());
}

std::string StatusLine() {
  const std::vector<std::string> lines = StatusLines();
  return lines.empty() ? std::string() : lines.front();
}

std::string WindowCaption() {
  const std::string level = LevelTitle(LevelInPlay, LevelInPlayKey, ": ");
  return std::string("Yelko \xE2\x80\x93 ") + (EditorMode ? "level editor" : level);
}

void UpdateStatusLine() {
  std::vector<std::string> lines = StatusLines();
  const std::string full = lines.empty() ? std::string() : lines.front();
  if (!lines.empty()) lines.erase(lines.begin());
  platform::SetStatusText(full, std::move(lines));
  if (std::string caption = WindowCaption(); caption != ShownCaption) {
    ShownCaption = caption;
    platform::SetWindowCaption(caption);
  }
}

void ResetStatusState() {
  ShownCaption.clear();
}
