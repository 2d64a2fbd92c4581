#include "formats/bmp_file.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "formats/strings.h"
#include "formats/little_endian.h"
#include "formats/transparency.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo::bmp {

namespace {

constexpr std::size_t FileHeaderSize = 14;

[[noreturn]] void NotValid() { throw EInvalidGraphic(texts::BitmapImageIsNotValid); }
[[noreturn]] void ReadFailed() { throw EReadError(texts::StreamReadError); }

std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadLe32(p)); }

// Reads forward through the header bytes; running off the end is a read error, as it is for a
// stream that ends inside a header.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  const std::uint8_t* Take(std::size_t count) {
    if (count > bytes_.size() - pos_) ReadFailed();
    const std::uint8_t* p = bytes_.data() + pos_;
    pos_ += count;
    return p;
  }
  std::size_t Position() const { return pos_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

bool KnownHeaderSize(std::uint32_t size) {
  switch (size) {
    case 12: case 40: case 52: case 56: case 64: case 108: case 124: return true;
    default: return false;
  }
}

bool Contiguous(std::uint32_t mask) {
  if (mask == 0) return true;
  const std::uint64_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

// Masks we can expand: each channel one run of bits, no two channels sharing a bit, nothing
// outside the pixel's bits, and at least one channel present (all-zero masks would silently
// read as the default layout).
bool AcceptableMasks(const BmpHeader& h) {
  const std::uint32_t r = h.RedMask, g = h.GreenMask, b = h.BlueMask;
  if ((r | g | b) == 0) return false;
  if (!Contiguous(r) || !Contiguous(g) || !Contiguous(b)) return false;
  if ((r & g) || (r & b) || (g & b)) return false;
  if (h.BitCount == 16 && ((r | g | b) & 0xFFFF0000u)) return false;
  return true;
}

void CheckDecodable(const BmpHeader& h) {
  if (h.Planes != 1) NotValid();
  switch (h.BitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: NotValid();  // 0 (embedded JPEG/PNG), 2, 64 and the like
  }
  switch (h.Compression) {
    case BI_RGB: break;
    case BI_RLE8: if (h.BitCount != 8) NotValid(); break;
    case BI_RLE4: if (h.BitCount != 4) NotValid(); break;
    case BI_BITFIELDS:
      // In the 64-byte OS/2 header code 3 means Huffman coding, which we do not read.
      if (h.HeaderSize == 64 || (h.BitCount != 16 && h.BitCount != 32)) NotValid();
      break;
    default: NotValid();
  }
  if (h.Width <= 0 || h.Height == 0 || h.Height == INT32_MIN) NotValid();
  // Run-length data is always stored bottom row first.
  if ((h.Compression == BI_RLE8 || h.Compression == BI_RLE4) && h.Height < 0) NotValid();
}

std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
  std::uint64_t r = 0;
  if (__builtin_mul_overflow(a, b, &r)) return std::numeric_limits<std::uint64_t>::max();
  return r;
}

}  // namespace

bool IsBmpSignature(std::span<const std::uint8_t> head) { return head.size() >= 2 && ReadLe16(head.data()) == 0x4D42; }

bool IsRle(const BmpHeader& h) { return h.Compression == BI_RLE8 || h.Compression == BI_RLE4; }

std::shared_ptr<TBitmapImage> NewDibStore(const BmpHeader& h) {
  TBitmapImage t;
  t.DeviceDependent = false;
  t.Width = h.Width;
  t.Height = h.Height;
  t.BitCount = h.BitCount;
  t.Compression = h.Compression;
  t.SizeImage = h.SizeImage;
  t.ClrUsed = h.ClrUsed;
  t.XPelsPerMeter = h.XPelsPerMeter;
  t.YPelsPerMeter = h.YPelsPerMeter;
  t.ClrImportant = h.ClrImportant;
  if (h.Compression == BI_BITFIELDS) {
    t.RedMask = h.RedMask;
    t.GreenMask = h.GreenMask;
    t.BlueMask = h.BlueMask;
  }
  t.ColorTable = h.ColorTable;
  t.CoreHeader = h.CoreHeader;
  return NewStore(t);
}

