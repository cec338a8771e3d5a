// A stronger floor under the search's estimate: for a platform that can float where no other can,
// the fewest moves that take every ball when it is the only platform that moves and the water
// every other platform could ever cover is walked on as if it were land; and the same with a
// second platform that can stand in its way moving by the rules too.
//
// Every real move is a move of that easier game: a walk onto land or a platform is a walk, a
// carry of one of its platforms is the same carry (with the others gone it has more open water,
// never less), and a carry of any other platform takes the Player onto water that platform
// covers, which that game walks onto. So its moves never exceed the real ones, and a state from
// which it cannot take every ball is lost for good. The easier game is small (the Player's cell,
// its platforms' places and the balls lying), and is solved backwards from its ends once for a
// level; a level whose platforms all share their water (every cell one can cover, another can
// too) gets no table and the search keeps its walk through the balls alone. A game of two
// platforms sees the moves spent moving the second out of the first one's way (a raft parked in
// the mouth of a channel), which the game of one walks over.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "board/level.h"

struct PlatformBound {
  // The platforms its game moves: one, or two where the second can stand in the first's way.
  int count = 1;
  int slot[2] = {};
  std::uint8_t place[2][256] = {};  // per platform: packed corner -> its place + 1, 0 for none
  int placesOf[2] = {1, 1};
  int places = 0;  // the places of its platforms together: placesOf[0] * placesOf[1]
  // [lying][place][cell]: the fewest moves that take every lying ball; Lost when none can.
  std::vector<std::uint8_t> moves;
  static constexpr std::uint8_t Lost = 255;

  // The place of its platforms at the packed corners (the last one's counts fastest), -1 where
  // the table has no such place.
  int PlaceOf(const std::uint8_t* corners) const {
    int p = 0;
    for (int k = 0; k < count; ++k) {
      const int i = place[k][corners[k]];
      if (i == 0) return -1;
      p = p * placesOf[k] + i - 1;
    }
    return p;
  }

  // The bound with its platforms at the packed corners (0 where the table has no such place).
  int At(const std::uint8_t* corners, int cell, std::uint8_t lying) const {
    const int p = PlaceOf(corners);
    if (p < 0) return 0;
    const std::size_t cells = BoardCells * BoardCells;
    return moves[(std::size_t(lying) * std::size_t(places) + std::size_t(p)) * cells +
                 std::size_t(cell)];
  }
};

struct PlatformBounds {
  std::vector<PlatformBound> tables;
  // What they were made for: the level, and every platform's places (packed corners, sorted);
  // a search whose platforms stand among those places uses them again.
  Level level;
  bool pairs = false;
  std::vector<std::vector<std::uint8_t>> reach;
  std::vector<std::uint8_t> covers;  // [platform * 196 + cell]: 1 where it can ever float
  bool made = false;                 // begun for its level (the work below may be left)
  bool complete = false;             // every table made: nothing in it changes any more
  // The work left: the games still to solve (their platforms; -1 for none), and the one being
  // solved, the cells the Player stands on and its carries (state = place * 196 + cell) and the
  // next set of lying balls to solve for.
  std::vector<std::array<int, 2>> waiting;
  std::vector<std::uint8_t> walked, stands;
  std::vector<std::array<std::uint32_t, 2>> carries;  // (from, to) states, until all are in
  std::vector<std::uint32_t> into, intoFrom;          // then the carries by where they end
  std::vector<std::uint16_t> dist;
  std::vector<std::vector<std::uint32_t>> bucket;
  int placesDone = 0;  // places whose moves are in
  int nextLying = 0;   // 0 while the moves are being made
  // How far the layer being made has come: 0 to seed, 1 spreading (bucketAt, bucketPos), 2
  // writing (layerAt).
  int layerStage = 0, bucketAt = 0;
  std::size_t bucketPos = 0, layerAt = 0;
};

// The balls on each cell (column * 14 + row), bit n for ball n: those lying exactly on a cell of
// the board, where the Player can take them.
void BallsAt(const Level& level, std::uint8_t* ballsAt);

// Begins making the tables for the level with its platforms where `from` has them (`pairs`:
// games of two platforms too), unless those it has (or is making) hold already, or those made
// last by any search do (those with pairs serve a search that would make none): made tables
// never change, and searches on any thread share them.
// Cells are column * 14 + row; corners packed as the search packs them.
void StartPlatformBounds(const Level& level, const GameState& from, bool pairs,
                         std::shared_ptr<PlatformBounds>* bounds);
// A search's state expanded takes about as long as this many table entries made: the work a
// slice of the making is given.
inline constexpr std::uint64_t EntriesPerState = 64;
// Goes on making them for about `work` table entries (`used`: how many it made); true once they
// are made (and then shared).
bool MakePlatformBounds(const std::shared_ptr<PlatformBounds>& bounds, std::uint64_t work,
                        std::uint64_t* used);
// Lets go of the tables made last (which a search still using them keeps).
void ForgetSharedPlatformBounds();
// Bytes the tables hold.
std::uint64_t PlatformBoundBytes(const PlatformBounds& bounds);
