// Level text, line by line:
//
//   # a comment: from '#' to the end of a line (outside the map rows' 14 characters)
//   map                 the 14 lines that follow are the rows 0..13, top to bottom, each
//                       exactly 14 characters for the columns 0..13:
//                         '#' land (terrain byte 1)   '.' water (byte 2)
//                         '~' water stored as some other byte: 0 unless a terrain line says
//                       a row may be followed by blanks and a comment
//   player C R          the Player's start cell (exactly one)
//   ball C R            a ball (in list order; at most four, or five in a level without
//                       platforms)
//   platform T C R      a platform of type T (0..8) with the top-left of its 3 x 3 box at
//                       column C, row R (at most nine); its shape must stay on the board
//   terrain C R V       the exact terrain byte V (0..255, not 1 or 2) of a '~' cell
//
// Columns and rows are 0..13. Blank lines and comment lines go anywhere except inside the map.
// The compiled record holds the lists in the order of their lines; every byte after a list's
// end is 255, as in a record the editor has just cleared.

#include "board/level_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "board/level.h"
#include "board/level_record.h"
#include "board/platform_shapes.h"

namespace {

constexpr std::uint8_t TerrainLand = 1;
constexpr std::uint8_t TerrainWater = 2;
constexpr int PlatformTypeCount = 9;
constexpr char LandChar = '#';
constexpr char WaterChar = '.';
constexpr char OtherChar = '~';
constexpr char MissingChar = '?';

struct Entry {
  int line = 0;
  int type = 0;  // platforms only
  int column = 0;
  int row = 0;
};

struct TerrainEntry {
  int line = 0;
  int column = 0;
  int row = 0;
  int value = 0;
};

struct Parsed {
  bool haveMap = false;
  int mapLine = 0;
  char map[BoardCells][BoardCells] = {};  // [row][column], as written
  int playerLine = 0;
  Entry player;
  std::vector<Entry> balls;
  std::vector<Entry> platforms;
  std::vector<TerrainEntry> terrain;
};

std::string Where(const std::string& name, int line) {
  return name + ":" + std::to_string(line) + ": ";
}

// The words of a line before its comment, split at blanks (the C locale's white space). No
// string streams here: they would bring the C++ locales into the web page's program.
std::vector<std::string> SplitWords(const std::string& line) {
  constexpr std::string_view Blanks = " \t\n\v\f\r";
  const std::string_view text = std::string_view(line).substr(0, line.find('#'));
  std::vector<std::string> words;
  for (std::size_t at = text.find_first_not_of(Blanks); at != std::string_view::npos;) {
    const std::size_t end = text.find_first_of(Blanks, at);
    words.emplace_back(text.substr(at, end - at));
    at = end == std::string_view::npos ? end : text.find_first_not_of(Blanks, end);
  }
  return words;
}

// The text written by DecompileLevelBytes: characters (of any char type) as they are, other
// numbers in decimal, as an output stream writes them.
struct TextOut {
  std::string text;
  TextOut& operator<<(std::string_view s) {
    text += s;
    return *this;
  }
  template <typename N, typename = std::enable_if_t<std::is_integral_v<N>>>
  TextOut& operator<<(N n) {
    if constexpr (sizeof(N) == 1 && !std::is_same_v<N, bool>) {
      text += char(n);
    } else {
      text += std::to_string(n);
    }
    return *this;
  }
};

bool ParseNumber(const std::string& word, int* value) {
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, *value);
  return ec == std::errc() && ptr == end;
}

bool CellOnBoard(int column, int row) {
  return column >= 0 && column < BoardCells && row >= 0 && row < BoardCells;
}

// Whether every cell of a known type's shape, boxed at (column, row), lies on the board.
bool ShapeOnBoard(int type, int column, int row) {
  const PlatformRecord& shape = PlatformShapeOf(type);
  for (int dx = 0; dx < 3; ++dx) {
    for (int dy = 0; dy < 3; ++dy) {
      if (shape.shape[dx][dy] && !CellOnBoard(column + dx, row + dy)) return false;
    }
  }
  return true;
}

