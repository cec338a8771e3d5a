// How the search keeps its states: keys, the stored states packed to the bytes a level needs,
// hash tables of their indices, and the queue by moves plus estimate. Every array grows in
// blocks or by half again, never doubling, and says when memory cannot be had instead of
// throwing. Only midend/search.cpp includes it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "board/level_record.h"
#include "midend/search_table.h"

namespace search_store {

// A key: byte 0 the Player's cell (column * 14 + row) + 1 (0 marks no key), byte 1 the balls
// still lying (bit n for ball n), bytes 2.. one corner per platform that can ever move or be
// stepped on, the rest 0.
struct alignas(4) Key {
  std::uint8_t b[12];
};
static_assert(MaxPlatformsInRecord + 2 <= 12);
constexpr int PlayerByte = 0;
constexpr int BallsByte = 1;
constexpr int FirstPlatformByte = 2;

inline std::uint32_t Word(const Key& k, int i) {
  std::uint32_t w;
  std::memcpy(&w, k.b + 4 * i, 4);
  return w;
}
inline bool SameKey(const Key& a, const Key& b) {
  return Word(a, 0) == Word(b, 0) && Word(a, 1) == Word(b, 1) && Word(a, 2) == Word(b, 2);
}
inline std::uint64_t HashKey(const Key& k) {
  return HashWords(std::uint64_t(Word(k, 0)) | std::uint64_t(Word(k, 1)) << 32, Word(k, 2));
}

// A growing array in memory of its own: false when the memory cannot be had.
template <typename T>
struct Buffer {
  T* data = nullptr;
  std::size_t size = 0, capacity = 0;
  // Room for n, grown by half again each time (with exact, n itself).
  bool Reserve(std::size_t n, bool exact = false) {
    if (n <= capacity) return true;
    std::size_t c = capacity == 0 ? 1024 : capacity;
    while (c < n) c += c / 2;
    if (exact) c = n;
    void* p = std::realloc(data, c * sizeof(T));
    if (p == nullptr) return false;
    data = static_cast<T*>(p);
    capacity = c;
    return true;
  }
  void Free() {
    std::free(data);
    data = nullptr;
    size = capacity = 0;
  }
};

// Records of `stride` bytes in blocks of 2^Shift: growing never copies and leaves at most one
// block unused. Each block has 16 bytes to spare at its end, so that a whole Key may be read
// from any record.
template <int Shift>
struct Blocks {
  static constexpr std::size_t PerBlock = std::size_t(1) << Shift;
  Buffer<std::uint8_t*> blocks;
  std::size_t size = 0;
  std::size_t stride = 0;  // the blocks' stride; they are made again when it changes

  std::uint8_t* At(std::size_t i) const {
    return blocks.data[i >> Shift] + (i & (PerBlock - 1)) * stride;
  }
  // Room for one more record; false when the memory cannot be had.
  bool Room() {
    if (size < blocks.size * PerBlock) return true;
    if (!blocks.Reserve(blocks.size + 1)) return false;
    void* block = std::malloc(PerBlock * stride + 16);
    if (block == nullptr) return false;
    blocks.data[blocks.size++] = static_cast<std::uint8_t*>(block);
    return true;
  }
  // Empties it for records of `newStride` bytes, keeping at most `keep` blocks.
  void Clear(std::size_t newStride, std::size_t keep) {
    if (newStride != stride) keep = 0;
    while (blocks.size > keep) std::free(blocks.data[--blocks.size]);
    if (blocks.size == 0) blocks.Free();
    stride = newStride;
    size = 0;
  }
  std::size_t Bytes() const {
    return blocks.size * (PerBlock * stride + 16) + blocks.capacity * sizeof(std::uint8_t*);
  }
};

// Plain records in blocks.
template <typename T, int Shift>
struct RecordBlocks : Blocks<Shift> {
  RecordBlocks() { this->stride = sizeof(T); }
  T& operator[](std::size_t i) const { return *reinterpret_cast<T*>(this->At(i)); }
  void Clear(std::size_t keep) { Blocks<Shift>::Clear(sizeof(T), keep); }
};

// Open addressing of indices + 1 (0 an empty slot) with linear probing, kept between half and
// four fifths full: its size is any number, not a power of two.
struct IndexTable {
  Buffer<std::uint32_t> slots;

