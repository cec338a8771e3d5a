// Windows bitmap files, read into memory as top-down rows of 24-bit pixels (blue, green, red).
#pragma once

#include <cstdint>
#include <vector>

struct BitmapFileHeader {
  std::uint16_t type;  // "BM"
  std::uint32_t fileSize;
  std::uint16_t reserved1;
  std::uint16_t reserved2;
  std::uint32_t pixelOffset;
};

struct BitmapInfoHeader {
  std::uint32_t headerSize;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t planes;
  std::uint16_t bitCount;
  std::uint32_t compression;
  std::uint32_t imageSize;
  std::int32_t xPixelsPerMeter;
  std::int32_t yPixelsPerMeter;
  std::uint32_t coloursUsed;
  std::uint32_t coloursImportant;
};

inline constexpr std::int32_t MaxBitmapSide = 8192;

struct BitmapFile {
  BitmapFileHeader fileHeader;
  // As read, except that once loaded height is positive (the rows below are top-down whatever
  // the file's order), bitCount is 24 and imageSize is the byte size of pixels.
  BitmapInfoHeader infoHeader;
  // height rows, top row first, 3 x width bytes each, no padding. Empty when not loaded.
  std::vector<std::uint8_t> pixels;
};

// 1 on success. 0 for a file that cannot be opened or is not an uncompressed 24-bit image of
// 1..8192 pixels each way with all its pixel data; the record is then unchanged. Honours the
// file's pixel-data offset and row padding, information headers of 40 bytes and longer, and
// both bottom-up and top-down (negative height) row order.
std::uint32_t LoadBitmapFile(BitmapFile* bitmap, const char* fileName);
std::uint32_t UnloadBitmapFile(BitmapFile* bitmap);
// Reverses the order of rowCount rows of rowBytes bytes each.
std::uint32_t FlipBitmapRows(std::uint8_t* buffer, std::int32_t rowBytes, std::int32_t rowCount);