bool Covers(const Entry& p, int column, int row) {
  const int dx = column - p.column;
  const int dy = row - p.row;
  return dx >= 0 && dx < 3 && dy >= 0 && dy < 3 && PlatformShapeOf(p.type).shape[dx][dy] != 0;
}

bool Overlap(const Entry& a, const Entry& b) {
  for (int dx = 0; dx < 3; ++dx) {
    for (int dy = 0; dy < 3; ++dy) {
      if (PlatformShapeOf(a.type).shape[dx][dy] && Covers(b, a.column + dx, a.row + dy)) {
        return true;
      }
    }
  }
  return false;
}

// Reads `count` numbers from words[1..], each within [low, high]; `what` names them for messages.
bool ParseArguments(const std::vector<std::string>& words, int count, const char* usage,
                    const std::string& where, int* values, std::string* error) {
  if (int(words.size()) != count + 1) {
    *error = where + "'" + words[0] + "' takes " + std::to_string(count) + " numbers: " + usage;
    return false;
  }
  for (int i = 0; i < count; ++i) {
    if (!ParseNumber(words[std::size_t(i) + 1], &values[i])) {
      *error = where + "'" + words[std::size_t(i) + 1] + "' is not a whole number (" + usage + ")";
      return false;
    }
  }
  return true;
}

bool CheckCell(int column, int row, const std::string& where, std::string* error) {
  if (CellOnBoard(column, row)) return true;
  *error = where + "cell (" + std::to_string(column) + ", " + std::to_string(row) +
           ") is off the board: columns and rows are 0-13";
  return false;
}

