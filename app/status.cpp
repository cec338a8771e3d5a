// The status line under the board, and the window's caption.
#include "app/status.h"

#include <algorithm>
#include <string_view>

#include "app/editor_play.h"
#include "app/level_names.h"
#include "app/level_select.h"
#include "app/notices.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "editor/editor.h"
#include "input/actions.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"
#include "midend/records.h"
#include "platform/platform.h"

namespace {

constexpr const char* Dot = " \xC2\xB7 ";
constexpr const char* Gap = "        ";  // before what the keys do, a hint or a notice

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
  std::vector<std::string> variants;
  const auto add = [&variants](const std::string& line) {
    if (!line.empty() && (variants.empty() || variants.back() != line)) variants.push_back(line);
  };
  add(join());
  int highest = 0;
  for (const Part& p : parts) highest = std::max(highest, p.rank);
  for (int rank = 0; rank < highest; ++rank) {  // the highest rank always stays
    for (Part& p : parts) {
      if (p.rank == rank && !p.shorter.empty()) p.text = p.shorter;
    }
    add(join());
    for (Part& p : parts) {
      if (p.rank == rank) p.text.clear();
    }
    add(join());
  }
  return variants;
}

std::string Count(std::int32_t n) {
  return n == ParSearching ? "\xE2\x80\xA6" : n < 0 ? "?" : std::to_string(n);
}

// The pieces joined in order.
std::string Cat(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (std::string_view piece : pieces) out += piece;
  return out;
}

// A part that is there only when `what` is: the gap before it, then it.
std::string After(std::string_view gap, std::string_view what) {
  return what.empty() ? std::string() : Cat({gap, what});
}

// The editor's strip: what a right click places next (drawn beside the line), the objects
// against their limits, what the last check or save found, and the keys.
std::vector<Part> EditorParts(const std::string& notice) {
  const bool pad = platform::GamepadInUse();
  const bool buttons = platform::OnScreenButtons();
  const auto key = [pad](Action action) -> std::string_view { return ActionKeyName(action, pad); };
  const EditorCounts n = CountEditedObjects();
  const int c = EditorFocus.column, r = EditorFocus.row;
  const std::string next = EditorObjectName(EditorNextObject(EditorGrid[c][r]));
  const std::string_view placer = EditorFocus.shown || pad ? key(Action::Place)
                                  : buttons                ? "Long press"
                                                           : "Right click";
  std::string counts =
      Cat({"   Balls ", std::to_string(n.balls), "/", std::to_string(n.maxBalls), "   Platforms ",
           std::to_string(n.platforms), "/", std::to_string(n.maxPlatforms)});
  if (n.players != 1) counts += n.players == 0 ? "   No Player" : "   Players 2+";
  // The cursor's keys, last, go first when the line is narrow, then the others' long names.
  std::string cursorKeys, keys, shorter;
  const auto add = [&](Action action, std::string_view what) {
    if (key(action).empty()) return;
    keys += Cat({keys.empty() ? "" : Dot, key(action), what});
    shorter += Cat({shorter.empty() ? "" : " ", key(action)});
  };
  if (EditorFocus.shown) {
    add(Action::Paint, " land");
    add(Action::Erase, " empty");
    cursorKeys = std::move(keys);
    keys.clear();
  }
  if (!buttons) {
    add(Action::Save, " save");
    add(Action::Load, " load");
    add(Action::Check, " check");
    add(Action::TestPlay, " test");
    add(Action::Play, " play");
  }
  const std::string said = EditorCheckText.empty() ? notice : After(Gap, EditorCheckText);
  if (!said.empty()) cursorKeys = keys = shorter = "";
  return {{Cat({placer, ": ", next}), Cat({"Next: ", next}), 4},
          {counts, "", 3},
          {said, "", 5},
          {After(Gap, keys), After(Gap, shorter), 1},
          {After(keys.empty() ? Gap : Dot, cursorKeys), "", 0}};
}

