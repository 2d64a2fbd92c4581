#include "platform/raster/pixels.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

namespace gliffo::raster {

int NearestIndex(const Rgb* table, int count, ColorRef color) {
  const int r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
  int best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 0; i < count; ++i) {
    const int dr = table[i].Red - r, dg = table[i].Green - g, db = table[i].Blue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

std::int64_t DibStride(std::int64_t width, int bitCount) {
  if (width < 0 || bitCount <= 0 || bitCount > 64) return -1;
  if (width > (std::numeric_limits<std::int64_t>::max() - 31) / bitCount) return -1;
  return ((width * bitCount + 31) / 32) * 4;
}

namespace {

struct Masks {
  std::uint32_t Red, Green, Blue;
};

Masks MasksOf(const Surface& s) {
  if (s.RedMask | s.GreenMask | s.BlueMask) return {s.RedMask, s.GreenMask, s.BlueMask};
  if (s.BitCount == 16) return {0x7C00, 0x03E0, 0x001F};
  return {0xFF0000, 0x00FF00, 0x0000FF};
}

// Expands the bits of a channel under its mask to 0..255, rounding to nearest.
int Expand(std::uint32_t value, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint32_t max = mask >> shift;
  const std::uint32_t v = (value & mask) >> shift;
  if (max == 255) return static_cast<int>(v);
  return static_cast<int>((static_cast<std::uint64_t>(v) * 255 + max / 2) / max);
}

// Reduces a 0..255 channel to the bits of its mask, rounding to nearest.
std::uint32_t Reduce(int channel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint64_t max = mask >> shift;
  const std::uint64_t v = (static_cast<std::uint64_t>(channel) * max + 127) / 255;
  return static_cast<std::uint32_t>((v << shift) & mask);
}

bool PlainRgb(const Surface& s) {
  return s.BitCount == 24 || (s.BitCount == 32 && (s.RedMask | s.GreenMask | s.BlueMask) == 0);
}

}  // namespace

std::uint32_t ValueMask(const Surface& s) {
  switch (s.BitCount) {
    case 1: return 0x1;
    case 4: return 0xF;
    case 8: return 0xFF;
    case 24: return 0xFFFFFF;
    default: {
      const Masks m = MasksOf(s);
      return m.Red | m.Green | m.Blue;
    }
  }
}

std::uint32_t ReadValue(const Surface& s, int x, int y) {
  const std::uint8_t* row = s.Row(y);
  switch (s.BitCount) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case 8: return row[x];
    case 16: return static_cast<std::uint32_t>(row[2 * x] | (row[2 * x + 1] << 8));
    case 24: {
      const std::uint8_t* p = row + 3 * x;
      return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    }
    default: {
      const std::uint8_t* p = row + 4 * x;
      return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
             (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
  }
}

void WriteValue(const Surface& s, int x, int y, std::uint32_t value) {
  std::uint8_t* row = s.Row(y);
  switch (s.BitCount) {
    case 1: {
      const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
      if (value & 1u) row[x >> 3] |= bit; else row[x >> 3] &= static_cast<std::uint8_t>(~bit);
      break;
    }
    case 4: {
      std::uint8_t& b = row[x >> 1];
      if (x & 1) b = static_cast<std::uint8_t>((b & 0xF0) | (value & 0x0F));
      else b = static_cast<std::uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
      break;
    }
    case 8: row[x] = static_cast<std::uint8_t>(value); break;
    case 16:
      row[2 * x] = static_cast<std::uint8_t>(value);
      row[2 * x + 1] = static_cast<std::uint8_t>(value >> 8);
      break;
    case 24: {
      std::uint8_t* p = row + 3 * x;
      p[0] = static_cast<std::uint8_t>(value);
      p[1] = static_cast<std::uint8_t>(value >> 8);
      p[2] = static_cast<std::uint8_t>(value >> 16);
      break;
    }
    default: {
      std::uint8_t* p = row + 4 * x;
      p[0] = static_cast<std::uint8_t>(value);
      p[1] = static_cast<std::uint8_t>(value >> 8);
      p[2] = static_cast<std::uint8_t>(value >> 16);
      p[3] = static_cast<std::uint8_t>(value >> 24);
      break;
    }
  }
}

ColorRef ValueToColor(const Surface& s, std::uint32_t value) {
  if (s.Indexed()) {
    if (static_cast<int>(value) >= s.TableSize || s.Table == nullptr) return 0;
    return ToColorRef(s.Table[value]);
  }
  if (PlainRgb(s)) {
    // Stored blue, green, red in byte order: swap into 0x00BBGGRR.
    return MakeColorRef((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
  }
  const Masks m = MasksOf(s);
  return MakeColorRef(Expand(value, m.Red), Expand(value, m.Green), Expand(value, m.Blue));
}

std::uint32_t ColorToValue(const Surface& s, ColorRef color) {
  if (s.Indexed()) {
    if (s.Table == nullptr || s.TableSize <= 0) return 0;
    return static_cast<std::uint32_t>(NearestIndex(s.Table, s.TableSize, color));
  }
  if (PlainRgb(s)) {
    return static_cast<std::uint32_t>(BlueOf(color) | (GreenOf(color) << 8) | (RedOf(color) << 16));
  }
  const Masks m = MasksOf(s);
  return Reduce(RedOf(color), m.Red) | Reduce(GreenOf(color), m.Green) | Reduce(BlueOf(color), m.Blue);
}

PaletteGrid::PaletteGrid(const Rgb* table, int count)
    : table_(table, table + count), cells_(CellCount, NotComputed), single_(CellCount, NoSingleEntry) {}

// Cells are worked out on first use: glyphs touch only a few of them, so a strip of a handful
// of colours never pays for the whole cube.
std::uint32_t PaletteGrid::Compute(std::size_t cell) const {
  const int count = static_cast<int>(table_.size());
  const int lo[3] = {static_cast<int>(cell >> 10) << 3, static_cast<int>((cell >> 5) & 31) << 3,
                     static_cast<int>(cell & 31) << 3};
  // Every colour of the cell lies within nearestFar of some entry, so only entries that come at
  // least that close to the cell can be nearest for any of its colours.
  long long nearestFar = std::numeric_limits<long long>::max();
  near_.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const int e[3] = {table_[static_cast<std::size_t>(i)].Red, table_[static_cast<std::size_t>(i)].Green,
                      table_[static_cast<std::size_t>(i)].Blue};
    long long dNear = 0, dFar = 0;
    for (int c = 0; c < 3; ++c) {
      const int a = lo[c], b = lo[c] + 7;
      const int n = e[c] < a ? a - e[c] : (e[c] > b ? e[c] - b : 0);
      const int f = std::max(std::abs(e[c] - a), std::abs(e[c] - b));
      dNear += static_cast<long long>(n) * n;
      dFar += static_cast<long long>(f) * f;
    }
    near_[static_cast<std::size_t>(i)] = dNear;
    nearestFar = std::min(nearestFar, dFar);
  }
  const auto start = static_cast<std::uint32_t>(candidates_.size());
  int n = 0;
  for (int i = 0; i < count; ++i)
    if (near_[static_cast<std::size_t>(i)] <= nearestFar) {
      candidates_.push_back(static_cast<std::uint8_t>(i));
      ++n;
    }
  std::uint32_t word;
  if (n == 1) {
    // One word per cell: the candidate count in the low byte, above it the first candidate's
    // position, or for a single candidate the entry itself.
    const std::uint32_t entry = candidates_.back();
    candidates_.pop_back();
    word = (entry << 8) | 1u;
    if (entry != NoSingleEntry) single_[cell] = static_cast<std::uint8_t>(entry);
  } else if (n > 254) {
    candidates_.resize(start);
    word = 0;  // very many candidates: the full search
  } else {
    word = (start << 8) | static_cast<std::uint32_t>(n);
  }
  cells_[cell] = word;
  return word;
}

int PaletteGrid::NearestInCell(ColorRef color, std::size_t cell) const {
  const int r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
  std::uint32_t word = cells_[cell];
  if (word == NotComputed) word = Compute(cell);
  const int n = static_cast<int>(word & 0xFF);
  if (n == 1) return static_cast<int>(word >> 8);
  if (n == 0) return NearestIndex(table_.data(), static_cast<int>(table_.size()), color);
  const std::uint8_t* c = candidates_.data() + (word >> 8);
  int best = c[0];
  int bestDistance = std::numeric_limits<int>::max();
  for (int k = 0; k < n; ++k) {
    const Rgb& e = table_[c[k]];
    const int dr = e.Red - r, dg = e.Green - g, db = e.Blue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = c[k];
    }
  }
  return best;
}

bool PaletteGrid::Matches(const Rgb* table, int count) const {
  return static_cast<int>(table_.size()) == count && std::equal(table, table + count, table_.begin());
}

namespace {

// The last few searches built, kept while their tables come back. Jobs that read files on
// several threads (gather) match colours on each of them, so the list is shared under a lock;
// an encoder asks for a search once, after many misses.
template <typename Search>
std::shared_ptr<const Search> RecentSearchFor(const Rgb* table, int count) {
  static std::mutex guard;
  static std::vector<std::shared_ptr<const Search>> recent;
  const std::lock_guard<std::mutex> held(guard);
  for (const auto& search : recent)
    if (search->Matches(table, count)) return search;
  auto search = std::make_shared<const Search>(table, count);
  if (recent.size() >= 4) recent.erase(recent.begin());
  recent.push_back(search);
  return search;
}

}  // namespace

std::shared_ptr<const PaletteGrid> GridFor(const Rgb* table, int count) { return RecentSearchFor<PaletteGrid>(table, count); }

ColorEncoder::ColorEncoder(const Surface& s) : surface_(&s) {}

std::uint32_t ColorEncoder::Miss(ColorRef color, Slot& slot) {
  std::uint32_t value;
  if (small_) value = static_cast<std::uint32_t>(small_->Nearest(color));
  else if (grid_) value = static_cast<std::uint32_t>(grid_->Nearest(color));
  else value = ColorToValue(*surface_, color);
  slot.Color = color;
  slot.Value = value;
  if (!surface_->Indexed() || !surface_->Table || surface_->TableSize <= 0) return value;
  // Many distinct colours in an indexed store: a faster search pays for itself, for a small
  // table the one over all entries at once, for a larger one the grid.
  if (++misses_ == 64 && surface_->TableSize <= SmallTableSearch::MaxEntries)
    small_ = SmallSearchFor(surface_->Table, surface_->TableSize);
  else if (misses_ == 512 && !small_)
    grid_ = GridFor(surface_->Table, surface_->TableSize);
  else if (misses_ == (small_ ? 16384 : 2048))
    // The wide cache's first use costs a fresh page for each 512 slots; against a small table,
    // whose search is a few instructions, only as many misses as would pay for that bring it.
    wide_.reset(new (std::nothrow) Slot[std::size_t{1} << WideBits]);  // without it, the small cache goes on
  return value;
}

SmallTableSearch::SmallTableSearch(const Rgb* table, int count) : table_(table, table + count) {
  for (int v = 0; v < 256; ++v) {
    for (int i = 0; i < MaxEntries; ++i) {
      if (i < count) {
        const int dr = table[i].Red - v, dg = table[i].Green - v, db = table[i].Blue - v;
        red_[v][i] = (static_cast<std::uint32_t>(dr * dr) << 4) | static_cast<std::uint32_t>(i);
        green_[v][i] = static_cast<std::uint32_t>(dg * dg) << 4;
        blue_[v][i] = static_cast<std::uint32_t>(db * db) << 4;
      } else {
        // Three of these still sum below overflow, and above any real key (3 * 255² << 4 | 15).
        red_[v][i] = green_[v][i] = blue_[v][i] = 0x10000000u;
      }
    }
  }
}

bool SmallTableSearch::Matches(const Rgb* table, int count) const {
  return static_cast<int>(table_.size()) == count && std::equal(table, table + count, table_.begin());
}

std::shared_ptr<const SmallTableSearch> SmallSearchFor(const Rgb* table, int count) {
  return RecentSearchFor<SmallTableSearch>(table, count);
}

void ReadRowColors(const Surface& s, int y, ColorRef* out) {
  const std::uint8_t* row = s.Row(y);
  if (PlainRgb(s)) {
    // Blue, green, red in memory: one four-byte load, byte-swapped, holds the colour in its
    // upper three bytes. The last pixel of a 24-bit row is read bytewise, as the load would
    // pass the end of the row.
    const int step = s.BitCount / 8;
    int x = 0;
    for (const int whole = step == 4 ? s.Width : s.Width - 1; x < whole; ++x, row += step) {
      std::uint32_t v;
      std::memcpy(&v, row, 4);
      out[x] = __builtin_bswap32(v) >> 8;
    }
    for (; x < s.Width; ++x, row += step)
      out[x] = static_cast<ColorRef>(row[2]) | (static_cast<ColorRef>(row[1]) << 8) | (static_cast<ColorRef>(row[0]) << 16);
    return;
  }
  if (s.Indexed()) {
    // Only the entries a value of this depth can name; those beyond the table show black.
    ColorRef lookup[256];
    const int entries = 1 << s.BitCount;
    const int n = std::min(s.TableSize, entries);
    for (int i = 0; i < n; ++i) lookup[i] = ToColorRef(s.Table[i]);
    for (int i = std::max(n, 0); i < entries; ++i) lookup[i] = 0;
    if (s.BitCount == 8) {
      for (int x = 0; x < s.Width; ++x) out[x] = lookup[row[x]];
    } else if (s.BitCount == 4) {
      int x = 0;
      for (; x + 1 < s.Width; x += 2) {
        const std::uint8_t b = row[x >> 1];
        out[x] = lookup[b >> 4];
        out[x + 1] = lookup[b & 0x0F];
      }
      if (x < s.Width) out[x] = lookup[row[x >> 1] >> 4];
    } else {
      for (int x = 0; x < s.Width; ++x) out[x] = lookup[(row[x >> 3] >> (7 - (x & 7))) & 1];
    }
    return;
  }
  for (int x = 0; x < s.Width; ++x) out[x] = ValueToColor(s, ReadValue(s, x, y));
}

void WriteRowColors(const Surface& s, int y, const ColorRef* colors, ColorEncoder& encoder) {
  std::uint8_t* row = s.Row(y);
  if (s.BitCount == 32 && PlainRgb(s)) {
    for (int x = 0; x < s.Width; ++x, row += 4) {
      const ColorRef c = colors[x];
      row[0] = static_cast<std::uint8_t>(c >> 16);
      row[1] = static_cast<std::uint8_t>(c >> 8);
      row[2] = static_cast<std::uint8_t>(c);
      row[3] = 0;
    }
    return;
  }
  if (s.BitCount == 4) {
    int x = 0;
    for (; x + 1 < s.Width; x += 2)
      row[x >> 1] = static_cast<std::uint8_t>((encoder.Encode(colors[x]) << 4) | (encoder.Encode(colors[x + 1]) & 0x0F));
    if (x < s.Width) WriteValue(s, x, y, encoder.Encode(colors[x]));
    return;
  }
  if (s.BitCount == 24 && PlainRgb(s)) {
    for (int x = 0; x < s.Width; ++x, row += 3) {
      const ColorRef c = colors[x];
      row[0] = static_cast<std::uint8_t>(c >> 16);
      row[1] = static_cast<std::uint8_t>(c >> 8);
      row[2] = static_cast<std::uint8_t>(c);
    }
    return;
  }
  if (s.BitCount == 8) {
    for (int x = 0; x < s.Width; ++x) row[x] = static_cast<std::uint8_t>(encoder.Encode(colors[x]));
    return;
  }
  for (int x = 0; x < s.Width; ++x) WriteValue(s, x, y, encoder.Encode(colors[x]));
}

void CopyRowColors(const Surface& src, int srcY, const Surface& dst, int dstY, ColorEncoder& encoder) {
  // Pieces of a multiple of eight pixels start on whole bytes of any layout.
  constexpr int Piece = 1024;
  ColorRef colors[Piece];
  const int width = std::min(src.Width, dst.Width);
  if (src.BitCount == 24 && dst.BitCount == 4 && width > 0) {
    // 24-bit colours matched into a 4-bit row (a strip made 4-bit), two pixels to a byte,
    // each read with one load but the last, which would pass the end of the row.
    const std::uint8_t* in = src.Row(srcY);
    std::uint8_t* out = dst.Row(dstY);
    const auto colorAt = [in](int x) {
      std::uint32_t v;
      std::memcpy(&v, in + 3 * x, 4);
      return __builtin_bswap32(v) >> 8;
    };
    const int whole = width - 1;  // pixels that can be read with a four-byte load
    int x = 0;
    for (; x + 1 < whole; x += 2)
      out[x >> 1] = static_cast<std::uint8_t>((encoder.Encode(colorAt(x)) << 4) | (encoder.Encode(colorAt(x + 1)) & 0x0F));
    for (; x < width; ++x) {
      const std::uint8_t* p = in + 3 * x;
      const ColorRef c = static_cast<ColorRef>(p[2]) | (static_cast<ColorRef>(p[1]) << 8) | (static_cast<ColorRef>(p[0]) << 16);
      WriteValue(dst, x, dstY, encoder.Encode(c));
    }
    return;
  }
  // Counted in 64 bits: a step past a width near 2^31 must not wrap round.
  for (std::int64_t at = 0; at < width; at += Piece) {
    const int x = static_cast<int>(at);
    Surface from = src, to = dst;
    from.Bits = src.Row(srcY) + static_cast<std::ptrdiff_t>(x) * src.BitCount / 8;
    to.Bits = dst.Row(dstY) + static_cast<std::ptrdiff_t>(x) * dst.BitCount / 8;
    from.Width = to.Width = std::min(Piece, width - x);
    from.Height = to.Height = 1;
    from.BottomUp = to.BottomUp = false;
    ReadRowColors(from, 0, colors);
    WriteRowColors(to, 0, colors, encoder);
  }
}

ColorRef GetPixel(const Surface& s, int x, int y) {
  if (s.Empty() || !s.Contains(x, y)) return InvalidColor;
  return ValueToColor(s, ReadValue(s, x, y));
}

}  // namespace gliffo::raster
