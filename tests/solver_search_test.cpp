// The solver on small levels of our own, on hundreds of random ones and on the shipped ones:
// what it finds, what it proves impossible, which files it refuses; that its solutions are as
// short as the plain breadth-first search's, each pruning cutting none; and that every solution
// it finds solves the level in the game itself, frame by frame through the replay runner, while
// the same moves without the last one do not.
#include <random>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/progress.h"
#include "app/replay.h"
#include "board/level_record.h"
#include "midend/game.h"
#include "midend/search.h"
#include "midend/solver.h"
#include "play/rules.h"
#include "tests/test_levels.h"
#include "tests/test_support.h"

namespace {

using testing_support::TestLevel;

// Land on the left (columns 0-1 of rows 1-2) and an island (columns 7-8 of rows 1-2), open
// water between and around them.
const std::vector<std::string> Channel = {
    "..............",
    "##.....##.....",
    "##.....##.....",
};

// A corridor three rows high between a west and an east shore, fenced by land below.
const std::vector<std::string> Corridor = {
    "#.........#...",
    "#.........#...",
    "#.........#...",
    "##########....",
};

// A pond with a platform, and a ball on an island in a moat elsewhere: no water links them.
const std::vector<std::string> Moat = {
    "####..########", "#....#########", "#....#########", "######......##",
    "######..##..##", "######......##", "##############",
};

// The shortest solutions of the shipped levels, as the README lists them: a first lesson in
// carrying, growing to a long final puzzle.
constexpr std::size_t ShippedLengths[] = {8, 24, 30, 51, 66};

class Solver : public testing_support::FreshProgram {
 protected:
  SolveResult Solve(const TestLevel& level, SolveOptions options = {}) {
    testing_support::WriteLevel("test.dat", level);
    return SolveLevelFile("test.dat", options);
  }

  // Plays the moves in the game from the level's start; whether the level is then solved.
  bool GameSolves(const TestLevel& level, const std::string& moves) {
    return testing_support::GameSolves(testing_support::LevelBytes(level), moves);
  }

