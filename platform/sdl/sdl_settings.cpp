#include "platform/sdl/sdl_settings.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/files.h"

namespace platform::sdl {
namespace {

// One line: "window X Y WIDTH HEIGHT FULLSCREEN".
constexpr const char* Tag = "window";
constexpr std::size_t MaxBytes = 128;
constexpr int MinSide = 100;
constexpr int MaxSide = 16384;
constexpr int MaxOffset = 65535;

// Reads one number and the single space or newline after it.
bool Number(const char*& at, const char* end, int low, int high, int* out) {
  const auto [next, error] = std::from_chars(at, end, *out);
  if (error != std::errc{} || next == end || (*next != ' ' && *next != '\n')) return false;
  at = next + 1;
  return *out >= low && *out <= high;
}

}  // namespace

std::string WindowPlacePath() {
  const std::string dir = UserConfigDirectory();
  return dir.empty() ? dir : dir + "/window";
}

bool LoadWindowPlace(WindowPlace* place) {
  const std::string path = WindowPlacePath();
  std::vector<std::uint8_t> bytes;
  if (path.empty() || !ReadWholeFile(path.c_str(), MaxBytes, &bytes)) return false;
  const std::string text(bytes.begin(), bytes.end());
  const std::string tag = std::string(Tag) + " ";
  if (text.compare(0, tag.size(), tag) != 0) return false;
  const char* at = text.data() + tag.size();
  const char* end = text.data() + text.size();
  WindowPlace p;
  int full = 0;
  if (!Number(at, end, -MaxOffset, MaxOffset, &p.x) ||
      !Number(at, end, -MaxOffset, MaxOffset, &p.y) ||
      !Number(at, end, MinSide, MaxSide, &p.width) ||
      !Number(at, end, MinSide, MaxSide, &p.height) || !Number(at, end, 0, 1, &full) || at != end ||
      end[-1] != '\n') {
    return false;
  }
  p.fullScreen = full != 0;
  *place = p;
  return true;
}

bool SaveWindowPlace(const WindowPlace& place, std::string* why) {
  const std::string dir = UserConfigDirectory();
  if (dir.empty() || !MakeDirectories(dir)) {
    *why = dir.empty() ? "there is no settings folder" : "the folder " + dir + " cannot be made";
    return false;
  }
  char line[MaxBytes];
  const int n = std::snprintf(line, sizeof line, "%s %d %d %d %d %d\n", Tag, place.x, place.y,
                              place.width, place.height, place.fullScreen ? 1 : 0);
  if (n <= 0 || std::size_t(n) >= sizeof line) return false;
  return ReplaceFileAtomically((dir + "/window").c_str(),
                               reinterpret_cast<const std::uint8_t*>(line), std::size_t(n), why);
}

}  // namespace platform::sdl
