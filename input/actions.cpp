// The table of keys and buttons: which action each stands for, and their names.
#include "input/actions.h"

#include <cctype>

#include "input/input.h"
#include "platform/keys.h"

namespace {

// clang-format off
constexpr ActionCodes DefaultCodes[] = {
    {{DIK_LEFT, PAD_LEFT}},
    {{DIK_UP, PAD_UP}},
    {{DIK_RIGHT, PAD_RIGHT}},
    {{DIK_DOWN, PAD_DOWN}},
    {{DIK_R, PAD_START}},
    {{DIK_D, PAD_BACK}},
    {{DIK_Z, DIK_U, DIK_BACK, PAD_B}},
    {{DIK_Y, PAD_Y}},
    {{DIK_H, PAD_A}},
    {{DIK_S, PAD_RIGHT_SHOULDER}},
    {{DIK_L, PAD_LEFT_SHOULDER}},
    {{DIK_V, PAD_Y}},
    {{DIK_RETURN, DIK_NUMPADENTER, PAD_START}},
    {{DIK_F11}},
    {{DIK_M}},
    {{DIK_F1}},
    {{DIK_N, PAD_X}},
    {{DIK_L, PAD_LEFT_SHOULDER}},  // in play; in the editor the same keys load
    {{0x39, PAD_A}},
    {{DIK_TAB}},
    {{0x39, PAD_A}},  // Space
    {{0x2D, PAD_X}},  // X
    {{0xD3, PAD_B}},  // Delete
    {{0x19}},         // P
    {{PAD_RIGHT_SHOULDER}},  // in play; in the editor the same button saves
};
constexpr const char* ActionNames[] = {
    "left", "up", "right", "down", "restart", "editor", "undo", "redo", "hint", "save", "load",
    "check", "play", "fullscreen", "mute", "help", "newpuzzle", "levels", "choose", "cursor",
    "paint", "place", "erase", "test", "solution",
};
// clang-format on
static_assert(sizeof DefaultCodes / sizeof DefaultCodes[0] == unsigned(Action::Count));
static_assert(sizeof ActionNames / sizeof ActionNames[0] == unsigned(Action::Count));

ActionCodes Codes[unsigned(Action::Count)];
bool CodesSet;
FrameInput Last;
std::uint32_t PreviousDown;
bool ShiftBefore;  // a Shift key was held at the last read

struct KeyName {
  std::uint8_t code;
  const char* name;   // as the keys file and the replay scripts write it
  const char* shown;  // as the status line shows it, when not the name
};

// Every key a player may give an action. Escape always quits, F10 and Alt open the menus.
// clang-format off
constexpr KeyName KeyNames[] = {
    {DIK_LEFT, "Left", nullptr}, {DIK_UP, "Up", nullptr}, {DIK_RIGHT, "Right", nullptr},
    {DIK_DOWN, "Down", nullptr},
    {0x1E, "A", nullptr}, {0x30, "B", nullptr}, {0x2E, "C", nullptr}, {0x20, "D", nullptr},
    {0x12, "E", nullptr}, {0x21, "F", nullptr}, {0x22, "G", nullptr}, {0x23, "H", nullptr},
    {0x17, "I", nullptr}, {0x24, "J", nullptr}, {0x25, "K", nullptr}, {0x26, "L", nullptr},
    {0x32, "M", nullptr}, {0x31, "N", nullptr}, {0x18, "O", nullptr}, {0x19, "P", nullptr},
    {0x10, "Q", nullptr}, {0x13, "R", nullptr}, {0x1F, "S", nullptr}, {0x14, "T", nullptr},
    {0x16, "U", nullptr}, {0x2F, "V", nullptr}, {0x11, "W", nullptr}, {0x2D, "X", nullptr},
    {0x15, "Y", nullptr}, {0x2C, "Z", nullptr},
    {0x0B, "0", nullptr}, {0x02, "1", nullptr}, {0x03, "2", nullptr}, {0x04, "3", nullptr},
    {0x05, "4", nullptr}, {0x06, "5", nullptr}, {0x07, "6", nullptr}, {0x08, "7", nullptr},
    {0x09, "8", nullptr}, {0x0A, "9", nullptr},
    {0x3B, "F1", nullptr}, {0x3C, "F2", nullptr}, {0x3D, "F3", nullptr}, {0x3E, "F4", nullptr},
    {0x3F, "F5", nullptr}, {0x40, "F6", nullptr}, {0x41, "F7", nullptr}, {0x42, "F8", nullptr},
    {0x43, "F9", nullptr}, {0x57, "F11", nullptr}, {0x58, "F12", nullptr},
    {0x39, "Space", nullptr}, {DIK_RETURN, "Enter", nullptr}, {DIK_BACK, "Backspace", nullptr},
    {DIK_TAB, "Tab", nullptr}, {0xC7, "Home", nullptr}, {0xCF, "End", nullptr},
    {0xC9, "PageUp", "Page Up"}, {0xD1, "PageDown", "Page Down"}, {0xD2, "Insert", nullptr},
    {0xD3, "Delete", nullptr}, {0x0C, "Minus", "-"}, {0x0D, "Equals", "="},
    {0x1A, "LeftBracket", "["}, {0x1B, "RightBracket", "]"}, {0x27, "Semicolon", ";"},
    {0x28, "Apostrophe", "'"}, {0x29, "Grave", "`"}, {0x2B, "Backslash", "\\"},
    {0x33, "Comma", ","}, {0x34, "Period", "."}, {0x35, "Slash", "/"},
    {0x2A, "LeftShift", "Left Shift"}, {0x36, "RightShift", "Right Shift"},
    {0x1D, "LeftCtrl", "Left Ctrl"}, {0x9D, "RightCtrl", "Right Ctrl"},
    {0x3A, "CapsLock", "Caps Lock"},
    {0x52, "Keypad0", "Keypad 0"}, {0x4F, "Keypad1", "Keypad 1"}, {0x50, "Keypad2", "Keypad 2"},
    {0x51, "Keypad3", "Keypad 3"}, {0x4B, "Keypad4", "Keypad 4"}, {0x4C, "Keypad5", "Keypad 5"},
    {0x4D, "Keypad6", "Keypad 6"}, {0x47, "Keypad7", "Keypad 7"}, {0x48, "Keypad8", "Keypad 8"},
    {0x49, "Keypad9", "Keypad 9"}, {DIK_NUMPADENTER, "KeypadEnter", "Keypad Enter"},
    {0x4E, "KeypadPlus", "Keypad +"}, {0x4A, "KeypadMinus", "Keypad -"},
    {0x37, "KeypadMultiply", "Keypad *"}, {0xB5, "KeypadDivide", "Keypad /"},
    {0x53, "KeypadPeriod", "Keypad ."},
    {PAD_A, "PadA", "A"}, {PAD_B, "PadB", "B"}, {PAD_X, "PadX", "X"}, {PAD_Y, "PadY", "Y"},
    {PAD_START, "PadStart", "Start"}, {PAD_BACK, "PadBack", "Back"},
    {PAD_LEFT_SHOULDER, "PadLeftShoulder", "LB"}, {PAD_RIGHT_SHOULDER, "PadRightShoulder", "RB"},
    {PAD_UP, "PadUp", "D-pad up"}, {PAD_DOWN, "PadDown", "D-pad down"},
    {PAD_LEFT, "PadLeft", "D-pad left"}, {PAD_RIGHT, "PadRight", "D-pad right"},
};
// clang-format on

const KeyName* KeyNamed(std::uint8_t code) {
  for (const KeyName& k : KeyNames) {
    if (k.code == code) return &k;
  }
  return nullptr;
}

// Names compared without case and without '_'.
std::string Folded(const std::string& name) {
  std::string out;
  for (unsigned char c : name) {
    if (c != '_') out += char(std::tolower(c));
  }
  return out;
}

bool ShiftHeld(const std::uint8_t state[256]) {
  return state[DIK_LSHIFT] != 0 || state[DIK_RSHIFT] != 0;
}

// Shift with a hint key shows the whole solution instead of a hint.
void HintBecomesSolution(FrameInput& input) {
  const std::uint32_t hint = 1u << unsigned(Action::Hint);
  const std::uint32_t solution = 1u << unsigned(Action::Solution);
  for (std::uint32_t* bits : {&input.held, &input.down, &input.pressed}) {
    if (*bits & hint) *bits = (*bits & ~hint) | solution;
  }
}

}  // namespace

