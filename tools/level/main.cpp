// yelko-level: compiles a level's text into the game's 300-byte level file, and turns any level
// file back into text so that an author can read it or diff two of them.
//
//   yelko-level compile SOURCE.txt OUT.dat
//   yelko-level decompile LEVEL.dat [OUT.txt]     (text to standard output without OUT.txt)
//   yelko-level names SOURCE.txt...
//   yelko-level check [--par] [--max-states N] FILE
//   yelko-level pack [--title TEXT] [--author TEXT] OUT.txt FILE...
//   yelko-level unpack FILE DIR
//
// `names` prints, for each source whose first line names it ("# Level 1: First crossing."),
// the line that carries the name into the game's par.txt: "# name KEY First crossing", KEY being
// the compiled level's LevelKey in 16 hex digits. The game shows the name of the level in play.
//
// `check` reads a collection (or a single level's text or file) and prints one line per level: its
// place, its name, "ok" and its par with its measures, or what is wrong with it. The par is the
// solver's shortest solution, played again frame by frame by the game's rules, which must solve the
// level on its last frame and not before. With --par it prints instead the lines the game's par.txt
// holds for the levels (their par and their name), and the report's complaints go to standard
// error. `pack` puts level texts, level files (decompiled) and collections into one collection,
// naming each single level from its first comment line ("# Level 1: First crossing." gives
// "First crossing") or else from the file's name; `unpack` writes each level of a collection to
// a text file of its own in DIR ("01-first-crossing.txt"), never over a different file. A level's
// lines travel as written, so unpacking a pack gives back its files byte for byte.
//
// The text format is described in level_text.cpp and levels/README.md. Exit status: 0 done,
// 1 refused (a message naming the file and line on standard error; for `check`, a level that
// is broken or unsolvable, or with --par one whose par was not found), 2 wrong usage.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/version.h"
#include "board/level.h"
#include "board/level_collection.h"
#include "board/level_record.h"
#include "board/level_text.h"
#include "midend/measures.h"
#include "midend/records.h"
#include "midend/solver.h"
#include "platform/files.h"
#include "play/movement.h"
#include "play/rules.h"