bool ParseLines(const std::string& text, const std::string& name, int firstLine, Parsed* out,
                std::string* error) {
  std::string line;
  int lineNumber = firstLine - 1;
  int mapRowsLeft = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    line.assign(text, at, end - at);
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string where = Where(name, lineNumber);

    if (mapRowsLeft > 0) {
      const int row = BoardCells - mapRowsLeft;
      const std::size_t cells = line.find_first_of(" \t");
      const std::string cellText = line.substr(0, cells);
      if (cellText.size() != std::size_t(BoardCells)) {
        *error = where + "map row " + std::to_string(row) + " has " +
                 std::to_string(cellText.size()) + " cells, not 14";
        return false;
      }
      if (cells != std::string::npos) {
        const std::size_t rest = line.find_first_not_of(" \t", cells);
        if (rest != std::string::npos && line[rest] != '#') {
          *error = where + "map row " + std::to_string(row) +
                   ": only a '#' comment may follow the 14 cells";
          return false;
        }
      }
      for (int column = 0; column < BoardCells; ++column) {
        const char c = cellText[std::size_t(column)];
        if (c != LandChar && c != WaterChar && c != OtherChar) {
          *error = where + "map row " + std::to_string(row) + ", column " + std::to_string(column) +
                   ": '" + std::string(1, c) +
                   "' is not a map cell ('#' land, '.' water, '~' other water byte)";
          return false;
        }
        out->map[row][column] = c;
      }
      --mapRowsLeft;
      continue;
    }

    const std::vector<std::string> words = SplitWords(line);
    if (words.empty()) continue;
    const std::string& keyword = words[0];
    int v[3] = {};
    if (keyword == "map") {
      if (words.size() != 1) {
        *error = where + "'map' stands alone on its line; the 14 rows follow it";
        return false;
      }
      if (out->haveMap) {
        *error = where + "a second map (the first is on line " + std::to_string(out->mapLine) + ")";
        return false;
      }
      out->haveMap = true;
      out->mapLine = lineNumber;
      mapRowsLeft = BoardCells;
    } else if (keyword == "player") {
      if (!ParseArguments(words, 2, "player COLUMN ROW", where, v, error)) return false;
      if (out->playerLine != 0) {
        *error = where + "a second player line (the first is line " +
                 std::to_string(out->playerLine) + ")";
        return false;
      }
      if (!CheckCell(v[0], v[1], where, error)) return false;
      out->playerLine = lineNumber;
      out->player = {lineNumber, 0, v[0], v[1]};
    } else if (keyword == "ball") {
      if (!ParseArguments(words, 2, "ball COLUMN ROW", where, v, error)) return false;
      if (!CheckCell(v[0], v[1], where, error)) return false;
      if (int(out->balls.size()) == MaxBallsInRecord) {
        *error = where + "a sixth ball: a level holds at most five balls (four with platforms)";
        return false;
      }
      out->balls.push_back({lineNumber, 0, v[0], v[1]});
    } else if (keyword == "platform") {
      if (!ParseArguments(words, 3, "platform TYPE COLUMN ROW", where, v, error)) return false;
      if (v[0] < 0 || v[0] >= PlatformTypeCount) {
        *error = where + "platform type " + std::to_string(v[0]) + " is unknown: types are 0-8";
        return false;
      }
      if (!CheckCell(v[1], v[2], where, error)) return false;
      if (!ShapeOnBoard(v[0], v[1], v[2])) {
        *error = where + "platform type " + std::to_string(v[0]) + " at (" + std::to_string(v[1]) +
                 ", " + std::to_string(v[2]) + ") reaches off the board";
        return false;
      }
      if (int(out->platforms.size()) == MaxPlatformsInRecord) {
        *error = where + "a tenth platform: a level holds at most nine";
        return false;
      }
      out->platforms.push_back({lineNumber, v[0], v[1], v[2]});
    } else if (keyword == "terrain") {
      if (!ParseArguments(words, 3, "terrain COLUMN ROW VALUE", where, v, error)) return false;
      if (!CheckCell(v[0], v[1], where, error)) return false;
      if (v[2] < 0 || v[2] > 255) {
        *error = where + "terrain value " + std::to_string(v[2]) + " is not a byte (0-255)";
        return false;
      }
      if (v[2] == TerrainLand || v[2] == TerrainWater) {
        *error = where + "terrain value " + std::to_string(v[2]) +
                 " is written in the map: '#' for 1, '.' for 2";
        return false;
      }
      for (const TerrainEntry& t : out->terrain) {
        if (t.column == v[0] && t.row == v[1]) {
          *error = where + "a second terrain line for (" + std::to_string(v[0]) + ", " +
                   std::to_string(v[1]) + ") (the first is line " + std::to_string(t.line) + ")";
          return false;
        }
      }
      out->terrain.push_back({lineNumber, v[0], v[1], v[2]});
    } else {
      *error = where + "unknown line '" + keyword +
               "': expected map, player, ball, platform, terrain or a '#' comment";
      return false;
    }
  }
  if (mapRowsLeft > 0) {
    *error = Where(name, lineNumber) + "the map ends after " +
             std::to_string(BoardCells - mapRowsLeft) + " rows; it needs 14";
    return false;
  }
  return true;
}

}  // namespace