namespace {

// ---- Run-length decoding ----------------------------------------------------------------------
//
// The decoder is a loop over two-byte commands with a defined outcome for each: an encoded run,
// end of line, end of bitmap, a delta move, or an absolute run. Runs write at the position and
// move it right, clipped at the row's end; end of line and delta move it without writing, always
// forward (right or down). So the pixels no command writes are exactly those the position jumps
// over, and they take table entry 0 as it jumps.

enum class RleCommand { EncodedRun, EndOfLine, EndOfBitmap, Delta, AbsoluteRun };

RleCommand Classify(std::uint8_t first, std::uint8_t second) {
  if (first != 0) return RleCommand::EncodedRun;
  switch (second) {
    case 0: return RleCommand::EndOfLine;
    case 1: return RleCommand::EndOfBitmap;
    case 2: return RleCommand::Delta;
    default: return RleCommand::AbsoluteRun;
  }
}

void Put(std::uint8_t* p, std::uint32_t color) { std::memcpy(p, &color, 4); }

class RleDecoder {
 public:
  RleDecoder(TBitmapImage& store, const std::vector<raster::Rgb>& table, bool fourBit)
      : width_(store.Width), height_(store.AbsHeight()), bits_(store.Bits.data()), fourBit_(fourBit) {
    // Device-dependent pixels are blue, green, red, 0 in memory; indexes beyond the table
    // read as black, as they do everywhere else.
    for (std::size_t i = 0; i < 256; ++i) {
      lut_[i] = 0;
      if (i < table.size()) lut_[i] = table[i].Blue | (table[i].Green << 8) | (table[i].Red << 16);
    }
    unwritten_ = lut_[0];
    row_ = RowPointer(0);
  }

  void Run(std::span<const std::uint8_t> data) {
    std::size_t pos = 0;
    const std::size_t n = data.size();
    while (y_ < height_ && n - pos >= 2) {
      const std::uint8_t first = data[pos], second = data[pos + 1];
      pos += 2;
      switch (Classify(first, second)) {
        case RleCommand::EncodedRun:
          WriteEncoded(first, second);
          break;
        case RleCommand::EndOfLine:
          MoveTo(0, y_ + 1);
          break;
        case RleCommand::EndOfBitmap:
          pos = n;
          break;
        case RleCommand::Delta:
          if (n - pos < 2) {
            pos = n;
            break;
          }
          MoveTo(std::min<std::int64_t>(x_ + data[pos], width_), y_ + data[pos + 1]);
          pos += 2;
          break;
        case RleCommand::AbsoluteRun: {
          const std::size_t count = second;
          std::size_t bytes = fourBit_ ? (count + 1) / 2 : count;
          bytes += bytes & 1;  // absolute runs end on a 16-bit boundary
          const std::size_t available = std::min(bytes, n - pos);
          const std::size_t pixels = std::min(count, fourBit_ ? available * 2 : available);
          WriteAbsolute(data.data() + pos, static_cast<std::int64_t>(pixels));
          pos += available;
          break;
        }
      }
    }
    MoveTo(0, height_);
  }

 private:
  // Row y of the file (bottom row first) in the top-down store.
  std::uint8_t* RowPointer(std::int64_t y) const {
    return bits_ + (static_cast<std::int64_t>(height_) - 1 - y) * width_ * 4;
  }

  void MoveTo(std::int64_t x, std::int64_t y) {
    if (unwritten_ != 0) {
      FillUnwritten(std::min<std::int64_t>(y, height_), x);
    } else if (dirtyTo_ > x_) {
      // Undo what the last run wrote past its end, up to where the position lands.
      const std::int64_t to = y == y_ ? std::min(dirtyTo_, x) : dirtyTo_;
      for (std::int64_t i = x_; i < to; ++i) Put(row_ + i * 4, 0);
    }
    x_ = x;
    if (y != y_) {
      y_ = y;
      dirtyTo_ = 0;
      if (y_ < height_) row_ = RowPointer(y_);
    }
  }

  // Gives every pixel from the current position up to (x, y) the colour of table entry 0.
  // The store starts zeroed, so with a black entry 0 there is nothing to do.
  void FillUnwritten(std::int64_t y, std::int64_t x) {
    if (unwritten_ == 0) return;
    for (std::int64_t row = y_; row <= y && row < height_; ++row) {
      const std::int64_t from = row == y_ ? x_ : 0;
      const std::int64_t to = row == y ? x : width_;
      std::uint8_t* p = RowPointer(row);
      for (std::int64_t i = from; i < to; ++i) Put(p + i * 4, unwritten_);
    }
  }

