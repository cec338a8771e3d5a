// The closing screen after the last level: the levels' bests against par, and what comes next.
#include "app/finale.h"

#include "app/collections.h"
#include "app/level_names.h"
#include "app/progress.h"
#include "app/scene.h"
#include "app/shell.h"
#include "board/level_file.h"
#include "editor/editor.h"
#include "input/actions.h"
#include "input/clock.h"
#include "midend/game.h"
#include "midend/generator.h"
#include "midend/records.h"

namespace {

bool Shown;  // for the solve standing now

std::int64_t FinaleProc(platform::Window dialog, std::uint32_t message, std::uint64_t wParam,
                        std::int64_t) {
  if (message == platform::WM_INITDIALOG) return 1;
  if (message != platform::WM_COMMAND) return 0;
  const std::uint16_t id = std::uint16_t(wParam & 0xFFFF);
  // An offer is the menu's own command, carried out once the box is gone.
  if (id > 2) {
    const platform::Window main = platform::FindWindow("WINXCLASS", nullptr);
    if (main != 0) platform::PostMessage(main, platform::WM_COMMAND, id, 0);
  }
  platform::EndDialog(dialog, 1);
  return 0;
}

}  // namespace

bool FinalePending() {
  if (!PlayState.solved) Shown = false;
  return !Shown && !EditorMode && PlayState.solved && SolveEarned && LevelInPlay == LevelCount;
}

bool FinaleDue() {
  return FinalePending() && GetClock() - SolvedClock > FinaleDelayMs;
}

platform::DialogTemplate FinaleBox() {
  platform::DialogTemplate box{"The last level solved",
                               {"That was the last of the levels. Your best:", ""}};
  box.low = true;
  std::int32_t moves = 0, pars = 0;
  bool all = true;
  for (int n = 1; n <= LevelCount; ++n) {
    const std::uint64_t key = LevelFileKey(n);
    const bool read = key != 0;
    const std::int32_t best = read ? BestOf(key) : -1;
    const std::int32_t par = read ? ShippedPar(key) : -1;
    std::string line = LevelTitle(n, key) + ": ";
    line += best < 0 ? std::string("not solved")
                     : std::to_string(best) + (best == 1 ? " move" : " moves");
    if (par >= 0) line += ", par " + std::to_string(par);
    box.lines.push_back(line);
    all = all && best >= 0 && par >= 0;
    moves += best;
    pars += par;
  }
  if (all) {
    box.lines.push_back("");
    box.lines.push_back("All together: " + std::to_string(moves) + " moves, par " +
                        std::to_string(pars) +
                        (moves == pars ? ". Perfect!" : ". Each level can be done in par."));
  }
  box.lines.push_back("");
  const std::uint16_t fresh = CmdNewPuzzleBase + std::uint16_t(Grade::Hard);
  if (fresh != 0) box.buttons.push_back({"New puzzle", fresh});
  // The first collection found: the one that ships with the game, when it is there.
  if (!FoundCollections().empty()) {
    box.buttons.push_back(
        {std::string("Play ") + FoundCollections()[0].title, CmdFoundCollectionBase});
  }
  box.lines.push_back(box.buttons.empty()
                          ? "Make levels of your own in the editor: press " +
                                std::string(ActionKeyName(Action::Editor, false)) + "."
                          : "More puzzles wait: choose below, or in the File menu.");
  box.buttons.push_back({"Close", 1});
  return box;
}

void ShowFinale(platform::Window window) {
  Shown = true;
  platform::DialogBox(window, FinaleBox(), FinaleProc);
}

void ResetFinaleState() {
  Shown = false;
}
