// The replay runner: scripts read, played on the headless backend, and reported as JSON.
#include "app/replay.h"

#include <charconv>
#include <optional>
#include <sstream>

#include "app/level_names.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "app/shell.h"
#include "editor/editor.h"
#include "input/actions.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"
#include "midend/records.h"
#include "platform/files.h"
#include "platform/image_write.h"

namespace {

constexpr long MaxFramesPerLine = 100'000'000;

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool ParseNumber(const std::string& word, long low, long high, long* out) {
  long v = 0;
  const char* end = word.data() + word.size();
  const auto [ptr, ec] = std::from_chars(word.data(), end, v);
  if (ec != std::errc() || ptr != end || v < low || v > high) return false;
  *out = v;
  return true;
}

// What follows the line's first word, from its next character to the end of the line, with
// "\n" standing for a line break; none when nothing follows.
std::optional<std::string> RestOfLine(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::size_t from = line.find_first_not_of(" \t");
  from = line.find_first_of(" \t", from);
  if (from == std::string::npos || from + 1 >= line.size()) return std::nullopt;
  std::string rest;
  for (std::size_t at = from + 1; at < line.size(); ++at) {
    const bool lineBreak = line[at] == '\\' && at + 1 < line.size() && line[at + 1] == 'n';
    rest += lineBreak ? '\n' : line[at];
    if (lineBreak) ++at;
  }
  return rest;
}

// Parses one non-blank, non-comment line; returns "" or what is wrong with it.
std::string ParseLine(const std::string& line, const std::vector<std::string>& w,
                      headless::ScriptEvent* e) {
  using Kind = headless::ScriptEvent::Kind;
  long n = 0;
  if (w[0] == "text" || w[0] == "clipboard") {
    e->kind = w[0] == "text" ? Kind::Answer : Kind::Clipboard;
    e->text = RestOfLine(line);
    return "";
  }
  if (w[0] == "frames") {
    if (w.size() < 2) return "'frames' needs a number of frames";
    if (!ParseNumber(w[1], 0, MaxFramesPerLine, &n)) {
      return "'" + w[1] + "' is not a number of frames (0 to 100000000)";
    }
    e->kind = Kind::Frames;
    e->count = int(n);
    for (std::size_t i = 2; i < w.size(); ++i) {
      // Enter and Escape are the keys the game asks of the window system on their own.
      if (w[i] == "ENTER") {
        e->enter = true;
      } else if (w[i] == "ESCAPE") {
        e->escape = true;
      } else if (const std::uint8_t code = KeyCodeNamed(w[i])) {
        e->keys.push_back(code);
      } else {
        return "unknown key '" + w[i] + "' (keys: " + KeyNamesList() + " ENTER ESCAPE)";
      }
    }
    return "";
  }
  if (w[0] == "click" || w[0] == "drag") {
    const bool drag = w[0] == "drag";
    const bool shift = !drag && w.size() == 5 && w[4] == "shift";
    if (drag ? w.size() != 3 : (w.size() != 4 && !shift) || (w[1] != "left" && w[1] != "right")) {
      return drag ? "expected 'drag X Y'"
                  : "expected 'click left X Y' or 'click right X Y', then 'shift' if held";
    }
    long x = 0;
    long y = 0;
    if (!ParseNumber(w[drag ? 1 : 2], -32768, 32767, &x) ||
        !ParseNumber(w[drag ? 2 : 3], -32768, 32767, &y)) {
      return "click and drag coordinates must be whole numbers from -32768 to 32767";
    }
    e->kind = drag ? Kind::Drag : Kind::Click;
    e->right = !drag && w[1] == "right";
    e->shift = shift;
    e->x = int(x);
    e->y = int(y);
    return "";
  }
  if (w[0] == "menu") {
    if (w.size() != 2 || !ParseNumber(w[1], 0, 65535, &n)) {
      return "expected 'menu ID' with a command id from 0 to 65535";
    }
    e->kind = Kind::Menu;
    e->command = std::uint16_t(n);
    return "";
  }
  return "unknown command '" + w[0] + "' (commands: frames, click, drag, menu, text, clipboard)";
}

void AppendString(std::string& out, const std::string& s) {
  out += '"';
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      static const char* hex = "0123456789abcdef";
      out += "\\u00";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += char(c);
    }
  }
  out += '"';
}

void AppendNumbers(std::string& out, const std::vector<std::int32_t>& numbers) {
  out += '[';
  for (std::int32_t v : numbers) {
    if (out.back() != '[') out += ',';
    out += std::to_string(v);
  }
  out += ']';
}

void AppendStrings(std::string& out, const std::vector<std::string>& list) {
  out += '[';
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i) out += ',';
    AppendString(out, list[i]);
  }
  out += ']';
}

}  // namespace

bool ParseReplayScript(const std::string& text, std::vector<headless::ScriptEvent>* script,
                       std::string* error) {
  std::istringstream in(text);
  int lineNumber = 0;
  for (std::string line; std::getline(in, line);) {
    ++lineNumber;
    const std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#') continue;
    headless::ScriptEvent event;
    const std::string problem = ParseLine(line, words, &event);
    if (!problem.empty()) {
      *error = "line " + std::to_string(lineNumber) + ": " + problem;
      return false;
    }
    script->push_back(std::move(event));
  }
  return true;
}

