// The level files: reading a level whole or not at all, and saving the editor's level.dat.
#include "board/level_file.h"

#include <cstring>
#include <vector>

#include "platform/files.h"

std::uint8_t LevelRecord[LevelRecordSize];

namespace {

constexpr const char* EditorLevelName = "level.dat";

// How much of an existing "level.dat" a save is prepared to carry over. A level is 300 bytes;
// anything bigger than this is not a level the editor wrote, and a save refuses to touch it
// rather than lose its tail.
constexpr std::size_t MaxCarriedFileSize = std::size_t(16) << 20;

// The player's own copy of level.dat, used once the game's folder could not be written.
std::string UserCopyPath() {
  const std::string dir = platform::UserDataDirectory();
  return dir.empty() ? dir : dir + "/" + EditorLevelName;
}

}  // namespace

std::string LevelFileName(std::int32_t level) {
  if (level <= 0) return EditorLevelName;
  return "level" + std::to_string(level) + ".dat";
}

std::string LevelFilePath(std::int32_t level) {
  if (level <= 0) {
    const std::string copy = UserCopyPath();
    if (platform::PathExists(copy)) return copy;
  }
  return platform::GameDataPath(LevelFileName(level));
}

bool LoadLevelFile(std::int32_t level, std::string* problem) {
  const std::string name = LevelFileName(level);
  // Read into a buffer of our own: a read that fails half-way must not leave the record
  // half-replaced.
  std::uint8_t buffer[LevelRecordSize];
  platform::ReadOutcome read;
  const long count =
      platform::ReadFilePrefix(LevelFilePath(level).c_str(), buffer, sizeof buffer, &read);
  std::string text;
  if (count < 0) {
    text = read.status == platform::ReadStatus::Absent ? name + " is missing"
           : read.folder                               ? name + " is a folder, not a file"
                                                       : name + " cannot be read: " + read.why;
  } else if (count < LevelRecordSize) {
    text = name + " is " + std::to_string(count) + (count == 1 ? " byte" : " bytes") +
           ", a level is " + std::to_string(LevelRecordSize);
  }
  if (!text.empty()) {
    if (problem != nullptr) *problem = text;
    return false;
  }
  std::memcpy(LevelRecord, buffer, sizeof buffer);
  return true;
}

namespace {

// Writes the record over the file at path: whatever an existing file held beyond its first 300
// bytes stays after them (saving never shortens it); a link's target is nobody's to copy.
bool SaveRecordAt(const std::string& path, std::string* why) {
  std::vector<std::uint8_t> content;
  const platform::ReadOutcome old =
      platform::ReadWholeFile(path.c_str(), MaxCarriedFileSize, &content, false);
  if (!old && old.status != platform::ReadStatus::Absent && !old.link) {
    *why = old.why;
    return false;
  }
  if (content.size() < std::size_t(LevelRecordSize)) content.resize(LevelRecordSize);
  std::memcpy(content.data(), LevelRecord, LevelRecordSize);
  return platform::ReplaceFileAtomically(path.c_str(), content.data(), content.size(), why);
}

}  // namespace

bool SaveLevelFile(std::string* problem) {
  // Beside the game's files, unless the player's own copy is in use; there too once the game's
  // folder turns out not to be writable (an installed game).
  const std::string path = LevelFilePath(0);
  const std::string copy = UserCopyPath();
  std::string why;
  bool ok = SaveRecordAt(path, &why);
  if (!ok && path != copy && !copy.empty() && platform::IsNotAllowed(why)) {
    ok = platform::MakeDirectories(platform::UserDataDirectory()) && SaveRecordAt(copy, &why);
  }
  if (!ok && problem != nullptr) *problem = why;
  return ok;
}

void ResetLevelFileState() {
  std::memset(LevelRecord, 0, sizeof LevelRecord);
}
