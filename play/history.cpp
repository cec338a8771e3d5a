#include "play/history.h"

#include <cstring>
#include <vector>

#include "board/board_state.h"

std::int32_t MoveCount;

namespace {

struct Step {
  Position before;
  std::int32_t movesBefore;
};

std::vector<Step> UndoSteps;
std::vector<Step> RedoSteps;

void PushStep(const Position& before, std::int32_t movesBefore) {
  UndoSteps.push_back({before, movesBefore});
  RedoSteps.clear();
}

// Swaps the game's position for the top of `from`, keeping the game's on `to`.
bool SwapStep(std::vector<Step>& from, std::vector<Step>& to) {
  if (from.empty() || LevelSolved) return false;
  to.push_back({CapturePosition(), MoveCount});
  RestorePosition(from.back().before);
  MoveCount = from.back().movesBefore;
  from.pop_back();
  return true;
}

}  // namespace

void RecordMove(const Position& before) {
  PushStep(before, MoveCount);
  ++MoveCount;
}

void RecordRestart(const Position& before) {
  const Position after = CapturePosition();
  if (after == before) return;
  if (before.levelSolved || std::memcmp(before.record, after.record, sizeof after.record) != 0) {
    ClearHistory();
    return;
  }
  PushStep(before, MoveCount);
  MoveCount = 0;
}

void ClearHistory() {
  UndoSteps.clear();
  RedoSteps.clear();
  MoveCount = 0;
}

bool UndoStep() {
  return SwapStep(UndoSteps, RedoSteps);
}
bool RedoStep() {
  return SwapStep(RedoSteps, UndoSteps);
}

void ResetHistoryState() {
  UndoSteps.clear();
  UndoSteps.shrink_to_fit();
  RedoSteps.clear();
  RedoSteps.shrink_to_fit();
  MoveCount = 0;
}
