// The replay runner: plays a script of keys, clicks and menu commands through the real game on
// the headless backend, and reports where the game ended up.
//
//   # a comment; blank lines are ignored
//   frames N [KEY ...]   hold these keys (none: no key) for N frames;
//                        KEY: a name of input/actions.cpp's table, or ENTER, ESCAPE
//   click left X Y       a left-button press at board pixel (X, Y), delivered before the next frame
//   click right X Y      the same for the right button
//   menu ID              the menu command ID, delivered before the next frame
//   text ANSWER          the next text box is answered ANSWER (all after "text "), and OK'd
//   text                 the next text box is cancelled
//   clipboard TEXT       the clipboard holds TEXT (all after "clipboard ", "\n" a line break);
//                        without TEXT it is empty
#pragma once

#include <string>
#include <vector>

#include "platform/headless/headless.h"

// Reads a script. On a malformed line: false, and *error names the line and what is wrong.
bool ParseReplayScript(const std::string& text, std::vector<headless::ScriptEvent>* script,
                       std::string* error);

// Runs WinMain on the headless backend with the script; returns the program's exit code. With
// a screenshot path, the last frame shown is written there as a 24-bit BMP.
int RunReplay(std::vector<headless::ScriptEvent> script, const std::string& screenshotPath,
              std::string* error);

// One line of JSON: frames, level, editor, solved, balls_total, balls_left, player,
// platforms, progress, messages, sounds, moves, code, name, stuck, status, exit_code.
std::string ReplayReportJson(int exitCode);

// A replay script that plays the moves (one letter each: L, U, R, D) from the frame the level
// starts: one idle frame first (so that a ball on the start cell is taken before the Player
// leaves it), then ten frames per move with its arrow held, repeats merged into one line.
// `title` becomes the first comment line when not empty.
std::string SolutionScript(const std::string& moves, const std::string& title = "");
