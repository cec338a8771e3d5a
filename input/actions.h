// What the keys and gamepad buttons do: one table from the codes of platform/keys.h to the
// game's actions, with the names the status line and the replay scripts give them. Every
// backend, the replay runner and the status line go through it; a frame reads one FrameInput.
#pragma once

#include <cstdint>
#include <string>

enum class Action : std::uint8_t {
  Left,
  Up,
  Right,
  Down,
  Restart,
  Editor,
  Undo,
  Redo,
  Hint,
  Save,  // the editor's keys
  Load,
  Check,
  Count,
};

// The actions of one frame: each held (or tapped since the last frame) when one of its keys or
// buttons is.
struct FrameInput {
  std::uint32_t held = 0;
  bool keyboard = true;  // false when the keyboard could not be read
  bool Held(Action action) const { return (held >> unsigned(action)) & 1u; }
};

// Reads the keyboard snapshot (ReadKeyboard) into the frame's actions.
FrameInput ReadFrameInput();
// The actions of a keyboard snapshot.
FrameInput ActionsOf(const std::uint8_t state[256]);

// The name of the first key (or, for a gamepad, button) of an action, as the status line
// shows it: "Z", "Start"; "" when it has none.
const char* ActionKeyName(Action action, bool gamepad);

// The code of a key by its name in a replay script ("LEFT", "BACKSPACE", "Z"), or 0.
std::uint8_t KeyCodeNamed(const std::string& name);
// The names a replay script may use, for its error messages.
std::string KeyNamesList();
