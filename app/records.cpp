#include "app/records.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <vector>

#include "app/progress.h"
#include "board/board_state.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "play/solver.h"

SolveNote LastSolve;

namespace {

constexpr const char* BestValueName = "Best";
constexpr std::size_t MaxRecordsFile = 1 << 20;
// A par search for a level without a shipped par gives up here: a few tenths of a second.
constexpr std::uint64_t ParStateLimit = 500'000;

std::map<std::uint64_t, std::int32_t> Pars;   // shipped pars, and the pars searched this run
std::map<std::uint64_t, std::int32_t> Bests;  // the player's best records
bool ParsLoaded, BestsLoaded;

using MoveRecords = std::map<std::uint64_t, std::int32_t>;

// The records of a file read whole; false when it is there but not records.
bool ReadMoveRecords(const std::vector<std::uint8_t>& bytes, MoveRecords* records) {
  MoveRecords read;
  if (!ParseMoveRecords(std::string(bytes.begin(), bytes.end()), &read)) return false;
  *records = std::move(read);
  return true;
}

void LoadPars() {
  if (ParsLoaded) return;
  ParsLoaded = true;
  std::vector<std::uint8_t> bytes;
  if (platform::ReadWholeFile(ParFileName, MaxRecordsFile, &bytes)) ReadMoveRecords(bytes, &Pars);
}

void LoadBests() {
  if (BestsLoaded) return;
  BestsLoaded = true;
  std::vector<std::uint8_t> bytes;
  if (platform::ReadUserValue(BestValueName, MaxRecordsFile, &bytes) &&
      !ReadMoveRecords(bytes, &Bests)) {
    std::fprintf(stderr,
                 "yelko: the best records are damaged; they are ignored and will be replaced "
                 "at the next solve\n");
  }
}

}  // namespace

bool ParseMoveRecords(const std::string& text, std::map<std::uint64_t, std::int32_t>* records) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (const std::size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    if (line.empty()) continue;
    const std::size_t space = line.find(' ');
    if (space != 16) return false;
    std::uint64_t key = 0;
    std::int32_t moves = 0;
    const char* keyEnd = line.data() + 16;
    const char* end2 = line.data() + line.size();
    const auto k = std::from_chars(line.data(), keyEnd, key, 16);
    const auto m = std::from_chars(line.data() + 17, end2, moves);
    if (k.ec != std::errc() || k.ptr != keyEnd || m.ec != std::errc() || m.ptr != end2 ||
        moves < 0) {
      return false;
    }
    (*records)[key] = moves;
  }
  return true;
}

std::string MoveRecordLine(std::uint64_t key, std::int32_t moves) {
  char line[40];
  std::snprintf(line, sizeof line, "%016llx %d\n", static_cast<unsigned long long>(key),
                int(moves));
  return line;
}

std::int32_t ParOfLevelInPlay() {
  LoadPars();
  const auto found = Pars.find(LevelInPlayKey);
  if (found != Pars.end()) return found->second;
  SolveOptions options;
  options.maxStates = ParStateLimit;
  const SolveResult result = SolveLevelRecord(LevelRecord, options);
  const std::int32_t par =
      result.outcome == SolveOutcome::Solved ? std::int32_t(result.moves.size()) : -1;
  Pars[LevelInPlayKey] = par;  // asked once per level and run, found or not
  return par;
}

std::int32_t BestOf(std::uint64_t key) {
  LoadBests();
  const auto found = Bests.find(key);
  return found == Bests.end() ? -1 : found->second;
}

void RecordSolve(std::int32_t moves) {
  const std::uint64_t key = LevelInPlayKey;
  LastSolve = {key, moves, BestOf(key), false};
  if (LastSolve.best >= 0 && LastSolve.best <= moves) return;
  LastSolve.newBest = true;
  Bests[key] = moves;
  if (ProgressOverridden()) return;
  std::string text = "# Yelko: the fewest moves in which each level was solved\n";
  for (const auto& [k, m] : Bests) text += MoveRecordLine(k, m);
  platform::WriteUserValue(BestValueName, reinterpret_cast<const std::uint8_t*>(text.data()),
                           text.size());
}

void ResetRecordsState() {
  Pars.clear();
  Bests.clear();
  ParsLoaded = BestsLoaded = false;
  LastSolve = {};
}
