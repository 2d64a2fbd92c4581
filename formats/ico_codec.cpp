#include "formats/ico_codec.h"

#include <algorithm>
#include <new>
#include <string>

#include "formats/bmp_file.h"
#include "formats/png_codec.h"
#include "formats/strings.h"
#include "formats/transparency.h"
#include "formats/little_endian.h"
#include "platform/errors.h"

namespace gliffo::ico {

using raster::ColorRef;

namespace {

[[noreturn]] void NotValid(const std::string& why) {
  throw EInvalidGraphic(FormatMessage(texts::IconImageIsNotValid, why));
}


std::span<const std::uint8_t> EntryBytes(std::span<const std::uint8_t> bytes, const IcoEntry& e) {
  return bytes.subspan(e.Offset, e.Size);
}

// The DIB's own header, with the height of the colour picture alone (the stored height counts
// the AND mask too), and where its pixels and its mask lie in the entry.
struct DibLayout {
  bmp::BmpHeader Header;
  std::size_t PixelBytes = 0;
  std::size_t MaskOffset = 0;
  std::size_t MaskStride = 0;
  // Writers that trust alpha (Pillow among them) leave the mask off 32-bit entries; readers
  // take such an entry's alpha alone, and so do we.
  bool HasMask = true;
};

DibLayout ParseDibEntry(std::span<const std::uint8_t> dib, int width, int height) {
  DibLayout d;
  try {
    d.Header = bmp::ParseDib(dib);
  } catch (const EReadError&) {
    NotValid("an entry ends inside its header");
  } catch (const EInvalidGraphic&) {
    NotValid("an entry holds no bitmap the reader accepts");
  }
  bmp::BmpHeader& h = d.Header;
  if (h.Compression != BI_RGB || h.Height < 0) NotValid("an entry's bitmap is compressed or top-down");
  const int bits = h.BitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    NotValid("an entry has " + std::to_string(bits) + " bits per pixel");
  if (h.Width != width || h.Height != 2 * height)
    NotValid("an entry's bitmap is " + std::to_string(h.Width) + "x" + std::to_string(h.Height / 2) +
             ", its directory says " + std::to_string(width) + "x" + std::to_string(height));
  h.Height = height;
  h.SizeImage = 0;
  const std::size_t stride = static_cast<std::size_t>(raster::DibStride(width, bits));
  d.PixelBytes = stride * static_cast<std::size_t>(height);
  d.MaskOffset = h.PixelOffset + d.PixelBytes;
  d.MaskStride = static_cast<std::size_t>(raster::DibStride(width, 1));
  if (d.MaskOffset + d.MaskStride * static_cast<std::size_t>(height) > dib.size()) {
    if (bits != 32 || d.MaskOffset > dib.size()) NotValid("an entry ends before its pixels and mask do");
    d.HasMask = false;
  }
  h.PixelBytes = d.PixelBytes;
  return d;
}

int PngBits(const png::PngHeader& h) {
  switch (h.ColorType) {
    case png::ColorTypeRgb: return 3 * h.BitDepth;
    case png::ColorTypeRgba: return 4 * h.BitDepth;
    case png::ColorTypeGrayAlpha: return 2 * h.BitDepth;
    default: return h.BitDepth;
  }
}

// A new bottom-up 24-bit store.
std::shared_ptr<TBitmapImage> NewRgbStore(int width, int height) {
  TBitmapImage description;
  description.DeviceDependent = false;
  description.Width = width;
  description.Height = height;
  description.BitCount = 24;
  return NewStore(description);
}

std::shared_ptr<TBitmapImage> DecodeDib(std::span<const std::uint8_t> dib, const IcoEntry& entry, const TDecodeOptions& options) {
  const DibLayout d = ParseDibEntry(dib, entry.Width, entry.Height);
  std::shared_ptr<TBitmapImage> stored = bmp::DecodePixels(d.Header, dib.subspan(d.Header.PixelOffset, d.PixelBytes));
  const int w = entry.Width, h = entry.Height;
  const raster::Surface s = stored->Surface();
  // Row y from the top: the mask is stored bottom row first, as the pixels are.
  const auto masked = [&](int x, int y) {
    if (!d.HasMask) return 0;
    const std::uint8_t* row = dib.data() + d.MaskOffset + d.MaskStride * static_cast<std::size_t>(h - 1 - y);
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
  };

  if (d.Header.BitCount == 32) {
    // Alpha rules when any pixel has some (or when there is no mask to say anything else); an
    // icon whose fourth bytes are all 0 predates alpha and says what is transparent in its mask
    // alone.
    bool alpha = !d.HasMask;
    for (int y = 0; y < h && !alpha; ++y)
      for (int x = 0; x < w && !alpha; ++x) alpha = s.Row(y)[x * 4 + 3] != 0;
    auto out = NewRgbStore(w, h);
    if (options.KeepAlpha) AllocateAlphaPixels(out->AlphaPixels, w, h);
    const raster::Surface o = out->Surface();
    const TAlphaRule rule(options);
    std::uint32_t* own = out->AlphaPixels.data();
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* in = s.Row(y);
      std::uint8_t* to = o.Row(y);
      for (int x = 0; x < w; ++x, in += 4, to += 3) {
        const int a = alpha ? in[3] : (masked(x, y) ? 0 : 255);
        rule.ApplyBgr(in, a, to);
        if (own) *own++ = MakeAlphaPixel(in[2], in[1], in[0], a);
      }
    }
    return out;
  }