bool CompileLevelText(const std::string& text, const std::string& name,
                      std::uint8_t record[LevelRecordSize], std::string* error,
                      std::vector<std::string>* warnings, int firstLine) {
  Parsed parsed;
  if (!ParseLines(text, name, firstLine, &parsed, error)) return false;
  if (!parsed.haveMap) {
    *error = name + ": no map: a level needs 'map' followed by its 14 rows";
    return false;
  }
  if (parsed.playerLine == 0) {
    *error = name + ": no player line: a level needs the Player's start ('player COLUMN ROW')";
    return false;
  }
  // The fifth ball pair is ended by the platform list's first byte, so five balls and a platform
  // cannot both be stored. Name whichever line comes second.
  if (int(parsed.balls.size()) == MaxBallsInRecord && !parsed.platforms.empty()) {
    const Entry& fifth = parsed.balls.back();
    const Entry& first = parsed.platforms.front();
    if (fifth.line > first.line) {
      *error = Where(name, fifth.line) +
               "a fifth ball: a level with platforms holds at most four balls (first platform "
               "on line " +
               std::to_string(first.line) + ")";
    } else {
      *error = Where(name, first.line) +
               "a platform in a level with five balls: a level with platforms holds at most "
               "four balls (fifth ball on line " +
               std::to_string(fifth.line) + ")";
    }
    return false;
  }
  for (const TerrainEntry& t : parsed.terrain) {
    if (parsed.map[t.row][t.column] != OtherChar) {
      *error = Where(name, t.line) + "terrain line for (" + std::to_string(t.column) + ", " +
               std::to_string(t.row) + "), which the map shows as '" +
               std::string(1, parsed.map[t.row][t.column]) + "', not '~'";
      return false;
    }
  }

  LevelLayout level;
  for (int column = 0; column < BoardCells; ++column) {
    for (int row = 0; row < BoardCells; ++row) {
      const char c = parsed.map[row][column];
      level.terrain[column][row] = c == LandChar ? TerrainLand : c == WaterChar ? TerrainWater : 0;
    }
  }
  for (const TerrainEntry& t : parsed.terrain)
    level.terrain[t.column][t.row] = std::uint8_t(t.value);
  level.startColumn = std::int8_t(parsed.player.column);
  level.startRow = std::int8_t(parsed.player.row);
  for (const Entry& b : parsed.balls) {
    level.balls[level.ballCount++] = {std::int8_t(b.column), std::int8_t(b.row)};
  }
  for (const auto& p : parsed.platforms) {
    level.platforms[level.platformCount++] = {std::int8_t(p.type), std::int8_t(p.column),
                                              std::int8_t(p.row)};
  }
  std::memset(record, ListEnd, LevelRecordSize);
  EncodeLevelRecord(level, record);

  if (warnings != nullptr) {
    for (std::size_t i = 0; i < parsed.platforms.size(); ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        if (Overlap(parsed.platforms[i], parsed.platforms[j])) {
          warnings->push_back(Where(name, parsed.platforms[i].line) +
                              "this platform overlaps the one on line " +
                              std::to_string(parsed.platforms[j].line));
        }
      }
    }
    const Entry& p = parsed.player;
    bool onPlatform = false;
    for (const Entry& platform : parsed.platforms) onPlatform |= Covers(platform, p.column, p.row);
    if (!onPlatform && level.terrain[p.column][p.row] != TerrainLand) {
      warnings->push_back(Where(name, p.line) + "the Player starts in the water");
    }
    if (parsed.balls.empty()) {
      warnings->push_back(name + ": no balls: this level can never be solved");
    }
  }
  return true;
}

namespace {

std::string CellNote(int column, int row) {
  return CellOnBoard(column, row) ? "" : "  # off the board";
}

}  // namespace

