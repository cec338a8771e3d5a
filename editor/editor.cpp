#include "editor/editor.h"

#include <cstring>
#include <string>

#include "app/shell.h"
#include "board/board_state.h"
#include "gfx/bob.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/clock.h"
#include "input/input.h"
#include "platform/platform.h"

std::uint8_t EditorMode;
std::uint8_t EditorClearPending;
std::int32_t EditorGrid[BoardCells][BoardCells];

namespace {

// How long the whole program holds after each click it handles, so that one press of a
// button is one step of painting or placing however long the button stays down.
constexpr std::uint32_t ClickHoldMs = 150;

// The bytes a clear sets to 255: the Player start, the ball list area and the start of the
// platform list area.
constexpr int ClearFirstByte = PlayerStartByte;
constexpr int ClearLastByte = 223;

// A record with platforms ends its ball list inside the ball area, so one pair fewer fits.
constexpr int MaxBallsWithPlatforms = MaxBallsInRecord - 1;
static_assert(PlatformListByte + 3 * MaxPlatformsInRecord < LevelRecordSize,
              "nine platforms and their list's end fit the record");

bool IsPlatformCode(std::int32_t code) {
  return code >= EditorPlatformFirst && code <= EditorPlatformLast;
}

// The right button's cycle: empty, Player, ball, the nine platforms, empty again. A code
// outside the cycle is kept.
std::int32_t NextObjectCode(std::int32_t code) {
  if (code == EditorEmpty) return EditorPlayer;
  if (code == EditorPlayer) return EditorBall;
  if (code == EditorBall) return EditorPlatformFirst;
  if (code >= EditorPlatformFirst && code < EditorPlatformLast) return code + 1;
  if (code == EditorPlatformLast) return EditorEmpty;
  return code;
}

// A record byte as the level format reads it: signed.
std::int32_t SignedByte(int index) {
  return static_cast<std::int8_t>(LevelRecord[index]);
}

// The cell under the last press, or false for a press outside the board. The frame is shown
// unscaled at the client area's origin, so client pixels are board pixels.
bool ClickedCell(int* column, int* row) {
  if (ClickX < 0 || ClickY < 0 || ClickX >= BoardPixels || ClickY >= BoardPixels) return false;
  *column = ClickX / CellPixels;
  *row = ClickY / CellPixels;
  return true;
}

// Checks that the placed objects fit the record before anything is written. Returns the
// refusal text, empty when they fit.
std::string SaveRefusal() {
  int balls = 0;
  int platforms = 0;
  for (const auto& column : EditorGrid) {
    for (std::int32_t code : column) {
      if (code == EditorBall) ++balls;
      if (IsPlatformCode(code)) ++platforms;
    }
  }
  std::string text;
  if (platforms > MaxPlatformsInRecord) text = "Too many platforms: at most 9";
  const int maxBalls = platforms > 0 ? MaxBallsWithPlatforms : MaxBallsInRecord;
  if (balls > maxBalls) {
    if (!text.empty()) text += "\n";
    text +=
        platforms > 0 ? "Too many balls: at most 4 with platforms" : "Too many balls: at most 5";
  }
  return text;
}

void SaveEditedLevel() {
  if (const std::string refusal = SaveRefusal(); !refusal.empty()) {
    ShowMessage(refusal.c_str());
    return;
  }
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) TerrainByte(c, r) = std::uint8_t(BoardGrid[c][r]);
  }
  // Platforms before balls: with five balls and no platforms the ball list's end is the
  // platform list's end, byte 208.
  int at = PlatformListByte;
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      if (!IsPlatformCode(EditorGrid[c][r])) continue;
      LevelRecord[at] = std::uint8_t(EditorGrid[c][r] - EditorPlatformFirst);
      LevelRecord[at + 1] = std::uint8_t(c);
      LevelRecord[at + 2] = std::uint8_t(r);
      at += 3;
    }
  }
  LevelRecord[at] = ListEnd;
  at = BallListByte;
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      if (EditorGrid[c][r] != EditorBall) continue;
      LevelRecord[at] = std::uint8_t(c);
      LevelRecord[at + 1] = std::uint8_t(r);
      at += 2;
    }
  }
  LevelRecord[at] = ListEnd;
  // The Player start is wherever the PlayerBob stands: the drawing moves it to the last cell
  // holding the Player code, and without one it stays where play or the editor left it.
  LevelRecord[PlayerStartByte] = std::uint8_t(PlayerBob.x / CellPixels);
  LevelRecord[PlayerStartByte + 1] = std::uint8_t(PlayerBob.y / CellPixels);
  SaveLevelFile();
}