  // The solution is the game's: it solves the level, and not before its last move.
  void ExpectGameAgrees(const TestLevel& level, const SolveResult& result) {
    ASSERT_EQ(result.outcome, SolveOutcome::Solved);
    EXPECT_TRUE(GameSolves(level, result.moves)) << result.moves;
    if (!result.moves.empty()) {
      const std::string shorter = result.moves.substr(0, result.moves.size() - 1);
      EXPECT_FALSE(GameSolves(level, shorter)) << shorter;
    }
  }
};

TEST_F(Solver, OneCarryAcrossAChannelIsTheGamesSolution) {
  const TestLevel level{Channel, {0, 1}, {{8, 2}}, {{5, 2, 1}}};
  const SolveResult result = Solve(level);
  ASSERT_EQ(result.outcome, SolveOutcome::Solved);
  // Two steps onto the 2 x 2 platform, three carries, two steps onto the island, one down.
  EXPECT_EQ(result.moves.size(), 9u);
  int carries = 0;
  for (std::uint8_t c : result.carried) carries += c;
  EXPECT_EQ(carries, 3);
  ExpectGameAgrees(level, result);

  SolveOptions walking;
  walking.allowCarry = false;
  EXPECT_EQ(Solve(level, walking).outcome, SolveOutcome::Unsolvable);
}

TEST_F(Solver, TwoPlatformsAreCarriedInTurn) {
  // Two bars fill the corridor: the first goes as far as the second, which then goes on to the
  // east shore. The second cannot be reached before the first has moved.
  const TestLevel level{Corridor, {0, 1}, {{10, 1}}, {{7, 1, 0}, {7, 5, 0}}};
  const SolveResult result = Solve(level);
  ASSERT_EQ(result.outcome, SolveOutcome::Solved);
  EXPECT_EQ(result.moves, "RRRRRRRRRR");
  EXPECT_EQ(result.carried, (std::vector<std::uint8_t>{0, 1, 1, 1, 0, 1, 1, 1, 1, 0}));
  ExpectGameAgrees(level, result);
}

TEST_F(Solver, OverlappingPlatformsMoveAsTheGameMovesThem) {
  // Two bars of one type share two cells, and the game carries the higher slot: the one in
  // rows 0-2, free to go east. The one in rows 1-3 is held by the land of row 3, so a search
  // that swapped the two would need a detour.
  const std::vector<std::string> map = {
      "#.........#...", "#.........#...", "#.........#...", "#.##########..", "##############",
  };
  const TestLevel level{map, {0, 1}, {{10, 1}}, {{7, 1, 1}, {7, 1, 0}}};
  const SolveResult result = Solve(level);
  EXPECT_EQ(result.moves, "RRRRRRRRRR");
  ExpectGameAgrees(level, result);
}

TEST_F(Solver, LevelsWithoutASolutionAreProvedUnsolvable) {
  // The ball lies on an island in a moat that no platform can reach.
  SolveResult result = Solve({Moat, {0, 0}, {{8, 4}}, {{6, 1, 1}}});
  EXPECT_EQ(result.outcome, SolveOutcome::Unsolvable);

  // No balls: never solved, as in play, however much of the board is open.
  result = Solve({Channel, {0, 1}, {}, {{5, 2, 1}}});
  EXPECT_EQ(result.outcome, SolveOutcome::Unsolvable);

  // A Player who starts off the board never moves.
  result = Solve({Channel, {100, 1}, {{8, 2}}, {}});
  EXPECT_EQ(result.outcome, SolveOutcome::Unsolvable);
  EXPECT_EQ(result.states, 1u);
}

TEST_F(Solver, BallsOnTheStartCellAreTakenBeforeTheFirstMove) {
  const TestLevel level{Channel, {0, 1}, {{0, 1}}, {}};
  const SolveResult result = Solve(level);
  EXPECT_EQ(result.outcome, SolveOutcome::Solved);
  EXPECT_EQ(result.moves, "");
  EXPECT_TRUE(GameSolves(level, ""));
}

// An unknown platform type makes the game's set-up show "Hov!". (Missing, short and long files
// are checked on the solver tool.)
TEST_F(Solver, AnUnknownPlatformTypeIsAnError) {
  const SolveResult result = Solve({Channel, {0, 1}, {{8, 2}}, {{9, 2, 1}}});
  EXPECT_EQ(result.outcome, SolveOutcome::Error);
  EXPECT_NE(result.error.find("Hov!"), std::string::npos) << result.error;
  // The game plays such a level after its "Hov!", and its hints search it: a platform without a
  // shape where the bar that must be carried floats to leaves the solution the game's.
  const std::vector<std::uint8_t> bytes =
      testing_support::LevelBytes({Channel, {0, 1}, {{7, 1}}, {{7, 2, 0}, {9, 3, 0}}});
  Level level;
  ASSERT_EQ(SetUpLevel(bytes.data(), &level), 1);
  GameState state = StartState(level);
  const SearchResult found = SearchToEnd(level, state);
  ASSERT_EQ(found.outcome, SearchOutcome::Solved);
  for (const char move : found.moves) MakeMove(level, &state, MoveDirection(move));
  EXPECT_TRUE(state.solved) << found.moves;
}

TEST_F(Solver, GivesUpAtTheStateLimitAndSaysSo) {
  SolveOptions options;
  options.maxStates = 100;
  const SolveResult result = SolveLevelFile(testing_support::GameDir() + "/level5.dat", options);
  EXPECT_EQ(result.outcome, SolveOutcome::GaveUp);
  EXPECT_EQ(result.states, 100u);
  EXPECT_EQ(result.error, "gave up: more than 100 states");
}

// Small random levels: land and water in a corner, a few platforms and balls. The search's
// answer is the plain breadth-first search's (solvable or not, and as short), with and without
// each of its prunings and with the tables' games of two, and its solution solves the level in
// the game.
TEST_F(Solver, TheSearchIsAsShortAsBreadthFirstOnRandomLevels) {
  std::mt19937 random(2026);
  int solved = 0;
  for (int n = 0; n < 200; ++n) {
    // A 7 x 7 corner of land and water; land all around it.
    std::vector<std::string> map(BoardCells, std::string(BoardCells, '#'));
    for (int r = 0; r < 7; ++r) {
      for (int c = 0; c < 7; ++c) map[r][c] = random() % 3 == 0 ? '#' : '.';
    }
    const auto cell = [&random] {
      return testing_support::Cell{std::int8_t(random() % 7), std::int8_t(random() % 7)};
    };
    TestLevel level{map, cell(), {}, {}};
    map[level.player.row][level.player.column] = '#';
    level.map = map;
    for (int b = 1 + int(random() % 2); b > 0; --b) level.balls.push_back(cell());
    for (int p = 1 + int(random() % 3); p > 0; --p) {
      const testing_support::Cell at = cell();
      level.platforms.push_back(
          {std::int8_t(random() % 3 == 0 ? 5 : random() % 9), at.column, at.row});
    }
    SCOPED_TRACE(n);
    SolveOptions plain;
    plain.breadthFirst = true;
    const SolveResult reference = Solve(level, plain);
    SolveOptions loose, paired;
    loose.samePlatformsAlike = loose.unreachableBalls = loose.platformBounds = false;
    paired.platformPairs = true;
    for (const SolveOptions& options : {SolveOptions{}, loose, paired}) {
      const SolveResult result = Solve(level, options);
      ASSERT_EQ(result.outcome, reference.outcome);
      EXPECT_EQ(result.moves.size(), reference.moves.size());
    }
    if (reference.outcome == SolveOutcome::Solved && n % 4 == 0) {
      ++solved;
      ExpectGameAgrees(level, Solve(level));
    }
  }
  EXPECT_GT(solved, 10);
}

// Each pruning where it fires: fewer states, the same answer.
TEST_F(Solver, EachPruningCutsStatesButNoSolution) {
  SolveOptions off;
  // Two squares of one type in a lake, the ball on an island out of reach: every place the
  // two can go is looked at, and which slot holds which position does not matter.
  const std::vector<std::string> lake = {"##############", "#......#.....#", "#......#..#..#",
                                         "#......#.....#", "#......#######", "##############"};
  const TestLevel twins{lake, {0, 1}, {{10, 2}}, {{5, 1, 1}, {5, 4, 2}}};
  off.samePlatformsAlike = off.platformBounds = false;
  SolveOptions on = off;
  on.samePlatformsAlike = true;
  const SolveResult apart = Solve(twins, off), alike = Solve(twins, on);
  EXPECT_LT(alike.states, apart.states);
  EXPECT_EQ(std::pair(alike.outcome, apart.outcome),
            std::pair(SolveOutcome::Unsolvable, SolveOutcome::Unsolvable));
  // A ball in a pocket of water no platform can float to: no search at all.
  const TestLevel pocket{Moat, {0, 0}, {{7, 4}}, {{6, 1, 1}}};
  off = SolveOptions{};
  off.unreachableBalls = off.platformBounds = false;
  const SolveResult searched = Solve(pocket, off), pruned = Solve(pocket);
  EXPECT_EQ(std::pair(pruned.outcome, searched.outcome),
            std::pair(SolveOutcome::Unsolvable, SolveOutcome::Unsolvable));
  EXPECT_LT(pruned.states, searched.states);
  // A bar in a pond, a square in its way, and the only way to the islands below a channel one
  // cell wide that the square cannot pass: the bar must go through it, which the walk through
  // the balls does not see. With the islands' bay cut off, the balls are lost from the start.
  std::vector<std::string> pond = {"##############", "#....#########", "#....#########",
                                   "#....#########", "#....#########", "#....#########",
                                   "####.#########", "####.#########", "#........#####",
                                   "#.#.....#.####", "#........#####"};
  const TestLevel bay{pond, {5, 1}, {{2, 9}, {8, 9}}, {{7, 1, 1}, {5, 3, 4}}};
  off = SolveOptions{};
  off.platformBounds = false;
  SolveOptions paired;  // the bar's game and the square's together too
  paired.platformPairs = true;
  const SolveResult plain = Solve(bay, off), single = Solve(bay), bounded = Solve(bay, paired);
  ASSERT_EQ(bounded.outcome, SolveOutcome::Solved);
  EXPECT_EQ(bounded.moves.size(), plain.moves.size());
  EXPECT_EQ(single.moves.size(), plain.moves.size());
  // The square sits in the channel's mouth: the game of the two sees the moves that shift it.
  EXPECT_LT(bounded.states, single.states);
  EXPECT_LT(single.states, plain.states);
  pond[7][4] = '#';
  const TestLevel cut{pond, {5, 1}, {{2, 9}, {8, 9}}, {{7, 1, 1}, {5, 3, 4}}};
  const SolveResult lost = Solve(cut), searchedLost = Solve(cut, off);
  EXPECT_EQ(std::pair(lost.outcome, searchedLost.outcome),
            std::pair(SolveOutcome::Unsolvable, SolveOutcome::Unsolvable));
  EXPECT_LT(lost.states, searchedLost.states);
  // Two small corners, the one that carries the Player to the balls starting half on land (it
  // can float off, never back): the key keeps the two sorted, so its corner may be the other's.
  const TestLevel corners{
      {"#.......#.#...", ".#.##.#.###.##", ".#.##.....#..#", "...#....##.#..", ".#......#..###",
       ".#..........##", "#....#.###.#..", ".##....#...#..", "#.#....#.##...", ".#.##..###..#.",
       "..#...#....#.#", ".#.....#....##", "..##...#....##", "#.#.#..###..#."},
      {9, 13},
      {{11, 11}, {12, 13}},
      {{4, 2, 7}, {6, 6, 10}, {5, 0, 9}, {6, 5, 2}}};
  EXPECT_EQ(Solve(corners).moves.size(), Solve(corners, off).moves.size());
  EXPECT_EQ(Solve(corners).moves.size(), 11u);
}

// The five levels the game ships: each solvable in the length the README lists (growing from
// level to level), each needing a carry (no solution by walking alone), the hints' search as
// short and its solution the game's, and the levels together showing most of the platform
// types. (The solver tool's test replays the breadth-first solutions.)
TEST_F(Solver, ShippedLevelsNeedACarryAndSolveInTheirListedLengths) {
  bool typeUsed[ShapeTypes] = {};
  for (int n = 1; n <= 5; ++n) {
    SCOPED_TRACE(n);
    const std::string path = testing_support::GameDir() + "/level" + std::to_string(n) + ".dat";
    const std::vector<std::uint8_t> bytes = testing_support::ReadBytes(path);
    ASSERT_EQ(bytes.size(), std::size_t(LevelRecordSize));

    const SolveResult result = SolveLevelFile(path);
    ASSERT_EQ(result.outcome, SolveOutcome::Solved) << result.error;
    EXPECT_EQ(result.moves.size(), ShippedLengths[n - 1]);
    SolveOptions plain;  // the reference: as short, though maybe another way
    plain.breadthFirst = true;
    EXPECT_EQ(SolveLevelFile(path, plain).moves.size(), ShippedLengths[n - 1]);
    EXPECT_TRUE(testing_support::GameSolves(bytes, result.moves));
    // A search told the longest solution wanted stops short of a longer one.
    Level level;
    SetUpLevel(bytes.data(), &level);
    SearchOptions capped;
    capped.maxMoves = std::uint32_t(ShippedLengths[n - 1]);
    EXPECT_EQ(SearchToEnd(level, StartState(level), capped).moves.size(), ShippedLengths[n - 1]);
    --capped.maxMoves;
    EXPECT_EQ(SearchToEnd(level, StartState(level), capped).outcome, SearchOutcome::GaveUp);
    // From along the solution (the level's tables kept from the first search) the rest of it.
    GameState along = StartState(level);
    for (std::size_t k = 0; k < result.moves.size(); ++k) {
      if (k % 7 == 3) {
        EXPECT_EQ(SearchToEnd(level, along).moves.size(), result.moves.size() - k) << k;
      }
      MakeMove(level, &along, MoveDirection(result.moves[k]));
    }
    // Searches (on any thread) share the tables made: the second one's first slice expands.
    Search first, second;
    first.Start(level, StartState(level));
    while (!first.Run(1u << 16)) {
    }
    second.Start(level, StartState(level));
    second.Run(1);
    EXPECT_EQ(second.result().expanded, 1u);
    LevelLayout layout;
    DecodeLevelRecord(bytes.data(), &layout);
    for (int p = 0; p < layout.platformCount; ++p) typeUsed[layout.platforms[p].type] = true;

    SolveOptions walking;
    walking.allowCarry = false;
    EXPECT_EQ(SolveLevelFile(path, walking).outcome, SolveOutcome::Unsolvable);
  }
  int types = 0;
  for (bool used : typeUsed) types += used;
  EXPECT_GE(types, 6);
}

}  // namespace
