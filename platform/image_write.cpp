#include "platform/image_write.h"

#include <vector>

#include "platform/byte_order.h"
#include "platform/files.h"

namespace platform {
bool WriteBmp24(const char* path, const Surface& image, std::string* why) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != std::size_t(image.width) * std::size_t(image.height)) {
    return false;
  }
  const std::uint32_t rowBytes = (std::uint32_t(image.width) * 3 + 3) & ~3u;
  const std::uint32_t dataBytes = rowBytes * std::uint32_t(image.height);
  std::vector<std::uint8_t> out;
  out.reserve(54 + dataBytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + dataBytes);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, std::uint32_t(image.width));
  Put32(out, std::uint32_t(image.height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, dataBytes);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint32_t* row = &image.pixels[std::size_t(y) * std::size_t(image.width)];
    for (int x = 0; x < image.width; ++x) {
      out.push_back(std::uint8_t(row[x]));
      out.push_back(std::uint8_t(row[x] >> 8));
      out.push_back(std::uint8_t(row[x] >> 16));
    }
    for (std::uint32_t pad = std::uint32_t(image.width) * 3; pad < rowBytes; ++pad)
      out.push_back(0);
  }
  return ReplaceFileAtomically(path, out.data(), out.size(), why);
}

}  // namespace platform
