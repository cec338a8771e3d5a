// The levels' names, read from par.txt once.
#include "app/level_names.h"

#include <cstdlib>
#include <map>
#include <vector>

#include "midend/records.h"
#include "platform/files.h"

namespace {

constexpr std::size_t MaxNameBytes = 80;

std::map<std::uint64_t, std::string> Names;
std::map<std::uint64_t, std::int32_t> Pars;
bool NamesLoaded;

void LoadNames() {
  NamesLoaded = true;
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(platform::GameDataPath(ParFileName).c_str(), MaxRecordsFile,
                               &bytes)) {
    return;
  }
  const std::string text(bytes.begin(), bytes.end());
  for (const auto& [key, moves] : ReadMoveRecords(text)) Pars[key] = moves;
  const std::string tag = "# name ";
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    // "# name " then 16 hex digits, a space and the name.
    if (line.rfind(tag, 0) != 0 || line.size() < tag.size() + 18 || line[tag.size() + 16] != ' ') {
      continue;
    }
    const std::string hex = line.substr(tag.size(), 16);
    char* stop = nullptr;
    const std::uint64_t key = std::strtoull(hex.c_str(), &stop, 16);
    if (stop != hex.c_str() + 16) continue;
    std::string name = line.substr(tag.size() + 17, MaxNameBytes);
    for (char& c : name) {
      if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    Names[key] = name;
  }
}

}  // namespace

std::string LevelName(std::uint64_t key) {
  if (!NamesLoaded) LoadNames();
  const auto found = Names.find(key);
  return found == Names.end() ? std::string() : found->second;
}

std::int32_t ShippedPar(std::uint64_t key) {
  if (!NamesLoaded) LoadNames();
  const auto found = Pars.find(key);
  return found == Pars.end() ? -1 : found->second;
}

std::string LevelTitle(std::int32_t number, std::uint64_t key, const char* between) {
  if (number <= 0) return "level.dat";
  const std::string name = LevelName(key);
  return "Level " + std::to_string(number) + (name.empty() ? "" : between + name);
}

void ResetLevelNamesState() {
  Names.clear();
  Pars.clear();
  NamesLoaded = false;
}
