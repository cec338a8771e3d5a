#include "board/board_state.h"

#include <cstring>

#include "app/progress.h"
#include "app/shell.h"
#include "gfx/sprites.h"
#include "platform/platform.h"

std::int32_t BoardGrid[BoardCells][BoardCells];
PlatformTableRecord PlatformTable;
std::int32_t PlatformCount;
std::uint8_t BallAlive[10];
std::int32_t BallTotal;
std::int32_t BallsLeft;
std::uint8_t LevelSolved;

static_assert((PlatformListByte - BallListByte) / 2 <= BallSlots, "every ball has a BOB");
static_assert(MaxPlatformsInRecord <= PlatformSlots);

namespace {

// Coordinates and types in the record are signed bytes.
std::int32_t SignedByte(int index) {
  return std::int8_t(LevelRecord[index]);
}

// Slots of the PlatformTable that hold a platform and have a record.
std::int32_t PlatformsWithRecords() {
  if (PlatformCount < 0) return 0;
  return PlatformCount < MaxPlatformsInRecord ? PlatformCount : MaxPlatformsInRecord;
}

// Reads the platform list into the table: triples from byte 208 up to the terminator, but never
// more than the nine the table has records for, and never past the record's end.
void ReadPlatformList() {
  for (int n = 0; n < PlatformSlots; ++n) PlatformTable.type[n] = -1;
  std::int32_t count = 0;
  for (int at = PlatformListByte;
       count < MaxPlatformsInRecord && at + 2 < LevelRecordSize && LevelRecord[at] != ListEnd;
       at += 3) {
    PlatformTable.type[count] = SignedByte(at);
    PlatformTable.x[count] = SignedByte(at + 1) * CellPixels;
    PlatformTable.y[count] = SignedByte(at + 2) * CellPixels;
    BuildPlatformShape(std::uint32_t(count), PlatformTable.type[count]);
    ++count;
  }
  PlatformCount = count;
}

}  // namespace

void StartLevel() {
  const platform::Window window = platform::FindWindow("WINXCLASS", "Yelko");
  if (window != 0) platform::EnableMenuItem(window, CmdLevelBase + 1, true);
  LevelSolved = 0;
  LoadLevelFile(CurrentLevel);
  ReadPlatformList();
  BuildTerrainGrid();
  MarkPlatformCells();
  SetupBalls();
  PlacePlayer();
}

void BuildTerrainGrid() {
  // Grid and terrain share their [column][row] order; the branch-free body vectorises in
  // optimised builds, which matters to a solver that rebuilds the grid for every state.
  static_assert(CellWater - CellLand == 1);
  for (int c = 0; c < BoardCells; ++c) {
    const std::uint8_t* terrain = &LevelRecord[c * BoardCells];
    std::int32_t* cells = BoardGrid[c];
    for (int r = 0; r < BoardCells; ++r) cells[r] = CellWater - std::int32_t(terrain[r] == 1);
  }
}

void MarkPlatformCells() {
  const std::int32_t count = PlatformsWithRecords();
  for (std::int32_t n = 0; n < count; ++n) {
    const std::int64_t column = CellOf(PlatformTable.x[n]);
    const std::int64_t row = CellOf(PlatformTable.y[n]);
    const PlatformRecord& platform = PlatformTable.record[n];
    if (OnBoard(column, row) && OnBoard(column + 2, row + 2)) {
      // The whole box is on the board (the usual case): no cell needs checking.
      for (int dx = 0; dx < 3; ++dx) {
        std::int32_t* cells = &BoardGrid[column + dx][row];
        for (int dy = 0; dy < 3; ++dy) {
          if (platform.shape[dx][dy] == 1) cells[dy] = CellPlatform;
        }
      }
      continue;
    }
    for (int dx = 0; dx < 3; ++dx) {
      for (int dy = 0; dy < 3; ++dy) {
        if (platform.shape[dx][dy] != 1 || !OnBoard(column + dx, row + dy)) continue;
        BoardGrid[column + dx][row + dy] = CellPlatform;
      }
    }
  }
}

void SetupBalls() {
  // Pairs from byte 198 up to the terminator; the area ends at byte 208, so a fifth pair is
  // the last whatever follows it.
  BallTotal = 0;
  for (int at = BallListByte; at + 1 < PlatformListByte && LevelRecord[at] != ListEnd; at += 2) {
    BallBobs[BallTotal].x = SignedByte(at) * CellPixels;
    BallBobs[BallTotal].y = SignedByte(at + 1) * CellPixels;
    BallAlive[BallTotal] = 1;
    ++BallTotal;
  }
  BallsLeft = BallTotal;
}

void PlacePlayer() {
  PlayerBob.x = SignedByte(PlayerStartByte) * CellPixels;
  PlayerBob.y = SignedByte(PlayerStartByte + 1) * CellPixels;
}

void ResetBoardState() {
  std::memset(BoardGrid, 0, sizeof BoardGrid);
  PlatformTable = {};
  PlatformCount = 0;
  std::memset(BallAlive, 0, sizeof BallAlive);
  BallTotal = 0;
  BallsLeft = 0;
  LevelSolved = 0;
}
