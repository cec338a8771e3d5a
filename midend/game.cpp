// The level in play and its state.
#include "midend/game.h"

#include <cstring>

#include "board/level_file.h"
#include "board/level_record.h"

Level PlayLevel;
GameState PlayState;
std::int32_t LevelInPlay;
std::uint64_t LevelInPlayKey;
std::string LevelProblem;
std::uint8_t AttemptFromStart;
std::uint8_t SolveEarned;
std::uint8_t AttemptHelped;

int PlayRecord(const std::uint8_t record[LevelRecordSize], std::int32_t number) {
  const int unknown = SetUpLevel(record, &PlayLevel);
  PlayState = StartState(PlayLevel, PlayState.movement);
  LevelInPlay = number;
  LevelInPlayKey = LevelKey(record);
  LevelProblem.clear();
  AttemptFromStart = 1;
  SolveEarned = AttemptHelped = 0;
  return unknown;
}

void PlayUnavailable(std::int32_t number, const std::string& problem) {
  // An empty level, in the record too, so that every frame keeps the same empty board: all
  // water, no balls, no platforms, and the Player's start off the board (-1, -1), where he is
  // neither drawn nor moved.
  std::memset(LevelRecord, CellWater, BoardCells * BoardCells);
  std::memset(LevelRecord + BoardCells * BoardCells, ListEnd,
              LevelRecordSize - BoardCells * BoardCells);
  PlayRecord(LevelRecord, number);
  LevelInPlayKey = 0;
  LevelProblem = problem;
  AttemptFromStart = 0;
}

void ResetGameState() {
  PlayLevel = Level{};
  PlayState = GameState{};
  LevelInPlay = 0;
  LevelInPlayKey = 0;
  LevelProblem.clear();
  AttemptFromStart = SolveEarned = AttemptHelped = 0;
}
