// Undo and redo, and the move counter of the attempt in play.
//
// A step is a move (one cell walked or carried) or a restart. Each step keeps the position
// before it and the move count there; undo puts that position back in one frame, redo brings
// back the step undone last. Any new step clears what could be redone. A new level (a level
// chosen, a solve's next level, the editor) starts a new history.
#pragma once

#include <cstdint>

#include "play/position.h"

// Moves of this attempt: one per cell stepped, walking or carrying.
extern std::int32_t MoveCount;

// A move is starting from `before`, the position at its boundary.
void RecordMove(const Position& before);
// A restart took the game from `before` to the level's start. A restart that changed nothing
// (R held for several frames) is no step; one that set up another level starts a new history.
void RecordRestart(const Position& before);
// Forgets every step; the move count starts again at 0.
void ClearHistory();

// False when there is nothing to take back or bring back. Neither acts while the level is
// solved: the solve, its sound and the saved progress stand.
bool UndoStep();
bool RedoStep();

void ResetHistoryState();
