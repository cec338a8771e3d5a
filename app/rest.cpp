// Whether the frame just run leaves the game with nothing to do, and for how long.
#include "app/rest.h"

#include <algorithm>

#include "app/finale.h"
#include "app/level_select.h"
#include "app/play_frame.h"
#include "app/scene.h"
#include "app/settings.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "input/actions.h"
#include "input/input.h"
#include "midend/game.h"
#include "midend/puzzle.h"
#include "midend/question.h"
#include "play/movement.h"

namespace {

// Milliseconds until `at` (ms after `since`) comes, or the longest rest once it is past.
std::uint32_t Until(std::uint32_t since, std::uint32_t at, std::uint32_t now) {
  const std::uint32_t gone = now - since;
  return gone < at ? at - gone + 1 : 0;
}

}  // namespace

std::uint32_t RestAfterFrame() {
  // A search beside the frames (a hint, a par, the editor's check) is answered in a frame.
  if (QuestionAwaited()) return 0;
  // A puzzle being made, or the stuck watch's question, shows its answer when it comes.
  if (MakingPuzzle() || StuckQuestionOpen()) return 0;
  if (LastFrameChanged || LastFrameInput().held != 0) return 0;
  if (EditorMode || LevelSelectOpen()) {
    if (LeftClickPending || RightClickPending) return 0;
  } else if (PlayState.movement.moving || !AtCellBoundary(PlayState) || PlayFrameWaiting()) {
    return 0;
  }
  std::uint32_t rest = MaxRestMs;
  const auto soon = [&rest](std::uint32_t ms) {
    if (ms > 0) rest = std::min(rest, ms);
  };
  soon(KeysNoticeLeft());
  if (!EditorMode && PlayState.solved) {
    const std::uint32_t now = platform::Ticks();
    for (const std::uint32_t at : SolvedEventTimes()) soon(Until(SolvedClock, at, now));
    if (FinalePending()) soon(Until(SolvedClock, FinaleDelayMs, now));
  }
  return rest;
}