std::string DecompileLevelBytes(const std::uint8_t* bytes, std::size_t size, std::size_t fileSize) {
  TextOut out;
  if (fileSize < size) fileSize = size;
  LevelLayout level;
  DecodeLevelRecord(bytes, size, &level);
  if (level.size < std::size_t(LevelRecordSize)) {
    out << "# This file is " << level.size << " bytes, not 300. The game reads them over the "
        << "level it already holds;\n# the missing bytes are shown as '?' and end the lists.\n";
  } else if (fileSize > std::size_t(LevelRecordSize)) {
    out << "# This file is " << fileSize << " bytes, not 300; the game reads only the first 300.\n";
  }

  // Terrain.
  bool otherTerrain = false;
  out << "map  # '#' land, '.' water, '~' water stored as another byte; rows 0-13 top down\n";
  char view[BoardCells][BoardCells];
  for (int row = 0; row < BoardCells; ++row) {
    for (int column = 0; column < BoardCells; ++column) {
      const std::uint8_t t = level.terrain[column][row];
      const char c = !HasTerrainByte(level, column, row) ? MissingChar
                     : t == TerrainLand                  ? LandChar
                     : t == TerrainWater                 ? WaterChar
                                                         : OtherChar;
      otherTerrain |= c == OtherChar;
      view[row][column] = c;
      out << c;
    }
    out << "  # row " << row << "\n";
  }
  if (otherTerrain) {
    out << "# Terrain bytes other than 1 (land) and 2 (water); the game reads them as water.\n";
    for (int column = 0; column < BoardCells; ++column) {
      for (int row = 0; row < BoardCells; ++row) {
        if (view[row][column] == OtherChar) {
          out << "terrain " << column << " " << row << " " << int(level.terrain[column][row])
              << "\n";
        }
      }
    }
  }

  // The Player.
  int playerColumn = -1;
  int playerRow = -1;
  if (level.hasStart) {
    playerColumn = level.startColumn;
    playerRow = level.startRow;
    out << "player " << playerColumn << " " << playerRow << CellNote(playerColumn, playerRow)
        << "\n";
  } else {
    out << "# The Player's start is missing.\n";
  }

  // Balls, then platforms, as the game reads them.
  for (int n = 0; n < level.ballCount; ++n) {
    const LevelBall& b = level.balls[n];
    out << "ball " << int(b.column) << " " << int(b.row) << CellNote(b.column, b.row) << "\n";
  }
  if (level.ballsEnd == ListEnding::CutShort) {
    out << "# The ball list is cut short by the end of the file.\n";
  }
  if (level.ballsUnendedBy >= 0) {
    out << "# Note: five balls fill the ball area, and the byte that must then end the ball "
           "list\n# is "
        << int(bytes[level.ballsUnendedBy]) << ", not 255: the list is not properly ended.\n";
  }
  for (int n = 0; n < level.platformCount; ++n) {
    const LevelPlatform& p = level.platforms[n];
    out << "platform " << int(p.type) << " " << int(p.column) << " " << int(p.row);
    if (p.type < 0 || p.type >= PlatformTypeCount) {
      out << "  # unknown type (types are 0-8)";
    } else if (!CellOnBoard(p.column, p.row)) {
      out << "  # off the board";
    } else if (!ShapeOnBoard(p.type, p.column, p.row)) {
      out << "  # reaches off the board";
    }
    out << "\n";
  }
  if (level.platformsEnd == ListEnding::CutShort) {
    out << "# The platform list is cut short by the end of the file.\n";
  }
  if (level.platformsUnendedBy >= 0) {
    out << "# Note: byte " << level.platformsUnendedBy << " after the ninth platform is "
        << int(bytes[level.platformsUnendedBy])
        << ", not 255:\n# the list is not ended where the game's nine platforms end.\n";
  }
  // Leftovers after the lists' ends mean nothing to the game, but they explain why two files
  // that decompile alike can differ.
  if (level.leftovers) {
    out << "# Note: bytes after the lists' ends hold leftovers, which the game never reads;\n"
           "# compiling this text writes 255 there.\n";
  }

  // A picture of the whole level, for the reader.
  if (level.platformCount > 0 || level.ballCount > 0 || CellOnBoard(playerColumn, playerRow)) {
    for (int n = 0; n < level.platformCount; ++n) {
      const LevelPlatform& p = level.platforms[n];
      if (p.type < 0 || p.type >= PlatformTypeCount) continue;
      EachCoveredCell(PlatformShapeOf(p.type), p.column, p.row,
                      [&](int x, int y) { view[y][x] = char('1' + n); });
    }
    for (int n = 0; n < level.ballCount; ++n) {
      const LevelBall& b = level.balls[n];
      if (CellOnBoard(b.column, b.row)) view[int(b.row)][int(b.column)] = 'o';
    }
    if (CellOnBoard(playerColumn, playerRow)) view[playerRow][playerColumn] = 'P';
    out << "#\n# At a glance: P the Player, o a ball, 1-9 the platforms in list order.\n";
    for (int row = 0; row < BoardCells; ++row) {
      out << "#   " << std::string(view[row], view[row] + BoardCells) << "\n";
    }
  }
  return out.text;
}