std::vector<Part> PlayParts() {
  const bool pad = platform::GamepadInUse();
  const bool buttons = platform::OnScreenButtons();
  const std::string notice = After(Gap, CurrentNotice());
  const auto key = [pad](Action action) -> std::string_view { return ActionKeyName(action, pad); };
  if (EditorMode) return EditorParts(notice);
  if (!LevelProblem.empty()) {
    return {
        {LevelProblem, "", 2},
        {key(Action::Restart).empty() ? "" : Cat({Gap, key(Action::Restart), " try again"}), "", 0},
        {notice, "", 1}};
  }
  if (PlayState.solved && LastSolve.key == LevelInPlayKey) {
    const std::string moves =
        Cat({std::to_string(LastSolve.moves), LastSolve.moves == 1 ? " move" : " moves"});
    const std::string best = Cat({" (best ", std::to_string(LastSolve.best), ")"});
    const std::string_view worth = LastSolve.helped ? " (not counted: the solution was shown)"
                                   : !LastSolve.counted
                                       ? " (not counted: the board was changed in the editor)"
                                   : LastSolve.newBest ? ": a new best!"
                                                       : std::string_view(best);
    const std::string_view shorter = !LastSolve.counted  ? ", not counted"
                                     : LastSolve.newBest ? ", a new best"
                                                         : std::string_view(best);
    // What R does now: the next level after a solve that earned it, else this one again.
    const std::string_view restart = buttons ? "Restart" : key(Action::Restart);
    const bool next = CurrentLevel != LevelInPlay && CurrentLevel > 0 && !PuzzleInPlay();
    // A collection's level goes on with N; after its last, the line says so. L opens the level
    // select (keys the on-screen buttons do not have).
    const bool ofCollection = CollectionLevelInPlay();
    const std::string_view levels = buttons ? "" : key(Action::Levels);
    const std::string_view onward = buttons ? "" : key(Action::NewPuzzle);
    return {
        {Cat({"Solved in ", moves, worth}), Cat({"Solved: ", moves, shorter}), 2},
        {ofCollection && !NextLevelOffered()
             ? Cat({Dot, "the last level of ", OpenedCollection.title})
             : "",
         "", 1},
        {After(Gap, restart.empty() ? "" : Cat({restart, next ? " next level" : " play again"})),
         "", 3},
        {ofCollection && NextLevelOffered() && !onward.empty() ? Cat({Dot, onward, " next level"})
                                                               : "",
         "", 0},
        {levels.empty() ? "" : Cat({Dot, levels, " level select"}), "", 0},
        {notice, "", 1}};
  }
  const std::int32_t best = BestOf(LevelInPlayKey);
  const std::int32_t par = ParOfLevelInPlay();
  // A puzzle goes by its name; a pasted level's long code is cut short.
  const std::string title = !PuzzleInPlay()            ? std::string()
                            : PuzzleTitle.size() <= 24 ? PuzzleTitle
                                                       : PuzzleTitle.substr(0, 12) + "\xE2\x80\xA6";
  std::vector<Part> parts = {
      {PuzzleInPlay()    ? title
       : LevelInPlay > 0 ? Cat({"Level ", std::to_string(LevelInPlay)})
       : TestPlaying()   ? "Testing level.dat"
                         : "level.dat",
       "", 5},
      {After(Dot, LevelInPlay > 0 ? LevelName(LevelInPlayKey) : ""), "", 2},
      {Cat({"   Moves ", std::to_string(MoveCount)}), "", 6},
      {Cat({"   Best ", best < 0 ? "-" : std::to_string(best)}), "", 3},
      {Cat({"   Par ", Count(par)}), "", 4},
  };
  std::string hint = HintText();
  if (hint.empty() && notice.empty() && Stuck()) {
    hint = Cat({"Stuck: no solution from here", Dot,
                pad       ? ActionKeyName(Action::Undo, true)
                : buttons ? "Undo"
                          : ActionKeyName(Action::Undo, false),
                " to undo"});
  }
  if (hint.empty()) hint = MakingText();
  if (Hint == HintKind::NoSolution && (pad || buttons)) {
    hint = pad ? Cat({"No solution from here: ", ActionKeyName(Action::Undo, true), " to undo"})
               : "No solution from here: Undo";
  }
  if (!hint.empty() || !notice.empty()) {
    parts.push_back({hint.empty() ? notice : After(Gap, hint), "", 1});
  } else if (!buttons) {  // the buttons under the board say what they do
    std::string keys, shorter;
    for (const auto& [action, what] :
         {std::pair{Action::Undo, " undo"}, std::pair{Action::Restart, " restart"},
          std::pair{Action::Hint, " hint"}, std::pair{Action::NewPuzzle, " new puzzle"}}) {
      if (key(action).empty()) continue;
      keys += Cat({keys.empty() ? "" : Dot, key(action), what});
      shorter += Cat({shorter.empty() ? "" : " ", key(action)});
    }
    if (TestPlaying()) keys += Cat({Dot, "Esc editor"});
    parts.push_back({After(Gap, keys), After(Gap, shorter), 0});
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

// Plain ASCII: SDL hands an X11 window manager a title beyond ASCII only in a UTF-8 locale (in
// the C locale the old title stays), and tools that find windows by title stumble on it too.
std::string WindowCaption() {
  const std::string level =
      PuzzleInPlay() ? PuzzleTitle.substr(0, 40) : LevelTitle(LevelInPlay, LevelInPlayKey, ": ");
  return std::string("Yelko - ") + (EditorMode ? "level editor" : level);
}

bool UpdateStatusLine() {
  std::vector<std::string> lines = StatusLines();
  const std::string full = lines.empty() ? std::string() : lines.front();
  if (!lines.empty()) lines.erase(lines.begin());
  bool changed = full != platform::StatusText() || lines != platform::StatusShorterTexts();
  platform::SetStatusText(full, std::move(lines));
  // In the editor, what a right click places next, drawn as it looks.
  platform::Surface picture = EditorMode ? EditorToolPicture() : platform::Surface{};
  changed = changed || picture.pixels != platform::StatusPicture().pixels;
  platform::SetStatusPicture(picture);
  if (std::string caption = WindowCaption(); caption != ShownCaption) {
    ShownCaption = caption;
    platform::SetWindowCaption(caption);
    changed = true;
  }
  return changed;
}

void ResetStatusState() {
  ShownCaption.clear();
}
