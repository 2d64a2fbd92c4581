#include "platform/raster/blit.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace gliffo::raster {

namespace {

Box Normalised(Box b) {
  if (b.Left > b.Right) std::swap(b.Left, b.Right);
  if (b.Top > b.Bottom) std::swap(b.Top, b.Bottom);
  return b;
}

Box Clipped(Box b, const Surface& s) {
  b.Left = std::max(b.Left, 0);
  b.Top = std::max(b.Top, 0);
  b.Right = std::min(b.Right, s.Width);
  b.Bottom = std::min(b.Bottom, s.Height);
  return b;
}

// Source coordinate sampled by destination offset d of a run of dstLength pixels.
int Sample(long long d, long long srcLength, long long dstLength) {
  return static_cast<int>(((2 * d + 1) * srcLength) / (2 * dstLength));
}

// Direct-colour pixels of the same packing, so copying bytes copies colours exactly as
// converting them would. Indexed stores are left out: colour matching maps a colour that a
// table holds twice to its first entry, which a byte copy would not.
bool SameByteLayout(const Surface& a, const Surface& b) {
  return a.BitCount == b.BitCount && a.BitCount >= 16 && a.RedMask == b.RedMask && a.GreenMask == b.GreenMask &&
         a.BlueMask == b.BlueMask;
}

// A source copy at its own size that stays inside the source, onto whole bytes of the
// destination: whole rows of colours, read once and encoded together. Returns false, having
// drawn nothing, for the copies the pixel-by-pixel way must make.
bool CopyRows(const Surface& dst, Box dstBox, Box clip, const Surface& src, Box srcBox, ColorEncoder& encoder) {
  const long long sx0 = srcBox.Left + (static_cast<long long>(clip.Left) - dstBox.Left);
  const long long sy0 = srcBox.Top + (static_cast<long long>(clip.Top) - dstBox.Top);
  const int width = clip.Right - clip.Left;
  if (sx0 < 0 || sy0 < 0 || sx0 + width > src.Width || sy0 + (clip.Bottom - clip.Top) > src.Height) return false;
  if ((static_cast<long long>(clip.Left) * dst.BitCount) % 8 != 0) return false;
  Surface view = dst;
  view.Bits = dst.Bits + static_cast<std::ptrdiff_t>(static_cast<long long>(clip.Left) * dst.BitCount / 8);
  view.Width = width;
  if ((sx0 * src.BitCount) % 8 != 0) return false;
  Surface from = src;
  from.Bits = src.Bits + static_cast<std::ptrdiff_t>(sx0 * src.BitCount / 8);
  from.Width = width;
  const bool plainDst = (dst.BitCount == 24 || dst.BitCount == 32) && (dst.RedMask | dst.GreenMask | dst.BlueMask) == 0;
  if (src.Indexed() && src.BitCount != 1 && plainDst) {
    // Indexed pixels onto stored colours (a 4-bit strip joined to a 24-bit one): the table
    // converted once for all rows, each pixel one look-up.
    std::uint32_t stored[256];
    const int entries = 1 << src.BitCount;
    for (int i = 0; i < entries; ++i)
      stored[i] = i < src.TableSize ? ColorToValue(dst, ToColorRef(src.Table[i])) : 0;
    const auto put = [](std::uint8_t* out, std::uint32_t v) {
      out[0] = static_cast<std::uint8_t>(v);
      out[1] = static_cast<std::uint8_t>(v >> 8);
      out[2] = static_cast<std::uint8_t>(v >> 16);
    };
    const int step = dst.BitCount / 8;
    for (int y = clip.Top; y < clip.Bottom; ++y) {
      const std::uint8_t* in = from.Row(static_cast<int>(sy0 + (y - clip.Top)));
      std::uint8_t* out = view.Row(y);
      if (src.BitCount == 8) {
        for (int x = 0; x < width; ++x, out += step) put(out, stored[in[x]]);
      } else {
        int x = 0;
        for (; x + 1 < width; x += 2, out += 2 * step) {
          put(out, stored[in[x >> 1] >> 4]);
          put(out + step, stored[in[x >> 1] & 0x0F]);
        }
        if (x < width) put(out, stored[in[x >> 1] >> 4]);
      }
      if (step == 4)  // the fourth byte is no part of the colour
        for (int x = 0; x < width; ++x) view.Row(y)[4 * x + 3] = 0;
    }
    return true;
  }
  if (src.Indexed() && dst.Indexed() && src.BitCount == dst.BitCount && (src.BitCount == 4 || src.BitCount == 8)) {
    // Indexed pixels onto a table of the same depth (strips joined): each value's match found
    // once, as the encoder finds it for every pixel of that colour; a table that maps onto
    // itself (the system colours on both sides) copies the bytes.
    std::uint8_t match[256];
    bool same = true;
    const int entries = 1 << src.BitCount;
    for (int v = 0; v < entries; ++v) {
      match[v] = static_cast<std::uint8_t>(encoder.Encode(ValueToColor(src, static_cast<std::uint32_t>(v))) & (entries - 1));
      same = same && match[v] == v;
    }
    for (int y = clip.Top; y < clip.Bottom; ++y) {
      const std::uint8_t* in = from.Row(static_cast<int>(sy0 + (y - clip.Top)));
      std::uint8_t* out = view.Row(y);
      if (src.BitCount == 8) {
        if (same) std::memcpy(out, in, static_cast<std::size_t>(width));
        else
          for (int x = 0; x < width; ++x) out[x] = match[in[x]];
        continue;
      }
      const std::size_t pairs = static_cast<std::size_t>(width / 2);
      if (same) {
        std::memcpy(out, in, pairs);
      } else {
        for (std::size_t k = 0; k < pairs; ++k)
          out[k] = static_cast<std::uint8_t>((match[in[k] >> 4] << 4) | match[in[k] & 0x0F]);
      }
      // An odd last pixel fills the high half of its byte; the low half is the next pixel's.
      if (width % 2) out[pairs] = static_cast<std::uint8_t>((match[in[pairs] >> 4] << 4) | (out[pairs] & 0x0F));
    }
    return true;
  }
  for (int y = clip.Top; y < clip.Bottom; ++y) CopyRowColors(from, static_cast<int>(sy0 + (y - clip.Top)), view, y, encoder);
  return true;
}

}  // namespace

