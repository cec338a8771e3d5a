#include "board/level_file.h"

#include <cstring>
#include <vector>

#include "app/shell.h"
#include "platform/files.h"

std::uint8_t LevelRecord[LevelRecordSize];

namespace {

constexpr const char* OpenFailedText = "INVALID_HANDLE_VALUE";
constexpr const char* EditorLevelName = "level.dat";

// How much of an existing "level.dat" a save is prepared to carry over. A level is 300 bytes;
// anything bigger than this is not a level the editor wrote, and a save refuses to touch it
// rather than lose its tail.
constexpr std::size_t MaxCarriedFileSize = std::size_t(16) << 20;

}  // namespace

std::string LevelFileName(std::int32_t level) {
  if (level <= 0) return EditorLevelName;
  return "level" + std::to_string(level) + ".dat";
}

void LoadLevelFile(std::int32_t level) {
  const std::string name = LevelFileName(level);
  // Read into a buffer of our own: a read that fails half-way must not leave the record
  // half-replaced.
  std::uint8_t buffer[LevelRecordSize];
  const long count = platform::ReadFilePrefix(name.c_str(), buffer, sizeof buffer);
  if (count < 0) {
    ShowMessage(OpenFailedText);
    return;
  }
  const std::size_t n = std::size_t(count) < sizeof buffer ? std::size_t(count) : sizeof buffer;
  std::memcpy(LevelRecord, buffer, n);
}

void SaveLevelFile() {
  // The new file is the record followed by whatever an existing file held beyond its first
  // 300 bytes: saving never shortens "level.dat".
  std::vector<std::uint8_t> content;
  if (!platform::ReadWholeFile(EditorLevelName, MaxCarriedFileSize, &content)) {
    content.clear();
    // Not readable whole: either there is no file (or no readable one) yet, or it is one we
    // cannot carry over. Only the first may be replaced.
    std::uint8_t probe;
    if (platform::ReadFilePrefix(EditorLevelName, &probe, 1) >= 0) {
      ShowMessage(OpenFailedText);
      return;
    }
  }
  if (content.size() < std::size_t(LevelRecordSize)) content.resize(LevelRecordSize);
  std::memcpy(content.data(), LevelRecord, LevelRecordSize);
  if (!platform::ReplaceFileAtomically(EditorLevelName, content.data(), content.size())) {
    ShowMessage(OpenFailedText);
  }
}

void ResetLevelFileState() {
  std::memset(LevelRecord, 0, sizeof LevelRecord);
}
