#include "play/hint.h"

#include "board/platform_shapes.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "play/position.h"
#include "play/solver.h"

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
    const SolveResult result = SolveFromPosition(CapturePosition(), options);
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

void DrawHint() {
  if (Hint != HintKind::Move || BackBuffer == nullptr) return;
  // A white arrowhead with a dark rim, pointing from the middle of the Player's cell to the
  // side he should leave by: readable over any tile, whatever colours the sheets have.
  platform::Surface& frame = *BackBuffer;
  // Drawn at the side of the cell he should leave by, so that he stays in sight.
  constexpr int Length = 9;
  const int dx = HintDirection == DirLeft ? -1 : HintDirection == DirRight ? 1 : 0;
  const int dy = HintDirection == DirUp ? -1 : HintDirection == DirDown ? 1 : 0;
  const int cx = PlayerBob.x + 20 + dx * 12, cy = PlayerBob.y + 20 + dy * 12;
  for (int along = -Length; along <= Length; ++along) {
    const int half = (Length - along) / 2 + 1;  // widest at the back
    for (int across = -half; across <= half; ++across) {
      const int x = dx != 0 ? dx * along : across;
      const int y = dy != 0 ? dy * along : across;
      const int px = cx + x, py = cy + y;
      if (px < 0 || py < 0 || px >= frame.width || py >= frame.height) continue;
      const bool rim = across == -half || across == half || along == -Length || along == Length;
      frame.pixels[std::size_t(py) * std::size_t(frame.width) + std::size_t(px)] =
          rim ? 0x00202020u : 0x00FFFFFFu;
    }
  }
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
