// What a search keeps: compact keys of states, a set of them with open addressing, and arrays
// taken straight from the system's zeroed memory (platform/memory.h), reserved for the most
// states a search may hold and filled as it goes.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "board/level_file.h"
#include "platform/memory.h"

// A platform's position in a key is its box's top-left cell. One that has a cell on the board has
// its corner in columns and rows -2..13, and a move keeps it there; such a corner is stored as
// (column + 2) * 16 + row + 2. A platform with its corner elsewhere has no cell on the board: it
// is never stepped on and never moves, and stays out of the key.
inline constexpr int CornerLow = -2;
inline constexpr int CornerHigh = BoardCells - 1;

inline bool CornerFits(std::int64_t column, std::int64_t row) {
  return column >= CornerLow && column <= CornerHigh && row >= CornerLow && row <= CornerHigh;
}

inline std::uint8_t PackCorner(std::int64_t column, std::int64_t row) {
  return std::uint8_t((column - CornerLow) * 16 + (row - CornerLow));
}

// Sorts the corners of each group of interchangeable platforms (the key bytes they hold), so
// that states differing only in which of them stands where are one. An insertion sort: a group
// holds at most nine bytes.
inline void SortCornerGroups(const std::vector<std::vector<int>>& groups, std::uint8_t* bytes) {
  for (const std::vector<int>& group : groups) {
    for (std::size_t i = 1; i < group.size(); ++i) {
      const std::uint8_t v = bytes[group[i]];
      std::size_t j = i;
      for (; j > 0 && bytes[group[j - 1]] > v; --j) bytes[group[j]] = bytes[group[j - 1]];
      bytes[group[j]] = v;
    }
  }
}

// A state in 16 bytes; all zero is no state (a search's first byte is never 0).
struct SearchKey {
  std::uint8_t bytes[16];
};

inline std::uint64_t KeyWord(const SearchKey& key, int at) {
  std::uint64_t w;
  std::memcpy(&w, key.bytes + at, sizeof w);
  return w;
}

inline bool SameKey(const SearchKey& a, const SearchKey& b) {
  return KeyWord(a, 0) == KeyWord(b, 0) && KeyWord(a, 8) == KeyWord(b, 8);
}

// A hash of a key's two words (the region search's keys have one of 64 bits and one of 32).
inline std::uint64_t HashWords(std::uint64_t first, std::uint64_t second) {
  std::uint64_t h = first * 0x9E3779B97F4A7C15ull;
  h ^= (second + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
  h ^= h >> 31;
  h *= 0xD6E8FEB86659FD93ull;
  return h ^ (h >> 29);
}

inline std::uint64_t HashKey(const SearchKey& key) {
  return HashWords(KeyWord(key, 0), KeyWord(key, 8));
}

template <typename T>
struct MappedArray {
  T* data = nullptr;
  std::size_t bytes = 0;

  MappedArray() = default;
  MappedArray(const MappedArray&) = delete;
  MappedArray& operator=(const MappedArray&) = delete;
  ~MappedArray() { platform::ReleaseReserved(data, bytes); }
};

// False when the memory cannot be had. `random`: the array is touched at random, not filled in
// order from its start.
template <typename T>
bool MapArray(MappedArray<T>* array, std::uint64_t count, bool random = false) {
  platform::ReleaseReserved(array->data, array->bytes);
  array->data = nullptr;
  array->bytes = 0;
  if (count == 0 || count > SIZE_MAX / sizeof(T)) return false;
  const std::size_t bytes = std::size_t(count) * sizeof(T);
  void* p = platform::ReserveZeroed(bytes, random);
  if (p == nullptr) return false;
  array->data = static_cast<T*>(p);
  array->bytes = bytes;
  return true;
}

template <typename T>
void SwapArrays(MappedArray<T>* a, MappedArray<T>* b) {
  std::swap(a->data, b->data);
  std::swap(a->bytes, b->bytes);
}

// Open addressing with linear probing; keys are stored whole, so a probe costs one cache line.
// With ids, each key has the index of its state beside it. The table is kept at most 70 % full.
struct KeySet {
  MappedArray<SearchKey> slots;
  MappedArray<std::uint32_t> ids;
  bool withIds = false;
  std::uint64_t mask = 0;
  std::uint64_t count = 0;
};

// False when the memory cannot be had.
bool InitKeySet(KeySet* set, std::uint64_t capacity, bool withIds);
// The slot that holds the key, or the empty one where it would go.
std::uint64_t FindSlot(const KeySet& set, const SearchKey& key, std::uint64_t hash);
inline bool EmptySlot(const SearchKey& key) {
  return key.bytes[0] == 0;
}
// Doubles the table; false when the memory cannot be had (the table is then unchanged).
bool GrowKeySet(KeySet* set);
// Room for one more key, growing the table when needed; false when the memory cannot be had.
inline bool RoomForOneMore(KeySet* set) {
  return (set->count + 1) * 10 <= (set->mask + 1) * 7 || GrowKeySet(set);
}
inline void PrefetchKey(const KeySet& set, std::uint64_t hash) {
  __builtin_prefetch(&set.slots.data[hash & set.mask]);
}
