// The saved progress (the level to resume and the highest level reached) and the level menu.
#include "app/progress.h"

#include <vector>

#include "app/notices.h"
#include "board/level_record.h"
#include "midend/records.h"
#include "platform/files.h"
#include "platform/platform.h"

std::uint8_t CurrentLevel;

namespace {

bool OverrideActive;
std::uint8_t OverrideLevel;

constexpr const char* ProgressName = "Level";
// The highest level reached in any run, so that the level menu keeps every level the player
// has reached even after a lower one is solved again (the saved level stays the one to resume).
constexpr const char* ReachedName = "Reached";

// What this run last asked to be stored (0: nothing yet), so that a value is written when it
// changes, not in every frame of a solved level, and a failed write is not retried until there
// is something new to store.
std::uint8_t AskedLevel, AskedReached;
// A value found unreadable is never written over this run.
bool LevelUnreadable, ReachedUnreadable;

// The keys of the level files 1..LevelCount, read once a run (0: the file cannot be read whole).
std::uint64_t FileKeys[LevelCount + 1];
bool FileKeysRead;

// A stored byte is a level only when it is one of the game's levels.
int AsLevel(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() == 1 && bytes[0] >= 1 && bytes[0] <= LevelCount ? bytes[0] : -1;
}

// The stored level, or -1 when there is none (no value, not one byte, not a level). A value that
// is there but cannot be read is said once and left alone from then on.
int ReadStoredLevel(const char* name, bool* unreadable) {
  std::vector<std::uint8_t> bytes;
  const platform::ReadOutcome read = platform::ReadUserValue(name, 1, &bytes);
  if (read.status == platform::ReadStatus::Unreadable && !*unreadable) {
    *unreadable = true;
    Notify(NoticeTopic::Progress, std::string("Your saved progress cannot be read (") + name +
                                      ": " + read.why + "); it is not saved this time");
  }
  return read ? AsLevel(bytes) : -1;
}

void SaidWhy(bool ok, const std::string& why) {
  if (ok) {
    ClearNotice(NoticeTopic::Progress);
  } else {
    Notify(NoticeTopic::Progress, "Could not save your progress: " + why);
  }
}

}  // namespace

std::string ProgressFilePath() {
  const std::string dir = platform::UserDataDirectory();
  return dir.empty() ? std::string() : dir + "/Level";
}

void SetProgressOverride(bool active, std::uint8_t level) {
  OverrideActive = active;
  OverrideLevel = level;
  RecordsSaved = !active;
}

bool ProgressOverridden() {
  return OverrideActive;
}

std::uint8_t LoadProgress() {
  if (OverrideActive) return OverrideLevel;
  const int stored = ReadStoredLevel(ProgressName, &LevelUnreadable);
  return stored < 0 ? 1 : std::uint8_t(stored);
}

void EnableLevelMenu(std::int32_t level) {
  if (level < 1 || level > LevelCount) return;
  const platform::Window window = platform::FindWindow("WINXCLASS", nullptr);
  for (std::int32_t l = 1; l <= level; ++l) {
    platform::EnableMenuItem(window, std::uint16_t(20 + l), true);
  }
}

std::uint64_t LevelFileKey(std::int32_t level) {
  if (level < 1 || level > LevelCount) return 0;
  if (!FileKeysRead) {
    FileKeysRead = true;
    for (int n = 1; n <= LevelCount; ++n) {
      std::uint8_t record[LevelRecordSize];
      const long read = platform::ReadFilePrefix(LevelFilePath(n).c_str(), record, sizeof record);
      FileKeys[n] = read == long(sizeof record) ? LevelKey(record) : 0;
    }
  }
  return FileKeys[level];
}

bool LevelSolved(std::int32_t level) {
  const std::uint64_t key = LevelFileKey(level);
  return key != 0 && BestOf(key) >= 0;
}

void MarkSolvedLevels() {
  const platform::Window window = platform::FindWindow("WINXCLASS", nullptr);
  if (window == 0) return;
  for (std::int32_t n = 1; n <= LevelCount; ++n) {
    platform::CheckMenuItem(window, std::uint16_t(20 + n), LevelSolved(n));
  }
}

std::uint8_t LoadReachedLevel() {
  if (OverrideActive) return 0;
  const int stored = ReadStoredLevel(ReachedName, &ReachedUnreadable);
  return stored < 0 ? 0 : std::uint8_t(stored);
}

void SaveProgress(std::uint8_t level) {
  // Runs in every frame of a solved level: a value is written when it changes.
  if (OverrideActive || level < 1 || level > LevelCount) return;
  std::string why;
  bool levelFailed = false;
  // Deliberate: the level to resume follows the last solve, even down to a lower level.
  if (level != AskedLevel) {
    AskedLevel = level;
    if (!LevelUnreadable) ReadStoredLevel(ProgressName, &LevelUnreadable);
    if (!LevelUnreadable) {
      levelFailed = !platform::WriteUserValue(ProgressName, &level, 1, &why);
      SaidWhy(!levelFailed, why);
    }
  }
  // The highest level reached only rises, whatever another copy of the game stored meanwhile.
  if (level > AskedReached && !ReachedUnreadable) {
    AskedReached = level;
    const bool ok = platform::UpdateUserValue(
        ReachedName, 1,
        [level](std::vector<std::uint8_t>* bytes) {
          if (AsLevel(*bytes) >= level) return false;
          *bytes = {level};
          return true;
        },
        &why);
    if (ok) {
      if (!levelFailed) ClearNotice(NoticeTopic::Progress);  // else the level's failure stands
    } else if (ReadStoredLevel(ReachedName, &ReachedUnreadable); !ReachedUnreadable) {
      SaidWhy(false, why);
    }
  }
}

void ResetProgressState() {
  CurrentLevel = 0;
  OverrideActive = false;
  OverrideLevel = 0;
  AskedLevel = AskedReached = 0;
  LevelUnreadable = ReachedUnreadable = false;
  FileKeysRead = false;
}
