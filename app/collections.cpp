// The collection commands of the command line, the menu, dropped files and the clipboard.
#include "app/collections.h"

#include <algorithm>
#include <set>

#include "app/notices.h"
#include "app/puzzles.h"
#include "board/level_collection.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"
#include "platform/files.h"

namespace {

std::string StartPath;
int StartIndex;
std::vector<FoundCollection> Found;
bool Looked;

// A collection's title line, read from the start of its file; "" when it has none there.
std::string TitleLine(const std::string& path) {
  std::uint8_t head[4096];
  const long count = platform::ReadFilePrefix(path.c_str(), head, sizeof head);
  const std::string text(head, head + std::max(count, 0L));
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) break;  // a line cut by the 4 KiB read is not trusted
    const std::string line = text.substr(at, end - at);
    if (line.rfind("level", 0) == 0) break;
    if (line.rfind("title ", 0) == 0) return CleanLevelName(line.substr(6, line.find('#') - 6));
    at = end + 1;
  }
  return "";
}

// Menu texts live as long as the program (the window's menu points at them).
const char* Kept(const std::string& text) {
  static std::set<std::string> kept;
  return kept.insert(text).first->c_str();
}

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

// After a collection was opened (or not): its level at `index` played, or its first that can
// be played for -1, and its broken levels said.
bool PlayOpened(bool opened, const std::string& why, int index) {
  if (!opened) {
    Notify(NoticeTopic::Level, why);
    return false;
  }
  const int level = index >= 0 ? index : NextPlayableLevel(-1);
  const bool playing = level >= 0 && PlayCollectionAt(level);
  // After the level's start, which clears what was said of the last; a level asked for that
  // cannot be played keeps its own reason.
  if (playing || index < 0) SayBrokenLevels();
  return playing;
}

}  // namespace

bool OpenCollectionAndPlay(const std::string& path) {
  std::string why;
  const bool opened = OpenCollectionFile(path, &why);
  return PlayOpened(opened, why, -1);
}

bool OpenCollectionTextAndPlay(const std::string& text, const std::string& name) {
  std::string why;
  const bool opened = OpenCollectionText(text, name, &why);
  return PlayOpened(opened, why, -1);
}

void PasteAndPlay() {
  const std::string text = platform::ClipboardText();
  if (LooksLikeCollection(text)) {
    OpenCollectionTextAndPlay(text, "pasted collection");
  } else {
    PlayPuzzleText(text);
  }
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
  std::string why;
  const bool opened = OpenCollectionFile(StartPath, &why);
  return PlayOpened(opened, why, StartIndex);
}

std::string PlayerCollectionsFolder() {
  const std::string data = platform::UserDataDirectory();
  return data.empty() ? "" : data + "/collections";
}

const std::vector<FoundCollection>& FoundCollections() {
  if (Looked) return Found;
  Looked = true;
  for (const std::string& folder :
       {platform::GameDataPath("collections"), PlayerCollectionsFolder()}) {
    if (folder.empty()) continue;  // no player's folder
    for (const std::string& path :
         platform::FilesInFolder(folder, ".txt", MaxListedCollections - Found.size())) {
      std::string title = TitleLine(path);
      if (title.empty()) title = path.substr(path.find_last_of("/\\") + 1);
      Found.push_back({path, Kept(title)});
    }
  }
  return Found;
}

void ChooseCollectionFile(platform::Window window) {
  if (!platform::ChooseFile(window, "Open collection")) {
    Notify(NoticeTopic::Level,
           "There is no file dialog here: put collections in " + PlayerCollectionsFolder());
  }
}

void OpenFoundCollection(std::size_t n) {
  if (n < FoundCollections().size()) OpenCollectionAndPlay(Found[n].path);
}

void OpenGivenFiles() {
  platform::GivenFile file;
  while (platform::TakeGivenFile(&file)) {
    if (file.hasText) {
      OpenCollectionTextAndPlay(file.text, file.name);
    } else {
      OpenCollectionAndPlay(file.path);
    }
  }
}

void ResetCollectionCommandsState() {
  StartPath.clear();
  StartIndex = 0;
  Found.clear();
  Looked = false;
}
