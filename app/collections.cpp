// The collection commands of the command line, the menu, dropped files and the clipboard.
#include "app/collections.h"

#include "app/notices.h"
#include "app/puzzles.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"

namespace {

std::string StartPath;
int StartIndex;

// The broken levels of the collection just opened, in one notice.
void SayBrokenLevels() {
  int broken = 0;
  std::string first;
  for (const CollectionLevel& level : OpenedCollection.levels) {
    if (level.problem.empty()) continue;
    if (broken++ == 0) first = level.problem;
  }
  if (broken == 0) return;
  Notify(NoticeTopic::Level, broken == 1 ? first
                                         : std::to_string(broken) + " levels cannot be played; " +
                                               "the first: " + first);
}

bool Opened(bool opened, const std::string& why) {
  if (!opened) {
    Notify(NoticeTopic::Level, why);
    return false;
  }
  ClearNotice(NoticeTopic::Level);
  SayBrokenLevels();
  const int first = NextPlayableLevel(-1);
  return first >= 0 && PlayCollectionAt(first);
}

}  // namespace

bool OpenCollectionAndPlay(const std::string& path) {
  std::string why;
  const bool opened = OpenCollectionFile(path, &why);
  return Opened(opened, why);
}

bool OpenCollectionTextAndPlay(const std::string& text, const std::string& name) {
  std::string why;
  const bool opened = OpenCollectionText(text, name, &why);
  return Opened(opened, why);
}

bool PlayCollectionAt(int index) {
  std::string why;
  int unknown = 0;
  CancelMakingPuzzle();
  if (!PlayCollectionLevel(index, &why, &unknown)) {
    Notify(NoticeTopic::Level, why);
    return false;
  }
  for (; unknown > 0; --unknown) ShowMessage("Hov!");
  PuzzleStarted();
  return true;
}

bool PlayNextCollectionLevel() {
  if (!PuzzleInPlay() || CollectionPlace < 0) return false;
  const int next = NextPlayableLevel(CollectionPlace);
  return next >= 0 && PlayCollectionAt(next);
}

void SetStartCollection(const std::string& path, int level) {
  StartPath = path;
  StartIndex = level - 1;
}

bool StartAskedCollection() {
  if (StartPath.empty()) return true;
  if (StartIndex < 0) return OpenCollectionAndPlay(StartPath);
  std::string why;
  if (!OpenCollectionFile(StartPath, &why)) {
    Notify(NoticeTopic::Level, why);
    return false;
  }
  SayBrokenLevels();
  return PlayCollectionAt(StartIndex);
}

void ResetCollectionCommandsState() {
  StartPath.clear();
  StartIndex = 0;
}