const ActionCodes& CodesOf(Action action) {
  if (!CodesSet) ResetActionState();
  return Codes[unsigned(action)];
}

void SetCodesOf(Action action, const ActionCodes& codes) {
  if (!CodesSet) ResetActionState();
  Codes[unsigned(action)] = codes;
}

bool ActionHasCode(Action action, std::uint8_t code) {
  for (std::uint8_t c : CodesOf(action).code) {
    if (c != 0 && c == code) return true;
  }
  return false;
}

FrameInput ReadFrameInput() {
  const bool keyboard = ReadKeyboard() != 0;
  FrameInput input = ActionsOf(KeyboardState);
  // A quick Shift+H may let Shift go before the frame that sees H go down.
  if (ShiftBefore && (input.pressed >> unsigned(Action::Hint) & 1u)) HintBecomesSolution(input);
  ShiftBefore = ShiftHeld(KeyboardState);
  input.keyboard = keyboard;
  // A backend that only tells what is down (the replay runner, a polled gamepad) presses a key
  // when it goes down.
  input.pressed |= input.down & ~PreviousDown;
  PreviousDown = input.down;
  Last = input;
  return input;
}

const FrameInput& LastFrameInput() {
  return Last;
}

FrameInput ActionsOf(const std::uint8_t state[256]) {
  FrameInput input;
  for (unsigned a = 0; a < unsigned(Action::Count); ++a) {
    const std::uint32_t bit = 1u << a;
    for (std::uint8_t code : CodesOf(Action(a)).code) {
      const std::uint8_t v = code != 0 ? state[code] : 0;
      if (v == 0) continue;
      input.held |= bit;
      if ((v & KeyLetGo) == 0) input.down |= bit;
      if (v & KeyPressed) input.pressed |= bit;
    }
  }
  if (ShiftHeld(state)) HintBecomesSolution(input);
  return input;
}

