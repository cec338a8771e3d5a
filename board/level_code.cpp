// Puzzle codes: a record's level as bits, six to a character, with a check character.
#include "board/level_code.h"

#include <cstring>
#include <vector>

#include "board/level_record.h"
#include "board/platform_shapes.h"

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr char ShortForm = 'Y';
constexpr char LongForm = 'Z';
constexpr int Cells = BoardCells * BoardCells;
constexpr std::uint8_t TerrainLand = 1;
constexpr std::uint8_t TerrainWater = 2;
// A platform's box may stand up to two cells left of or above the board with a raft cell on it.
constexpr int CornerLow = -2;

int ValueOf(char c) {
  for (int v = 0; v < 64; ++v) {
    if (Alphabet[v] == c) return v;
  }
  return -1;
}

// Each character's value times an odd weight: any one character changed changes the sum (an odd
// number times a change of 1..63 is never a multiple of 64).
char CheckCharacter(std::string_view text) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    sum += unsigned(ValueOf(text[i])) * unsigned(2 * i + 1);
  }
  return Alphabet[sum % 64];
}

struct BitWriter {
  std::vector<bool> bits;
  void Put(unsigned value, int width) {
    for (int b = width - 1; b >= 0; --b) bits.push_back((value >> b) & 1);
  }
  std::string Characters() const {
    std::string out;
    for (std::size_t i = 0; i < bits.size(); i += 6) {
      int v = 0;
      for (std::size_t b = i; b < i + 6; ++b) v = v * 2 + (b < bits.size() && bits[b] ? 1 : 0);
      out.push_back(Alphabet[v]);
    }
    return out;
  }
};

struct BitReader {
  std::string_view text;
  std::size_t at = 0;  // bits read
  bool failed = false;
  unsigned Get(int width) {
    unsigned value = 0;
    for (int b = 0; b < width; ++b, ++at) {
      if (at / 6 >= text.size()) {
        failed = true;
        return 0;
      }
      value = value * 2 + ((ValueOf(text[at / 6]) >> (5 - at % 6)) & 1);
    }
    return value;
  }
  // True when only zero padding is left, less than one character of it.
  bool AtEnd() const {
    if (failed || text.size() != (at + 5) / 6) return false;
    return at % 6 == 0 || (ValueOf(text.back()) & ((1 << (6 - at % 6)) - 1)) == 0;
  }
};

bool OnBoardCell(int column, int row) {
  return column >= 0 && column < BoardCells && row >= 0 && row < BoardCells;
}

bool FitsShortForm(const LevelLayout& l) {
  if (!OnBoardCell(l.startColumn, l.startRow)) return false;
  for (int n = 0; n < l.ballCount; ++n) {
    if (!OnBoardCell(l.balls[n].column, l.balls[n].row)) return false;
  }
  for (int n = 0; n < l.platformCount; ++n) {
    const LevelPlatform& p = l.platforms[n];
    if (p.type < 0 || p.type >= ShapeTypes || p.column < CornerLow || p.column >= BoardCells ||
        p.row < CornerLow || p.row >= BoardCells) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string LevelCode(const std::uint8_t record[LevelRecordSize]) {
  LevelLayout l;
  DecodeLevelRecord(record, &l);
  const bool shortForm = FitsShortForm(l);
  BitWriter w;
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) w.Put(l.terrain[c][r] == TerrainLand ? 1 : 0, 1);
  }
  const auto cell = [](int column, int row) { return unsigned(column * BoardCells + row); };
  if (shortForm) {
    w.Put(cell(l.startColumn, l.startRow), 8);
  } else {
    w.Put(std::uint8_t(l.startColumn), 8);
    w.Put(std::uint8_t(l.startRow), 8);
  }
  w.Put(unsigned(l.ballCount), 3);
  for (int n = 0; n < l.ballCount; ++n) {
    if (shortForm) {
      w.Put(cell(l.balls[n].column, l.balls[n].row), 8);
    } else {
      w.Put(std::uint8_t(l.balls[n].column), 8);
      w.Put(std::uint8_t(l.balls[n].row), 8);
    }
  }
  w.Put(unsigned(l.platformCount), 4);
  for (int n = 0; n < l.platformCount; ++n) {
    const LevelPlatform& p = l.platforms[n];
    if (shortForm) {
      w.Put(unsigned(p.type), 4);
      w.Put(unsigned(p.column - CornerLow), 4);
      w.Put(unsigned(p.row - CornerLow), 4);
    } else {
      w.Put(std::uint8_t(p.type), 8);
      w.Put(std::uint8_t(p.column), 8);
      w.Put(std::uint8_t(p.row), 8);
    }
  }
  std::string code(1, shortForm ? ShortForm : LongForm);
  code += w.Characters();
  code.push_back(CheckCharacter(code));
  return code;
}

