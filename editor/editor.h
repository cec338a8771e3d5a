// The level editor: a mode of the main loop in which the author paints terrain, places objects
// and saves the board as "level.dat", with the mouse, the keyboard's cursor or a gamepad.
#pragma once

#include <cstdint>
#include <string>

#include "board/level.h"
#include "board/level_file.h"
#include "platform/surface.h"

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
// What the last V (check) or S (save) found, or why the last S or L failed, for the status
// line; "" before any, and again once the board changes.
extern std::string EditorCheckText;

// The cell the keyboard's cursor stands on, and the one a right click last touched: the tool
// the status line shows is what a right click there places next.
struct EditorCursor {
  int column = 0;
  int row = 0;
  bool shown = false;  // Tab or an arrow turned the keyboard's cursor on
};
extern EditorCursor EditorFocus;

// What the editor's frame asks of the game around it once it is drawn.
enum class EditorLeave : std::uint8_t {
  Stay,
  Play,      // Enter: play the board as painted (EditedRecord)
  TestPlay,  // P: level.dat was saved; play it as level 0
};
EditorLeave EditorFrame();
// A level was set up while the editor is open: it shows that board's terrain.
void EditorShowBoard(const Level& level, const GameState& state);

// The edits a click, the keyboard's cursor and the touch screen all make, on one cell; a cell
// off the board is left alone.
void EditorPaint(int column, int row);       // land to water, water to land
void EditorStepObject(int column, int row);  // the right button's cycle
void EditorSetObject(int column, int row, std::int32_t code);

// The next object of the right button's cycle after `code`; a code outside it is kept.
std::int32_t EditorNextObject(std::int32_t code);
// "Player", "ball", "platform 3", "nothing".
std::string EditorObjectName(std::int32_t code);
// The objects placed, against what the record holds.
struct EditorCounts {
  int balls = 0, maxBalls = 0, platforms = 0, maxPlatforms = 0, players = 0;
};
EditorCounts CountEditedObjects();
// The object a right click on the focus cell places, drawn as it looks on that cell's tile,
// one cell in size.
platform::Surface EditorToolPicture();

// The painted board as a record (over the LevelRecord, which keeps what the editor does not
// write). False, with *refusal saying why, when its objects do not fit a record.
bool EditedRecord(std::uint8_t record[LevelRecordSize], std::string* refusal);

void ResetEditorState();
