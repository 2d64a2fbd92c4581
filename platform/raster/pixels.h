#pragma once
// Pixel access for every store layout the program meets: 1-, 4- and 8-bit indexed rows,
// 16-bit (5-5-5 or bit fields), 24-bit, and 32-bit (plain or bit fields). The device-dependent
// store of this program is 32 bits per pixel, blue-green-red with the fourth byte 0, top row first.
//
// Colours crossing this interface are COLORREF values, 0x00BBGGRR (red in the low byte).
// "Values" are what a pixel stores: a table index for indexed rows, the packed bits otherwise.
// Mix modes and raster operations work on values, as the drawing calls we stand in for do.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace gliffo::raster {

using ColorRef = std::uint32_t;

// One colour-table entry, in the byte order of the file format (blue, green, red, reserved).
struct Rgb {
  std::uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr ColorRef MakeColorRef(int r, int g, int b) {
  return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }
inline ColorRef ToColorRef(const Rgb& e) { return MakeColorRef(e.Red, e.Green, e.Blue); }
inline Rgb ToRgb(ColorRef c) {
  return Rgb{static_cast<std::uint8_t>(BlueOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
             static_cast<std::uint8_t>(RedOf(c)), 0};
}

// Returned by pixel reads outside the surface.
inline constexpr ColorRef InvalidColor = 0xFFFFFFFFu;

// Nearest colour-table entry: the smallest squared Euclidean distance in red, green and blue
// (dr² + dg² + db²); of equal distances the lowest index wins.
// An exact colour therefore always maps to its own entry (its first occurrence).
int NearestIndex(const Rgb* table, int count, ColorRef color);

// A view of pixel memory owned elsewhere (usually a raster image's store).
struct Surface {
  std::uint8_t* Bits = nullptr;
  int Width = 0;
  int Height = 0;             // always the absolute height
  std::ptrdiff_t Stride = 0;  // bytes per row
  bool BottomUp = false;      // true when the first row in memory is the bottom row
  int BitCount = 32;          // 1, 4, 8, 16, 24 or 32
  // Channel masks for 16- and 32-bit rows; zero masks mean the defaults (5-5-5, 8-8-8).
  std::uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;
  const Rgb* Table = nullptr;  // colour table of indexed rows
  int TableSize = 0;

  bool Empty() const { return Bits == nullptr || Width <= 0 || Height <= 0; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
  // Row y counted from the top, whatever the memory order.
  std::uint8_t* Row(int y) const {
    return Bits + static_cast<std::ptrdiff_t>(BottomUp ? Height - 1 - y : y) * Stride;
  }
  bool Indexed() const { return BitCount <= 8; }
};

// The most pixels one picture may hold: 64 Mi, a 256 MiB store at 32 bits per pixel. Glyph
// work never comes near it; a header asking for more is refused before anything is allocated,
// so that no input can make a job's memory or output grow without bound.
inline constexpr std::int64_t MaxPicturePixels = std::int64_t{1} << 26;
constexpr bool TooManyPixels(std::int64_t width, std::int64_t height) {
  return width > 0 && height > MaxPicturePixels / width;
}

// Stride of a row in the device-independent layout: rows padded to whole 32-bit words.
// Returns -1 when the figure does not fit.
std::int64_t DibStride(std::int64_t width, int bitCount);

// Every bit a stored value can hold: 1, 0xF, 0xFF for indexed rows, the union of the masks
// for 16/32-bit rows, 0xFFFFFF for 24-bit and plain 32-bit rows (the fourth byte stays 0).
std::uint32_t ValueMask(const Surface& s);

std::uint32_t ReadValue(const Surface& s, int x, int y);
void WriteValue(const Surface& s, int x, int y, std::uint32_t value);

// Colour of a stored value. Indexes beyond the table read as black.
ColorRef ValueToColor(const Surface& s, std::uint32_t value);

// Nearest-entry search accelerated by a 32 × 32 × 32 grid over the colour cube: each grid cell
// lists only the table entries that can be nearest to some colour inside it, in index order,
// so the answer (and its tie rule) is exactly that of NearestIndex.
class PaletteGrid {
 public:
  PaletteGrid(const Rgb* table, int count);
  int Nearest(ColorRef color) const {
    const std::size_t cell = static_cast<std::size_t>(((RedOf(color) >> 3) << 10) | ((GreenOf(color) >> 3) << 5) | (BlueOf(color) >> 3));
    // Most cells have one candidate: a byte table small enough to stay in the first-level cache.
    const std::uint8_t single = single_[cell];
    return single != NoSingleEntry ? single : NearestInCell(color, cell);
  }
  bool Matches(const Rgb* table, int count) const;

 private:
  static constexpr int CellCount = 32 * 32 * 32;
  std::uint32_t Compute(std::size_t cell) const;
  int NearestInCell(ColorRef color, std::size_t cell) const;

  static constexpr std::uint8_t NoSingleEntry = 0xFF;  // entry 255 is found through cells_
  static constexpr std::uint32_t NotComputed = 0xFFFFFFFFu;
  std::vector<Rgb> table_;
  mutable std::vector<std::uint32_t> cells_;
  mutable std::vector<std::uint8_t> single_;
  mutable std::vector<std::uint8_t> candidates_;
  mutable std::vector<long long> near_;
};

// The grid for a table, built once and kept while the same table comes back.
std::shared_ptr<const PaletteGrid> GridFor(const Rgb* table, int count);

// Nearest-entry search of a table of at most 16 entries, exact as NearestIndex: per channel
// value and entry, the squared difference shifted past a 4-bit entry number, so one sum per
// entry orders by distance and then by index, and the least of 16 sums is the answer.
class SmallTableSearch {
 public:
  static constexpr int MaxEntries = 16;
  SmallTableSearch(const Rgb* table, int count);
  int Nearest(ColorRef color) const {
    const std::uint32_t* r = red_[RedOf(color)];
    const std::uint32_t* g = green_[GreenOf(color)];
    const std::uint32_t* b = blue_[BlueOf(color)];
    std::uint32_t best = 0xFFFFFFFFu;
    for (int i = 0; i < MaxEntries; ++i) {
      const std::uint32_t key = r[i] + g[i] + b[i];
      best = key < best ? key : best;
    }
    return static_cast<int>(best & 0x0F);
  }
  bool Matches(const Rgb* table, int count) const;

 private:
  std::vector<Rgb> table_;
  // Entries past the table hold keys no real entry's key can reach.
  alignas(64) std::uint32_t red_[256][MaxEntries];
  alignas(64) std::uint32_t green_[256][MaxEntries];
  alignas(64) std::uint32_t blue_[256][MaxEntries];
};

// The search for a small table, built once and kept while the same table comes back.
std::shared_ptr<const SmallTableSearch> SmallSearchFor(const Rgb* table, int count);

// Encodes colours for one surface, caching nearest-entry look-ups so runs of equal colours
// cost one search; after many distinct colours the searches go through the table's grid.
class ColorEncoder {
 public:
  explicit ColorEncoder(const Surface& s);
  std::uint32_t Encode(ColorRef color) {
    // Direct-mapped cache keyed by a mix of the colour's bytes.
    Slot& slot = wide_ ? wide_[(color * 0x9E3779B1u) >> (32 - WideBits)] : cache_[(color ^ (color >> 9) ^ (color >> 17)) & 0xFF];
    return slot.Color == color ? slot.Value : Miss(color, slot);
  }

 private:
  struct Slot {
    ColorRef Color = InvalidColor;
    std::uint32_t Value = 0;
  };
  std::uint32_t Miss(ColorRef color, Slot& slot);
  static constexpr int WideBits = 14;

  const Surface* surface_;
  Slot cache_[256];
  int misses_ = 0;
  std::shared_ptr<const PaletteGrid> grid_;
  std::shared_ptr<const SmallTableSearch> small_;
  // Once the colours outnumber the small cache: 2^WideBits slots, for pictures whose many
  // colours come back (glyphs repeated along a strip).
  std::unique_ptr<Slot[]> wide_;
};

// Whole rows at once: the colours of row y, and a row of colours written into row y.
void ReadRowColors(const Surface& s, int y, ColorRef* out);
void WriteRowColors(const Surface& s, int y, const ColorRef* colors, ColorEncoder& encoder);

// Row srcY of src, as colours, into row dstY of dst (the narrower width of the two), in pieces
// small enough to stay in the cache however wide the rows are.
void CopyRowColors(const Surface& src, int srcY, const Surface& dst, int dstY, ColorEncoder& encoder);

// Value that stores the colour (nearest table entry for indexed rows, channels reduced to the
// mask depth otherwise). For many pixels use ColorEncoder.
std::uint32_t ColorToValue(const Surface& s, ColorRef color);

// Colour at (x, y), or InvalidColor outside the surface.
ColorRef GetPixel(const Surface& s, int x, int y);

}  // namespace gliffo::raster