  // Runs are clipped at the end of their row; what does not fit is dropped. Where the row has
  // room, a run is written in whole blocks of Block pixels, which costs less than stopping at
  // the exact pixel; the pixels written past the run's end are written again by the next
  // command, or put back by MoveTo when the position jumps over them.
  static constexpr std::int64_t Block = 16;

  void WriteEncoded(std::uint8_t count, std::uint8_t value) {
    // Two pixels at a time: the same colour twice for RLE8, the two nibbles' colours for RLE4.
    const std::uint64_t pair = fourBit_ ? lut_[value >> 4] | (std::uint64_t{lut_[value & 0x0F]} << 32)
                                        : lut_[value] | (std::uint64_t{lut_[value]} << 32);
    std::uint64_t pattern[Block / 2];
    for (std::int64_t i = 0; i < Block / 2; ++i) pattern[i] = pair;
    std::uint8_t* p = row_ + x_ * 4;
    const std::int64_t blocks = (count + Block - 1) / Block;
    if (x_ + blocks * Block <= width_) {
      for (std::int64_t b = 0; b < blocks; ++b) std::memcpy(p + b * Block * 4, pattern, sizeof pattern);
      dirtyTo_ = std::max(dirtyTo_, x_ + blocks * Block);
      x_ += count;
      return;
    }
    const std::int64_t n = std::min<std::int64_t>(count, width_ - x_);
    const std::uint32_t colors[2] = {static_cast<std::uint32_t>(pair), static_cast<std::uint32_t>(pair >> 32)};
    for (std::int64_t i = 0; i < n; ++i) Put(p + i * 4, colors[i & 1]);
    x_ += n;
  }

  void WriteAbsolute(const std::uint8_t* src, std::int64_t count) {
    const std::int64_t n = std::min<std::int64_t>(count, width_ - x_);
    std::uint8_t* p = row_ + x_ * 4;
    if (!fourBit_) {
      for (std::int64_t i = 0; i < n; ++i) Put(p + i * 4, lut_[src[i]]);
    } else {
      std::int64_t i = 0;
      for (; i + 1 < n; i += 2) {
        const std::uint8_t b = src[i >> 1];
        Put(p + i * 4, lut_[b >> 4]);
        Put(p + i * 4 + 4, lut_[b & 0x0F]);
      }
      if (i < n) Put(p + i * 4, lut_[src[i >> 1] >> 4]);
    }
    x_ += n;
  }

