// The program's entry: the desktop game, or the replay runner on the headless backend.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/collections.h"
#include "app/notices.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "app/replay.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/version.h"
#include "midend/puzzle.h"
#include "platform/files.h"
#include "platform/headless/headless.h"

#if defined(YELKO_HAVE_SDL)
#include "platform/sdl/sdl_backend.h"
namespace window_backend = platform::sdl;
#elif defined(YELKO_HAVE_WEB)
#include "app/web_words.h"
#include "platform/web/web_backend.h"
namespace window_backend = platform::web;
#endif
#ifdef YELKO_HAVE_WIN32
#include "platform/win32/win32_backend.h"
#endif

namespace {

constexpr const char* Usage =
    "usage: yelko [--start-level N] [--code CODE | --puzzle NAME | COLLECTION]\n"
    "       yelko --replay SCRIPT [--watch] [--screenshot FILE.bmp] [--start-level N]\n"
    "             [--code CODE | --puzzle NAME | --collection FILE]\n"
    "       yelko --version\n"
    "\n"
    "  --start-level N      start at level N (0 plays level.dat) without reading or\n"
    "                       writing the saved progress; with a collection, its\n"
    "                       level N (counted from 1)\n"
    "  --collection FILE    play a collection of levels (or a level's text file);\n"
    "                       the file may also be given on its own\n"
    "  --code CODE          play the level of a puzzle code\n"
    "  --puzzle NAME        play a generated puzzle by its name (hard-7Q3K2)\n"
    "  --replay SCRIPT      run SCRIPT headless and print the end state as JSON\n"
    "  --watch              with --replay: play SCRIPT in a window at the game's speed,\n"
    "                       then go on playing there until it is closed\n"
    "  --screenshot FILE    with --replay: write the last frame as a 24-bit BMP\n";

struct Options {
  std::string replay;
  std::string screenshot;
  int startLevel = -1;
  std::string puzzle;      // a code or a puzzle's name
  std::string collection;  // a collection file
  bool watch = false;      // the replay in a window
  std::string refused;     // why the arguments were refused
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "yelko: %s\n", message.c_str());
  return 2;
}

// Returns -1 when the arguments are fine, else the exit code to leave with.
int ParseArguments(int argc, char** argv, Options* options) {
  const auto refuse = [&](const std::string& why) {
    options->refused = why;
    return Fail(why);
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::fputs(Usage, stdout);
      return 0;
    } else if (arg == "--replay" && hasValue) {
      options->replay = argv[++i];
    } else if (arg == "--watch") {
      options->watch = true;
    } else if (arg == "--screenshot" && hasValue) {
      options->screenshot = argv[++i];
    } else if ((arg == "--code" || arg == "--puzzle") && hasValue) {
      const std::string given = argv[++i];
      const PuzzleText read = ReadPuzzleText(given);
      if (read.kind == PuzzleText::Kind::Refused ||
          (arg == "--puzzle") != (read.kind == PuzzleText::Kind::Name)) {
        return refuse(arg == "--puzzle"
                          ? "--puzzle takes a puzzle's name like hard-7Q3K2, not '" + given + "'"
                      : read.why.empty() ? "not a puzzle code: '" + given + "'"
                                         : read.why);
      }
      options->puzzle = given;
    } else if (arg == "--start-level" && hasValue) {
      const std::string v = argv[++i];
      int level = 0;
      const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), level);
      if (ec != std::errc() || ptr != v.data() + v.size() || level < 0 || level > 255) {
        return refuse("--start-level takes a level number from 0 to 255, not '" + v + "'");
      }
      options->startLevel = level;
    } else if (arg == "--collection" && hasValue) {
      options->collection = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && options->collection.empty()) {
      options->collection = arg;  // a collection opened with the game (a file dropped on it)
    } else {
      options->refused = "'" + arg + "' is not understood";
      std::fputs(Usage, stderr);
      return 2;
    }
  }
  if (!options->collection.empty() && !options->puzzle.empty()) {
    return refuse("a collection and a puzzle cannot both be played at the start");
  }
  if (!options->screenshot.empty() && options->replay.empty()) {
    return refuse("--screenshot goes with --replay");
  }
  if (options->watch && options->replay.empty()) return refuse("--watch goes with --replay");
  return -1;
}

#if !defined(YELKO_HAVE_WEB)
// The desktop's window backend, for a replay watched; null with the reason in *error.
platform::Backend* OpenWindowBackend(std::string* error) {
#if defined(YELKO_HAVE_WIN32)
  bool alreadyRunning = false;
  platform::Backend* backend = platform::win32::CreateBackend(error, &alreadyRunning);
  if (alreadyRunning) *error = "Yelko is running already: close it to watch a replay";
  return backend;
#elif defined(YELKO_HAVE_SDL)
  return window_backend::CreateBackend(error);
#else
  *error = "built without the desktop backend: --watch cannot open a window";
  return nullptr;
#endif
}

