// The player's keys file: which keys do what, one action a line.
//
//   # a comment
//   left = Left, A
//   undo = Z, Backspace
//   hint =                 (no key at all)
//
// Action names are those of ActionName() (left, up, right, down, restart, undo, redo, hint,
// editor, save, load, check, play, fullscreen, mute, help), keys those of KeyCodeNamed(); case
// does not matter. An action the file names has exactly the keys given. A key the file gives
// one action is taken away from every action the file does not name, so that it does one thing.
// Escape always quits and F10 and Alt open the menus: no action can have them.
#pragma once

#include <string>
#include <vector>

// The largest keys file read.
inline constexpr std::size_t MaxKeysFileBytes = 16 * 1024;

// Applies the file's text to the action table. A line that cannot be understood, names an action
// a second time or gives a key that an earlier line gave changes nothing; each such line is
// described in the result ("line 3: there is no key called 'Foo'").
std::vector<std::string> ApplyKeysText(const std::string& text);
