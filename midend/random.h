// The game's one source of randomness: splitmix64 from a seed, integers only, so that a seed
// gives the same numbers on every platform, compiler and build.
#pragma once

#include <cstdint>

struct Prng {
  std::uint64_t state;
};

inline Prng SeededPrng(std::uint64_t seed) {
  return Prng{seed};
}

inline std::uint64_t NextBits(Prng& prng) {
  std::uint64_t z = (prng.state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Uniform integer in [0, count); count must be positive.
inline int NextInt(Prng& prng, int count) {
  return int(NextBits(prng) % std::uint64_t(count));
}