void CloseWindowBackend(platform::Backend* backend) {
#if defined(YELKO_HAVE_WIN32)
  platform::win32::DestroyBackend(backend);
#elif defined(YELKO_HAVE_SDL)
  window_backend::DestroyBackend(backend);
#else
  (void)backend;
#endif
}

int Replay(const Options& options) {
  std::vector<std::uint8_t> bytes;
  if (const platform::ReadOutcome read =
          platform::ReadWholeFile(options.replay.c_str(), 64u << 20, &bytes);
      !read) {
    return Fail("cannot read the replay script " + options.replay + ": " + read.why);
  }
  std::vector<headless::ScriptEvent> script;
  std::string error;
  if (!ParseReplayScript(std::string(bytes.begin(), bytes.end()), &script, &error)) {
    return Fail(options.replay + ": " + error);
  }
  platform::Backend* window = nullptr;
  if (options.watch) {
    window = OpenWindowBackend(&error);
    if (window == nullptr) return Fail(error);
  }
  platform::UseBackend(window != nullptr ? headless::WatchIn(window) : headless::GetBackend());
  const int exitCode = RunReplay(std::move(script), options.screenshot, &error);
  std::printf("%s\n", ReplayReportJson(exitCode).c_str());
  if (window != nullptr) {
    platform::UseBackend(nullptr);
    CloseWindowBackend(window);
  }
  if (!error.empty()) {
    // The game ran, but what was asked of the run was not done.
    std::fprintf(stderr, "yelko: %s\n", error.c_str());
    return exitCode != 0 ? exitCode : 2;
  }
  return exitCode;
}
#endif

// A player's game, with the player's keys and settings (replays play with the game's own).
int Play() {
#if defined(YELKO_HAVE_WIN32)
  std::string error;
  bool alreadyRunning = false;
  platform::Backend* backend = platform::win32::CreateBackend(&error, &alreadyRunning);
  if (alreadyRunning) return 0;  // the running copy was brought to the front
  if (backend == nullptr) {
    std::fprintf(stderr, "yelko: %s\n", error.c_str());
    return 1;
  }
  platform::UseBackend(backend);
  LoadPlayerSettings();
  const int exitCode = WinMain(platform::win32::InstanceHandle(), 0, "", 0);
  platform::UseBackend(nullptr);
  platform::win32::DestroyBackend(backend);
  return exitCode;
#elif defined(YELKO_HAVE_SDL) || defined(YELKO_HAVE_WEB)
  std::string error;
#if defined(YELKO_HAVE_WEB)
  platform::web::SetGameQuestions(WebGameQuestions());
#endif
  platform::Backend* backend = window_backend::CreateBackend(&error);
  if (backend == nullptr) {
    std::fprintf(stderr, "yelko: %s\n", error.c_str());
    return 1;
  }
  platform::UseBackend(backend);
#if defined(YELKO_HAVE_SDL)
  LoadPlayerSettings();
#else
  LoadPlayerSettings(false);
#endif
  const int exitCode = WinMain(1, 0, "", 0);
  platform::UseBackend(nullptr);
  window_backend::DestroyBackend(backend);
  return exitCode;
#else
  std::fprintf(stderr, "yelko: built without the desktop backend; only --replay works\n");
  return 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
#ifdef YELKO_HAVE_WIN32
  platform::win32::UseParentConsole();
  std::vector<std::string> arguments = platform::win32::Utf8Arguments();
  std::vector<char*> utf8;
  for (std::string& a : arguments) utf8.push_back(a.data());
  utf8.push_back(nullptr);
  if (!arguments.empty()) {
    argc = int(arguments.size());
    argv = utf8.data();
  }
#endif
  if (PrintedVersion(argc, argv, "yelko")) return 0;
  Options options;
  const int early = ParseArguments(argc, argv, &options);
#if defined(YELKO_HAVE_WEB)
  // The page's address is its command line, and anyone can write one (a shared link cut short):
  // one the game refuses starts the page as its bare address does, and the status line says why.
  if (early >= 0) {
    const std::string why = options.refused;
    options = Options{};
    Notify(NoticeTopic::Level, "The link cannot be played: " + why);
  }
#else
  if (early >= 0) return early;
#endif
  if (!options.collection.empty()) {
    // The collection's levels never touch the saved progress: the level is one of its own.
    SetStartCollection(options.collection, std::max(options.startLevel, 0));
  } else if (options.startLevel >= 0) {
    SetProgressOverride(true, std::uint8_t(options.startLevel));
  }
  SetStartPuzzle(options.puzzle, !options.replay.empty());
  // What saves that were killed half-way left behind.
  platform::RemoveStaleTemporaryFiles(platform::GameDataDirectory());
  platform::RemoveStaleTemporaryFiles(platform::UserDataDirectory());
  platform::RemoveStaleTemporaryFiles(platform::UserConfigDirectory());
#if defined(YELKO_HAVE_WEB)
  // The page has no command line, so no replay runner either.
  return Play();
#else
  return options.replay.empty() ? Play() : Replay(options);
#endif
}
