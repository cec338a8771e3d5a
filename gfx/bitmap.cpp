#include "gfx/bitmap.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/byte_order.h"
#include "platform/files.h"

namespace {

constexpr std::size_t FileHeaderBytes = 14;
constexpr std::uint32_t MinInfoHeaderBytes = 40;
// The largest image's pixels with row padding, and room for what may follow them.
constexpr std::size_t MaxBitmapFileBytes = 256u << 20;

using platform::Get16;
using platform::Get32;

}  // namespace

std::uint32_t LoadBitmapFile(BitmapFile* bitmap, const char* fileName) {
  if (bitmap == nullptr || fileName == nullptr) return 0;
  std::vector<std::uint8_t> file;
  if (!platform::ReadWholeFile(fileName, MaxBitmapFileBytes, &file)) return 0;
  if (file.size() < FileHeaderBytes + MinInfoHeaderBytes) return 0;

  const std::uint8_t* f = file.data();
  BitmapFileHeader fh;
  fh.type = Get16(f);
  fh.fileSize = Get32(f + 2);
  fh.reserved1 = Get16(f + 6);
  fh.reserved2 = Get16(f + 8);
  fh.pixelOffset = Get32(f + 10);
  const std::uint8_t* i = f + FileHeaderBytes;
  BitmapInfoHeader ih;
  ih.headerSize = Get32(i);
  ih.width = std::int32_t(Get32(i + 4));
  ih.height = std::int32_t(Get32(i + 8));
  ih.planes = Get16(i + 12);
  ih.bitCount = Get16(i + 14);
  ih.compression = Get32(i + 16);
  ih.imageSize = Get32(i + 20);
  ih.xPixelsPerMeter = std::int32_t(Get32(i + 24));
  ih.yPixelsPerMeter = std::int32_t(Get32(i + 28));
  ih.coloursUsed = Get32(i + 32);
  ih.coloursImportant = Get32(i + 36);

  // Later header versions (V4, V5) only add fields after the first 40 bytes.
  if (fh.type != 0x4D42 || ih.headerSize < MinInfoHeaderBytes ||
      ih.headerSize > file.size() - FileHeaderBytes) {
    return 0;
  }
  if (ih.bitCount != 24 || ih.compression != 0) return 0;
  if (ih.width < 1 || ih.width > MaxBitmapSide) return 0;
  // A negative height marks rows stored top row first.
  if (ih.height == 0 || ih.height < -MaxBitmapSide || ih.height > MaxBitmapSide) return 0;
  const bool bottomUp = ih.height > 0;
  const std::int32_t height = bottomUp ? ih.height : -ih.height;

  // Rows in the file are padded to whole 4-byte words; the last row's padding may be missing.
  const std::size_t rowBytes = std::size_t(ih.width) * 3;
  const std::size_t fileRowBytes = (rowBytes + 3) & ~std::size_t(3);
  const std::size_t dataBytes = fileRowBytes * std::size_t(height - 1) + rowBytes;
  if (fh.pixelOffset < FileHeaderBytes + ih.headerSize || fh.pixelOffset > file.size() ||
      file.size() - fh.pixelOffset < dataBytes) {
    return 0;
  }

  std::vector<std::uint8_t> pixels(rowBytes * std::size_t(height));
  for (std::int32_t row = 0; row < height; ++row) {
    std::memcpy(&pixels[rowBytes * std::size_t(row)],
                f + fh.pixelOffset + fileRowBytes * std::size_t(row), rowBytes);
  }
  if (bottomUp) FlipBitmapRows(pixels.data(), std::int32_t(rowBytes), height);

  // The record describes what it holds now: top-down 24-bit rows without padding.
  ih.height = height;
  ih.imageSize = std::uint32_t(rowBytes * std::size_t(height));
  bitmap->fileHeader = fh;
  bitmap->infoHeader = ih;
  bitmap->pixels = std::move(pixels);
  return 1;
}

std::uint32_t UnloadBitmapFile(BitmapFile* bitmap) {
  if (bitmap == nullptr) return 0;
  std::vector<std::uint8_t>().swap(bitmap->pixels);
  return 1;
}

std::uint32_t FlipBitmapRows(std::uint8_t* buffer, std::int32_t rowBytes, std::int32_t rowCount) {
  if (buffer == nullptr || rowBytes <= 0 || rowCount <= 1) return 1;
  const std::size_t n = std::size_t(rowBytes);
  for (std::int32_t top = 0, bottom = rowCount - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(buffer + n * std::size_t(top), buffer + n * std::size_t(top + 1),
                     buffer + n * std::size_t(bottom));
  }
  return 1;
}
