// What the keys and gamepad buttons do: one table from the codes of platform/keys.h to the
// game's actions, with the names the status line, the keys file and the replay scripts give
// them. Every backend, the replay runner and the status line go through it; a frame reads one
// FrameInput. The table starts with the game's own keys; input/keymap.h changes it from the
// player's keys file.
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
  Play,  // back from the editor to play
  FullScreen,
  Mute,
  Help,
  NewPuzzle,
  Levels,    // the level-select screen, opened and closed
  Choose,    // plays the level chosen there (as Enter does)
  Cursor,    // the editor's keyboard cursor: on and off
  Paint,     // ... land or water under it, as a left click
  Place,     // ... the next object under it, as a right click
  Erase,     // ... no object under it
  TestPlay,  // the editor: save and play level.dat
  Solution,  // Show solution; also Shift with a hint key
  Count,
};

// The actions of one frame.
struct FrameInput {
  std::uint32_t held = 0;     // a key of the action is down, or was tapped since the last frame
  std::uint32_t down = 0;     // ... is down now (a tap already let go is not)
  std::uint32_t pressed = 0;  // ... went down since the last frame
  bool keyboard = true;       // false when the keyboard could not be read
  bool Held(Action action) const { return (held >> unsigned(action)) & 1u; }
  bool Down(Action action) const { return (down >> unsigned(action)) & 1u; }
  bool Pressed(Action action) const { return (pressed >> unsigned(action)) & 1u; }
};

// Reads the keyboard snapshot (ReadKeyboard) into the frame's actions. A key that is down now
// and was not at the last read counts as pressed, whatever the backend tells of presses.
FrameInput ReadFrameInput();
// What the last ReadFrameInput read.
const FrameInput& LastFrameInput();
// The actions of a keyboard snapshot.
FrameInput ActionsOf(const std::uint8_t state[256]);

// The codes of keys and buttons an action has, in the order the player gave them; 0 unused.
inline constexpr int MaxActionCodes = 6;
struct ActionCodes {
  std::uint8_t code[MaxActionCodes] = {};
};
const ActionCodes& CodesOf(Action action);
void SetCodesOf(Action action, const ActionCodes& codes);
bool ActionHasCode(Action action, std::uint8_t code);

// The name of the first key (or, for a gamepad, button) of an action, as the status line
// shows it: "Z", "Start"; "" when it has none.
const char* ActionKeyName(Action action, bool gamepad);
// Every key of an action for the help text: "Z, U or Backspace"; "none" without one.
std::string ActionKeyNames(Action action);
// The action's name in the keys file ("left", "fullscreen").
const char* ActionName(Action action);

// A key or button by its name, as the keys file and the replay scripts write it ("Left",
// "BACKSPACE", "PadA", "PAD_A", "F11"): case and '_' do not matter. 0 when there is none.
std::uint8_t KeyCodeNamed(const std::string& name);
// How the status line and the help show a key ("Left", "A" for a gamepad's A); "" when unknown.
const char* KeyShownName(std::uint8_t code);
// The names a replay script may use, for its error messages.
std::string KeyNamesList();

// Puts the game's own keys back.
void ResetActionState();
