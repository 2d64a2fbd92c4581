#pragma once
// Builds small BMP files byte by byte for the reader and writer tests.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/raster/pixels.h"

namespace gliffo::testing {

inline void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16)) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline std::uint16_t Get16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

struct BmpBuilder {
  std::uint32_t HeaderSize = 40;
  std::int32_t Width = 1;
  std::int32_t Height = 1;
  std::uint16_t Planes = 1;
  std::uint16_t BitCount = 24;
  std::uint32_t Compression = 0;
  std::uint32_t SizeImage = 0;
  std::int32_t XPelsPerMeter = 0, YPelsPerMeter = 0;
  std::uint32_t ClrUsed = 0, ClrImportant = 0;
  std::vector<std::uint32_t> Masks;  // after a 40-byte header, inside longer ones
  std::vector<raster::Rgb> Table;    // 3-byte entries for the 12-byte header
  std::size_t Gap = 0;               // zero bytes between the table and the pixels
  std::optional<std::uint32_t> OffBits;  // default: where the pixels really start
  std::vector<std::uint8_t> Pixels;

  std::vector<std::uint8_t> Build() const {
    std::vector<std::uint8_t> b(14 + HeaderSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 14, HeaderSize);
    if (HeaderSize == 12) {
      Put16(b, 18, static_cast<std::uint32_t>(Width));
      Put16(b, 20, static_cast<std::uint32_t>(Height));
      Put16(b, 22, Planes);
      Put16(b, 24, BitCount);
    } else if (HeaderSize >= 40) {
      Put32(b, 18, static_cast<std::uint32_t>(Width));
      Put32(b, 22, static_cast<std::uint32_t>(Height));
      Put16(b, 26, Planes);
      Put16(b, 28, BitCount);
      Put32(b, 30, Compression);
      Put32(b, 34, SizeImage);
      Put32(b, 38, static_cast<std::uint32_t>(XPelsPerMeter));
      Put32(b, 42, static_cast<std::uint32_t>(YPelsPerMeter));
      Put32(b, 46, ClrUsed);
      Put32(b, 50, ClrImportant);
    }
    for (std::size_t i = 0; i < Masks.size(); ++i) {
      if (HeaderSize == 40) {
        b.resize(b.size() + 4);
        Put32(b, b.size() - 4, Masks[i]);
      } else if (HeaderSize > 40 && 40 + 4 * i + 4 <= HeaderSize) {
        Put32(b, 14 + 40 + 4 * i, Masks[i]);
      }
    }
    for (const raster::Rgb& e : Table) {
      b.push_back(e.Blue);
      b.push_back(e.Green);
      b.push_back(e.Red);
      if (HeaderSize != 12) b.push_back(0);
    }
    b.resize(b.size() + Gap, 0);
    Put32(b, 10, OffBits ? *OffBits : static_cast<std::uint32_t>(b.size()));
    b.insert(b.end(), Pixels.begin(), Pixels.end());
    Put32(b, 2, static_cast<std::uint32_t>(b.size()));
    return b;
  }
};

inline raster::Rgb Entry(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return raster::Rgb{b, g, r, 0}; }

inline std::vector<std::uint8_t> Noise(std::size_t count, std::uint32_t seed) {
  std::vector<std::uint8_t> bytes(count);
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
  return bytes;
}

// An uncompressed file of the size and depth: a full table and every pixel byte noise.
inline BmpBuilder Plain(int width, int height, int bitCount, std::uint32_t seed) {
  BmpBuilder b;
  b.Width = width;
  b.Height = height;
  b.BitCount = static_cast<std::uint16_t>(bitCount);
  const std::vector<std::uint8_t> table = Noise(bitCount <= 8 ? 3u << bitCount : 0, seed + 1);
  for (std::size_t i = 0; i < table.size(); i += 3) b.Table.push_back(Entry(table[i], table[i + 1], table[i + 2]));
  b.Pixels = Noise(static_cast<std::size_t>(raster::DibStride(width, bitCount) * (height < 0 ? -height : height)), seed);
  return b;
}

// A run-length file of encoded runs of one to three pixels: about a byte a pixel.
inline BmpBuilder RunLength(int width, int height, bool fourBit) {
  BmpBuilder b = Plain(width, height, fourBit ? 4 : 8, 5);
  b.Compression = fourBit ? BI_RLE4 : BI_RLE8;
  b.Pixels.clear();
  for (int y = 0; y < height; ++y) {
    for (int x = 0, n = 1; x < width; x += n, n = 1 + (x * 5 + y) % 3)
      b.Pixels.insert(b.Pixels.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(x * 7 + y)});
    b.Pixels.insert(b.Pixels.end(), {0, 0});
  }
  return b;
}

inline std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

}  // namespace gliffo::testing