void MarkLoadedCell(std::int32_t column, std::int32_t row, std::int32_t code) {
  if (OnBoard(column, row)) EditorGrid[column][row] = code;
}

// Reads "level.dat" into the grids. Cells the file does not name keep their objects. Entries
// naming cells off the board are skipped; the lists stop where the board's own set-up stops
// them, so nothing beyond the record or the grids is ever touched.
void LoadEditedLevel() {
  LoadLevelFile(0);  // on failure the record in memory is used as it stands
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r)
      BoardGrid[c][r] = static_cast<std::int8_t>(TerrainByte(c, r));
  }
  // The Player first: a ball or platform on his cell takes the cell over.
  MarkLoadedCell(SignedByte(PlayerStartByte), SignedByte(PlayerStartByte + 1), EditorPlayer);
  for (int i = 0; i < MaxBallsInRecord; ++i) {
    const int at = BallListByte + 2 * i;
    if (LevelRecord[at] == ListEnd) break;
    MarkLoadedCell(SignedByte(at), SignedByte(at + 1), EditorBall);
  }
  for (int i = 0; i < MaxPlatformsInRecord; ++i) {
    const int at = PlatformListByte + 3 * i;
    if (LevelRecord[at] == ListEnd) break;
    const std::int32_t type = SignedByte(at);
    if (type < 0 || type >= PlatformTypes) continue;
    MarkLoadedCell(SignedByte(at + 1), SignedByte(at + 2), EditorPlatformFirst + type);
  }
}

void ClearEditedLevel() {
  for (auto& column : BoardGrid) {
    for (std::int32_t& cell : column) cell = CellWater;
  }
  for (auto& column : EditorGrid) {
    for (std::int32_t& code : column) code = EditorEmpty;
  }
  std::memset(LevelRecord + ClearFirstByte, ListEnd, ClearLastByte - ClearFirstByte + 1);
  EditorClearPending = 0;
}

// Every handled click holds the frame, off-board ones included: the pacing of the mouse is
// the same wherever the author clicks.
void HandleLeftClick() {
  StartClock();
  int c, r;
  if (ClickedCell(&c, &r)) BoardGrid[c][r] = BoardGrid[c][r] == CellWater ? CellLand : CellWater;
  WaitClock(ClickHoldMs);
  LeftClickPending = 0;
}

void HandleRightClick() {
  StartClock();
  int c, r;
  if (ClickedCell(&c, &r)) EditorGrid[c][r] = NextObjectCode(EditorGrid[c][r]);
  WaitClock(ClickHoldMs);
  RightClickPending = 0;
}

void DrawAt(Bob* bob, int column, int row) {
  SetBobPosition(bob, column * CellPixels, row * CellPixels);
  DrawBob(bob, BackBuffer);
}

// Tiles with the Player and balls, then the platforms over everything.
void DrawEditedLevel() {
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      if (BoardGrid[c][r] == CellLand) DrawAt(&LandTileBob, c, r);
      if (BoardGrid[c][r] == CellWater) DrawAt(&WaterTileBob, c, r);
      if (EditorGrid[c][r] == EditorPlayer) DrawAt(&PlayerBob, c, r);
      if (EditorGrid[c][r] == EditorBall) DrawAt(&BallBobs[0], c, r);
    }
  }
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      if (IsPlatformCode(EditorGrid[c][r])) {
        DrawAt(&PlatformBobs[EditorGrid[c][r] - EditorPlatformFirst], c, r);
      }
    }
  }
}

}  // namespace

void EditorFrame() {
  ReadKeyboard();
  if (KeyboardState[DIK_S]) SaveEditedLevel();
  if (KeyboardState[DIK_L]) LoadEditedLevel();
  if (platform::AsyncKeyDown(platform::VK_RETURN)) EditorMode = 0;
  if (EditorClearPending) ClearEditedLevel();
  if (LeftClickPending) HandleLeftClick();
  if (RightClickPending) HandleRightClick();
  DrawEditedLevel();
  PresentFrame(MainWindow);
}

void ResetEditorState() {
  EditorMode = EditorClearPending = 0;
  std::memset(EditorGrid, 0, sizeof EditorGrid);
}
