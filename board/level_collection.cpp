// Collection files: reading many levels from one text, and writing them back.
#include "board/level_collection.h"

#include <cstring>

#include "board/level.h"
#include "board/level_text.h"

namespace {

constexpr const char* Blanks = " \t\r\n";

std::string Trimmed(const std::string& text) {
  const std::size_t from = text.find_first_not_of(Blanks);
  if (from == std::string::npos) return "";
  return text.substr(from, text.find_last_not_of(Blanks) + 1 - from);
}

// A line's keyword and the rest of it (comments cut), or "" for a blank or comment line.
std::string Keyword(const std::string& line, std::string* rest) {
  const std::string content = Trimmed(line.substr(0, line.find('#')));
  const std::size_t end = content.find_first_of(Blanks);
  *rest = end == std::string::npos ? "" : Trimmed(content.substr(end));
  return content.substr(0, end);
}

// "level1.txt" and "packs/level1.txt" give "level1".
std::string Stem(const std::string& fileName) {
  std::string stem = fileName.substr(fileName.find_last_of("/\\") + 1);
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.erase(dot);
  return stem;
}

// A single level's name: its title (LevelSourceTitle), else the file's name.
std::string SingleLevelName(const std::string& text, const std::string& fileName) {
  const std::string title = LevelSourceTitle(text);
  return title.empty() ? CleanLevelName(Stem(fileName)) : title;
}

// Compiles the level's text and sets it up; what stops it from being played goes to `problem`.
void Compile(const std::string& fileName, CollectionLevel* level) {
  std::string error;
  if (!CompileLevelText(level->text, fileName, level->record, &error, nullptr, level->line + 1)) {
    level->problem = error;
    return;
  }
  static Level setUp;  // large: kept out of the stack
  if (SetUpLevel(level->record, &setUp) > 0) {
    level->problem = fileName + ":" + std::to_string(level->line) + ": it cannot be set up";
  }
}

}  // namespace

std::string CleanLevelName(std::string name) {
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  std::erase(name, '#');
  name = Trimmed(name);
  if (name.size() > MaxCollectionNameBytes) {
    std::size_t cut = MaxCollectionNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.erase(cut);
    name = Trimmed(name);  // the cut may fall among blanks
  }
  return name;
}

std::string LevelSourceTitle(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && std::strchr(" \r.", line.back()) != nullptr) line.pop_back();
  if (line.rfind("# ", 0) != 0) return "";
  line.erase(0, 2);
  if (line.rfind("Level ", 0) == 0 && line.find(": ") != std::string::npos) {
    line.erase(0, line.find(": ") + 2);
  }
  return CleanLevelName(line);
}

bool LooksLikeCollection(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string rest;
    if (Keyword(text.substr(at, end - at), &rest) == "level") return true;
    at = end + 1;
  }
  return false;
}

bool ReadCollection(const std::string& text, const std::string& fileName, Collection* out,
                    std::string* error) {
  *out = {};
  if (text.size() > MaxCollectionBytes) {
    *error =
        fileName + ": over " + std::to_string(MaxCollectionBytes >> 20) + " MiB: not a collection";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    *error = fileName + ": not text";
    return false;
  }
  out->title = CleanLevelName(Stem(fileName));
  if (!LooksLikeCollection(text)) {
    CollectionLevel level;
    level.name = SingleLevelName(text, fileName);
    level.text = text;
    level.line = 0;
    Compile(fileName, &level);
    level.line = 1;
    out->levels.push_back(std::move(level));
    return true;
  }
  int lineNumber = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(at, end - at);
    ++lineNumber;
    std::string rest;
    const std::string keyword = Keyword(line, &rest);
    const std::string where = fileName + ":" + std::to_string(lineNumber) + ": ";
    if (keyword == "level") {
      if (out->levels.size() == MaxCollectionLevels) {
        *error = where + "more than " + std::to_string(MaxCollectionLevels) + " levels";
        return false;
      }
      CollectionLevel level;
      level.name = CleanLevelName(rest);
      if (level.name.empty()) level.name = "Level " + std::to_string(out->levels.size() + 1);
      level.line = lineNumber;
      out->levels.push_back(std::move(level));
    } else if (!out->levels.empty()) {
      out->levels.back().text += line;
    } else if (keyword == "author") {
      out->author = CleanLevelName(rest);
    } else if (keyword == "title") {
      // An empty title leaves the file's name in its place.
      if (const std::string title = CleanLevelName(rest); !title.empty()) out->title = title;
    } else if (!keyword.empty()) {
      *error = where + "'" + CleanLevelName(keyword) +
               "' before the first level: a collection starts with 'title', 'author' or "
               "'level NAME' lines";
      return false;
    }
    at = end;
  }
  for (CollectionLevel& level : out->levels) Compile(fileName, &level);
  return true;
}

std::string CollectionText(const Collection& collection) {
  std::string text;
  if (!collection.title.empty()) text += "title " + collection.title + "\n";
  if (!collection.author.empty()) text += "author " + collection.author + "\n";
  for (const CollectionLevel& level : collection.levels) {
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += "level " + level.name + "\n" + level.text;
  }
  return text;
}