  // Every entry is an alpha picture: its mask says which pixels have alpha 0, and they keep
  // the colour they are stored with.
  std::vector<std::uint32_t> own;
  if (options.KeepAlpha) {
    AllocateAlphaPixels(own, w, h);
    std::vector<ColorRef> row(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
      raster::ReadRowColors(s, y, row.data());
      for (int x = 0; x < w; ++x)
        own[static_cast<std::size_t>(y) * w + x] = AlphaPixelOf(row[static_cast<std::size_t>(x)], masked(x, y) ? 0 : 255);
    }
  }

  bool anyMasked = false;
  for (int y = 0; y < h && !anyMasked; ++y)
    for (int x = 0; x < w && !anyMasked; ++x) anyMasked = masked(x, y) != 0;
  if (!anyMasked) {
    stored->AlphaPixels = std::move(own);
    return stored;
  }

  std::uint32_t keyValue = 0;
  if (s.Indexed()) {
    // The indices a glyph was drawn with survive when the key has a place in the table.
    auto& table = stored->ColorTable;
    // A table may claim more entries than the depth has indices (17 for 4 bits); only those a
    // pixel can name are any use for the key.
    const std::size_t indices = std::size_t{1} << s.BitCount;
    const auto reachable = static_cast<std::ptrdiff_t>(std::min(table.size(), indices));
    const auto found = std::find(table.begin(), table.begin() + reachable, raster::ToRgb(options.Key));
    // Writers fill a table to its full size; an entry no visible pixel uses is room too.
    std::vector<bool> used(indices, false);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (!masked(x, y)) used[raster::ReadValue(s, x, y)] = true;
    const auto unused = std::find(used.begin(), used.begin() + reachable, false);
    if (found != table.begin() + reachable) {
      keyValue = static_cast<std::uint32_t>(found - table.begin());
    } else if (table.size() < indices) {
      keyValue = static_cast<std::uint32_t>(table.size());
      table.push_back(raster::ToRgb(options.Key));
      stored->ClrUsed = static_cast<std::uint32_t>(table.size());
    } else if (unused != used.begin() + reachable) {
      keyValue = static_cast<std::uint32_t>(unused - used.begin());
      table[keyValue] = raster::ToRgb(options.Key);
    } else {
      auto out = NewRgbStore(w, h);
      const raster::Surface o = out->Surface();
      std::vector<ColorRef> row(static_cast<std::size_t>(w));
      for (int y = 0; y < h; ++y) {
        raster::ReadRowColors(s, y, row.data());
        for (int x = 0; x < w; ++x) {
          const ColorRef c = masked(x, y) ? options.Key : row[static_cast<std::size_t>(x)];
          std::uint8_t* to = o.Row(y) + x * 3;
          to[0] = static_cast<std::uint8_t>(raster::BlueOf(c));
          to[1] = static_cast<std::uint8_t>(raster::GreenOf(c));
          to[2] = static_cast<std::uint8_t>(raster::RedOf(c));
        }
      }
      out->AlphaPixels = std::move(own);
      return out;
    }
  } else {
    keyValue = raster::ColorEncoder(s).Encode(options.Key);
  }
  const raster::Surface target = stored->Surface();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (masked(x, y)) raster::WriteValue(target, x, y, keyValue);
  stored->AlphaPixels = std::move(own);
  return stored;
}

// The picture as top-down RGBA rows: an alpha picture's own pixels, else its bottom-left colour
// with alpha 0.
std::vector<std::uint8_t> RgbaRows(const TBitmapImage& picture) {
  const std::vector<std::uint32_t> pixels = PixelsWithAlpha(picture, TEncodeOptions{});
  std::vector<std::uint8_t> out(pixels.size() * 4);
  std::uint8_t* to = out.data();
  for (const std::uint32_t p : pixels) {
    to[0] = static_cast<std::uint8_t>(p >> 16);
    to[1] = static_cast<std::uint8_t>(p >> 8);
    to[2] = static_cast<std::uint8_t>(p);
    to[3] = static_cast<std::uint8_t>(p >> 24);
    to += 4;
  }
  return out;
}

std::vector<std::uint8_t> EncodeDib(int w, int h, const std::vector<std::uint8_t>& rgba) {
  const std::size_t pixelBytes = static_cast<std::size_t>(w) * 4 * h;
  const std::size_t maskStride = static_cast<std::size_t>(raster::DibStride(w, 1));
  std::vector<std::uint8_t> out(40 + pixelBytes + maskStride * h, 0);
  PutLe32(out.data() + 0, 40);
  PutLe32(out.data() + 4, static_cast<std::uint32_t>(w));
  PutLe32(out.data() + 8, static_cast<std::uint32_t>(2 * h));
  PutLe16(out.data() + 12, 1);
  PutLe16(out.data() + 14, 32);
  PutLe32(out.data() + 20, static_cast<std::uint32_t>(pixelBytes + maskStride * h));
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* in = rgba.data() + static_cast<std::size_t>(h - 1 - y) * w * 4;
    std::uint8_t* to = out.data() + 40 + static_cast<std::size_t>(y) * w * 4;
    std::uint8_t* mask = out.data() + 40 + pixelBytes + static_cast<std::size_t>(y) * maskStride;
    for (int x = 0; x < w; ++x, in += 4, to += 4) {
      to[0] = in[2], to[1] = in[1], to[2] = in[0], to[3] = in[3];
      if (in[3] == 0) mask[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
  }
  return out;
}

}  // namespace

bool IsIco(std::span<const std::uint8_t> head) {
  return head.size() >= DirectoryHeaderSize && ReadLe16(head.data()) == 0 && ReadLe16(head.data() + 2) == 1;
}

std::vector<IcoEntry> ParseDirectory(std::span<const std::uint8_t> bytes) {
  if (!IsIco(bytes)) NotValid("no icon directory");
  const int count = static_cast<int>(ReadLe16(bytes.data() + 4));
  if (count == 0) NotValid("it holds no pictures");
  if (count > MaxEntries) NotValid(std::to_string(count) + " entries, more than " + std::to_string(MaxEntries));
  const std::size_t directoryEnd = DirectoryHeaderSize + DirectoryEntrySize * static_cast<std::size_t>(count);
  if (directoryEnd > bytes.size()) NotValid("the file ends inside its directory");
  std::vector<IcoEntry> entries;
  entries.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* d = bytes.data() + DirectoryHeaderSize + DirectoryEntrySize * static_cast<std::size_t>(i);
    IcoEntry e;
    e.Width = d[0] == 0 ? 256 : d[0];
    e.Height = d[1] == 0 ? 256 : d[1];
    e.Size = ReadLe32(d + 8);
    e.Offset = ReadLe32(d + 12);
    if (e.Offset < directoryEnd || e.Offset > bytes.size() || e.Size > bytes.size() - e.Offset)
      NotValid("an entry lies outside the file");
    const std::span<const std::uint8_t> data = EntryBytes(bytes, e);
    if (png::IsPng(data)) {
      e.Png = true;
      const png::PngHeader h = png::ParseHeader(data);
      if (static_cast<int>(h.Width) != e.Width || static_cast<int>(h.Height) != e.Height)
        NotValid("an entry's PNG is " + std::to_string(h.Width) + "x" + std::to_string(h.Height) +
                 ", its directory says " + std::to_string(e.Width) + "x" + std::to_string(e.Height));
      e.BitCount = PngBits(h);
    } else {
      e.BitCount = ParseDibEntry(data, e.Width, e.Height).Header.BitCount;
    }
    entries.push_back(e);
  }
  return entries;
}

