// Hints: a shortest solution from the state in play, remembered while the Player follows it.
#include "midend/hint.h"

#include "board/platform_shapes.h"
#include "midend/game.h"
#include "midend/solver.h"

HintKind Hint;
std::int32_t HintDirection;

namespace {

// A hint's search stops here. The guided search needs under 200,000 states from anywhere on
// the shipped levels; the limit also bounds the memory it reserves (24 bytes a state), which
// in the browser is taken whole.
constexpr std::uint64_t HintStateLimit = 1'000'000;

// The rest of the last solution found, while the Player keeps to it.
std::string Remembered;
bool RememberedValid;

std::int32_t DirectionOf(char move) {
  return move == 'L' ? DirLeft : move == 'U' ? DirUp : move == 'R' ? DirRight : DirDown;
}

}  // namespace

void ShowHint() {
  if (!RememberedValid) {
    SolveOptions options;
    options.maxStates = HintStateLimit;
    options.guided = true;
    const SolveResult result = SolveFromState(PlayLevel, PlayState, options);
    Hint = result.outcome == SolveOutcome::Solved   ? HintKind::Move
           : result.outcome == SolveOutcome::GaveUp ? HintKind::TooFar
                                                    : HintKind::NoSolution;
    RememberedValid = Hint == HintKind::Move;
    Remembered = result.moves;
  }
  if (RememberedValid && Remembered.empty()) {
    Hint = HintKind::None;  // already solved
    return;
  }
  if (RememberedValid) {
    Hint = HintKind::Move;
    HintDirection = DirectionOf(Remembered[0]);
  }
}

void NoteMoveForHint(std::int32_t direction) {
  Hint = HintKind::None;
  if (RememberedValid && !Remembered.empty() && DirectionOf(Remembered[0]) == direction) {
    Remembered.erase(0, 1);
  } else {
    RememberedValid = false;
  }
}

void ForgetHint() {
  Hint = HintKind::None;
  RememberedValid = false;
}

std::string HintText() {
  switch (Hint) {
    case HintKind::Move: {
      const char* names[] = {"", "left", "up", "right", "down"};
      return std::string("Hint: ") + names[HintDirection];
    }
    case HintKind::NoSolution:
      return "No solution from here: Z to undo";
    case HintKind::TooFar:
      return "No hint: the solution is too far to find";
    default:
      return "";
  }
}

void ResetHintState() {
  Hint = HintKind::None;
  HintDirection = 0;
  Remembered.clear();
  RememberedValid = false;
}
