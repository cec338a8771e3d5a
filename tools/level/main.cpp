// yelko-level: compiles a level's text into the game's 300-byte level file, and turns any level
// file back into text so that an author can read it or diff two of them.
//
//   yelko-level compile SOURCE.txt OUT.dat
//   yelko-level decompile LEVEL.dat [OUT.txt]     (text to standard output without OUT.txt)
//   yelko-level names SOURCE.txt...
//
// `names` prints, for each source whose first line names it ("# Level 1: First crossing."),
// the line that carries the name into the game's par.txt: "# name KEY First crossing", KEY being
// the compiled level's LevelKey in 16 hex digits. The game shows the name of the level in play.
//
// The text format is described in level_text.cpp and levels/README.md. Exit status: 0 done,
// 1 refused (a message naming the file and line on standard error), 2 wrong usage.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/version.h"
#include "board/level_record.h"
#include "board/level_text.h"
#include "platform/files.h"

namespace {

// Level sources are a few hundred bytes; anything far larger is not one.
constexpr std::size_t MaxSourceBytes = 1 << 20;

int Usage() {
  std::fprintf(stderr,
               "usage: yelko-level compile SOURCE.txt OUT.dat\n"
               "       yelko-level decompile LEVEL.dat [OUT.txt]\n"
               "       yelko-level names SOURCE.txt...\n"
               "       yelko-level --version\n");
  return 2;
}

bool WriteOut(const char* path, const std::string& text) {
  return platform::ReplaceFileAtomically(path, reinterpret_cast<const std::uint8_t*>(text.data()),
                                         text.size());
}

int Compile(const char* source, const char* target) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(source, MaxSourceBytes, &bytes)) {
    std::fprintf(stderr, "%s: cannot read it (missing, unreadable or over 1 MiB)\n", source);
    return 1;
  }
  std::uint8_t record[LevelRecordSize];
  std::string error;
  std::vector<std::string> warnings;
  if (!CompileLevelText(std::string(bytes.begin(), bytes.end()), source, record, &error,
                        &warnings)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (const std::string& warning : warnings) {
    std::fprintf(stderr, "%s (warning)\n", warning.c_str());
  }
  if (!platform::ReplaceFileAtomically(target, record, sizeof record)) {
    std::fprintf(stderr, "%s: cannot write it\n", target);
    return 1;
  }
  return 0;
}

int Decompile(const char* level, const char* target) {
  // The first 300 bytes are all the game reads; the length is reported as well.
  std::uint8_t head[LevelRecordSize + 1];
  const long count = platform::ReadFilePrefix(level, head, sizeof head);
  if (count < 0) {
    std::fprintf(stderr, "%s: cannot read it\n", level);
    return 1;
  }
  const std::size_t size = std::size_t(count);
  std::size_t fileSize = size;
  if (size > std::size_t(LevelRecordSize)) {
    std::error_code ec;
    const std::uintmax_t full = std::filesystem::file_size(level, ec);
    if (!ec) fileSize = std::size_t(full);
  }
  std::string shownName = level;  // printed inside a comment line: keep it on one line
  for (char& c : shownName) {
    if (std::uint8_t(c) < 0x20) c = '?';
  }
  const std::string text = "# " + shownName + "\n" + DecompileLevelBytes(head, size, fileSize);
  if (target == nullptr) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (!WriteOut(target, text)) {
    std::fprintf(stderr, "%s: cannot write it\n", target);
    return 1;
  }
  return 0;
}

// The title of a level source: its first line, "# Level 1: First crossing." gives
// "First crossing"; "" when the first line is no comment.
std::string TitleOf(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '.')) {
    line.pop_back();
  }
  if (line.rfind("# ", 0) != 0) return "";
  line.erase(0, 2);
  if (line.rfind("Level ", 0) == 0 && line.find(": ") != std::string::npos) {
    line.erase(0, line.find(": ") + 2);
  }
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return line;
}

int Names(int count, char** sources) {
  for (int i = 0; i < count; ++i) {
    std::vector<std::uint8_t> bytes;
    if (!platform::ReadWholeFile(sources[i], MaxSourceBytes, &bytes)) {
      std::fprintf(stderr, "%s: cannot read it (missing, unreadable or over 1 MiB)\n", sources[i]);
      return 1;
    }
    const std::string text(bytes.begin(), bytes.end());
    std::uint8_t record[LevelRecordSize];
    std::string error;
    if (!CompileLevelText(text, sources[i], record, &error, nullptr)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    const std::string title = TitleOf(text);
    if (title.empty()) continue;
    std::printf("# name %016llx %s\n", static_cast<unsigned long long>(LevelKey(record)),
                title.c_str());
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (PrintedVersion(argc, argv, "yelko-level")) return 0;
  if (argc == 4 && std::strcmp(argv[1], "compile") == 0) return Compile(argv[2], argv[3]);
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "decompile") == 0) {
    return Decompile(argv[2], argc == 4 ? argv[3] : nullptr);
  }
  if (argc >= 3 && std::strcmp(argv[1], "names") == 0) return Names(argc - 2, argv + 2);
  return Usage();
}
