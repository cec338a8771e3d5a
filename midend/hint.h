// Hints: the first move of a shortest solution from where the Player stands, shown as an arrow
// on his cell until he moves.
#pragma once

#include <cstdint>
#include <string>

enum class HintKind : std::uint8_t {
  None,        // no hint asked, or the Player has moved since
  Move,        // HintDirection is the move to make
  NoSolution,  // no sequence of moves solves the level from here
  TooFar,      // the search gave up before finding one
  Thinking,    // the search is still at it
};

extern HintKind Hint;
extern std::int32_t HintDirection;  // DirLeft..DirDown while Hint is Move

// Asks for a hint from the state in play (on a cell boundary). The search runs beside the game
// (midend/question.h): the answer comes in this frame or a later one, unless a move, an undo or
// a restart comes first. A solution found is remembered, so that a Player following it gets the
// next hint at once.
void ShowHint();
// Gives a hint being searched for its share of this frame, and shows it once found.
void KeepThinking();
// The Player started a move in that direction: the hint is done, and a remembered solution is
// kept only while he follows it.
void NoteMoveForHint(std::int32_t direction);
// The position changed in another way (undo, redo, a restart, the editor).
void ForgetHint();
// "Hint: left", "No solution from here: Z to undo", "Thinking…" ... ("" with no hint).
std::string HintText();

// Show solution: a shortest solution from where the Player stands, asked as a hint is (on a cell
// boundary) and then played a move per boundary, as the player's own moves are (they count, and
// undo takes them back), marking the attempt helped (AttemptHelped). A move of another way, an
// undo, a restart or StopSolution ends it; so does the solve, or a search that finds none.
void ShowSolution();
bool ShowingSolution();
// On a boundary with no move of the player's: the move to start now, or 0 (while the solution is
// searched for, and once it is over).
std::int32_t SolutionMove();
void StopSolution();

void ResetHintState();
