// yelko-solve: finds a shortest solution of each level file, for level authors and our tests.
//
//   yelko-solve [--stats] [--walk-only] [--bfs] [--max-states N] FILE...
//   yelko-solve --script [--walk-only] [--bfs] [--max-states N] FILE
//   yelko-solve --par FILE...
//
// One line per file:
//   FILE: solvable in N moves: MOVES      (MOVES: one letter L, U, R or D per cell stepped)
//   FILE: unsolvable (S states explored)
//   FILE: error: WHAT                     (unreadable, not 300 bytes, refused by the game's
//                                          set-up, or the search gave up at --max-states)
// --stats adds the states explored, the time taken (on the clock and on the processor), the
// states per second of processor time, how many of the moves carry a platform, the single
// positions the states stood for (each state is a whole region the Player can walk over) and the
// most memory the search held. --bfs searches by the plain breadth-first way instead, position by
// position: the reference the tests hold the search to. --walk-only
// forbids carrying: a level that is then unsolvable needs a carry in every solution. --script
// prints instead a replay script for `yelko --replay` that plays the solution from the moment the
// level starts. --par prints instead, for each solvable file, the line the game's "par.txt" holds
// for it: the level's key (its bytes' hash) and its shortest solution's length.
//
// Exit status: 0 every file solvable, 1 some file unsolvable, 2 some file in error (or wrong
// usage).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/replay.h"
#include "app/version.h"
#include "board/level_record.h"
#include "midend/measures.h"
#include "midend/records.h"
#include "midend/solver.h"
#include "platform/files.h"

namespace {

// The states --stats looks at to count the positions a level can get stuck in; a level with
// more has them sampled.
constexpr std::uint64_t StuckBudget = 4'000'000;

int Usage() {
  std::fprintf(stderr,
               "usage: yelko-solve [--stats] [--walk-only] [--bfs] [--max-states N] FILE...\n"
               "       yelko-solve --script [--walk-only] [--bfs] [--max-states N] FILE\n"
               "       yelko-solve --par FILE...\n"
               "       yelko-solve --version\n");
  return 2;
}

// The file name as it goes into a line of output: control characters would break the line.
std::string Shown(const char* path) {
  std::string shown = path;
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return shown;
}

void PrintStats(const SolveResult& result, const char* file) {
  int carries = 0;
  for (std::uint8_t c : result.carried) carries += c;
  const double perSecond = result.cpuSeconds > 0 ? double(result.states) / result.cpuSeconds : 0;
  std::printf(" [%llu states, %.3f s, %.3f s CPU, %.0f states/s CPU",
              (unsigned long long)result.states, result.seconds, result.cpuSeconds, perSecond);
  if (result.positions > 0) {
    std::printf(", %llu positions merged, %.1f MB peak", (unsigned long long)result.positions,
                double(result.peakBytes) / 1e6);
  }
  std::printf("]");
  // The level's measures: what its shortest solution does, and how easy it is to get stuck.
  std::uint8_t record[LevelRecordSize] = {};
  Level level;
  if (platform::ReadFilePrefix(file, record, sizeof record) != LevelRecordSize ||
      SetUpLevel(record, &level) != 0) {
    return;
  }
  LevelMeasures m;
  if (result.outcome == SolveOutcome::Solved) {
    MeasureSolution(level, StartState(level), result.moves, &m);
    std::printf(" [par %d, %d carries, %d platforms moved", m.par, m.carries, m.platformsMoved);
  } else {
    std::printf(" [no solution");
  }
  MeasureStuck(level, StuckBudget, &m);
  if (m.stuckPerMille < 0) {
    std::printf(", stuck share unknown]");
  } else if (m.positions > 0) {
    std::printf(", stuck from %d.%d%% of %llu positions]", m.stuckPerMille / 10,
                m.stuckPerMille % 10, (unsigned long long)m.positions);
  } else {
    std::printf(", stuck from about %d%% of positions (sampled)]", (m.stuckPerMille + 5) / 10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (PrintedVersion(argc, argv, "yelko-solve")) return 0;
  bool script = false, stats = false, par = false;
  SolveOptions options;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--script") == 0) {
      script = true;
    } else if (std::strcmp(arg, "--par") == 0) {
      par = true;
    } else if (std::strcmp(arg, "--stats") == 0) {
      stats = true;
    } else if (std::strcmp(arg, "--walk-only") == 0) {
      options.allowCarry = false;
    } else if (std::strcmp(arg, "--bfs") == 0) {
      options.breadthFirst = true;
    } else if (std::strcmp(arg, "--max-states") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const unsigned long long n = std::strtoull(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || n == 0 || argv[i][0] == '-') return Usage();
      options.maxStates = n;
    } else if (std::strcmp(arg, "--") == 0) {
      for (++i; i < argc; ++i) files.push_back(argv[i]);
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return Usage();
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty() || (script && (files.size() != 1 || stats)) || (par && (script || stats))) {
    return Usage();
  }

  // The game's set-up and movement run on the headless backend, which records the messages a
  // set-up shows instead of opening boxes.
  ResetProgramState();

  bool anyError = false, anyUnsolvable = false;
  for (const char* file : files) {
    const SolveResult result = SolveLevelFile(file, options);
    const std::string name = Shown(file);
    if (script) {
      if (result.outcome == SolveOutcome::Solved) {
        const std::string text = SolutionScript(
            result.moves, "yelko-solve: " + name + ", " + std::to_string(result.moves.size()) +
                              " moves: " + result.moves);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 2;
      }
      if (result.outcome == SolveOutcome::Unsolvable) {
        std::fprintf(stderr, "%s: unsolvable (%llu states explored)\n", name.c_str(),
                     (unsigned long long)result.states);
        return 1;
      }
      std::fprintf(stderr, "%s: error: %s\n", name.c_str(), result.error.c_str());
      return 2;
    }
    if (par && result.outcome == SolveOutcome::Solved) {
      std::uint8_t record[LevelRecordSize] = {};
      platform::ReadFilePrefix(file, record, sizeof record);
      const std::string line = MoveRecordLine(LevelKey(record), std::int32_t(result.moves.size()));
      std::printf("%.*s  # %s\n", int(line.size() - 1), line.c_str(), name.c_str());
      continue;
    }
    switch (result.outcome) {
      case SolveOutcome::Solved:
        std::printf("%s: solvable in %zu moves: %s", name.c_str(), result.moves.size(),
                    result.moves.c_str());
        break;
      case SolveOutcome::Unsolvable:
        anyUnsolvable = true;
        std::printf("%s: unsolvable (%llu states explored)", name.c_str(),
                    (unsigned long long)result.states);
        break;
      case SolveOutcome::Error:
      case SolveOutcome::GaveUp:
        anyError = true;
        std::printf("%s: error: %s", name.c_str(), result.error.c_str());
        break;
    }
    if (stats && result.outcome != SolveOutcome::Error) PrintStats(result, file);
    std::printf("\n");
  }
  if (std::fflush(stdout) != 0) return 2;
  return anyError ? 2 : anyUnsolvable ? 1 : 0;
}
