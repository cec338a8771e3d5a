// The keys file read into the action table, bad lines left out and described.
#include "input/keymap.h"

#include <algorithm>
#include <cctype>

#include "input/actions.h"

namespace {

std::string Trimmed(const std::string& text) {
  std::size_t from = 0, to = text.size();
  while (from < to && std::isspace(static_cast<unsigned char>(text[from]))) ++from;
  while (to > from && std::isspace(static_cast<unsigned char>(text[to - 1]))) --to;
  return text.substr(from, to - from);
}

// Shown in a message: at most 40 printable characters.
std::string Quoted(const std::string& text) {
  std::string out;
  for (unsigned char c : text.substr(0, 40)) out += c >= 0x20 && c < 0x7F ? char(c) : '?';
  return "'" + out + (text.size() > 40 ? "...'" : "'");
}

Action ActionNamed(const std::string& name) {
  std::string lower;
  for (unsigned char c : name) lower += char(std::tolower(c));
  for (unsigned a = 0; a < unsigned(Action::Count); ++a) {
    if (lower == ActionName(Action(a))) return Action(a);
  }
  return Action::Count;
}

struct Line {
  int number = 0;
  Action action = Action::Count;
  ActionCodes codes;
};

// One line's action and keys, or what is wrong with it.
std::string ParseLine(const std::string& text, Line* line) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) return "expected 'action = key, key'";
  const std::string name = Trimmed(text.substr(0, equals));
  line->action = ActionNamed(name);
  if (line->action == Action::Count) {
    std::string actions;
    for (unsigned a = 0; a < unsigned(Action::Count); ++a) {
      actions += std::string(a ? ", " : "") + ActionName(Action(a));
    }
    return "there is no action called " + Quoted(name) + " (actions: " + actions + ")";
  }
  const std::string keys = Trimmed(text.substr(equals + 1));
  int count = 0;
  for (std::size_t from = 0; !keys.empty() && from <= keys.size();) {
    std::size_t comma = keys.find(',', from);
    if (comma == std::string::npos) comma = keys.size();
    const std::string key = Trimmed(keys.substr(from, comma - from));
    from = comma + 1;
    const std::uint8_t code = KeyCodeNamed(key);
    if (code == 0) {
      std::string lower;
      for (unsigned char c : key) lower += char(std::tolower(c));
      if (lower == "escape" || lower == "esc" || lower == "f10" || lower == "alt") {
        return Quoted(key) + " is kept for quitting and the menus";
      }
      return "there is no key called " + Quoted(key);
    }
    // A key given twice on its line is the same key once.
    if (std::find(line->codes.code, line->codes.code + count, code) != line->codes.code + count) {
      continue;
    }
    if (count == MaxActionCodes) {
      return "at most " + std::to_string(MaxActionCodes) + " keys an action";
    }
    line->codes.code[count++] = code;
  }
  return "";
}

}  // namespace

std::vector<std::string> ApplyKeysText(const std::string& text) {
  std::vector<std::string> problems;
  std::vector<Line> lines;
  bool named[unsigned(Action::Count)] = {};
  int owner[256] = {};  // the line that gave each key
  // Windows ends its lines with "\r\n"; the strings of a registry value end with a NUL.
  std::string all;
  for (char c : text) {
    if (c != '\r') all += c == '\0' ? '\n' : c;
  }
  int number = 0;
  for (std::size_t from = 0; from < all.size();) {
    std::size_t end = all.find('\n', from);
    if (end == std::string::npos) end = all.size();
    ++number;
    std::string content = all.substr(from, end - from);
    from = end + 1;
    if (const std::size_t hash = content.find('#'); hash != std::string::npos) {
      content.resize(hash);
    }
    content = Trimmed(content);
    if (content.empty()) continue;
    Line line;
    line.number = number;
    std::string problem = ParseLine(content, &line);
    if (problem.empty() && named[unsigned(line.action)]) {
      problem = std::string(ActionName(line.action)) + " is given keys twice";
    }
    for (std::uint8_t code : line.codes.code) {
      if (problem.empty() && code != 0 && owner[code] != 0) {
        problem = std::string(KeyShownName(code)) + " is already given on line " +
                  std::to_string(owner[code]);
      }
    }
    if (!problem.empty()) {
      problems.push_back("line " + std::to_string(number) + ": " + problem);
      continue;
    }
    named[unsigned(line.action)] = true;
    for (std::uint8_t code : line.codes.code) {
      if (code != 0) owner[code] = number;
    }
    lines.push_back(line);
  }
  // Keys given elsewhere leave the actions the file does not name.
  for (unsigned a = 0; a < unsigned(Action::Count); ++a) {
    if (named[a]) continue;
    ActionCodes kept;
    int n = 0;
    for (std::uint8_t code : CodesOf(Action(a)).code) {
      if (code != 0 && owner[code] == 0) kept.code[n++] = code;
    }
    SetCodesOf(Action(a), kept);
  }
  for (const Line& line : lines) SetCodesOf(line.action, line.codes);
  return problems;
}