int RunReplay(std::vector<headless::ScriptEvent> script, const std::string& screenshotPath,
              std::string* error) {
  headless::SetScript(std::move(script));
  headless::KeepFrames(!screenshotPath.empty());
  const int exitCode = WinMain(1, 0, "", 0);
  if (!screenshotPath.empty()) {
    const platform::Surface* frame = headless::LastFrame();
    if (frame == nullptr) {
      *error = "no frame was shown, so there is no screenshot";
    } else if (std::string why; !platform::WriteBmp24(screenshotPath.c_str(), *frame, &why)) {
      *error = "cannot write the screenshot " + screenshotPath + ": " + why;
    }
  }
  return exitCode;
}

std::string ReplayReportJson(int exitCode) {
  std::string out = "{";
  auto field = [&out](const char* name) {
    if (out.size() > 1) out += ',';
    out += '"';
    out += name;
    out += "\":";
  };
  field("frames");
  out += std::to_string(headless::FramesPresented());
  field("level");
  out += std::to_string(CurrentLevel);
  field("editor");
  out += std::to_string(EditorMode);
  field("solved");
  out += std::to_string(PlayState.solved);
  field("balls_total");
  out += std::to_string(PlayLevel.ballCount);
  field("balls_left");
  out += std::to_string(BallsLeft(PlayState));
  field("player");
  AppendNumbers(out, {PlayState.playerX, PlayState.playerY});
  field("platforms");
  out += '[';
  for (int n = 0; n < PlayLevel.platformCount; ++n) {
    if (n) out += ',';
    AppendNumbers(out, {PlayLevel.platformType[n], PlayState.platformX[n], PlayState.platformY[n]});
  }
  out += ']';
  field("progress");
  std::vector<std::uint8_t> stored;
  const bool read = platform::ReadUserValue("Level", 1, &stored) && stored.size() == 1;
  out += read ? std::to_string(stored[0]) : "null";
  field("messages");
  AppendStrings(out, headless::Messages());
  field("sounds");
  AppendStrings(out, headless::SoundsStarted());
  field("moves");
  out += std::to_string(MoveCount);
  // The level's code; its name (a collection level's, a puzzle's, a shipped level's; null for
  // level.dat) and the collection it is of (null for none); and whether the stuck watch found
  // no solution left.
  field("code");
  AppendString(out, CodeInPlay());
  const bool ofCollection = PuzzleInPlay() && CollectionPlace >= 0;
  const std::string name = ofCollection ? OpenedCollection.levels[std::size_t(CollectionPlace)].name
                           : PuzzleInPlay()  ? PuzzleTitle
                           : LevelInPlay > 0 ? LevelName(LevelInPlayKey)
                                             : std::string();
  field("name");
  if (name.empty()) {
    out += "null";
  } else {
    AppendString(out, name);
  }
  field("collection");
  if (ofCollection) {
    AppendString(out, OpenedCollection.title);
  } else {
    out += "null";
  }
  // The player's best and the level's par (null when there is none or it is not known yet), the
  // hint's arrow as its move's letter, the Levels menu's items enabled, the shipped levels with
  // a best.
  const auto number = [&out](std::int32_t n) { out += n < 0 ? "null" : std::to_string(n); };
  field("best");
  number(BestOf(LevelInPlayKey));
  field("par");
  number(KnownPar(LevelInPlayKey));
  field("hint");
  const bool arrow = Hint == HintKind::Move && HintDirection >= DirLeft && HintDirection <= DirDown;
  out += arrow ? std::string("\"") + "LURD"[HintDirection - DirLeft] + '"' : "null";
  std::vector<std::int32_t> enabled, solved;
  for (std::int32_t n = 1; n <= LevelCount; ++n) {
    for (const platform::MenuEntry& e : platform::GameWindowMenu()) {
      if (e.id == CmdLevelBase + n && e.enabled) enabled.push_back(n);
    }
    if (LevelSolved(n)) solved.push_back(n);
  }
  field("levels_enabled");
  AppendNumbers(out, enabled);
  field("levels_solved");
  AppendNumbers(out, solved);
  field("stuck");
  out += Stuck() ? "true" : "false";
  field("status");
  AppendString(out, platform::StatusText());
  field("exit_code");
  out += std::to_string(exitCode);
  out += '}';
  return out;
}

std::string SolutionScript(const std::string& moves, const std::string& title) {
  constexpr int FramesPerMove = 10;  // 40 pixels at 4 a frame
  std::string script;
  if (!title.empty()) script += "# " + title + "\n";
  script += "frames 1\n";
  for (std::size_t i = 0; i < moves.size();) {
    std::size_t j = i;
    while (j < moves.size() && moves[j] == moves[i]) ++j;
    const char* key = moves[i] == 'L'   ? "LEFT"
                      : moves[i] == 'U' ? "UP"
                      : moves[i] == 'R' ? "RIGHT"
                                        : "DOWN";
    script += "frames " + std::to_string((j - i) * FramesPerMove) + " " + key + "\n";
    i = j;
  }
  return script;
}
