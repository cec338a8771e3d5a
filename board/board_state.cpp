#include "board/board_state.h"

#include <cstring>

#include "app/progress.h"
#include "app/shell.h"
#include "board/level_record.h"
#include "gfx/sprites.h"
#include "platform/platform.h"

std::int32_t BoardGrid[BoardCells][BoardCells];
PlatformTableRecord PlatformTable;
std::int32_t PlatformCount;
std::uint8_t BallAlive[10];
std::int32_t BallTotal;
std::int32_t BallsLeft;
std::uint8_t LevelSolved;
std::uint8_t SolveEarned;
std::int32_t LevelInPlay;
std::uint64_t LevelInPlayKey;
std::string LevelProblem;
std::uint8_t AttemptFromStart;

static_assert(MaxBallsInRecord <= BallSlots, "every ball has a BOB");
static_assert(MaxPlatformsInRecord <= PlatformSlots);

namespace {

// Slots of the PlatformTable that hold a platform and have a record.
std::int32_t PlatformsWithRecords() {
  if (PlatformCount < 0) return 0;
  return PlatformCount < MaxPlatformsInRecord ? PlatformCount : MaxPlatformsInRecord;
}

void ReadPlatformList(const LevelLayout& level) {
  for (int n = 0; n < PlatformSlots; ++n) PlatformTable.type[n] = -1;
  for (int n = 0; n < level.platformCount; ++n) {
    PlatformTable.type[n] = level.platforms[n].type;
    PlatformTable.x[n] = level.platforms[n].column * CellPixels;
    PlatformTable.y[n] = level.platforms[n].row * CellPixels;
    BuildPlatformShape(std::uint32_t(n), PlatformTable.type[n]);
  }
  PlatformCount = level.platformCount;
}

void SetupBalls(const LevelLayout& level) {
  for (int n = 0; n < level.ballCount; ++n) {
    BallBobs[n].x = level.balls[n].column * CellPixels;
    BallBobs[n].y = level.balls[n].row * CellPixels;
    BallAlive[n] = 1;
  }
  BallTotal = BallsLeft = level.ballCount;
}

}  // namespace

bool CanSetUpLevel(const LevelLayout& layout) {
  for (int n = 0; n < layout.platformCount; ++n) {
    if (layout.platforms[n].type < 0 || layout.platforms[n].type >= ShapeTypes) return false;
  }
  return true;
}

bool SetUpLevel(const std::uint8_t record[LevelRecordSize]) {
  if (record != LevelRecord) std::memcpy(LevelRecord, record, LevelRecordSize);
  LevelLayout level;
  DecodeLevelRecord(LevelRecord, &level);
  LevelSolved = SolveEarned = 0;
  ReadPlatformList(level);
  BuildTerrainGrid();
  MarkPlatformCells();
  SetupBalls(level);
  PlayerBob.x = level.startColumn * CellPixels;
  PlayerBob.y = level.startRow * CellPixels;
  return CanSetUpLevel(level);
}

void StartLevel() {
  const platform::Window window = platform::FindWindow("WINXCLASS", "Yelko");
  if (window != 0) platform::EnableMenuItem(window, CmdLevelBase + 1, true);
  if (window != 0) {
    platform::CheckMenuItem(window, std::uint16_t(CmdLevelBase + LevelInPlay), false);
    platform::CheckMenuItem(window, std::uint16_t(CmdLevelBase + CurrentLevel), true);
  }
  LevelProblem.clear();
  if (LoadLevelFile(CurrentLevel, &LevelProblem)) {
    SetUpLevel(LevelRecord);
    LevelInPlayKey = LevelKey(LevelRecord);
  } else {
    SetUpUnavailableLevel();
    LevelInPlayKey = 0;
  }
  LevelInPlay = CurrentLevel;
  AttemptFromStart = LevelProblem.empty();
}

void SetUpUnavailableLevel() {
  // An empty level in the record, so that every frame rebuilds the same empty board: all water,
  // no balls, no platforms, and the Player's start off the board (-1, -1), where he is neither
  // drawn nor moved.
  std::uint8_t empty[LevelRecordSize];
  std::memset(empty, CellWater, BoardCells * BoardCells);
  std::memset(empty + BoardCells * BoardCells, ListEnd, LevelRecordSize - BoardCells * BoardCells);
  SetUpLevel(empty);
}

void BuildTerrainGrid() {
  // Grid and terrain share their [column][row] order; the branch-free body vectorises in
  // optimised builds, which matters to a solver that rebuilds the grid for every state.
  static_assert(CellWater - CellLand == 1);
  for (int c = 0; c < BoardCells; ++c) {
    const std::uint8_t* terrain = TerrainColumn(LevelRecord, c);
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

void ResetBoardState() {
  std::memset(BoardGrid, 0, sizeof BoardGrid);
  PlatformTable = {};
  PlatformCount = 0;
  std::memset(BallAlive, 0, sizeof BallAlive);
  BallTotal = 0;
  BallsLeft = 0;
  LevelSolved = SolveEarned = 0;
  LevelInPlay = 0;
  LevelInPlayKey = 0;
  LevelProblem.clear();
  AttemptFromStart = 0;
}
