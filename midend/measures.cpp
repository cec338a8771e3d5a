// A level's measures: its search, its shortest solution replayed, and every reachable state.
#include "midend/measures.h"

#include "midend/random.h"
#include "play/rules.h"

namespace {

// The states a stuck share may look at: every reachable state of the shipped levels.
constexpr std::uint64_t StuckBudget = 8'000'000;

}  // namespace

void MeasureSolution(const Level& level, const GameState& from, const std::string& moves,
                     LevelMeasures* measures) {
  GameState state = from;
  std::uint32_t moved = 0;
  measures->par = int(moves.size());
  measures->carries = 0;
  for (const char m : moves) {
    const RuleEvents events = MakeMove(level, &state, MoveDirection(m));
    if (events.carried && events.platformMoved >= 0) {
      ++measures->carries;
      moved |= 1u << events.platformMoved;
    }
  }
  measures->platformsMoved = __builtin_popcount(moved);
}

void MeasureStuck(const Level& level, std::uint64_t budget, LevelMeasures* measures) {
  static thread_local Search search;
  const GameState start = StartState(level);
  const Exploration e = search.Explore(level, start, budget);
  if (e.complete) {
    measures->positions = e.positions;
    measures->stuckPerMille = e.positions == 0 ? 0 : int(e.stuckPositions * 1000 / e.positions);
    return;
  }
  // Too many to count: positions where random walks from the start end, each asked whether it
  // can still be solved. The walks are the same on every run.
  constexpr int Samples = 64;
  constexpr int LongestWalk = 120;
  Prng prng = SeededPrng(0x5354'5543'4Bull);
  int asked = 0, stuck = 0;
  SearchOptions options;
  options.maxStates = budget / Samples;
  for (int i = 0; i < Samples; ++i) {
    GameState state = start;
    for (int steps = NextInt(prng, LongestWalk + 1); steps > 0 && !state.solved; --steps) {
      MakeMove(level, &state, DirLeft + NextInt(prng, 4));
    }
    if (state.solved) continue;
    search.Start(level, state, options);
    while (!search.Run(1u << 16)) {
    }
    const SearchOutcome outcome = search.result().outcome;
    if (outcome == SearchOutcome::GaveUp) continue;
    ++asked;
    if (outcome == SearchOutcome::Unsolvable) ++stuck;
  }
  measures->positions = 0;
  measures->stuckPerMille = asked == 0 ? -1 : stuck * 1000 / asked;
}

LevelMeasures MeasureLevel(const Level& level, bool stuck, std::uint64_t maxStates) {
  static thread_local Search search;
  LevelMeasures m;
  const GameState start = StartState(level);
  SearchOptions options;
  options.maxStates = maxStates;
  search.Start(level, start, options);
  while (!search.Run(1u << 16)) {
  }
  const SearchResult& result = search.result();
  m.outcome = result.outcome;
  m.effort = result.states;
  if (result.outcome == SearchOutcome::Solved) MeasureSolution(level, start, result.moves, &m);
  if (stuck) MeasureStuck(level, StuckBudget, &m);
  return m;
}
