// A stronger floor under the search's estimate: for a platform that can float where no other can,
// the fewest moves that take every ball when it is the only platform that moves and the water
// every other platform could ever cover is walked on as if it were land.
//
// Every real move is a move of that easier game: a walk onto land or a platform is a walk, a
// carry of the platform is the same carry (with the others gone it has more open water, never
// less), and a carry of any other platform takes the Player onto water that platform covers,
// which that game walks onto. So its moves never exceed the real ones, and a state from which
// it cannot take every ball is lost for good. The easier game is small (the Player's cell, one
// platform's place and the balls lying), and is solved backwards from its ends once for a
// level; a level whose platforms all share their water (every cell one can cover, another can
// too) gets no table and the search keeps its walk through the balls alone.
#pragma once

#include <cstdint>
#include <vector>

#include "board/level.h"

struct PlatformBound {
  int slot = 0;                  // the platform
  std::uint8_t place[256] = {};  // packed corner -> its place in the table + 1, 0 for none
  int places = 0;
  // [lying][place][cell]: the fewest moves that take every lying ball; Lost when none can.
  std::vector<std::uint8_t> moves;
  static constexpr std::uint8_t Lost = 255;

  // The bound for the platform at a packed corner (0 where the table has no such place).
  int At(std::uint8_t corner, int cell, std::uint8_t lying) const {
    const int p = place[corner];
    if (p == 0) return 0;
    const std::size_t cells = BoardCells * BoardCells;
    return moves[(std::size_t(lying) * std::size_t(places) + std::size_t(p - 1)) * cells +
                 std::size_t(cell)];
  }
};

struct PlatformBounds {
  std::vector<PlatformBound> tables;
  // What they were made for: the level, and every platform's places (packed corners, sorted);
  // a search whose platforms stand among those places uses them again.
  Level level;
  std::vector<std::vector<std::uint8_t>> reach;
  std::vector<std::uint8_t> covers;  // [platform * 196 + cell]: 1 where it can ever float
  bool made = false;
  // The work left: the platforms still to solve, and the one being solved, its moves forwards
  // and backwards (state = place * 196 + cell) and the next set of lying balls to solve for.
  std::vector<int> waiting;
  std::vector<std::uint8_t> walked, stands;
  std::vector<std::uint32_t> start, to, backStart, back;
  std::vector<std::uint16_t> dist;
  std::vector<std::vector<std::uint32_t>> bucket;
  int placesDone = 0;  // places whose moves are in
  int nextLying = 0;   // 0 while the moves are being made
};

// The balls on each cell (column * 14 + row), bit n for ball n: those lying exactly on a cell of
// the board, where the Player can take them.
void BallsAt(const Level& level, std::uint8_t* ballsAt);

// Begins making the tables for the level with its platforms where `from` has them, unless
// those it has (or is making) hold already. Cells are column * 14 + row; corners packed as the
// search packs them.
void StartPlatformBounds(const Level& level, const GameState& from, PlatformBounds* bounds);
// Goes on making them for about `work` table entries (`used`: how many it made); true once they
// are made.
bool MakePlatformBounds(PlatformBounds* bounds, std::uint64_t work, std::uint64_t* used);
// Frees the tables.
void ClearPlatformBounds(PlatformBounds* bounds);
// Bytes the tables hold.
std::uint64_t PlatformBoundBytes(const PlatformBounds& bounds);
