// Which way the Player sets off at a cell boundary. A move is decided only on a boundary, but no
// arrow press is lost between two: the last one pressed since the previous boundary is kept and
// taken there, however short the press; without one, the arrow held down now keeps him walking.
// A key let go before the boundary is never also taken as held there, so a tap walks one cell.
// The play frame reads it the same way whatever the keys came from (a window, the replay runner).
#pragma once

#include "input/actions.h"

struct MoveKeys {
  Action pending = Action::Count;  // Action::Left..Down, or Count for none
};

// The play's: a level, puzzle or collection's level started or restarted forgets them (an
// arrow pressed before is not walked on the new board).
extern MoveKeys PlayMoves;

// The arrows pressed in this frame: the last in the order left, up, right, down becomes the
// pending one.
void NoteMovePresses(MoveKeys& keys, const FrameInput& input);
// On a boundary: the pending press, used up, or the arrow held down now (of several, the last in
// that order); Action::Count for none.
Action TakeMove(MoveKeys& keys, const FrameInput& input);
