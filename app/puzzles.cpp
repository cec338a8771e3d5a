// The puzzle commands of the menu, the keys and the command line.
#include "app/puzzles.h"

#include <chrono>

#include "app/notices.h"
#include "app/shell.h"
#include "board/level_code.h"
#include "board/level_file.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "input/clock.h"
#include "input/move_keys.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"
#include "midend/random.h"

namespace {

std::string StartText;
bool StartAtOnce;
std::uint64_t SeedsDrawn;

// A seed for a new puzzle: the platform's clock and a count, mixed, so that two in one
// millisecond differ. Only the platform's clock: a replay's is its script's, so a replay that
// makes a new puzzle makes the same one every time.
std::uint64_t FreshSeed() {
  Prng prng = SeededPrng((std::uint64_t(platform::Ticks()) << 20) ^ std::uint64_t(GetClock()) ^
                         (++SeedsDrawn * 0x9E3779B97F4A7C15ull));
  return NextBits(prng) & MaxSeed;
}

void ShowMenuForPuzzle() {
  const platform::Window window = platform::FindWindow("WINXCLASS", nullptr);
  if (window == 0) return;
  platform::EnableMenuItem(window, CmdCancelPuzzle, MakingPuzzle());
}

}  // namespace

void PuzzleStarted() {
  PlayMoves = {};
  ClearHistory();
  ForgetHint();
  ClearNotice(NoticeTopic::Level);
  ShowMenuForPuzzle();
  if (EditorMode) EditorShowBoard(PlayLevel, PlayState);
}

namespace {

void Play(const std::uint8_t record[LevelRecordSize], const std::string& title) {
  for (int unknown = PlayPuzzle(record, title); unknown > 0; --unknown) ShowMessage("Hov!");
  PuzzleStarted();
}

void Make(Grade grade, std::uint64_t seed, const std::string& title) {
  StartMakingPuzzle(grade, seed, title);
  ShowMenuForPuzzle();
}

}  // namespace

void NewPuzzle(Grade grade) {
  const std::uint64_t seed = FreshSeed();
  Make(grade, seed, PuzzleName(grade, seed));
}

void PlayDailyPuzzle() {
  using namespace std::chrono;
  const year_month_day day{floor<days>(system_clock::now())};  // the system clock counts UTC
  const int y = int(day.year()), m = int(unsigned(day.month())), d = int(unsigned(day.day()));
  Make(Grade::Hard, DailySeed(y, m, d), DailyTitle(y, m, d));
}

bool PlayPuzzleText(const std::string& text) {
  const PuzzleText read = ReadPuzzleText(text);
  switch (read.kind) {
    case PuzzleText::Kind::Level:
      CancelMakingPuzzle();
      Play(read.record, read.title);
      return true;
    case PuzzleText::Kind::Name:
      Make(read.grade, read.seed, read.title);
      return true;
    case PuzzleText::Kind::Refused:
      break;
  }
  Notify(NoticeTopic::Level, read.why);
  return false;
}

void EnterPuzzleCode(platform::Window window) {
  std::string text;
  if (platform::AskForText(
          window, "Enter code",
          "A puzzle's code or name (like hard-7Q3K2), or a level's text:", &text)) {
    PlayPuzzleText(text);
  }
}

void CopyPuzzleCode() {
  const std::string code = CodeInPlay();
  if (code.empty()) return;
  if (!platform::SetClipboardText(code)) {
    Notify(NoticeTopic::Level, "Could not put the code on the clipboard");
  }
}

void StopMakingPuzzle() {
  CancelMakingPuzzle();
  ShowMenuForPuzzle();
}

void LeavePuzzle() {
  CancelMakingPuzzle();
  PuzzleTitle.clear();
  CollectionPlace = -1;
  if (LevelInPlay == PuzzleLevel) LevelInPlay = 0;  // StartLevel marks the level chosen
  ShowMenuForPuzzle();
}

void SetStartPuzzle(const std::string& text, bool makeAtOnce) {
  StartText = text;
  StartAtOnce = makeAtOnce;
}

bool StartAskedPuzzle() {
  if (StartText.empty()) return true;
  const PuzzleText read = ReadPuzzleText(StartText);
  if (read.kind == PuzzleText::Kind::Name && StartAtOnce) {
    const Puzzle puzzle = GeneratePuzzle(read.grade, read.seed);
    Play(puzzle.record, read.title);
    return true;
  }
  return PlayPuzzleText(StartText);
}

void PuzzleFrame() {
  if (KeepMakingPuzzle()) PuzzleStarted();
  if (!EditorMode && LevelProblem.empty()) WatchForStuck(PlayLevel, PlayState);
}

std::string MakingText() {
  if (!MakingPuzzle()) return "";
  const int progress = MakingProgress();
  return std::string("Making ") +
         (MakingGrade() == Grade::Easy || MakingGrade() == Grade::Expert ? "an " : "a ") +
         GradeName(MakingGrade()) + " puzzle\xE2\x80\xA6 " + std::to_string(progress / 10) + "%";
}

std::string CodeInPlay() {
  return LevelProblem.empty() ? LevelCode(LevelRecord) : std::string();
}

void ResetPuzzleCommandsState() {
  StartText.clear();
  StartAtOnce = false;
  SeedsDrawn = 0;
}