bool RecordFromCode(std::string_view code, std::uint8_t record[LevelRecordSize], std::string* why) {
  while (!code.empty() && (code.front() == ' ' || code.front() == '\t' || code.front() == '\n' ||
                           code.front() == '\r')) {
    code.remove_prefix(1);
  }
  while (!code.empty() && (code.back() == ' ' || code.back() == '\t' || code.back() == '\n' ||
                           code.back() == '\r')) {
    code.remove_suffix(1);
  }
  const auto fail = [why](const char* text) {
    if (why != nullptr) *why = text;
    return false;
  };
  if (code.size() < 3 || (code[0] != ShortForm && code[0] != LongForm)) {
    return fail("not a puzzle code");
  }
  for (const char c : code) {
    if (ValueOf(c) < 0) return fail("not a puzzle code: it has a character no code has");
  }
  if (CheckCharacter(code.substr(0, code.size() - 1)) != code.back()) {
    return fail("the code is mistyped: its check character does not match");
  }
  const bool shortForm = code[0] == ShortForm;
  BitReader in{code.substr(1, code.size() - 2)};
  LevelLayout l;
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) l.terrain[c][r] = in.Get(1) ? TerrainLand : TerrainWater;
  }
  bool fits = true;
  // One cell of the board in eight bits (short form), or two coordinate bytes.
  const auto readCell = [&](std::int8_t* column, std::int8_t* row) {
    if (shortForm) {
      const unsigned cell = in.Get(8);
      fits = fits && cell < unsigned(Cells);
      *column = std::int8_t(cell / BoardCells);
      *row = std::int8_t(cell % BoardCells);
    } else {
      *column = std::int8_t(in.Get(8));
      *row = std::int8_t(in.Get(8));
    }
  };
  readCell(&l.startColumn, &l.startRow);
  l.ballCount = int(in.Get(3));
  fits = fits && l.ballCount <= MaxBallsInRecord;
  for (int n = 0; fits && n < l.ballCount; ++n) readCell(&l.balls[n].column, &l.balls[n].row);
  l.platformCount = int(in.Get(4));
  fits = fits && l.platformCount <= MaxPlatformsInRecord;
  for (int n = 0; fits && n < l.platformCount; ++n) {
    LevelPlatform& p = l.platforms[n];
    if (shortForm) {
      p.type = std::int8_t(in.Get(4));
      p.column = std::int8_t(int(in.Get(4)) + CornerLow);
      p.row = std::int8_t(int(in.Get(4)) + CornerLow);
      fits = p.type < ShapeTypes;  // the loop runs only while fits holds
    } else {
      p.type = std::int8_t(in.Get(8));
      p.column = std::int8_t(in.Get(8));
      p.row = std::int8_t(in.Get(8));
    }
  }
  if (!fits || !in.AtEnd()) return fail("not a puzzle code: its level does not fit a record");
  // The record must read back as the code's level: a list can only hold what does not end it.
  std::uint8_t made[LevelRecordSize];
  std::memset(made, ListEnd, sizeof made);
  LevelLayout back;
  if (!EncodeLevelRecord(l, made))
    return fail("not a puzzle code: its level does not fit a record");
  DecodeLevelRecord(made, &back);
  if (!SameLevel(l, back)) return fail("not a puzzle code: its level does not fit a record");
  std::memcpy(record, made, LevelRecordSize);
  return true;
}