std::size_t ChooseEntry(std::span<const IcoEntry> entries, int size) {
  const auto better = [](const IcoEntry& a, const IcoEntry& b) {
    const std::int64_t areaA = std::int64_t{a.Width} * a.Height, areaB = std::int64_t{b.Width} * b.Height;
    return areaA != areaB ? areaA > areaB : a.BitCount > b.BitCount;
  };
  std::size_t best = entries.size();
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (size > 0 && entries[i].Width == size && entries[i].Height == size &&
        (best == entries.size() || entries[i].BitCount > entries[best].BitCount))
      best = i;
  if (best != entries.size()) return best;
  best = 0;
  for (std::size_t i = 1; i < entries.size(); ++i)
    if (better(entries[i], entries[best])) best = i;
  return best;
}

std::shared_ptr<TBitmapImage> DecodeEntry(std::span<const std::uint8_t> bytes, const IcoEntry& entry,
                                          const TDecodeOptions& options) {
  const std::span<const std::uint8_t> data = EntryBytes(bytes, entry);
  if (entry.Png) return png::Decode(data, options);
  return DecodeDib(data, entry, options);
}

std::shared_ptr<TBitmapImage> Decode(std::span<const std::uint8_t> bytes, const TDecodeOptions& options) {
  if (bytes.empty()) return nullptr;
  const std::vector<IcoEntry> entries = ParseDirectory(bytes);
  return DecodeEntry(bytes, entries[ChooseEntry(entries, options.PreferredSize)], options);
}

