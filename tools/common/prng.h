// The content tools' one source of randomness: a small fixed-seed generator, so that every run
// of a tool writes the same bytes.
#pragma once

#include <cstdint>

#include "midend/random.h"

// Uniform in [0, 1).
inline double NextUnit(Prng& prng) {
  return double(NextBits(prng) >> 11) * 0x1.0p-53;
}

// Uniform in [low, high).
inline double NextRange(Prng& prng, double low, double high) {
  return low + (high - low) * NextUnit(prng);
}