namespace {

// Level sources are a few hundred bytes; anything far larger is not one.
constexpr std::size_t MaxSourceBytes = 1 << 20;

int Usage() {
  std::fprintf(stderr,
               "usage: yelko-level compile SOURCE.txt OUT.dat\n"
               "       yelko-level decompile LEVEL.dat [OUT.txt]\n"
               "       yelko-level names SOURCE.txt...\n"
               "       yelko-level check [--par] [--max-states N] FILE\n"
               "       yelko-level pack [--title TEXT] [--author TEXT] OUT.txt FILE...\n"
               "       yelko-level unpack FILE DIR\n"
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
    const std::string title = LevelSourceTitle(text);
    if (title.empty()) continue;
    std::printf("# name %016llx %s\n", static_cast<unsigned long long>(LevelKey(record)),
                title.c_str());
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "packs/Levels.txt" gives "Levels".
std::string StemOf(const std::string& path) {
  std::string stem = std::filesystem::path(path).stem().string();
  return CleanLevelName(stem);
}

// Reads a collection file, a single level's text or a level file (a name ending in .dat, read as
// its text and named by the file); false with a message on standard error.
bool ReadCollectionFile(const char* path, Collection* out) {
  std::vector<std::uint8_t> bytes;
  const platform::ReadOutcome read = platform::ReadWholeFile(path, MaxCollectionBytes, &bytes);
  if (!read) {
    std::fprintf(stderr, "%s: cannot read it: %s\n", path, read.why.c_str());
    return false;
  }
  std::string text(bytes.begin(), bytes.end());
  std::string lower = path;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (EndsWith(lower, ".dat")) {
    text = "# " + StemOf(path) + "\n" +
           DecompileLevelBytes(bytes.data(), std::min(bytes.size(), std::size_t(LevelRecordSize)),
                               bytes.size());
  }
  std::string error;
  if (!ReadCollection(text, path, out, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  return true;
}

// Plays the moves from the level's start frame by frame, as the game does (a still first frame
// takes a ball under the start, then ten frames a move): true when every move starts where it is
// asked and the last frame of the last move solves the level, and no frame before it.
bool SolvedByFrames(const Level& level, const std::string& moves) {
  GameState state = StartState(level);
  RulesFrame(level, &state);
  if (state.solved) return moves.empty();
  for (std::size_t i = 0; i < moves.size(); ++i) {
    state.movement.direction = MoveDirection(moves[i]);
    for (int frame = 0; frame < FramesPerMove; ++frame) {
      const RuleEvents events = RulesFrame(level, &state);
      if (frame == 0 && !events.stepStarted) return false;
      if (state.solved) return i + 1 == moves.size() && frame + 1 == FramesPerMove;
    }
  }
  return false;
}

int Check(const char* path, bool parLines, std::uint64_t maxStates) {
  Collection collection;
  if (!ReadCollectionFile(path, &collection)) return 1;
  std::FILE* report = parLines ? stderr : stdout;
  SolveOptions options;
  options.maxStates = maxStates;
  bool failed = false;
  std::string names;
  static Level level;  // large: kept out of the stack
  for (std::size_t i = 0; i < collection.levels.size(); ++i) {
    const CollectionLevel& entry = collection.levels[i];
    const std::string head = std::to_string(i + 1) + " " + entry.name + ": ";
    if (!entry.problem.empty()) {
      failed = true;
      std::fprintf(report, "%s%s\n", head.c_str(), entry.problem.c_str());
      continue;
    }
    SetUpLevel(entry.record, &level);
    const SolveResult result = SolveLevelRecord(entry.record, options);
    const std::string states = std::to_string(result.states) + " states";
    if (result.outcome == SolveOutcome::Unsolvable) {
      failed = true;
      std::fprintf(report, "%sunsolvable (%s explored)\n", head.c_str(), states.c_str());
    } else if (result.outcome == SolveOutcome::GaveUp) {
      failed = failed || parLines;
      std::fprintf(report, "%sok, but too large to search for its par (gave up after %s)\n",
                   head.c_str(), states.c_str());
    } else if (result.outcome != SolveOutcome::Solved) {
      failed = true;
      std::fprintf(report, "%s%s\n", head.c_str(), result.error.c_str());
    } else if (!SolvedByFrames(level, result.moves)) {
      failed = true;
      std::fprintf(report, "%sthe solver's %zu moves do not solve it in the game: %s\n",
                   head.c_str(), result.moves.size(), result.moves.c_str());
    } else if (parLines) {
      const std::uint64_t key = LevelKey(entry.record);
      const std::string line = MoveRecordLine(key, std::int32_t(result.moves.size()));
      std::printf("%.*s  # %s %zu\n", int(line.size() - 1), line.c_str(), path, i + 1);
      char keyText[17];
      std::snprintf(keyText, sizeof keyText, "%016llx", static_cast<unsigned long long>(key));
      names += "# name " + std::string(keyText) + " " + entry.name + "\n";
    } else {
      LevelMeasures measures;
      MeasureSolution(level, StartState(level), result.moves, &measures);
      std::fprintf(report, "%sok, par %d (%d carries, %d platforms moved)\n", head.c_str(),
                   measures.par, measures.carries, measures.platformsMoved);
    }
  }
  std::fputs(names.c_str(), stdout);
  return std::fflush(stdout) != 0 || failed ? 1 : 0;
}

// A level's name as a `level` line keeps it: a '#' would start a comment there.
std::string LineSafeName(const std::string& name, std::size_t place) {
  const std::string safe = CleanLevelName(name.substr(0, name.find('#')));
  return safe.empty() ? "Level " + std::to_string(place) : safe;
}

int Pack(const std::string& title, const std::string& author, const char* out,
         const std::vector<const char*>& files) {
  Collection pack;
  pack.title = CleanLevelName(title.empty() ? StemOf(out) : title);
  pack.author = CleanLevelName(author);
  for (const char* file : files) {
    Collection given;
    if (!ReadCollectionFile(file, &given)) return 1;
    for (CollectionLevel& level : given.levels) {
      if (!level.problem.empty()) {
        std::fprintf(stderr, "%s (level '%s'): not packed\n", level.problem.c_str(),
                     level.name.c_str());
        return 1;
      }
      if (pack.levels.size() == MaxCollectionLevels) {
        std::fprintf(stderr, "%s: more than %zu levels\n", out, MaxCollectionLevels);
        return 1;
      }
      level.name = LineSafeName(level.name, pack.levels.size() + 1);
      if (!level.text.empty() && level.text.back() != '\n') level.text += '\n';
      pack.levels.push_back(std::move(level));
    }
  }
  // The pack must read back as the same levels, or it is not written.
  const std::string text = CollectionText(pack);
  Collection again;
  std::string error;
  bool same =
      ReadCollection(text, out, &again, &error) && again.levels.size() == pack.levels.size();
  for (std::size_t i = 0; same && i < pack.levels.size(); ++i) {
    const CollectionLevel &a = pack.levels[i], &b = again.levels[i];
    same = a.name == b.name && a.text == b.text && b.problem.empty() &&
           std::memcmp(a.record, b.record, LevelRecordSize) == 0;
  }
  if (!same) {
    std::fprintf(stderr,
                 "%s: the levels do not read back the same from a collection; not written\n", out);
    return 1;
  }
  if (!WriteOut(out, text)) {
    std::fprintf(stderr, "%s: cannot write it\n", out);
    return 1;
  }
  std::printf("%s: %zu levels\n", out, pack.levels.size());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// "07-the-long-voyage.txt" for level 7 named "The long voyage", its number as wide as the last's.
std::string LevelFileName(std::size_t place, std::size_t count, const std::string& name) {
  std::string number = std::to_string(place);
  const std::size_t width = std::max<std::size_t>(2, std::to_string(count).size());
  number.insert(0, width - number.size(), '0');
  std::string slug;
  for (const char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u) && u < 0x80) {
      slug += char(std::tolower(u));
    } else if (!slug.empty() && slug.back() != '-') {
      slug += '-';
    }
    if (slug.size() >= 40) break;
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return number + "-" + (slug.empty() ? "level" : slug) + ".txt";
}

int Unpack(const char* path, const char* dir) {
  Collection collection;
  if (!ReadCollectionFile(path, &collection)) return 1;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) {
    std::fprintf(stderr, "%s: cannot make it a folder\n", dir);
    return 1;
  }
  // Every file first, so that nothing is written when one would overwrite another's.
  std::vector<std::pair<std::string, std::string>> out;
  const std::size_t count = collection.levels.size();
  for (std::size_t i = 0; i < count; ++i) {
    const CollectionLevel& level = collection.levels[i];
    const std::string file =
        (std::filesystem::path(dir) / LevelFileName(i + 1, count, level.name)).string();
    std::string text = level.text;
    // The file keeps the level's name when its own first line does not give it.
    Collection alone;
    std::string error;
    if (!ReadCollection(text, file, &alone, &error) || alone.levels.size() != 1 ||
        alone.levels[0].name != level.name) {
      text.insert(0, "# Level " + std::to_string(i + 1) + ": " + level.name + "\n");
    }
    std::vector<std::uint8_t> there;
    if (platform::PathExists(file.c_str())) {
      if (!platform::ReadWholeFile(file.c_str(), MaxCollectionBytes, &there) ||
          std::string(there.begin(), there.end()) != text) {
        std::fprintf(stderr, "%s: already there and different; nothing written\n", file.c_str());
        return 1;
      }
      continue;
    }
    out.emplace_back(file, text);
  }
  for (const auto& [file, text] : out) {
    std::string why;
    if (!platform::ReplaceFileAtomically(
            file.c_str(), reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), &why)) {
      std::fprintf(stderr, "%s: cannot write it: %s\n", file.c_str(), why.c_str());
      return 1;
    }
  }
  std::printf("%s: %zu levels, %zu written, %zu already there\n", dir, count, out.size(),
              count - out.size());
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
  if (argc >= 3 && std::strcmp(argv[1], "check") == 0) {
    bool par = false;
    std::uint64_t maxStates = SolveOptions{}.maxStates;
    int i = 2;
    for (; i < argc - 1; ++i) {
      char* end = nullptr;
      if (std::strcmp(argv[i], "--par") == 0) {
        par = true;
      } else if (std::strcmp(argv[i], "--max-states") == 0 && i + 2 < argc &&
                 argv[i + 1][0] >= '1' && argv[i + 1][0] <= '9' &&
                 (maxStates = std::strtoull(argv[i + 1], &end, 10), *end == '\0')) {
        ++i;
      } else {
        return Usage();
      }
    }
    return i == argc - 1 ? Check(argv[i], par, maxStates) : Usage();
  }
  if (argc >= 4 && std::strcmp(argv[1], "pack") == 0) {
    std::string title, author;
    int i = 2;
    for (; i + 1 < argc; i += 2) {
      if (std::strcmp(argv[i], "--title") == 0) {
        title = argv[i + 1];
      } else if (std::strcmp(argv[i], "--author") == 0) {
        author = argv[i + 1];
      } else {
        break;
      }
    }
    if (argc - i < 2) return Usage();
    return Pack(title, author, argv[i], std::vector<const char*>(argv + i + 1, argv + argc));
  }
  if (argc == 4 && std::strcmp(argv[1], "unpack") == 0) return Unpack(argv[2], argv[3]);
  return Usage();
}
