// The keyboard and mouse devices, the keyboard snapshot and the mouse clicks.
#pragma once

#include <cstdint>

#include "platform/keys.h"

// One byte per scan code, non-zero while the key is held (as of the last ReadKeyboard).
extern std::uint8_t KeyboardState[256];

std::int32_t InputInit();
std::int32_t KeyboardInit();
std::int32_t MouseInit();
// Fills KeyboardState; 0 when there is no keyboard (state cleared) or it cannot be read.
std::int32_t ReadKeyboard();
// Whether a key or button of KeyboardState went down since the read before it.
bool AnyKeyPressed();
void KeyboardRelease();
void MouseRelease();
void InputShutdown();

// The last press of each mouse button in the window (set between frames by the window
// procedure, taken by the editor): a latch per button and the position, in board pixels.
extern std::uint8_t LeftClickPending;
extern std::uint8_t RightClickPending;
extern std::int32_t ClickX;
extern std::int32_t ClickY;
// The right press came with Shift held: the editor sets the object instead of stepping it.
extern std::uint8_t RightClickShift;
// ... or came with the object to set (a pick from the touch screen's palette); 0: none.
extern std::uint8_t RightClickObject;
// The pointer moved, with the left button that pressed on the board still held: where to, in
// board pixels (the editor paints every cell from the last point to this one).
extern std::uint8_t DragPending;
extern std::int32_t DragX;
extern std::int32_t DragY;

void ResetInputState();
