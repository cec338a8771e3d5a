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
};

extern HintKind Hint;
extern std::int32_t HintDirection;  // DirLeft..DirDown while Hint is Move

// Searches from the state in play (on a cell boundary). A solution found is remembered, so that
// a Player following it gets the next hint at once.
void ShowHint();
// The Player started a move in that direction: the hint is done, and a remembered solution is
// kept only while he follows it.
void NoteMoveForHint(std::int32_t direction);
// The position changed in another way (undo, redo, a restart, the editor).
void ForgetHint();
// "Hint: left", "No solution from here: Z to undo", ... ("" with no hint).
std::string HintText();

void ResetHintState();
