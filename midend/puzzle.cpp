// Puzzles in play, made beside the frames, read from codes and text; and the stuck watch.
#include "midend/puzzle.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <thread>

#include "board/level_code.h"
#include "board/level_file.h"
#include "board/level_text.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/question.h"
#include "midend/search.h"
#include "midend/search_bound.h"
#include "platform/platform.h"
#include "play/movement.h"

std::string PuzzleTitle;
std::uint8_t PuzzleRecord[LevelRecordSize];
bool WarnWhenStuck = true;

std::uint64_t MakingSliceStates = DefaultMakingSliceStates;

namespace {

// Without a thread the generator works in steps of a few states for up to 12 ms of each 16.7 ms
// frame (or, where the clock stands still within a frame, as in the replay runner, a fixed
// number of states).
constexpr std::uint64_t MakingStepStates = 500;
constexpr std::uint32_t MakingSliceMs = 12;

struct Making {
  Generator generator;
  std::thread worker;
  std::atomic<bool> done{false}, cancelled{false};
  std::atomic<int> progress{0};
  bool active = false;
  Grade grade = Grade::Easy;
  std::string title;
};

Making& TheMaking() {
  static Making making;
  return making;
}

struct StuckWatch {
  Search search;
  bool asking = false, stuck = false, watched = false;
  Level level;
  GameState state;
  // The level's tables with their games of two (midend/search_bound.h), made in the frames in
  // which the watch has no question: every search takes them once they are made.
  std::shared_ptr<PlatformBounds> tables;
  bool making = false;
};

StuckWatch& TheWatch() {
  static StuckWatch watch;
  return watch;
}

// The watch is on the level and the position (where the Player, the platforms and the balls are,
// what a search starts from; not his move).
bool Watches(const StuckWatch& w, const Level& level, const GameState& state) {
  GameState x = state, y = w.state;
  x.movement = y.movement = {};
  return w.watched && x == y && level == w.level;
}

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

int PlayPuzzle(const std::uint8_t record[LevelRecordSize], const std::string& title) {
  std::memmove(PuzzleRecord, record, LevelRecordSize);
  PuzzleTitle = title;
  CollectionPlace = -1;  // a collection's level in play sets it again
  return ReplayPuzzle();
}

int ReplayPuzzle() {
  std::memcpy(LevelRecord, PuzzleRecord, LevelRecordSize);
  ForgetStuck();
  return PlayRecord(LevelRecord, PuzzleLevel);
}

bool PuzzleInPlay() {
  return LevelInPlay == PuzzleLevel;
}

std::string DailyTitle(int year, int month, int day) {
  char text[32];
  std::snprintf(text, sizeof text, "Daily %04d-%02d-%02d", year, month, day);
  return text;
}

PuzzleText ReadPuzzleText(const std::string& text) {
  PuzzleText out;
  // A level's text is a few hundred bytes; a clipboard may hold anything.
  if (text.size() > MaxPuzzleTextBytes) {
    out.why = "Not a puzzle code or a level: the text is far too long";
    return out;
  }
  const std::string given = Trimmed(text);
  if (given.empty()) {
    out.why = "Nothing to play: no puzzle code or level";
    return out;
  }
  if (ParsePuzzleName(given, &out.grade, &out.seed)) {
    out.kind = PuzzleText::Kind::Name;
    out.title = PuzzleName(out.grade, out.seed);
    return out;
  }
  // A code is one word; anything longer is a level's text.
  if (given.find_first_of(" \t\r\n") == std::string::npos) {
    if (!RecordFromCode(given, out.record, &out.why)) {
      out.why[0] = char(std::toupper(static_cast<unsigned char>(out.why[0])));  // a sentence
      return out;
    }
    out.kind = PuzzleText::Kind::Level;
    out.title = given;
    return out;
  }
  std::string error;
  std::memset(out.record, ListEnd, sizeof out.record);
  if (!CompileLevelText(given + "\n", "pasted level", out.record, &error, nullptr)) {
    out.why = "Not a level: " + error;
    return out;
  }
  out.kind = PuzzleText::Kind::Level;
  out.title = LevelCode(out.record);
  return out;
}

void StartMakingPuzzle(Grade grade, std::uint64_t seed, const std::string& title) {
  CancelMakingPuzzle();
  Making& m = TheMaking();
  m.generator.Start(grade, seed);
  m.grade = grade;
  m.title = title;
  m.active = true;
  m.done.store(false);
  m.cancelled.store(false);
  m.progress.store(0);
  if (!platform::BackgroundThreads()) return;
  m.worker = std::thread([&m] {
    while (!m.cancelled.load() && !m.generator.Run(1u << 14)) {
      m.progress.store(m.generator.Progress());
    }
    m.done.store(true);
  });
}

bool MakingPuzzle() {
  return TheMaking().active;
}

Grade MakingGrade() {
  return TheMaking().grade;
}

int MakingProgress() {
  return TheMaking().progress.load();
}

void CancelMakingPuzzle() {
  Making& m = TheMaking();
  if (m.worker.joinable()) {
    m.cancelled.store(true);
    m.worker.join();
  }
  m.active = false;
}

bool KeepMakingPuzzle() {
  Making& m = TheMaking();
  if (!m.active) return false;
  if (m.worker.joinable()) {
    if (!m.done.load()) return false;
    m.worker.join();
  } else {
    // Most of the frame's time, in small steps: the frame is drawn all the same.
    const std::uint32_t start = platform::Ticks();
    const std::uint64_t step = std::min(MakingStepStates, MakingSliceStates);
    for (std::uint64_t spent = 0; !m.generator.Run(step); spent += step) {
      if (platform::Ticks() - start >= MakingSliceMs || spent >= MakingSliceStates) {
        m.progress.store(m.generator.Progress());
        return false;
      }
    }
  }
  m.active = false;
  PlayPuzzle(m.generator.puzzle().record, m.title);
  return true;
}

void WatchForStuck(const Level& level, const GameState& state) {
  StuckWatch& w = TheWatch();
  if (!WarnWhenStuck) {
    ForgetStuck();
    return;
  }
  // Asked where the Player stands still between steps; a solved level is never stuck.
  const bool settled = AtCellBoundary(state) && !state.solved;
  if (settled && !Watches(w, level, state)) {
    if (!w.watched || !(level == w.level)) {
      StartPlatformBounds(level, state, true, &w.tables);
      w.making = true;
    }
    w.watched = true;
    w.level = level;
    w.state = state;
    w.stuck = false;
    SearchOptions options;
    options.maxStates = PositionStateLimit;
    w.search.Start(level, state, options);
    w.asking = true;
  }
  if (w.asking) {
    if (!RunSlice(&w.search)) return;
    w.asking = false;
    w.stuck = w.search.result().outcome == SearchOutcome::Unsolvable;
    return;
  }
  // The tables, in slices as a search makes them.
  if (w.making) {
    w.making = !InSlice([&w] {
      std::uint64_t used = 0;
      return MakePlatformBounds(w.tables, SliceStates / 10 * EntriesPerState, &used);
    });
  }
}

bool Stuck() {
  return WarnWhenStuck && TheWatch().stuck;
}

bool StuckQuestionOpen() {
  return TheWatch().asking || TheWatch().making;
}

bool WatchingPosition(const Level& level, const GameState& state) {
  const StuckWatch& w = TheWatch();
  return WarnWhenStuck && w.asking && Watches(w, level, state);
}

bool WatchedAnswer(const Level& level, const GameState& state, SearchResult* answer) {
  const StuckWatch& w = TheWatch();
  if (!WarnWhenStuck || w.asking || !Watches(w, level, state)) return false;
  *answer = w.search.result();
  return true;
}

void ForgetStuck() {
  StuckWatch& w = TheWatch();
  w.asking = w.stuck = w.watched = w.making = false;
}

void ResetPuzzleState() {
  CancelMakingPuzzle();
  ForgetStuck();
  PuzzleTitle.clear();
  std::memset(PuzzleRecord, 0, sizeof PuzzleRecord);
  WarnWhenStuck = true;
}
