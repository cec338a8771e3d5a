// The level-select screen, drawn into the game's frame over play: a page of small pictures of
// the levels (the open collection's, when one of its levels is in play, else the five), each
// with its number and name, a solved mark, the player's best and the par. Arrows (a gamepad's
// d-pad) move the highlight, Enter, Space or a gamepad's A plays it, a click or a tap on a tile
// plays that one; Escape, or L again, closes the screen. Levels not yet enabled in the Levels
// menu, and a collection's broken levels, cannot be started.
//
// Also here: what goes on after a solve (N, File > Next level).
#pragma once

// Opens the screen (not in the editor), the level in play highlighted.
void OpenLevelSelect();
void CloseLevelSelect();
bool LevelSelectOpen();
// The frame while the screen is open, in place of the play frame.
void LevelSelectFrame();
// The highlighted level, counted from 0 (-1 while closed).
int LevelSelectChoice();

// Plays level `number` (1 to 5) of the five, as File > Levels does: the saved progress stays as
// it is, and a puzzle or a collection's level in play is left.
void PlayLevelOfFive(int number);

// The level in play is a level of the open collection.
bool CollectionLevelInPlay();
// After a solve: whether a next level waits (of the five, the one the solve moved on to; of a
// collection, its next level that can be played), and playing it.
bool NextLevelOffered();
bool PlayNextLevel();

void ResetLevelSelectState();
