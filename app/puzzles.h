// The game's puzzle commands: File > New puzzle, Daily puzzle, Enter code..., Copy code and
// Paste code or level (Ctrl+C, Ctrl+V), the N key, and a puzzle asked for on the command line.
// A puzzle being made leaves the game playing; when it is ready it is put in play.
#pragma once

#include <string>

#include "midend/generator.h"
#include "platform/platform.h"

// Starts making a puzzle of the grade from a fresh seed.
void NewPuzzle(Grade grade);
// Today's puzzle (by the UTC date): Hard, the same for every player that day.
void PlayDailyPuzzle();
void EnterPuzzleCode(platform::Window window);
void CopyPuzzleCode();
void StopMakingPuzzle();
// Plays (or starts making) what the text names: a code, a puzzle's name or a level's text.
// False, with the reason on the status line, when it is none of them.
bool PlayPuzzleText(const std::string& text);
// What a puzzle (or a collection's level) put in play does to the rest of the game: a fresh
// history, no hint and no arrow waiting; the editor, if open, shows it.
void PuzzleStarted();
// The level in play leaves for one of the five (a level chosen in the menu).
void LeavePuzzle();

// A puzzle asked for on the command line (--code, --puzzle): played at the game's start. The
// replay runner makes it before its first frame, so that a script starts on the puzzle.
void SetStartPuzzle(const std::string& text, bool makeAtOnce);
// At the game's start: plays the puzzle asked for, if any. False when it was refused.
bool StartAskedPuzzle();

// The frame's share of making a puzzle and of the stuck watch.
void PuzzleFrame();
// "Making a hard puzzle… 37%" while one is made, else "".
std::string MakingText();
// The code of the level in play, whichever it is ("" when none could be set up).
std::string CodeInPlay();

void ResetPuzzleCommandsState();
