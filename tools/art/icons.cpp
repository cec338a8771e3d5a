// The program's icon, the Player figure smoothed at every size the desktops ask for: PNG files
// for the Linux icon theme, an SVG for any other size, and the Windows .ico.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "platform/files.h"
#include "tools/art/art.h"
#include "tools/art/figure.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// side x side pixels, 4 bytes each: red, green, blue, alpha.
struct Rgba {
  int side;
  Bytes pixels;
};

// Each pixel is the mean of 4 x 4 samples of the figure scaled to fill the icon.
Rgba PaintIcon(int side) {
  constexpr int N = 4;
  const Figure& figure = PlayerFigure();
  const double scale = double(PieceSide) / side;
  Rgba icon{side, Bytes(std::size_t(side) * std::size_t(side) * 4, 0)};
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      double sum[3] = {0, 0, 0};
      int covered = 0;
      for (int j = 0; j < N; ++j) {
        for (int i = 0; i < N; ++i) {
          const auto c = FigureColourAt(figure, (x + (i + 0.5) / N) * scale - 0.5,
                                        (y + (j + 0.5) / N) * scale - 0.5);
          if (!c) continue;
          const std::uint32_t p = Pack(*c);
          sum[0] += p >> 16 & 255;
          sum[1] += p >> 8 & 255;
          sum[2] += p & 255;
          ++covered;
        }
      }
      if (covered == 0) continue;
      std::uint8_t* out = &icon.pixels[(std::size_t(y) * std::size_t(side) + std::size_t(x)) * 4];
      for (int k = 0; k < 3; ++k) out[k] = std::uint8_t(sum[k] / covered + 0.5);
      out[3] = std::uint8_t((covered * 255 + N * N / 2) / (N * N));
    }
  }
  return icon;
}

void PutBig32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = crc & 1 ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

// A deflate stream of one block with the fixed Huffman codes, repeats found through a hash of
// the next three bytes: enough for pictures of flat colours on a transparent ground.
class Deflater {
 public:
  Bytes Compress(const Bytes& in) {
    Bits(1, 1);  // the last block
    Bits(1, 2);  // fixed codes
    std::vector<int> head(1 << 15, -1), previous(in.size(), -1);
    auto hash = [&](std::size_t i) { return (in[i] << 10 ^ in[i + 1] << 5 ^ in[i + 2]) & 0x7FFF; };
    for (std::size_t i = 0; i < in.size();) {
      int bestLength = 0, bestDistance = 0;
      if (i + 3 <= in.size()) {
        const int h = hash(i);
        for (int at = head[h], tries = 0; at >= 0 && tries < 64; at = previous[at], ++tries) {
          const int distance = int(i) - at;
          if (distance > 32768) break;
          int length = 0;
          while (length < 258 && i + length < in.size() && in[at + length] == in[i + length])
            ++length;
          if (length > bestLength) bestLength = length, bestDistance = distance;
        }
      }
      const std::size_t step = bestLength >= 3 ? std::size_t(bestLength) : 1;
      if (step == 1)
        Symbol(in[i]);
      else
        Match(bestLength, bestDistance);
      for (std::size_t k = 0; k < step; ++k, ++i) {
        if (i + 3 > in.size()) continue;
        const int h = hash(i);
        previous[i] = head[h];
        head[h] = int(i);
      }
    }
    Symbol(256);
    if (count_ > 0) out_.push_back(std::uint8_t(buffer_));
    return out_;
  }

