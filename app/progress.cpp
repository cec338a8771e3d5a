#include "app/progress.h"

#include <vector>

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

// The stored byte, or -1 when there is none (no value, or not exactly one byte).
int ReadStoredByte(const char* name) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadUserValue(name, 1, &bytes) || bytes.size() != 1) return -1;
  return bytes[0];
}

}  // namespace

std::string ProgressFilePath() {
  const std::string dir = platform::UserDataDirectory();
  return dir.empty() ? std::string() : dir + "/Level";
}

void SetProgressOverride(bool active, std::uint8_t level) {
  OverrideActive = active;
  OverrideLevel = level;
}

bool ProgressOverridden() {
  return OverrideActive;
}

std::uint8_t LoadProgress() {
  if (OverrideActive) return OverrideLevel;
  const int stored = ReadStoredByte(ProgressName);
  return stored < 0 ? 1 : std::uint8_t(stored);
}

void EnableLevelMenu(std::int32_t level) {
  if (level < 1 || level > 6) return;
  const platform::Window window = platform::FindWindow("WINXCLASS", nullptr);
  for (std::int32_t l = 1; l <= level; ++l) {
    platform::EnableMenuItem(window, std::uint16_t(20 + l), true);
  }
}

std::uint8_t LoadReachedLevel() {
  if (OverrideActive) return 0;
  // A value no solve can store (the menu has levels 1 to 6) is ignored, not obeyed.
  const int stored = ReadStoredByte(ReachedName);
  return stored < 0 || stored > 6 ? 0 : std::uint8_t(stored);
}

void SaveProgress(std::uint8_t level) {
  // Runs in every frame of a solved level: the values are written only when they change.
  if (OverrideActive) return;
  // Deliberate: the level to resume follows the last solve, even down to a lower level.
  if (ReadStoredByte(ProgressName) != level) platform::WriteUserValue(ProgressName, &level, 1);
  if (ReadStoredByte(ReachedName) < level) platform::WriteUserValue(ReachedName, &level, 1);
}

void ResetProgressState() {
  CurrentLevel = 0;
  OverrideActive = false;
  OverrideLevel = 0;
}