  std::int32_t width_, height_;
  std::uint8_t* bits_;
  bool fourBit_;
  std::uint32_t lut_[256];
  std::uint32_t unwritten_ = 0;
  std::uint8_t* row_ = nullptr;  // the current row while y_ is inside the image
  std::int64_t dirtyTo_ = 0;     // pixels of the current row a run wrote beyond its end reach here
  std::int64_t x_ = 0, y_ = 0;   // x_ stays within [0, width]; y_ may pass the last row
};

std::shared_ptr<TBitmapImage> DecodeRle(const BmpHeader& h, std::span<const std::uint8_t> data) {
  TBitmapImage description;  // the device-dependent format
  description.Width = h.Width;
  description.Height = h.AbsHeight();
  auto image = NewStore(description);
  RleDecoder decoder(*image, h.ColorTable, h.Compression == BI_RLE4);
  decoder.Run(data);
  return image;
}

// ---- Writing -----------------------------------------------------------------------------------


// The core header holds 16-bit unsigned sizes and no compression; a store it cannot describe
// (resized past 65535, converted to bit fields or to a depth the core format lacks) is written
// with the 40-byte header instead of being cut down.
bool WritableAsCore(const TBitmapImage& s, std::uint16_t bitCount) {
  if (!s.CoreHeader || s.Compression != BI_RGB) return false;
  if (s.Width > 0xFFFF || s.Height <= 0 || s.Height > 0xFFFF) return false;
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

std::vector<std::uint8_t> EncodeDeviceDependent(const TBitmapImage& s) {
  // Saved at the device depth, 32 bits, bottom row first, no table.
  const std::size_t width = static_cast<std::size_t>(s.Width), height = static_cast<std::size_t>(s.AbsHeight());
  const std::size_t rowBytes = width * 4;
  const std::size_t sizeImage = rowBytes * height;
  // The core format has no 32-bit depth: always the 40-byte header.
  const std::size_t offBits = FileHeaderSize + 40;
  std::vector<std::uint8_t> out(offBits + sizeImage, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out.data() + 2, static_cast<std::uint32_t>(offBits + sizeImage));
  PutLe32(out.data() + 10, static_cast<std::uint32_t>(offBits));
  PutLe32(out.data() + 14, 40);
  PutLe32(out.data() + 18, static_cast<std::uint32_t>(s.Width));
  PutLe32(out.data() + 22, static_cast<std::uint32_t>(height));
  PutLe16(out.data() + 26, 1);
  PutLe16(out.data() + 28, 32);
  PutLe32(out.data() + 30, BI_RGB);
  PutLe32(out.data() + 34, static_cast<std::uint32_t>(sizeImage));
  const std::uint8_t* src = s.Bits.data();
  std::uint8_t* dst = out.data() + offBits;
  for (std::size_t row = 0; row < height; ++row) {
    const std::uint8_t* from = src + (height - 1 - row) * rowBytes;
    std::uint8_t* to = dst + row * rowBytes;
    std::memcpy(to, from, rowBytes);
    for (std::size_t x = 3; x < rowBytes; x += 4) to[x] = 0;  // the fourth byte is 0 in the file
  }
  return out;
}

// The info header and what follows it, read from where `in` stands. offBits, when the bytes
// have a file header, is where that header says the pixels start; positions count from the
// start of the bytes, which are the first of fileSize.
BmpHeader ParseInfo(ByteReader& in, std::size_t fileSize, std::optional<std::uint32_t> offBits, bool withinLimit) {
  BmpHeader h;
  h.HeaderSize = ReadLe32(in.Take(4));
  if (!KnownHeaderSize(h.HeaderSize)) NotValid();
  const std::uint8_t* p = in.Take(h.HeaderSize - 4) - 4;  // p[k] is the header's byte k
  if (h.HeaderSize == 12) {
    h.CoreHeader = true;
    h.Width = ReadLe16(p + 4);
    h.Height = ReadLe16(p + 6);
    h.Planes = ReadLe16(p + 8);
    h.BitCount = ReadLe16(p + 10);
  } else {
    h.Width = I32(p + 4);
    h.Height = I32(p + 8);
    h.Planes = ReadLe16(p + 12);
    h.BitCount = ReadLe16(p + 14);
    h.Compression = ReadLe32(p + 16);
    h.SizeImage = ReadLe32(p + 20);
    h.XPelsPerMeter = I32(p + 24);
    h.YPelsPerMeter = I32(p + 28);
    h.ClrUsed = ReadLe32(p + 32);
    h.ClrImportant = ReadLe32(p + 36);
  }
  if (h.Planes != 1) NotValid();
  CheckDecodable(h);
  if (withinLimit && raster::TooManyPixels(h.Width, h.AbsHeight())) ThrowOutOfResources();

  if (h.Compression == BI_BITFIELDS) {
    const std::uint8_t* m = nullptr;
    if (h.HeaderSize == 40) m = in.Take(12);  // the masks follow a 40-byte header
    else m = p + 40;                          // longer headers carry them
    h.RedMask = ReadLe32(m);
    h.GreenMask = ReadLe32(m + 4);
    h.BlueMask = ReadLe32(m + 8);
    if (!AcceptableMasks(h)) NotValid();
  }
  // The alpha mask stands in the header after the colour masks, from the 56-byte header on.
  // For plain 32-bit pixels only the version 4 and 5 headers are taken at their word: the
  // shorter ones have no mask a plain file would use.
  if (h.HeaderSize >= 56 && (h.Compression == BI_BITFIELDS || (h.Compression == BI_RGB && h.BitCount == 32 && h.HeaderSize >= 108))) {
    const std::uint32_t alpha = ReadLe32(p + 52);
    const std::uint32_t colours = h.Compression == BI_BITFIELDS ? (h.RedMask | h.GreenMask | h.BlueMask) : 0x00FFFFFFu;
    const std::uint32_t pixelBits = h.BitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    if (alpha != 0 && Contiguous(alpha) && (alpha & colours) == 0 && (alpha & ~pixelBits) == 0) h.AlphaMask = alpha;
  }

  std::uint32_t entries = h.ClrUsed;
  if (entries == 0 && h.BitCount <= 8) entries = 1u << h.BitCount;
  if (entries > 256) NotValid();
  const std::size_t entrySize = h.CoreHeader ? 3 : 4;
  const std::size_t tableStart = in.Position();
  const std::size_t tableEnd = tableStart + entries * entrySize;
  // A file whose pixel offset lands inside the table we expected has a shorter table (files
  // with a partial palette are common); the offset says where it ends. An offset inside the
  // first entry says nothing of the kind: no table at all could not be saved again (a table
  // of 0 entries is written as the full one), so the table keeps its expected size.
  if (offBits && *offBits > tableStart && *offBits < tableEnd && *offBits < fileSize) {
    const auto shorter = static_cast<std::uint32_t>((*offBits - tableStart) / entrySize);
    if (shorter > 0) entries = shorter;
  }
  const std::uint8_t* t = in.Take(entries * entrySize);
  h.ColorTable.resize(entries);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint8_t* e = t + i * entrySize;
    h.ColorTable[i] = raster::Rgb{e[0], e[1], e[2], 0};
  }

  // Pixels start right after the table, unless the file header points further on, inside the
  // file: writers that align the pixel data leave a gap we must skip.
  h.PixelOffset = in.Position();
  if (offBits && *offBits >= h.PixelOffset && *offBits < fileSize) h.PixelOffset = *offBits;

  const std::uint64_t stride = static_cast<std::uint64_t>(raster::DibStride(h.Width, h.BitCount));
  std::uint64_t imageSize = h.SizeImage;
  if (imageSize == 0) {
    // Run-length data has no size of its own to fall back on: read up to the end of the file.
    imageSize = IsRle(h) ? std::numeric_limits<std::uint64_t>::max()
                         : SaturatingMul(stride, static_cast<std::uint64_t>(h.AbsHeight()));
  }
  const std::size_t left = fileSize > h.PixelOffset ? fileSize - h.PixelOffset : 0;
  h.PixelBytes = static_cast<std::size_t>(std::min<std::uint64_t>(imageSize, left));
  return h;
}

}  // namespace

