// The table of keys and buttons: which action each stands for, and their names.
#include "input/actions.h"

#include "input/input.h"
#include "platform/keys.h"

namespace {

struct Binding {
  Action action;
  std::uint8_t keys[3];  // scan codes, the first one named on the status line; 0 unused
  std::uint8_t button;   // gamepad code, or 0
};

// clang-format off
constexpr Binding Bindings[] = {
    {Action::Left, {DIK_LEFT}, PAD_LEFT},
    {Action::Up, {DIK_UP}, PAD_UP},
    {Action::Right, {DIK_RIGHT}, PAD_RIGHT},
    {Action::Down, {DIK_DOWN}, PAD_DOWN},
    {Action::Restart, {DIK_R}, PAD_START},
    {Action::Editor, {DIK_D}, 0},
    {Action::Undo, {DIK_Z, DIK_U, DIK_BACK}, PAD_B},
    {Action::Redo, {DIK_Y}, PAD_Y},
    {Action::Hint, {DIK_H}, PAD_A},
    {Action::Save, {DIK_S}, 0},
    {Action::Load, {DIK_L}, 0},
    {Action::Check, {DIK_V}, 0},
};
// clang-format on

struct KeyName {
  std::uint8_t code;
  const char* name;  // as a replay script writes it; the status line shows it in its own case
  const char* shown;
};

constexpr KeyName KeyNames[] = {
    {DIK_LEFT, "LEFT", "Left"},
    {DIK_UP, "UP", "Up"},
    {DIK_RIGHT, "RIGHT", "Right"},
    {DIK_DOWN, "DOWN", "Down"},
    {DIK_R, "R", "R"},
    {DIK_D, "D", "D"},
    {DIK_S, "S", "S"},
    {DIK_L, "L", "L"},
    {DIK_V, "V", "V"},
    {DIK_Z, "Z", "Z"},
    {DIK_U, "U", "U"},
    {DIK_BACK, "BACKSPACE", "Backspace"},
    {DIK_Y, "Y", "Y"},
    {DIK_H, "H", "H"},
    {PAD_A, "PAD_A", "A"},
    {PAD_B, "PAD_B", "B"},
    {PAD_X, "PAD_X", "X"},
    {PAD_Y, "PAD_Y", "Y"},
    {PAD_START, "PAD_START", "Start"},
};

const Binding& BindingOf(Action action) {
  return Bindings[unsigned(action)];
}

const char* ShownName(std::uint8_t code) {
  for (const KeyName& k : KeyNames) {
    if (k.code == code) return k.shown;
  }
  return "";
}

}  // namespace

static_assert(sizeof Bindings / sizeof Bindings[0] == unsigned(Action::Count));

FrameInput ReadFrameInput() {
  const bool keyboard = ReadKeyboard() != 0;
  FrameInput input = ActionsOf(KeyboardState);
  input.keyboard = keyboard;
  return input;
}

FrameInput ActionsOf(const std::uint8_t state[256]) {
  FrameInput input;
  for (const Binding& b : Bindings) {
    bool held = b.button != 0 && state[b.button] != 0;
    for (std::uint8_t key : b.keys) held = held || (key != 0 && state[key] != 0);
    if (held) input.held |= 1u << unsigned(b.action);
  }
  return input;
}

const char* ActionKeyName(Action action, bool gamepad) {
  const Binding& b = BindingOf(action);
  return ShownName(gamepad ? b.button : b.keys[0]);
}

std::uint8_t KeyCodeNamed(const std::string& name) {
  for (const KeyName& k : KeyNames) {
    if (name == k.name) return k.code;
  }
  return 0;
}

std::string KeyNamesList() {
  std::string list;
  for (const KeyName& k : KeyNames) list += std::string(list.empty() ? "" : " ") + k.name;
  return list;
}
