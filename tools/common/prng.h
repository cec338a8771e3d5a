// The content tools' one source of randomness: a small fixed-seed generator, so that every run
// of a tool writes the same bytes.
#pragma once

#include <cstdint>

struct Prng {
  std::uint64_t state;
};

inline Prng SeededPrng(std::uint64_t seed) {
  return Prng{seed};
}

// splitmix64: good enough for noise and texture, and identical on every platform.
inline std::uint64_t NextBits(Prng& prng) {
  std::uint64_t z = (prng.state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Uniform in [0, 1).
inline double NextUnit(Prng& prng) {
  return double(NextBits(prng) >> 11) * 0x1.0p-53;
}

// Uniform in [low, high).
inline double NextRange(Prng& prng, double low, double high) {
  return low + (high - low) * NextUnit(prng);
}

// Uniform integer in [0, count); count must be positive.
inline int NextInt(Prng& prng, int count) {
  return int(NextBits(prng) % std::uint64_t(count));
}