namespace {

BmpHeader ParseFileHeaders(std::span<const std::uint8_t> bytes, std::size_t fileSize, bool withinLimit) {
  ByteReader in(bytes);
  const std::uint8_t* fh = in.Take(FileHeaderSize);
  if (!IsBmpSignature(bytes)) NotValid();
  return ParseInfo(in, fileSize, ReadLe32(fh + 10), withinLimit);
}

}  // namespace

BmpHeader ParseHeader(std::span<const std::uint8_t> bytes, std::size_t fileSize) {
  return ParseFileHeaders(bytes, fileSize, true);
}

BmpHeader ParseHeaderOfAnySize(std::span<const std::uint8_t> prefix, std::size_t fileSize) {
  return ParseFileHeaders(prefix, fileSize, false);
}

BmpHeader ParseDib(std::span<const std::uint8_t> dib) {
  ByteReader in(dib);
  return ParseInfo(in, dib.size(), std::nullopt, true);
}

BmpHeader ParseHeader(std::span<const std::uint8_t> bytes) { return ParseHeader(bytes, bytes.size()); }

std::shared_ptr<TBitmapImage> DecodePixels(const BmpHeader& header, std::span<const std::uint8_t> pixels) {
  if (IsRle(header)) return DecodeRle(header, pixels);
  auto image = NewDibStore(header);
  const std::size_t n = std::min(pixels.size(), image->Bits.size());
  if (n > 0) std::memcpy(image->Bits.data(), pixels.data(), n);
  AttachAlpha(header, *image);
  return image;
}