 private:
  void Bits(std::uint32_t value, int n) {  // least significant bit first
    buffer_ |= value << count_;
    count_ += n;
    while (count_ >= 8) {
      out_.push_back(std::uint8_t(buffer_));
      buffer_ >>= 8;
      count_ -= 8;
    }
  }
  void Code(std::uint32_t code, int n) {  // Huffman codes go most significant bit first
    std::uint32_t reversed = 0;
    for (int k = 0; k < n; ++k) reversed |= (code >> k & 1) << (n - 1 - k);
    Bits(reversed, n);
  }
  void Symbol(int s) {
    if (s < 144)
      Code(0x30 + s, 8);
    else if (s < 256)
      Code(0x190 + s - 144, 9);
    else if (s < 280)
      Code(s - 256, 7);
    else
      Code(0xC0 + s - 280, 8);
  }
  void Match(int length, int distance) {
    int code = 0, base = 3;
    auto lengthExtra = [](int c) { return c < 8 || c == 28 ? 0 : (c - 4) / 4; };
    if (length == 258)
      code = 28;
    else
      while (base + (1 << lengthExtra(code)) <= length) base += 1 << lengthExtra(code++);
    Symbol(257 + code);
    Bits(std::uint32_t(length - (code == 28 ? 258 : base)), lengthExtra(code));
    int d = 0, dbase = 1;
    auto distanceExtra = [](int c) { return c < 4 ? 0 : (c - 2) / 2; };
    while (dbase + (1 << distanceExtra(d)) <= distance) dbase += 1 << distanceExtra(d++);
    Code(std::uint32_t(d), 5);
    Bits(std::uint32_t(distance - dbase), distanceExtra(d));
  }

  Bytes out_;
  std::uint32_t buffer_ = 0;
  int count_ = 0;
};

