// The level editor: a mode of the main loop in which the author paints terrain, places objects
// and saves the board as "level.dat".
#pragma once

#include <cstdint>
#include <string>

#include "board/level.h"
#include "board/level_file.h"

inline constexpr std::int32_t EditorEmpty = 15;
inline constexpr std::int32_t EditorPlayer = 16;
inline constexpr std::int32_t EditorBall = 17;
inline constexpr std::int32_t EditorPlatformFirst = 20;  // 20 + type, types 0..8
inline constexpr std::int32_t EditorPlatformLast = 28;

extern std::uint8_t EditorMode;
extern std::uint8_t EditorClearPending;
// The terrain as painted, [column][row]: CellLand and CellWater, or the raw bytes of a loaded
// level (and CellPlatform where a level set up while the editor is open has a platform).
extern std::int32_t EditorTerrain[BoardCells][BoardCells];
extern std::int32_t EditorGrid[BoardCells][BoardCells];
// What the last V (check) found, or why the last S or L failed, for the status line; "" before
// any.
extern std::string EditorCheckText;

void EditorFrame();
// A level was set up while the editor is open: it shows that board's terrain.
void EditorShowBoard(const Level& level, const GameState& state);

void ResetEditorState();
