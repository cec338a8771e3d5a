// Little-endian fields, as the game's file formats (BMP, RIFF WAV) store them.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

inline std::uint16_t Get16(const std::uint8_t* p) {
  return std::uint16_t(p[0] | p[1] << 8);
}

inline std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace platform
