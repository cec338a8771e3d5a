#include "app/progress.h"

#include "platform/files.h"
#include "platform/platform.h"

std::uint8_t CurrentLevel;

namespace {

bool OverrideActive;
std::uint8_t OverrideLevel;

// The stored byte, or -1 when there is none (no file, or not exactly one byte).
int ReadStoredByte() {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadUserValue("Level", 1, &bytes) || bytes.size() != 1) return -1;
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
  const int stored = ReadStoredByte();
  return stored < 0 ? 1 : std::uint8_t(stored);
}

void EnableLevelMenu(std::int32_t level) {
  if (level < 1 || level > 6) return;
  const platform::Window window = platform::FindWindow("WINXCLASS", nullptr);
  for (std::int32_t l = 1; l <= level; ++l) {
    platform::EnableMenuItem(window, std::uint16_t(20 + l), true);
  }
}

void SaveProgress(std::uint8_t level) {
  // Runs in every frame of a solved level: the file is written only when its value changes.
  if (OverrideActive || ReadStoredByte() == level) return;
  platform::WriteUserValue("Level", &level, 1);
}

void ResetProgressState() {
  CurrentLevel = 0;
  OverrideActive = false;
  OverrideLevel = 0;
}