  std::uint64_t Home(std::uint64_t hash) const {
    return std::uint64_t((unsigned __int128)hash * slots.capacity >> 64);
  }
  // The slot holding an index whose record `same` accepts, or the empty one where it would go.
  template <typename Same>
  std::uint64_t Find(std::uint64_t hash, Same same) const {
    std::uint64_t i = Home(hash);
    while (slots.data[i] != 0 && !same(slots.data[i] - 1)) {
      if (++i == slots.capacity) i = 0;
    }
    return i;
  }
  // Room for one more of `count` indices, the table made again and filled with `hashOf(index)`
  // when it would be too full; false when the memory cannot be had.
  template <typename HashOf>
  bool Room(std::size_t count, HashOf hashOf) {
    return (slots.capacity != 0 && (count + 1) * 5 <= slots.capacity * 4) || Grow(count, hashOf);
  }
  template <typename HashOf>
  [[gnu::noinline]] bool Grow(std::size_t count, HashOf hashOf) {
    Buffer<std::uint32_t> bigger;
    const std::size_t want = slots.capacity == 0 ? 4093 : slots.capacity + slots.capacity / 2;
    if (!bigger.Reserve(want, true)) return false;
    std::memset(bigger.data, 0, bigger.capacity * 4);
    slots.Free();
    slots = bigger;
    for (std::size_t n = 0; n < count; ++n) {
      std::uint64_t i = Home(hashOf(n));
      while (slots.data[i] != 0) {
        if (++i == slots.capacity) i = 0;
      }
      slots.data[i] = std::uint32_t(n + 1);
    }
    return true;
  }
  // Empties it, keeping its memory only if it is not larger than `keep` slots.
  void Clear(std::size_t keep) {
    if (slots.capacity > keep) slots.Free();
    if (slots.capacity > 0) std::memset(slots.data, 0, slots.capacity * 4);
  }
  std::size_t Bytes() const { return slots.capacity * 4; }
};

// The states waiting, by a number the search gives them (moves plus estimate, then estimate): a
// stack for each number, in blocks of indices taken from one pool; a block emptied goes back to
// the pool. Blocks are small (1 KB), as many numbers hold only a few states.
struct OpenQueue {
  static constexpr std::uint32_t PerBlock = 254;
  struct Block {
    std::uint32_t below;  // the block under it in its stack, + 1
    std::uint32_t count;
    std::uint32_t index[PerBlock];
  };
  Buffer<Block*> pool;           // every block made
  std::uint32_t spare = 0;       // the first spare block + 1, spares linked through `below`
  Buffer<std::uint32_t> top;     // per sum: its stack's top block + 1, 0 empty
  Buffer<std::uint64_t> filled;  // a bit per sum: 1 where its stack is not empty

  bool Push(std::size_t sum, std::uint32_t index) {
    if (sum >= top.size) {
      const std::size_t words = sum / 64 + 1;
      if (!top.Reserve(sum + 1) || !filled.Reserve(words)) return false;
      std::memset(top.data + top.size, 0, (sum + 1 - top.size) * 4);
      if (words > filled.size) std::memset(filled.data + filled.size, 0, (words - filled.size) * 8);
      top.size = sum + 1;
      filled.size = std::max(filled.size, words);
    }
    filled.data[sum / 64] |= std::uint64_t(1) << (sum % 64);
    std::uint32_t b = top.data[sum];
    if (b == 0 || pool.data[b - 1]->count == PerBlock) {
      std::uint32_t fresh = spare;
      if (fresh != 0) {
        spare = pool.data[fresh - 1]->below;
      } else {
        if (!pool.Reserve(pool.size + 1)) return false;
        void* block = std::malloc(sizeof(Block));
        if (block == nullptr) return false;
        pool.data[pool.size++] = static_cast<Block*>(block);
        fresh = std::uint32_t(pool.size);
      }
      pool.data[fresh - 1]->below = b;
      pool.data[fresh - 1]->count = 0;
      top.data[sum] = b = fresh;
    }
    Block* block = pool.data[b - 1];
    block->index[block->count++] = index;
    return true;
  }
  // The first sum from `from` on whose stack is not empty; top.size when there is none.
  std::size_t NextFilled(std::size_t from) const {
    if (from >= top.size) return top.size;
    std::size_t word = from / 64;
    std::uint64_t bits = filled.data[word] & (~std::uint64_t(0) << (from % 64));
    while (bits == 0) {
      if (++word >= filled.size) return top.size;
      bits = filled.data[word];
    }
    return word * 64 + std::size_t(__builtin_ctzll(bits));
  }
  // The last index pushed at the sum, taken off (the sum's stack must not be empty).
  std::uint32_t Pop(std::size_t sum) {
    const std::uint32_t b = top.data[sum];
    Block* block = pool.data[b - 1];
    const std::uint32_t index = block->index[--block->count];
    if (block->count == 0) {
      top.data[sum] = block->below;
      if (block->below == 0) filled.data[sum / 64] &= ~(std::uint64_t(1) << (sum % 64));
      block->below = spare;
      spare = b;
    }
    return index;
  }
  // Empties it, keeping at most `keep` blocks.
  void Clear(std::size_t keep) {
    while (pool.size > keep) std::free(pool.data[--pool.size]);
    if (pool.size == 0) pool.Free();
    spare = 0;
    for (std::size_t b = pool.size; b > 0; --b) {
      pool.data[b - 1]->below = spare;
      spare = std::uint32_t(b);
    }
    top.size = filled.size = 0;
  }
  std::size_t Bytes() const {
    return pool.size * sizeof(Block) + pool.capacity * sizeof(Block*) + top.capacity * 4 +
           filled.capacity * 8;
  }
  void Free() {
    Clear(0);
    top.Free();
    filled.Free();
  }
};

}  // namespace search_store
