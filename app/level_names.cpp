// The levels' names, read from par.txt once.
#include "app/level_names.h"

#include <cstdlib>
#include <vector>

#include "midend/records.h"
#include "platform/files.h"

namespace {

constexpr std::size_t MaxNameBytes = 80;

// A name or a par, by the level's key.
struct Named {
  std::uint64_t key;
  std::string name;
  std::int32_t par;
};
std::vector<Named> Names;
bool NamesLoaded;

// A key of 16 hex digits at the start of `text`; false when there is none.
bool KeyAt(const std::string& text, std::size_t at, std::uint64_t* key) {
  if (text.size() < at + 17 || text[at + 16] != ' ') return false;
  *key = 0;
  for (std::size_t i = at; i < at + 16; ++i) {
    const char c = text[i];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return false;
    *key = *key << 4 | std::uint64_t(digit);
  }
  return true;
}

// par.txt's lines: "KEY MOVES  # file" for a par, "# name KEY NAME" for a name.
void LoadNames() {
  NamesLoaded = true;
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(platform::GameDataPath(ParFileName).c_str(), MaxRecordsFile,
                               &bytes)) {
    return;
  }
  const std::string text(bytes.begin(), bytes.end());
  constexpr std::size_t Tag = 7;  // "# name "
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    std::uint64_t key = 0;
    if (line.rfind("# name ", 0) == 0 && KeyAt(line, Tag, &key)) {
      std::string name = line.substr(Tag + 17, MaxNameBytes);
      for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
      }
      Names.push_back({key, name, -1});
    } else if (KeyAt(line, 0, &key)) {
      const int moves = std::atoi(line.c_str() + 17);
      if (moves > 0) Names.push_back({key, "", moves});
    }
  }
}

const Named* Find(std::uint64_t key, bool par) {
  if (!NamesLoaded) LoadNames();
  for (const Named& n : Names) {
    if (n.key == key && (par ? n.par >= 0 : !n.name.empty())) return &n;
  }
  return nullptr;
}

}  // namespace

std::string LevelName(std::uint64_t key) {
  const Named* n = Find(key, false);
  return n == nullptr ? std::string() : n->name;
}

std::int32_t ShippedPar(std::uint64_t key) {
  const Named* n = Find(key, true);
  return n == nullptr ? -1 : n->par;
}

std::string LevelTitle(std::int32_t number, std::uint64_t key, const char* between) {
  if (number <= 0) return "level.dat";
  const std::string name = LevelName(key);
  return "Level " + std::to_string(number) + (name.empty() ? "" : between + name);
}

void ResetLevelNamesState() {
  Names.clear();
  NamesLoaded = false;
}