void FillSolid(const Surface& dst, Box box, ColorRef color) {
  if (dst.Empty()) return;
  const Box b = Clipped(Normalised(box), dst);
  if (b.Left >= b.Right || b.Top >= b.Bottom) return;
  const std::uint32_t value = ColorToValue(dst, color);
  if (dst.Indexed() && b.Left == 0 && b.Right == dst.Width) {
    // Whole rows: the pixel bytes of each row are set at once; the row padding stays zero.
    const int perByte = 8 / dst.BitCount;
    std::uint8_t byte = 0;
    for (int i = 0; i < perByte; ++i) byte = static_cast<std::uint8_t>((byte << dst.BitCount) | (value & ValueMask(dst)));
    const std::size_t used = static_cast<std::size_t>((static_cast<long long>(dst.Width) * dst.BitCount + 7) / 8);
    for (int y = b.Top; y < b.Bottom; ++y) {
      std::uint8_t* row = dst.Row(y);
      std::memset(row, byte, used);
      // Keep the bits beyond the last pixel of the final byte as they were: zero.
      const int tailBits = static_cast<int>((static_cast<long long>(dst.Width) * dst.BitCount) % 8);
      if (tailBits) row[used - 1] = static_cast<std::uint8_t>(row[used - 1] & (0xFF << (8 - tailBits)));
    }
    return;
  }
  if (dst.BitCount >= 8) {
    // Whole-byte pixels: the first row of the box pixel by pixel, then the other rows copy it.
    const std::size_t bytesPerPixel = static_cast<std::size_t>(dst.BitCount / 8);
    const std::size_t span = static_cast<std::size_t>(b.Right - b.Left) * bytesPerPixel;
    std::uint8_t* first = dst.Row(b.Top) + static_cast<std::size_t>(b.Left) * bytesPerPixel;
    for (std::size_t at = 0; at < span; at += bytesPerPixel)
      for (std::size_t k = 0; k < bytesPerPixel; ++k) first[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
    for (int y = b.Top + 1; y < b.Bottom; ++y)
      std::memcpy(dst.Row(y) + static_cast<std::size_t>(b.Left) * bytesPerPixel, first, span);
    return;
  }
  for (int y = b.Top; y < b.Bottom; ++y)
    for (int x = b.Left; x < b.Right; ++x) WriteValue(dst, x, y, value);
}

std::uint32_t ApplyRop3(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  switch (rop) {
    case 0xCC: return s;
    case 0x33: return ~s;
    case 0x00: return 0;
    case 0xFF: return ~0u;
    case 0xAA: return d;
    case 0x55: return ~d;
    case 0xF0: return p;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    default: break;
  }
  // Bit i of the code gives the result for pattern bit (i >> 2), source bit (i >> 1) & 1 and
  // destination bit i & 1.
  std::uint32_t result = 0;
  for (int i = 0; i < 8; ++i) {
    if (!(rop & (1u << i))) continue;
    const std::uint32_t pp = (i & 4) ? p : ~p;
    const std::uint32_t ss = (i & 2) ? s : ~s;
    const std::uint32_t dd = (i & 1) ? d : ~d;
    result |= pp & ss & dd;
  }
  return result;
}

void StretchCopy(const Surface& dst, Box dstBox, const Surface& src, Box srcBox, std::uint32_t copyMode,
                 ColorRef patternColor) {
  if (dst.Empty() || src.Empty()) return;
  const long long dw = dstBox.Right - static_cast<long long>(dstBox.Left);
  const long long dh = dstBox.Bottom - static_cast<long long>(dstBox.Top);
  const long long sw = srcBox.Right - static_cast<long long>(srcBox.Left);
  const long long sh = srcBox.Bottom - static_cast<long long>(srcBox.Top);
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const Box clip = Clipped(dstBox, dst);
  if (clip.Left >= clip.Right || clip.Top >= clip.Bottom) return;

  const auto rop = static_cast<std::uint8_t>((copyMode >> 16) & 0xFF);
  if (rop == 0xCC && dw == sw && dh == sh && SameByteLayout(dst, src)) {
    // A plain copy at its own size between stores of one layout: the bytes themselves.
    const std::size_t bytesPerPixel = static_cast<std::size_t>(dst.BitCount / 8);
    const bool plain32 = dst.BitCount == 32 && (dst.RedMask | dst.GreenMask | dst.BlueMask) == 0;
    for (int y = clip.Top; y < clip.Bottom; ++y) {
      const long long sy = srcBox.Top + (static_cast<long long>(y) - dstBox.Top);
      if (sy < 0 || sy >= src.Height) {
        FillSolid(dst, Box{clip.Left, y, clip.Right, y + 1}, 0);  // outside the source: black
        continue;
      }
      for (int x = clip.Left; x < clip.Right;) {
        const long long sx = srcBox.Left + (static_cast<long long>(x) - dstBox.Left);
        if (sx < 0 || sx >= src.Width) {
          FillSolid(dst, Box{x, y, x + 1, y + 1}, 0);
          ++x;
          continue;
        }
        const int run = static_cast<int>(std::min<long long>(clip.Right - x, src.Width - sx));
        std::uint8_t* to = dst.Row(y) + static_cast<std::size_t>(x) * bytesPerPixel;
        std::memcpy(to, src.Row(static_cast<int>(sy)) + static_cast<std::size_t>(sx) * bytesPerPixel,
                    static_cast<std::size_t>(run) * bytesPerPixel);
        if (plain32)  // the fourth byte is no part of the colour: it stays 0, as converting leaves it
          for (int i = 0; i < run; ++i) to[4 * i + 3] = 0;
        x += run;
      }
    }
    return;
  }
  ColorEncoder encoder(dst);
  if (rop == 0xCC && dw == sw && dh == sh && CopyRows(dst, dstBox, clip, src, srcBox, encoder)) return;
  const std::uint32_t mask = ValueMask(dst);
  const std::uint32_t pattern = ColorToValue(dst, patternColor);

  // Source column of every destination column, computed once. The buffers are kept between
  // calls: the editor reduces its surface on every mouse move and should not touch the heap.
  static thread_local std::vector<int> columns;
  columns.resize(static_cast<std::size_t>(clip.Right - clip.Left));
  for (int x = clip.Left; x < clip.Right; ++x) {
    const int sx = srcBox.Left + Sample(x - dstBox.Left, sw, dw);
    columns[static_cast<std::size_t>(x - clip.Left)] = sx;
  }
  const bool plainDst32 = dst.BitCount == 32 && (dst.RedMask | dst.GreenMask | dst.BlueMask) == 0;
  const bool plainDst24 = dst.BitCount == 24;
  // Source rows are read once into colours and reused while consecutive rows sample the same one.
  const bool reducing = 2 * static_cast<long long>(clip.Right - clip.Left) < src.Width;
  static thread_local std::vector<ColorRef> sourceRow;
  sourceRow.resize(reducing ? 0 : static_cast<std::size_t>(src.Width));
  int cachedRow = -1;
  for (int y = clip.Top; y < clip.Bottom; ++y) {
    const int sy = srcBox.Top + Sample(y - dstBox.Top, sh, dh);
    const bool rowInside = sy >= 0 && sy < src.Height;
    // A reduction samples few pixels of each source row: read those alone.
    if (rowInside && sy != cachedRow && !reducing) {
      ReadRowColors(src, sy, sourceRow.data());
      cachedRow = sy;
    }
    std::uint8_t* out = dst.Row(y);
    for (int x = clip.Left; x < clip.Right; ++x) {
      const int sx = columns[static_cast<std::size_t>(x - clip.Left)];
      // Source pixels outside the source image read as black.
      ColorRef color = 0;
      if (rowInside && sx >= 0 && sx < src.Width)
        color = reducing ? ValueToColor(src, ReadValue(src, sx, sy)) : sourceRow[static_cast<std::size_t>(sx)];
      if (rop == 0xCC) {
        if (plainDst24) {
          std::uint8_t* p = out + 3 * static_cast<std::ptrdiff_t>(x);
          p[0] = static_cast<std::uint8_t>(color >> 16);
          p[1] = static_cast<std::uint8_t>(color >> 8);
          p[2] = static_cast<std::uint8_t>(color);
        } else if (plainDst32) {
          std::uint8_t* p = out + 4 * static_cast<std::ptrdiff_t>(x);
          p[0] = static_cast<std::uint8_t>(color >> 16);
          p[1] = static_cast<std::uint8_t>(color >> 8);
          p[2] = static_cast<std::uint8_t>(color);
          p[3] = 0;
        } else {
          WriteValue(dst, x, y, encoder.Encode(color));
        }
      } else {
        const std::uint32_t d = ReadValue(dst, x, y);
        WriteValue(dst, x, y, ApplyRop3(rop, pattern, encoder.Encode(color), d) & mask);
      }
    }
  }
}

}  // namespace gliffo::raster