Bytes Png(const Rgba& icon) {
  Bytes raw;  // each row behind its filter byte, 0: none
  const std::size_t row = std::size_t(icon.side) * 4;
  for (int y = 0; y < icon.side; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), icon.pixels.begin() + std::ptrdiff_t(y * row),
               icon.pixels.begin() + std::ptrdiff_t((y + 1) * row));
  }
  std::uint32_t a = 1, b = 0;  // Adler-32
  for (std::uint8_t v : raw) a = (a + v) % 65521, b = (b + a) % 65521;
  Bytes zlib{0x78, 0x01};
  const Bytes deflated = Deflater().Compress(raw);
  zlib.insert(zlib.end(), deflated.begin(), deflated.end());
  PutBig32(zlib, b << 16 | a);

  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&](const char* type, const Bytes& data) {
    PutBig32(png, std::uint32_t(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig32(png, Crc32(&png[start], png.size() - start));
  };
  Bytes header;
  PutBig32(header, std::uint32_t(icon.side));
  PutBig32(header, std::uint32_t(icon.side));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  chunk("IHDR", header);
  chunk("IDAT", zlib);
  chunk("IEND", {});
  return png;
}

// An icon image as Windows stores it in a .ico: a bitmap header of twice the height, the BGRA
// rows bottom up, then the transparency mask.
Bytes IcoBitmap(const Rgba& icon) {
  const int side = icon.side, maskRow = (side + 31) / 32 * 4;
  Bytes out;
  for (std::uint32_t v : {40u, std::uint32_t(side), std::uint32_t(side * 2)})
    platform::Put32(out, v);
  platform::Put16(out, 1);
  platform::Put16(out, 32);
  for (int i = 0; i < 6; ++i) platform::Put32(out, 0);
  Bytes mask(std::size_t(maskRow * side), 0);
  for (int y = side - 1; y >= 0; --y) {
    for (int x = 0; x < side; ++x) {
      const std::uint8_t* p = &icon.pixels[std::size_t(y * side + x) * 4];
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
      if (p[3] == 0) mask[std::size_t((side - 1 - y) * maskRow + x / 8)] |= 0x80 >> (x % 8);
    }
  }
  out.insert(out.end(), mask.begin(), mask.end());
  return out;
}

// The small images as bitmaps, which every Windows reads; the large one as PNG (Vista on).
Bytes Ico() {
  std::vector<std::pair<int, Bytes>> images;
  for (int side : {16, 24, 32, 48}) images.emplace_back(side, IcoBitmap(PaintIcon(side)));
  images.emplace_back(256, Png(PaintIcon(256)));
  Bytes ico;
  for (std::uint32_t v : {0u, 1u, std::uint32_t(images.size())}) platform::Put16(ico, v);
  std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
  for (const auto& [side, bytes] : images) {
    ico.insert(ico.end(), {std::uint8_t(side & 255), std::uint8_t(side & 255), 0, 0});
    platform::Put16(ico, 1);  // planes
    platform::Put16(ico, 32);
    platform::Put32(ico, std::uint32_t(bytes.size()));
    platform::Put32(ico, offset);
    offset += std::uint32_t(bytes.size());
  }
  for (const auto& image : images) ico.insert(ico.end(), image.second.begin(), image.second.end());
  return ico;
}

std::string Hex(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", unsigned(Pack(c)));
  return text;
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string SvgShape(const Shape& s, double grow, const std::string& colour) {
  const std::string fill = " fill=\"" + colour + "\"/>";
  switch (s.kind) {
    case Shape::Ellipse:
      return "<ellipse cx=\"" + Number(s.a) + "\" cy=\"" + Number(s.b) + "\" rx=\"" +
             Number(s.c + grow) + "\" ry=\"" + Number(s.d + grow) + "\"" + fill;
    case Shape::Capsule:
      return "<line x1=\"" + Number(s.a) + "\" y1=\"" + Number(s.b) + "\" x2=\"" + Number(s.c) +
             "\" y2=\"" + Number(s.d) + "\" stroke=\"" + colour + "\" stroke-width=\"" +
             Number(2 * (s.r + grow)) + "\" stroke-linecap=\"round\"/>";
    case Shape::Box:
      return "<rect x=\"" + Number(s.a - grow) + "\" y=\"" + Number(s.b - grow) + "\" width=\"" +
             Number(s.c - s.a + 2 * grow) + "\" height=\"" + Number(s.d - s.b + 2 * grow) +
             "\" rx=\"" + Number(grow) + "\"" + fill;
  }
  return "";
}

// The same shapes and coats: the outline as the body grown, then each coat clipped to its box,
// its cut masked out. The view box is the sheet's cell, whose pixel centres are whole numbers.
std::string Svg() {
  const Figure& f = PlayerFigure();
  std::string defs, body;
  for (const Shape& s : f.body) body += SvgShape(s, f.outlineWidth, Hex(f.outline));
  for (std::size_t i = 0; i < f.coats.size(); ++i) {
    const Coat& c = f.coats[i];
    const std::string id = std::to_string(i);
    // Boxes overlap a little, so that no seam of the ground shows between two bands.
    auto edge = [](double v) { return std::clamp(v, -1.0, 41.0); };
    const double left = edge(c.left - 0.05), top = edge(c.top - 0.05);
    defs += "<clipPath id=\"c" + id + "\"><rect x=\"" + Number(left) + "\" y=\"" + Number(top) +
            "\" width=\"" + Number(edge(c.right + 0.05) - left) + "\" height=\"" +
            Number(edge(c.bottom + 0.05) - top) + "\"/></clipPath>";
    std::string attributes = " clip-path=\"url(#c" + id + ")\"";
    if (!c.cut.empty()) {
      defs += "<mask id=\"m" + id +
              "\"><rect x=\"-1\" y=\"-1\" width=\"42\" height=\"42\" fill=\"#FFF\"/>";
      for (const Shape& s : c.cut) defs += SvgShape(s, 0, "#000");
      defs += "</mask>";
      attributes += " mask=\"url(#m" + id + ")\"";
    }
    body += "<g" + attributes + ">";
    for (const Shape& s : c.shapes) body += SvgShape(s, 0, Hex(c.colour));
    body += "</g>";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"40\" "
         "viewBox=\"-0.5 -0.5 40 40\">\n<defs>" +
         defs + "</defs>\n" + body + "\n</svg>\n";
}

bool Write(const std::string& path, const Bytes& bytes) {
  const std::size_t slash = path.rfind('/');
  std::string why;
  if ((slash == std::string::npos || platform::MakeDirectories(path.substr(0, slash))) &&
      platform::ReplaceFileAtomically(path.c_str(), bytes.data(), bytes.size(), &why)) {
    return true;
  }
  std::fprintf(stderr, "%s: cannot write it: %s\n", path.c_str(), why.c_str());
  return false;
}

}  // namespace

bool WriteIcons(const std::string& dir) {
  for (int side : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    if (!Write(dir + "/hicolor/" + size + "/apps/yelko.png", Png(PaintIcon(side)))) return false;
  }
  const std::string svg = Svg();
  return Write(dir + "/hicolor/scalable/apps/yelko.svg", Bytes(svg.begin(), svg.end())) &&
         Write(dir + "/yelko.ico", Ico());
}
