// Undo and redo: a list of the states before each step.
#include "midend/history.h"

#include <vector>

#include "midend/game.h"

std::int32_t MoveCount;

namespace {

struct Step {
  GameState before;
  std::int32_t movesBefore;
  std::uint8_t helpedBefore;  // AttemptHelped: undoing a restart brings back the attempt's help
};

std::vector<Step> UndoSteps;
std::vector<Step> RedoSteps;

void PushStep(const GameState& before, std::int32_t movesBefore, std::uint8_t helpedBefore) {
  UndoSteps.push_back({before, movesBefore, helpedBefore});
  RedoSteps.clear();
}

// Swaps the game's state for the top of `from`, keeping the game's on `to`.
bool SwapStep(std::vector<Step>& from, std::vector<Step>& to) {
  if (from.empty() || PlayState.solved) return false;
  to.push_back({PlayState, MoveCount, AttemptHelped});
  PlayState = from.back().before;
  MoveCount = from.back().movesBefore;
  AttemptHelped = from.back().helpedBefore;
  from.pop_back();
  return true;
}

}  // namespace

void RecordMove(const GameState& before) {
  PushStep(before, MoveCount, AttemptHelped);
  ++MoveCount;
}

void RecordRestart(const GameState& before, std::uint64_t beforeKey, std::uint8_t helpedBefore) {
  if (PlayState == before && LevelInPlayKey == beforeKey) return;
  if (before.solved || LevelInPlayKey != beforeKey) {
    ClearHistory();
    return;
  }
  PushStep(before, MoveCount, helpedBefore);
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
