// Listing a folder's files and knowing the game's temporary ones, the same on every platform.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace platform {

namespace {

// Paths are UTF-8 in the game. Windows names files in UTF-16, converted here without the
// exceptions std::filesystem throws for text that is not UTF-8; elsewhere names are bytes.
std::filesystem::path PathOf(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(Utf16(text));
#else
  return std::filesystem::path(text);
#endif
}
std::string TextOf(const std::filesystem::path& path) {
#ifdef _WIN32
  return Utf8(path.wstring());
#else
  return path.string();
#endif
}

}  // namespace

bool IsTemporaryFileName(const std::string& name) {
  return !name.empty() && name[0] == '.' && name.find(TemporaryMark) != std::string::npos;
}

std::vector<std::string> FilesInFolder(const std::string& folder, const std::string& suffix,
                                       std::size_t limit) {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  std::error_code ec;
  fs::directory_iterator it(PathOf(folder), ec);
  // A folder of thousands of files gives the first it meets; the listing stays small.
  for (std::size_t seen = 0; !ec && it != fs::directory_iterator() && seen < 10'000;
       it.increment(ec), ++seen) {
    const std::string name = TextOf(it->path().filename());
    if (name.size() <= suffix.size() || !name.ends_with(suffix)) continue;
    if (IsTemporaryFileName(name) || !it->is_regular_file(ec)) continue;
    found.push_back(TextOf(it->path()));
  }
  std::sort(found.begin(), found.end());
  if (found.size() > limit) found.resize(limit);
  return found;
}

}  // namespace platform