std::vector<std::uint8_t> Encode(std::span<const TBitmapImage* const> pictures) {
  for (const TBitmapImage* p : pictures) {
    const int w = p->HasPixels() ? p->Width : 0, h = p->HasPixels() ? p->AbsHeight() : 0;
    if (w != h || w < 1 || w > MaxSide)
      throw EInvalidGraphic(FormatMessage(texts::IconPictureSize, std::to_string(w) + "x" + std::to_string(h)));
  }
  if (pictures.empty() || pictures.size() > static_cast<std::size_t>(MaxEntries))
    throw EInvalidGraphic(FormatMessage(texts::IconImageIsNotValid, std::to_string(pictures.size()) + " pictures"));
  try {
    std::vector<std::vector<std::uint8_t>> images;
    for (const TBitmapImage* p : pictures) {
      std::vector<std::uint8_t> rgba = RgbaRows(*p);
      // Windows takes its largest size compressed; smaller ones stay bitmaps every reader knows.
      images.push_back(p->Width == MaxSide ? png::EncodeRgba(p->Width, p->Width, rgba) : EncodeDib(p->Width, p->Width, rgba));
    }
    const std::size_t count = pictures.size();
    std::vector<std::uint8_t> out(DirectoryHeaderSize + DirectoryEntrySize * count, 0);
    PutLe16(out.data() + 2, 1);
    PutLe16(out.data() + 4, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = DirectoryHeaderSize + DirectoryEntrySize * i;
      const int side = pictures[i]->Width;
      out[at] = static_cast<std::uint8_t>(side == MaxSide ? 0 : side);
      out[at + 1] = out[at];
      PutLe16(out.data() + at + 4, 1);
      PutLe16(out.data() + at + 6, 32);
      PutLe32(out.data() + at + 8, static_cast<std::uint32_t>(images[i].size()));
      PutLe32(out.data() + at + 12, static_cast<std::uint32_t>(out.size()));
      out.insert(out.end(), images[i].begin(), images[i].end());
    }
    return out;
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
}

}  // namespace gliffo::ico
