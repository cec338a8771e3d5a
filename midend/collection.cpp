// The collection open in the game and its level in play.
#include "midend/collection.h"

#include <vector>

#include "midend/puzzle.h"
#include "platform/files.h"

Collection OpenedCollection;
int CollectionPlace = -1;

namespace {

// What the status line calls the level: "Islands 3: First steps".
std::string CollectionLevelTitle(int index) {
  return OpenedCollection.title + " " + std::to_string(index + 1) + ": " +
         OpenedCollection.levels[std::size_t(index)].name;
}

}  // namespace

bool OpenCollectionFile(const std::string& path, std::string* why) {
  std::vector<std::uint8_t> bytes;
  const platform::ReadOutcome read =
      platform::ReadWholeFile(path.c_str(), MaxCollectionBytes, &bytes);
  if (!read) {
    *why = path + ": " + read.why;
    return false;
  }
  return OpenCollectionText(std::string(bytes.begin(), bytes.end()), path, why);
}

bool OpenCollectionText(const std::string& text, const std::string& name, std::string* why) {
  Collection read;
  if (!ReadCollection(text, name, &read, why)) return false;
  if (read.levels.empty()) {
    *why = name + ": no levels in it";
    return false;
  }
  OpenedCollection = std::move(read);
  CollectionPlace = -1;
  return true;
}

bool PlayCollectionLevel(int index, std::string* why, int* unknown) {
  if (index < 0 || std::size_t(index) >= OpenedCollection.levels.size()) {
    *why = "There is no level " + std::to_string(index + 1) + " in " + OpenedCollection.title;
    return false;
  }
  const CollectionLevel& level = OpenedCollection.levels[std::size_t(index)];
  if (!level.problem.empty()) {
    *why = level.problem;
    return false;
  }
  const int unknownTypes = PlayPuzzle(level.record, CollectionLevelTitle(index));
  if (unknown != nullptr) *unknown = unknownTypes;
  CollectionPlace = index;
  return true;
}

int NextPlayableLevel(int index) {
  for (std::size_t i = std::size_t(index + 1); i < OpenedCollection.levels.size(); ++i) {
    if (OpenedCollection.levels[i].problem.empty()) return int(i);
  }
  return -1;
}

void ResetCollectionState() {
  OpenedCollection = {};
  CollectionPlace = -1;
}
