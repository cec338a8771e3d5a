#include "tests/test_levels.h"

#include "app/assets.h"
#include "app/shell.h"
#include "board/level_record.h"
#include "gfx/display.h"
#include "midend/game.h"
#include "tests/test_support.h"

namespace testing_support {

std::vector<std::uint8_t> LevelBytes(const TestLevel& level) {
  LevelLayout layout;
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      const bool land =
          r < int(level.map.size()) && c < int(level.map[r].size()) && level.map[r][c] == '#';
      layout.terrain[c][r] = land ? 1 : 2;
    }
  }
  layout.startColumn = level.player.column;
  layout.startRow = level.player.row;
  for (const LevelBall& b : level.balls) layout.balls[layout.ballCount++] = b;
  for (const LevelPlatform& p : level.platforms) layout.platforms[layout.platformCount++] = p;
  std::vector<std::uint8_t> bytes(LevelRecordSize, 0);
  EncodeLevelRecord(layout, bytes.data());
  return bytes;
}

void WriteLevel(const std::string& path, const TestLevel& level) {
  WriteBytes(path, LevelBytes(level));
}

void BootGame() {
  platform::RegisterWindowClass("WINXCLASS", WindowProc);
  MainWindow = platform::CreateGameWindow("WINXCLASS", "Yelko", GameMenu());
  GameInit();
  StartLevel();
}

}  // namespace testing_support