void AttachAlpha(const BmpHeader& header, TBitmapImage& image) {
  image.AlphaPixels.clear();
  if (header.AlphaMask == 0 || !image.HasPixels() || image.DeviceDependent) return;
  const raster::Surface s = image.Surface();
  const std::uint32_t mask = header.AlphaMask;
  const int shift = std::countr_zero(mask);
  const std::uint32_t top = mask >> shift;
  std::vector<std::uint32_t> pixels;
  AllocateAlphaPixels(pixels, s.Width, s.Height);
  bool anyAlpha = false;
  for (int y = 0; y < s.Height; ++y) {
    const std::uint8_t* row = s.Row(y);
    std::uint32_t* out = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s.Width);
    for (int x = 0; x < s.Width; ++x) {
      const std::uint32_t raw = s.BitCount == 16 ? ReadLe16(row + 2 * x) : ReadLe32(row + 4 * x);
      const std::uint32_t v = (raw & mask) >> shift;
      // Narrower alpha is widened as the colour channels are: round(v * 255 / top).
      const int alpha = static_cast<int>((std::uint64_t{v} * 255 * 2 + top) / (2 * std::uint64_t{top}));
      anyAlpha = anyAlpha || alpha != 0;
      out[x] = AlphaPixelOf(raster::ValueToColor(s, raster::ReadValue(s, x, y)), alpha);
    }
  }
  if (anyAlpha) image.AlphaPixels = std::move(pixels);
}

std::shared_ptr<TBitmapImage> Decode(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return nullptr;
  const BmpHeader header = ParseHeader(bytes);
  return DecodePixels(header, bytes.subspan(header.PixelOffset, header.PixelBytes));
}

