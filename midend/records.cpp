// Par and best records: the shipped pars, the searched ones, and the player's saved bests.
#include "midend/records.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <unordered_map>
#include <vector>

#include "midend/game.h"
#include "midend/question.h"
#include "platform/files.h"
#include "platform/platform.h"

SolveNote LastSolve;
std::string RecordsProblem;
bool RecordsSaved = true;

namespace {

constexpr const char* BestValueName = "Best";
constexpr const char* BestHeader = "# Yelko: the fewest moves in which each level was solved\n";
// The longest line a record takes: 16 hex digits, a space, a count and a newline.
constexpr std::size_t MaxRecordLine = 16 + 1 + 10 + 1;
static_assert(std::char_traits<char>::length(BestHeader) + MaxBestRecords * MaxRecordLine <=
                  MaxRecordsFile,
              "the writer never writes more than the reader takes");
// A par search for a level without a shipped par gives up here: about a second of slices.
constexpr std::uint64_t ParStateLimit = 500'000;
std::uint64_t AskedParKey;  // the level the par question was asked for

std::map<std::uint64_t, std::int32_t> Pars;   // shipped pars, and the pars searched this run
std::map<std::uint64_t, std::int32_t> Bests;  // the player's best records
bool ParsLoaded, BestsLoaded;
bool BestsUnreadable;  // Best is there but cannot be read: it is never written over this run
// New bests not yet in the file (its last save failed): tried again with the next new best.
std::map<std::uint64_t, std::int32_t> Unsaved;

void LoadPars() {
  if (ParsLoaded) return;
  ParsLoaded = true;
  std::vector<std::uint8_t> bytes;
  if (platform::ReadWholeFile(platform::GameDataPath(ParFileName).c_str(), MaxRecordsFile,
                              &bytes)) {
    for (const auto& [key, moves] : ReadMoveRecords(std::string(bytes.begin(), bytes.end()))) {
      Pars[key] = moves;
    }
  }
}

void LoadBests() {
  if (BestsLoaded) return;
  BestsLoaded = true;
  std::vector<std::uint8_t> bytes;
  const platform::ReadOutcome read = platform::ReadUserValue(BestValueName, MaxRecordsFile, &bytes);
  if (read.status == platform::ReadStatus::Unreadable) {
    BestsUnreadable = true;
    RecordsProblem = "Your records cannot be read (Best: " + read.why + "); new ones are not saved";
    return;
  }
  int damaged = 0;
  for (const auto& [key, moves] :
       ReadMoveRecords(std::string(bytes.begin(), bytes.end()), &damaged)) {
    Bests[key] = moves;
  }
  if (damaged > 0) {
    std::fprintf(stderr,
                 "yelko: %d damaged line(s) of the best records are ignored and dropped at the "
                 "next new best\n",
                 damaged);
  }
}

}  // namespace

MoveRecordList ReadMoveRecords(const std::string& text, int* damaged) {
  MoveRecordList records;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (const std::size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    if (line.empty()) continue;
    std::uint64_t key = 0;
    std::int32_t moves = 0;
    const char* keyEnd = line.data() + 16;
    const char* lineEnd = line.data() + line.size();
    const bool ok = line.size() > 17 && line[16] == ' ' && [&] {
      const auto k = std::from_chars(line.data(), keyEnd, key, 16);
      const auto m = std::from_chars(keyEnd + 1, lineEnd, moves);
      return k.ec == std::errc() && k.ptr == keyEnd && m.ec == std::errc() && m.ptr == lineEnd &&
             moves >= 0;
    }();
    if (!ok) {
      if (damaged != nullptr) ++*damaged;
      continue;
    }
    records.emplace_back(key, moves);
  }
  // A key met twice keeps its last line only.
  std::unordered_map<std::uint64_t, std::size_t> last;
  for (std::size_t i = 0; i < records.size(); ++i) last[records[i].first] = i;
  if (last.size() != records.size()) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (last[records[i].first] == i) records[kept++] = records[i];
    }
    records.resize(kept);
  }
  return records;
}