const char* ActionKeyName(Action action, bool gamepad) {
  for (std::uint8_t code : CodesOf(action).code) {
    if (code != 0 && IsPadCode(code) == gamepad) return KeyShownName(code);
  }
  return "";
}

std::string ActionKeyNames(Action action) {
  std::string out;
  int count = 0, written = 0;
  for (std::uint8_t code : CodesOf(action).code) count += code != 0 && !IsPadCode(code);
  for (std::uint8_t code : CodesOf(action).code) {
    if (code == 0 || IsPadCode(code)) continue;
    if (written > 0) out += written == count - 1 ? " or " : ", ";
    out += KeyShownName(code);
    ++written;
  }
  return out.empty() ? "none" : out;
}

const char* ActionName(Action action) {
  return ActionNames[unsigned(action)];
}

std::uint8_t KeyCodeNamed(const std::string& name) {
  const std::string folded = Folded(name);
  for (const KeyName& k : KeyNames) {
    if (folded == Folded(k.name)) return k.code;
  }
  return 0;
}

const char* KeyShownName(std::uint8_t code) {
  const KeyName* k = KeyNamed(code);
  return k == nullptr ? "" : k->shown != nullptr ? k->shown : k->name;
}

std::string KeyNamesList() {
  std::string list;
  for (const KeyName& k : KeyNames) {
    std::string upper;
    for (unsigned char c : std::string(k.name)) upper += char(std::toupper(c));
    list += (list.empty() ? "" : " ") + upper;
  }
  return list;
}

void ResetActionState() {
  for (unsigned a = 0; a < unsigned(Action::Count); ++a) Codes[a] = DefaultCodes[a];
  CodesSet = true;
  Last = FrameInput{};
  PreviousDown = 0;
  ShiftBefore = false;
}
