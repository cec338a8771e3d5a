// Undo and redo, and the move counter of the attempt in play.
//
// A step is a move (one cell walked or carried) or a restart. Each step keeps the state before
// it and the move count there; undo puts that state back in one frame, redo brings back the step
// undone last. Any new step clears what could be redone. A new level (a level chosen, a solve's
// next level, the editor) starts a new history.
#pragma once

#include <cstdint>

#include "board/level.h"

// Moves of this attempt: one per cell stepped, walking or carrying.
extern std::int32_t MoveCount;

// A move is starting from `before`, the state at its boundary.
void RecordMove(const GameState& before);
// A restart took the game from `before` (of the level named by beforeKey, AttemptHelped then
// helpedBefore) to the level's start.
// A restart that changed nothing (R held for several frames) is no step; one that set up another
// level, or one from a solved level, starts a new history.
void RecordRestart(const GameState& before, std::uint64_t beforeKey, std::uint8_t helpedBefore);
// Forgets every step; the move count starts again at 0.
void ClearHistory();

// False when there is nothing to take back or bring back. Neither acts while the level is
// solved: the solve, its sound and the saved progress stand.
bool UndoStep();
bool RedoStep();

void ResetHistoryState();
