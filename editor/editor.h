// The level editor: a mode of the main loop in which the author paints terrain, places objects
// and saves the board as "level.dat".
#pragma once

#include <cstdint>
#include <string>

#include "board/level_file.h"

inline constexpr std::int32_t EditorEmpty = 15;
inline constexpr std::int32_t EditorPlayer = 16;
inline constexpr std::int32_t EditorBall = 17;
inline constexpr std::int32_t EditorPlatformFirst = 20;  // 20 + type, types 0..8
inline constexpr std::int32_t EditorPlatformLast = 28;

extern std::uint8_t EditorMode;
extern std::uint8_t EditorClearPending;
extern std::int32_t EditorGrid[BoardCells][BoardCells];
// What the last V (check) found, or why the last S or L failed, for the status line; "" before
// any.
extern std::string EditorCheckText;

void EditorFrame();

void ResetEditorState();
