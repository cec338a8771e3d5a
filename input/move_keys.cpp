// The arrow a boundary takes: the last pressed since the previous one, or the one held down.
#include "input/move_keys.h"

namespace {

constexpr Action Arrows[] = {Action::Left, Action::Up, Action::Right, Action::Down};

Action LastOf(std::uint32_t actions) {
  Action last = Action::Count;
  for (Action a : Arrows) {
    if ((actions >> unsigned(a)) & 1u) last = a;
  }
  return last;
}

}  // namespace

MoveKeys PlayMoves;

void NoteMovePresses(MoveKeys& keys, const FrameInput& input) {
  if (const Action pressed = LastOf(input.pressed); pressed != Action::Count) {
    keys.pending = pressed;
  }
}

Action TakeMove(MoveKeys& keys, const FrameInput& input) {
  const Action taken = keys.pending != Action::Count ? keys.pending : LastOf(input.down);
  keys.pending = Action::Count;
  return taken;
}
