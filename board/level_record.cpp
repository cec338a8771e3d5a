#include "board/level_record.h"

#include <algorithm>
#include <cstring>

namespace {

//   0..195    terrain, column by column (byte c * 14 + r)
//   196, 197  Player start column and row
//   198..207  ball list: (column, row) pairs
//   208..299  platform list: (type, column, row) triples
constexpr std::size_t StartByte = 196;
constexpr std::size_t BallListByte = 198;
constexpr std::size_t PlatformListByte = 208;
constexpr std::size_t ClearEndByte = 224;  // one past the last byte a clear sets

static_assert(BoardCells * BoardCells == StartByte);
static_assert(BallListByte + 2 * MaxBallsInRecord == PlatformListByte);
static_assert(PlatformListByte + 3 * MaxPlatformsInRecord < std::size_t(LevelRecordSize),
              "nine platforms and their list's end fit the record");

std::size_t TerrainIndex(int column, int row) {
  return std::size_t(column * BoardCells + row);
}

}  // namespace

void DecodeLevelRecord(const std::uint8_t* bytes, std::size_t size, LevelLayout* out) {
  LevelLayout& l = *out;
  l = LevelLayout{};
  if (size > std::size_t(LevelRecordSize)) size = LevelRecordSize;
  l.size = size;
  auto has = [size](std::size_t at) { return at < size; };

  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      if (has(TerrainIndex(c, r))) l.terrain[c][r] = bytes[TerrainIndex(c, r)];
    }
  }
  l.hasStart = has(StartByte + 1);
  if (l.hasStart) {
    l.startColumn = std::int8_t(bytes[StartByte]);
    l.startRow = std::int8_t(bytes[StartByte + 1]);
  }

  std::size_t at = BallListByte;
  l.ballsEnd = ListEnding::Full;
  for (; l.ballCount < MaxBallsInRecord; at += 2) {
    if (!has(at) || (bytes[at] != ListEnd && !has(at + 1))) {
      l.ballsEnd = ListEnding::CutShort;
      break;
    }
    if (bytes[at] == ListEnd) {
      l.ballsEnd = ListEnding::Terminator;
      break;
    }
    l.balls[l.ballCount++] = {std::int8_t(bytes[at]), std::int8_t(bytes[at + 1])};
  }
  const std::size_t ballEnd = at;
  if (l.ballsEnd == ListEnding::Full && has(at) && bytes[at] != ListEnd) {
    l.ballsUnendedBy = int(at);
  }

  at = PlatformListByte;
  l.platformsEnd = ListEnding::Full;
  for (; l.platformCount < MaxPlatformsInRecord; at += 3) {
    if (!has(at) || (bytes[at] != ListEnd && !has(at + 2))) {
      l.platformsEnd = ListEnding::CutShort;
      break;
    }
    if (bytes[at] == ListEnd) {
      l.platformsEnd = ListEnding::Terminator;
      break;
    }
    l.platforms[l.platformCount++] = {std::int8_t(bytes[at]), std::int8_t(bytes[at + 1]),
                                      std::int8_t(bytes[at + 2])};
  }
  if (l.platformsEnd == ListEnding::Full && has(at) && bytes[at] != ListEnd) {
    l.platformsUnendedBy = int(at);
  }

  for (std::size_t i = ballEnd + 1; i < PlatformListByte && has(i); ++i) {
    l.leftovers |= bytes[i] != ListEnd;
  }
  for (std::size_t i = at + 1; has(i); ++i) l.leftovers |= bytes[i] != ListEnd;
}

std::uint8_t* TerrainColumn(std::uint8_t record[LevelRecordSize], int column) {
  return record + TerrainIndex(column, 0);
}

const std::uint8_t* TerrainColumn(const std::uint8_t record[LevelRecordSize], int column) {
  return record + TerrainIndex(column, 0);
}

bool HasTerrainByte(const LevelLayout& layout, int column, int row) {
  return column >= 0 && column < BoardCells && row >= 0 && row < BoardCells &&
         TerrainIndex(column, row) < layout.size;
}

bool EncodeLevelRecord(const LevelLayout& layout, std::uint8_t record[LevelRecordSize]) {
  const int balls = layout.ballCount, platforms = layout.platformCount;
  if (balls < 0 || platforms < 0 || balls > MaxBallsInRecord || platforms > MaxPlatformsInRecord) {
    return false;
  }
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) record[TerrainIndex(c, r)] = layout.terrain[c][r];
  }
  record[StartByte] = std::uint8_t(layout.startColumn);
  record[StartByte + 1] = std::uint8_t(layout.startRow);
  std::size_t at = BallListByte;
  for (int n = 0; n < balls; ++n, at += 2) {
    record[at] = std::uint8_t(layout.balls[n].column);
    record[at + 1] = std::uint8_t(layout.balls[n].row);
  }
  if (at < PlatformListByte) record[at] = ListEnd;
  at = PlatformListByte;
  for (int n = 0; n < platforms; ++n, at += 3) {
    record[at] = std::uint8_t(layout.platforms[n].type);
    record[at + 1] = std::uint8_t(layout.platforms[n].column);
    record[at + 2] = std::uint8_t(layout.platforms[n].row);
  }
  record[at] = ListEnd;
  return true;
}

void LeaveOutObject(LevelLayout* layout, int n) {
  if (n < layout->ballCount) {
    std::copy(layout->balls + n + 1, layout->balls + layout->ballCount, layout->balls + n);
    --layout->ballCount;
    return;
  }
  n -= layout->ballCount;
  std::copy(layout->platforms + n + 1, layout->platforms + layout->platformCount,
            layout->platforms + n);
  --layout->platformCount;
}

void ClearLevelObjects(std::uint8_t record[LevelRecordSize]) {
  std::memset(record + StartByte, ListEnd, ClearEndByte - StartByte);
}

std::uint64_t LevelKey(const std::uint8_t record[LevelRecordSize]) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (int i = 0; i < LevelRecordSize; ++i) h = (h ^ record[i]) * 0x100000001B3ull;
  return h;
}

bool SameLevel(const LevelLayout& a, const LevelLayout& b) {
  if (std::memcmp(a.terrain, b.terrain, sizeof a.terrain) != 0) return false;
  if (a.startColumn != b.startColumn || a.startRow != b.startRow) return false;
  if (a.ballCount != b.ballCount || a.platformCount != b.platformCount) return false;
  for (int n = 0; n < a.ballCount; ++n) {
    if (!(a.balls[n] == b.balls[n])) return false;
  }
  for (int n = 0; n < a.platformCount; ++n) {
    if (!(a.platforms[n] == b.platforms[n])) return false;
  }
  return true;
}