std::string MoveRecordLine(std::uint64_t key, std::int32_t moves) {
  char line[40];
  std::snprintf(line, sizeof line, "%016llx %d\n", static_cast<unsigned long long>(key),
                int(moves));
  return line;
}

bool MergeBest(std::string* text, std::uint64_t key, std::int32_t moves) {
  MoveRecordList records = ReadMoveRecords(*text);
  for (auto it = records.begin(); it != records.end(); ++it) {
    if (it->first != key) continue;
    if (it->second <= moves) return false;
    records.erase(it);
    break;
  }
  records.emplace_back(key, moves);  // the most recent solve goes last
  if (records.size() > MaxBestRecords) {
    records.erase(records.begin(), records.end() - std::ptrdiff_t(MaxBestRecords));
  }
  *text = BestHeader;
  for (const auto& [k, m] : records) *text += MoveRecordLine(k, m);
  return true;
}

std::int32_t ParOfLevelInPlay() {
  LoadPars();
  const auto found = Pars.find(LevelInPlayKey);
  if (found != Pars.end()) return found->second;
  // Searched for beside the game; a hint asked meanwhile goes first, and par is asked again.
  SearchResult answer;
  if (Asking() == QuestionKind::Par && WorkOnQuestion() && TakeAnswer(QuestionKind::Par, &answer)) {
    Pars[AskedParKey] =
        answer.outcome == SearchOutcome::Solved ? std::int32_t(answer.moves.size()) : ParUnknown;
    return ParOfLevelInPlay();
  }
  if (Asking() == QuestionKind::None) {
    Level level;
    if (SetUpLevel(LevelRecord, &level) != 0) {
      Pars[LevelInPlayKey] = ParUnknown;  // not a level the game can set up whole
      return ParUnknown;
    }
    SearchOptions options;
    options.maxStates = ParStateLimit;
    Ask(QuestionKind::Par, level, StartState(level), options);
    AskedParKey = LevelInPlayKey;
  }
  return ParSearching;
}

std::int32_t BestOf(std::uint64_t key) {
  LoadBests();
  const auto found = Bests.find(key);
  return found == Bests.end() ? -1 : found->second;
}

std::int32_t KnownPar(std::uint64_t key) {
  LoadPars();
  const auto found = Pars.find(key);
  return found == Pars.end() || found->second < 0 ? -1 : found->second;
}

void RecordSolve(std::int32_t moves) {
  const std::uint64_t key = LevelInPlayKey;
  LastSolve = {
      key, moves, BestOf(key), false, SolveEarned != 0 && AttemptHelped == 0, AttemptHelped != 0};
  // Only an attempt from the level's own start, played by the player, earns a record.
  if (!LastSolve.counted) return;
  if (LastSolve.best >= 0 && LastSolve.best <= moves) return;
  LastSolve.newBest = true;
  Bests[key] = moves;
  if (!RecordsSaved || BestsUnreadable) return;
  Unsaved[key] = moves;
  std::string merged, why;
  const bool ok = platform::UpdateUserValue(
      BestValueName, MaxRecordsFile,
      [&](std::vector<std::uint8_t>* bytes) {
        merged.assign(bytes->begin(), bytes->end());
        bool changed = false;
        for (const auto& [k, m] : Unsaved) changed = MergeBest(&merged, k, m) || changed;
        bytes->assign(merged.begin(), merged.end());
        return changed;
      },
      &why);
  if (!ok) {
    RecordsProblem = "Could not save your records: " + why;
    return;
  }
  Unsaved.clear();
  RecordsProblem.clear();
  // What other copies of the game solved meanwhile counts here too.
  for (const auto& [k, m] : ReadMoveRecords(merged)) {
    if (Bests.count(k) == 0 || Bests[k] > m) Bests[k] = m;
  }
}

void ResetRecordsState() {
  Pars.clear();
  Bests.clear();
  Unsaved.clear();
  ParsLoaded = BestsLoaded = BestsUnreadable = false;
  LastSolve = {};
  AskedParKey = 0;
  RecordsProblem.clear();
  RecordsSaved = true;
}