namespace {

// Everything before the pixel bits of a device-independent store: file header, info header,
// masks and colour table. sizeImage receives the number of pixel bytes that follow.
std::vector<std::uint8_t> EncodeHead(const TBitmapImage& s, std::size_t& sizeImage) {
  const std::uint16_t bitCount = s.BitCount;
  const bool core = WritableAsCore(s, bitCount);
  const bool masks = !core && bitCount > 8 && s.Compression == BI_BITFIELDS;
  const std::size_t tableSize = std::min<std::size_t>(s.ColorTable.size(), 256);
  const std::size_t entries = core ? (bitCount <= 8 ? std::size_t{1} << bitCount : 0) : tableSize;
  const std::size_t headerSize = core ? 12 : 40;
  const std::size_t entrySize = core ? 3 : 4;
  const std::size_t offBits = FileHeaderSize + headerSize + (masks ? 12 : 0) + entries * entrySize;
  const std::size_t stride = static_cast<std::size_t>(s.Stride());
  sizeImage = stride * static_cast<std::size_t>(s.AbsHeight());

  std::vector<std::uint8_t> out(offBits, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out.data() + 2, static_cast<std::uint32_t>(offBits + sizeImage));
  PutLe32(out.data() + 10, static_cast<std::uint32_t>(offBits));
  std::size_t at = FileHeaderSize;
  if (core) {
    PutLe32(out.data() + at, 12);
    PutLe16(out.data() + at + 4, static_cast<std::uint32_t>(s.Width));
    PutLe16(out.data() + at + 6, static_cast<std::uint32_t>(s.Height));
    PutLe16(out.data() + at + 8, 1);
    PutLe16(out.data() + at + 10, bitCount);
  } else {
    PutLe32(out.data() + at, 40);
    PutLe32(out.data() + at + 4, static_cast<std::uint32_t>(s.Width));
    PutLe32(out.data() + at + 8, static_cast<std::uint32_t>(s.Height));
    PutLe16(out.data() + at + 12, 1);
    PutLe16(out.data() + at + 14, bitCount);
    PutLe32(out.data() + at + 16, masks ? BI_BITFIELDS : BI_RGB);
    PutLe32(out.data() + at + 20, static_cast<std::uint32_t>(sizeImage));
    // A loaded file's resolution and important-colour count travel with it; stores the
    // program makes hold 0 in both.
    PutLe32(out.data() + at + 24, static_cast<std::uint32_t>(s.XPelsPerMeter));
    PutLe32(out.data() + at + 28, static_cast<std::uint32_t>(s.YPelsPerMeter));
    PutLe32(out.data() + at + 32, static_cast<std::uint32_t>(entries));
    PutLe32(out.data() + at + 36, s.ClrImportant <= entries ? s.ClrImportant : 0);
  }
  at += headerSize;
  if (masks) {
    PutLe32(out.data() + at, s.RedMask);
    PutLe32(out.data() + at + 4, s.GreenMask);
    PutLe32(out.data() + at + 8, s.BlueMask);
    at += 12;
  }
  for (std::size_t i = 0; i < entries; ++i, at += entrySize) {
    if (i >= tableSize) continue;  // the core format's full table: missing entries stay zero
    out[at] = s.ColorTable[i].Blue;
    out[at + 1] = s.ColorTable[i].Green;
    out[at + 2] = s.ColorTable[i].Red;
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> Encode(const TBitmapImage& s) {
  if (!s.HasPixels()) return {};
  if (s.DeviceDependent) return EncodeDeviceDependent(s);
  std::size_t sizeImage = 0;
  std::vector<std::uint8_t> out = EncodeHead(s, sizeImage);
  const std::size_t offBits = out.size();
  out.resize(offBits + sizeImage, 0);
  std::memcpy(out.data() + offBits, s.Bits.data(), std::min(sizeImage, s.Bits.size()));
  return out;
}

std::vector<std::uint8_t> EncodeWithAlpha(const TBitmapImage& image, const TEncodeOptions& options) {
  if (!image.HasPixels()) return {};
  const std::vector<std::uint32_t> pixels = PixelsWithAlpha(image, options);
  const std::size_t width = static_cast<std::size_t>(image.Width), height = static_cast<std::size_t>(image.AbsHeight());
  constexpr std::size_t V5HeaderSize = 124;
  const std::size_t offBits = FileHeaderSize + V5HeaderSize;
  const std::size_t sizeImage = width * height * 4;
  std::vector<std::uint8_t> out;
  try {
    out.assign(offBits + sizeImage, 0);
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out.data() + 2, static_cast<std::uint32_t>(offBits + sizeImage));
  PutLe32(out.data() + 10, static_cast<std::uint32_t>(offBits));
  std::uint8_t* v5 = out.data() + FileHeaderSize;
  PutLe32(v5, V5HeaderSize);
  PutLe32(v5 + 4, static_cast<std::uint32_t>(width));
  PutLe32(v5 + 8, static_cast<std::uint32_t>(height));  // bottom row first
  PutLe16(v5 + 12, 1);
  PutLe16(v5 + 14, 32);
  PutLe32(v5 + 16, BI_BITFIELDS);
  PutLe32(v5 + 20, static_cast<std::uint32_t>(sizeImage));
  PutLe32(v5 + 24, static_cast<std::uint32_t>(image.XPelsPerMeter));
  PutLe32(v5 + 28, static_cast<std::uint32_t>(image.YPelsPerMeter));
  PutLe32(v5 + 40, 0x00FF0000u);
  PutLe32(v5 + 44, 0x0000FF00u);
  PutLe32(v5 + 48, 0x000000FFu);
  PutLe32(v5 + 52, 0xFF000000u);
  PutLe32(v5 + 56, 0x73524742u);  // 'sRGB': no end points, gamma or profile follow
  PutLe32(v5 + 108, 4);           // rendering intent: pictures
  std::uint8_t* to = out.data() + offBits;
  for (std::size_t row = 0; row < height; ++row) {
    const std::uint32_t* from = pixels.data() + (height - 1 - row) * width;
    for (std::size_t x = 0; x < width; ++x, to += 4) PutLe32(to, from[x]);
  }
  return out;
}

// ---- Files -------------------------------------------------------------------------------------

void SaveFile(const TBitmapImage& image, const std::string& fileName) {
  if (image.HasPixels() && !image.DeviceDependent) {
    // The store's bits are already the file's pixel bytes: write them from where they are.
    std::size_t sizeImage = 0;
    const std::vector<std::uint8_t> head = EncodeHead(image, sizeImage);
    if (image.Bits.size() >= sizeImage) {
      const std::span<const std::uint8_t> parts[2] = {head, std::span<const std::uint8_t>(image.Bits.data(), sizeImage)};
      files::WriteWholeFile(fileName, std::span<const std::span<const std::uint8_t>>(parts));
      return;
    }
  }
  const std::vector<std::uint8_t> bytes = Encode(image);
  files::WriteWholeFile(fileName, bytes);
}
}  // namespace gliffo::bmp
