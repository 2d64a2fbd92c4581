#include "formats/png_codec.h"

#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <unordered_map>

#include "formats/strings.h"
#include "formats/transparency.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "platform/late_library.h"

namespace gliffo::png {

using raster::ColorRef;

namespace {

// libspng is opened on the first PNG, not at start.
const TLateLibrary Spng("libspng.so.0", "PNG files");
GLIFFO_LATE(Spng, spng_ctx_free);
GLIFFO_LATE(Spng, spng_ctx_new);
GLIFFO_LATE(Spng, spng_decode_chunks);
GLIFFO_LATE(Spng, spng_decode_image);
GLIFFO_LATE(Spng, spng_decode_row);
GLIFFO_LATE(Spng, spng_decoded_image_size);
GLIFFO_LATE(Spng, spng_encode_image);
GLIFFO_LATE(Spng, spng_get_ihdr);
GLIFFO_LATE(Spng, spng_get_plte);
GLIFFO_LATE(Spng, spng_get_png_buffer);
GLIFFO_LATE(Spng, spng_get_row_info);
GLIFFO_LATE(Spng, spng_get_trns);
GLIFFO_LATE(Spng, spng_set_chunk_limits);
GLIFFO_LATE(Spng, spng_set_ihdr);
GLIFFO_LATE(Spng, spng_set_option);
GLIFFO_LATE(Spng, spng_set_plte);
GLIFFO_LATE(Spng, spng_set_png_buffer);
GLIFFO_LATE(Spng, spng_set_png_stream);
GLIFFO_LATE(Spng, spng_set_trns);
GLIFFO_LATE(Spng, spng_strerror);

constexpr std::uint8_t Signature[SignatureSize] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Ancillary chunks (text, profiles) are of no use to a glyph; these limits keep a hostile
// file from making libspng hold or inflate much of them. Pixel data is bounded by MaxPixels.
constexpr std::size_t ChunkSizeLimit = std::size_t{16} << 20;
constexpr std::size_t ChunkCacheLimit = std::size_t{64} << 20;

struct ContextFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

// libspng reports through return codes, never a longjmp, so an error simply unwinds through
// the unique_ptr that frees its context and the store not yet handed out.
[[noreturn]] void Refuse(int err) {
  if (err == SPNG_EMEM) ThrowOutOfResources();
  throw EInvalidGraphic(FormatMessage(texts::PngImageIsNotValid, std::string(spng_strerror(err))));
}

void Check(int err) {
  if (err != 0) Refuse(err);
}

Context NewContext(int flags) {
  Context ctx(spng_ctx_new(flags));
  if (!ctx) ThrowOutOfResources();
  return ctx;
}

Context OpenDecoder(std::span<const std::uint8_t> bytes) {
  if (!IsPng(bytes)) Refuse(SPNG_ESIGNATURE);
  Context ctx = NewContext(0);
  Check(spng_set_chunk_limits(ctx.get(), ChunkSizeLimit, ChunkCacheLimit));
  Check(spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size()));
  return ctx;
}

spng_ihdr ReadIhdr(spng_ctx* ctx) {
  spng_ihdr ihdr{};
  Check(spng_get_ihdr(ctx, &ihdr));
  // Before anything the size of the picture is allocated, and before libspng inflates a byte
  // of pixel data: a decompression bomb stops here.
  if (static_cast<std::int64_t>(ihdr.width) * ihdr.height > MaxPixels) ThrowOutOfResources();
  return ihdr;
}

// Optional chunks: absent is not an error, anything else libspng says is.
bool ReadPlte(spng_ctx* ctx, spng_plte& plte) {
  const int err = spng_get_plte(ctx, &plte);
  if (err == SPNG_ECHUNKAVAIL) return false;
  Check(err);
  return true;
}
bool ReadTrns(spng_ctx* ctx, spng_trns& trns) {
  const int err = spng_get_trns(ctx, &trns);
  if (err == SPNG_ECHUNKAVAIL) return false;
  Check(err);
  return true;
}

std::shared_ptr<TBitmapImage> NewIndexedOrRgbStore(int width, int height, int bitCount, std::vector<raster::Rgb> table) {
  TBitmapImage description;
  description.DeviceDependent = false;
  description.Width = width;
  description.Height = height;  // bottom row first
  description.BitCount = static_cast<std::uint16_t>(bitCount);
  description.ClrUsed = static_cast<std::uint32_t>(table.size());
  description.SizeImage = static_cast<std::uint32_t>(raster::DibStride(width, bitCount) * height);
  description.ColorTable = std::move(table);
  return NewStore(description);
}

// Copies one decoded row (packed as the file stores it, or 8-bit RGBA) into a store row and,
// for an alpha picture, into its row of alpha pixels: every pixel, or for a pass of an
// interlaced file only its own columns (first, first + step, ...), the others left as they are.
class RowConverter {
 public:
  // alphaTable: the alpha pixel of every index of an indexed alpha picture (empty otherwise).
  RowConverter(int width, int pngDepth, bool rgba, const TDecodeOptions& options, std::vector<std::uint32_t> alphaTable)
      : width_(width), pngDepth_(pngDepth), rgba_(rgba), rule_(options), alphaTable_(std::move(alphaTable)) {}

  // Returns whether every pixel converted is opaque (always so for indexed rows).
  bool operator()(const std::uint8_t* in, std::uint8_t* out, std::uint32_t* alphaOut, int first = 0, int step = 1) const {
    if (rgba_) {
      unsigned opaque = 0xFF;
      for (int x = first; x < width_; x += step) {
        const std::uint8_t* p = in + 4 * static_cast<std::size_t>(x);
        const std::uint8_t bgr[3] = {p[2], p[1], p[0]};  // stores keep blue first
        rule_.ApplyBgr(bgr, p[3], out + 3 * static_cast<std::size_t>(x));
        if (alphaOut) alphaOut[x] = MakeAlphaPixel(p[0], p[1], p[2], p[3]);
        opaque &= p[3];
      }
      return !alphaOut && opaque == 0xFF;
    }
    const int perByte = 8 / pngDepth_, mask = (1 << pngDepth_) - 1;
    const auto value = [&](int x) {
      return static_cast<std::size_t>((in[x / perByte] >> (8 - pngDepth_ - pngDepth_ * (x % perByte))) & mask);
    };
    if (alphaOut) {
      // Indexes past the table read as opaque black, as the store shows them.
      const std::size_t entries = alphaTable_.size();
      for (int x = first; x < width_; x += step) {
        const std::size_t v = value(x);
        alphaOut[x] = v < entries ? alphaTable_[v] : MakeAlphaPixel(0, 0, 0, 255);
      }
    }
    if (pngDepth_ == 2 || step != 1) {
      // Pixel by pixel: a 2-bit index becomes a nibble (no 2-bit store exists), and a pass
      // leaves the other passes' pixels alone.
      const int bits = pngDepth_ == 2 ? 4 : pngDepth_, storePerByte = 8 / bits;
      for (int x = first; x < width_; x += step) {
        const int shift = 8 - bits - bits * (x % storePerByte);
        std::uint8_t& b = out[x / storePerByte];
        b = static_cast<std::uint8_t>((b & ~(mask << shift)) | (value(x) << shift));
      }
    } else {
      const std::size_t bits = static_cast<std::size_t>(width_) * static_cast<std::size_t>(pngDepth_);
      std::memcpy(out, in, (bits + 7) / 8);
      if (bits % 8 != 0) out[bits / 8] &= static_cast<std::uint8_t>(0xFF00u >> (bits % 8));  // padding stays zero
    }
    return true;
  }

 private:
  int width_, pngDepth_;
  bool rgba_;
  TAlphaRule rule_;
  std::vector<std::uint32_t> alphaTable_;
};

}  // namespace

bool IsPng(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= SignatureSize && std::memcmp(bytes.data(), Signature, SignatureSize) == 0;
}

PngHeader ParseHeader(std::span<const std::uint8_t> bytes) {
  Context ctx = OpenDecoder(bytes);
  const spng_ihdr ihdr = ReadIhdr(ctx.get());
  PngHeader h;
  h.Width = ihdr.width;
  h.Height = ihdr.height;
  h.BitDepth = ihdr.bit_depth;
  h.ColorType = ihdr.color_type;
  h.Interlaced = ihdr.interlace_method != 0;
  spng_plte plte{};
  if (ReadPlte(ctx.get(), plte)) h.PaletteSize = static_cast<int>(plte.n_entries);
  spng_trns trns{};
  if (ReadTrns(ctx.get(), trns))
    h.TransparencyEntries = ihdr.color_type == ColorTypeIndexed ? static_cast<int>(trns.n_type3_entries) : 1;
  return h;
}

namespace {

std::shared_ptr<TBitmapImage> DecodeOpened(const Context& ctx, const TDecodeOptions& options) {
  const spng_ihdr ihdr = ReadIhdr(ctx.get());
  const int width = static_cast<int>(ihdr.width), height = static_cast<int>(ihdr.height);
  const int depth = ihdr.bit_depth;
  spng_plte plte{};
  const bool hasPlte = ReadPlte(ctx.get(), plte);
  spng_trns trns{};
  const bool hasTrns = ReadTrns(ctx.get(), trns);

  // An alpha channel or tRNS makes an alpha picture: its own pixels are kept beside the store.
  const bool alpha =
      options.KeepAlpha && (ihdr.color_type == ColorTypeRgba || ihdr.color_type == ColorTypeGrayAlpha || hasTrns);
  // Indexed stores keep the file's indexes; their tables carry the alpha rule.
  const TAlphaRule rule(options);
  std::vector<raster::Rgb> table;
  std::vector<std::uint32_t> alphaTable;
  bool indexed = false;
  if (ihdr.color_type == ColorTypeIndexed) {
    if (!hasPlte) Refuse(SPNG_ECHUNKAVAIL);
    indexed = true;
    table.resize(plte.n_entries);
    for (std::uint32_t i = 0; i < plte.n_entries; ++i) {
      const std::uint8_t rgb[3] = {plte.entries[i].red, plte.entries[i].green, plte.entries[i].blue};
      const int a = hasTrns && i < trns.n_type3_entries ? trns.type3_alpha[i] : 255;
      std::uint8_t out[3];
      rule.ApplyRgb(rgb, a, out);
      table[i] = raster::Rgb{out[2], out[1], out[0], 0};
      if (alpha) alphaTable.push_back(MakeAlphaPixel(rgb[0], rgb[1], rgb[2], a));
    }
  } else if (ihdr.color_type == ColorTypeGray && depth <= 8) {
    indexed = true;
    const int levels = 1 << depth;
    table.resize(static_cast<std::size_t>(levels));
    for (int v = 0; v < levels; ++v) {
      const auto g = static_cast<std::uint8_t>(v * 255 / (levels - 1));
      table[static_cast<std::size_t>(v)] = raster::Rgb{g, g, g, 0};
      if (alpha) alphaTable.push_back(MakeAlphaPixel(g, g, g, hasTrns && trns.gray == v ? 0 : 255));
    }
    if (hasTrns && trns.gray < levels) {
      // The one transparent grey has alpha 0: it is the key.
      table[trns.gray] = raster::ToRgb(options.Key);
    }
  }
  const int bitCount = !indexed ? 24 : depth == 1 ? 1 : depth <= 4 ? 4 : 8;
  const int format = indexed ? SPNG_FMT_PNG : SPNG_FMT_RGBA8;
  const int flags = indexed ? 0 : SPNG_DECODE_TRNS;

  std::shared_ptr<TBitmapImage> image = NewIndexedOrRgbStore(width, height, bitCount, std::move(table));
  // An alpha picture whose every pixel is opaque keeps no pixels of its own: they are the
  // store's. For a palette the table says so at once; truecolour rows are looked at as they
  // come, and the pixels are kept from the first row that is not opaque, the rows before it
  // taken from the store.
  bool ownPixels = false;
  if (alpha && indexed) {
    ownPixels = std::any_of(alphaTable.begin(), alphaTable.end(), [](std::uint32_t p) { return AlphaOf(p) != 255; });
    if (ownPixels) AllocateAlphaPixels(image->AlphaPixels, width, height);
    else alphaTable.clear();
  }
  const raster::Surface store = image->Surface();
  const RowConverter convert(width, depth, !indexed, options, std::move(alphaTable));
  const auto alphaRow = [&](int y) {
    return ownPixels ? image->AlphaPixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) : nullptr;
  };
  // Rows [0, done) are in the store already (all of them for an interlaced file, whose rows
  // are revisited: the pixels a pass has not reached yet are overwritten when it does).
  const auto convertRow = [&](const std::uint8_t* in, int y, int done, int first, int step) {
    if (convert(in, store.Row(y), alphaRow(y), first, step) || !alpha || ownPixels) return;
    AllocateAlphaPixels(image->AlphaPixels, width, height);
    ownPixels = true;
    for (int r = 0; r < done; ++r) {
      const std::uint8_t* bgr = store.Row(r);
      std::uint32_t* own = alphaRow(r);
      for (int x = 0; x < width; ++x, bgr += 3) own[x] = MakeAlphaPixel(bgr[2], bgr[1], bgr[0], 255);
    }
    convert(in, store.Row(y), alphaRow(y), first, step);
  };

  std::size_t imageBytes = 0;
  Check(spng_decoded_image_size(ctx.get(), format, &imageBytes));
  const std::size_t rowBytes = imageBytes / static_cast<std::size_t>(height);
  const bool interlaced = ihdr.interlace_method != 0;
  // Where each Adam7 pass's pixels stand in a row.
  constexpr int PassFirst[7] = {0, 4, 0, 2, 0, 1, 0};
  constexpr int PassStep[7] = {8, 8, 4, 4, 2, 2, 1};
  try {
    // Row by row straight into the store: no second copy of the picture, and 16-bit samples
    // narrowed as each row comes. An interlaced file's passes come the same way, each row with
    // only its pass's pixels, which are converted where they stand.
    std::vector<std::uint8_t> row(rowBytes);
    Check(spng_decode_image(ctx.get(), nullptr, 0, format, flags | SPNG_DECODE_PROGRESSIVE));
    int err = 0;
    int rows = 0;
    for (;;) {
      spng_row_info info{};
      err = spng_get_row_info(ctx.get(), &info);
      if (err) break;
      // libspng ORs a pass's packed pixels of under 8 bits into the row: it starts clear.
      if (interlaced) std::fill(row.begin(), row.end(), std::uint8_t{0});
      err = spng_decode_row(ctx.get(), row.data(), row.size());
      if (err != 0 && err != SPNG_EOI) break;
      if (info.row_num >= static_cast<std::uint32_t>(height) || info.pass < 0 || info.pass > 6) Refuse(SPNG_EINTERNAL);
      const int y = static_cast<int>(info.row_num);
      if (interlaced) convertRow(row.data(), y, height, PassFirst[info.pass], PassStep[info.pass]);
      else convertRow(row.data(), y, y, 0, 1);
      ++rows;
      if (err == SPNG_EOI) break;
    }
    if (err != SPNG_EOI || (!interlaced && rows != height)) Refuse(err != 0 && err != SPNG_EOI ? err : SPNG_EOF);
    // The checksum of the last pixel chunk, and the chunks after it up to the end, are only
    // read now: a file is accepted whole or not at all.
    Check(spng_decode_chunks(ctx.get()));
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
  image->OpaqueAlpha = alpha && !ownPixels;
  return image;
}

// A file read from its start as libspng asks for its bytes. A read that fails keeps its error
// to be raised once libspng has returned: nothing is thrown through it.
struct FileStream {
  const files::TInputFile* File = nullptr;
  std::uint64_t At = 0;
  std::exception_ptr Error;
};

int ReadFileStream(spng_ctx*, void* user, void* to, std::size_t length) {
  auto* stream = static_cast<FileStream*>(user);
  try {
    const std::size_t got = stream->File->ReadAt(static_cast<std::uint8_t*>(to), length, stream->At);
    stream->At += got;
    return got == length ? 0 : SPNG_IO_EOF;
  } catch (...) {
    stream->Error = std::current_exception();
    return SPNG_IO_ERROR;
  }
}

}  // namespace

std::shared_ptr<TBitmapImage> Decode(std::span<const std::uint8_t> bytes, const TDecodeOptions& options) {
  return DecodeOpened(OpenDecoder(bytes), options);
}

std::shared_ptr<TBitmapImage> Decode(const files::TInputFile& file, const TDecodeOptions& options) {
  FileStream stream;
  stream.File = &file;
  Context ctx = NewContext(0);
  Check(spng_set_chunk_limits(ctx.get(), ChunkSizeLimit, ChunkCacheLimit));
  Check(spng_set_png_stream(ctx.get(), ReadFileStream, &stream));
  try {
    return DecodeOpened(ctx, options);
  } catch (const Exception&) {
    // What libspng made of a failed read says less than the read's own error.
    if (stream.Error) std::rethrow_exception(stream.Error);
    throw;
  }
}

namespace {

struct BufferFree {
  void operator()(void* p) const { std::free(p); }
};

// How hard the encoder works: glyph files are tuned for size; an icon's PNG entries keep
// libspng's own memory level and filters, as they always have.
// Glyphs: the smallest file zlib makes. Quick: zlib's usual level, for a job writing thousands
// of files, where the time matters more than the last bytes.
enum class TEncoderTuning { Glyphs, Quick, LibraryDefaults };

std::vector<std::uint8_t> EncodeRows(const spng_ihdr& ihdr, const spng_plte* plte, const spng_trns* trns,
                                     std::span<const std::uint8_t> rows, TEncoderTuning tuning = TEncoderTuning::Glyphs) {
  Context ctx = NewContext(SPNG_CTX_ENCODER);
  Check(spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1));
  Check(spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, tuning == TEncoderTuning::Quick ? 6 : 9));
  if (tuning != TEncoderTuning::LibraryDefaults) {
    Check(spng_set_option(ctx.get(), SPNG_IMG_MEM_LEVEL, 9));
    // Palette rows do not predict from their neighbours: filters only cost bytes there.
    Check(spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, plte ? SPNG_DISABLE_FILTERING : SPNG_FILTER_CHOICE_ALL));
  }
  spng_ihdr header = ihdr;
  Check(spng_set_ihdr(ctx.get(), &header));
  if (plte) {
    spng_plte p = *plte;
    Check(spng_set_plte(ctx.get(), &p));
  }
  if (trns) {
    spng_trns t = *trns;
    Check(spng_set_trns(ctx.get(), &t));
  }
  Check(spng_encode_image(ctx.get(), rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE));
  std::size_t length = 0;
  int err = 0;
  std::unique_ptr<void, BufferFree> buffer(spng_get_png_buffer(ctx.get(), &length, &err));
  Check(err);
  if (!buffer) ThrowOutOfResources();
  const auto* data = static_cast<const std::uint8_t*>(buffer.get());
  return std::vector<std::uint8_t>(data, data + length);
}

}  // namespace

namespace {

// Each pixel as one value that the palette is built from: the key-colour world's colour with
// the transparent bit, or an alpha picture's own 0xAARRGGBB. The traits say what a value is.
struct KeyColourValues {
  static int Red(std::uint32_t v) { return raster::RedOf(v); }
  static int Green(std::uint32_t v) { return raster::GreenOf(v); }
  static int Blue(std::uint32_t v) { return raster::BlueOf(v); }
  static int Alpha(std::uint32_t v) { return (v & TransparentBit) ? 0 : 255; }
};
struct AlphaValues {
  static int Red(std::uint32_t v) { return static_cast<int>((v >> 16) & 0xFF); }
  static int Green(std::uint32_t v) { return static_cast<int>((v >> 8) & 0xFF); }
  static int Blue(std::uint32_t v) { return static_cast<int>(v & 0xFF); }
  static int Alpha(std::uint32_t v) { return static_cast<int>(v >> 24); }
};

// The distinct values when there are at most 256 of them (more: 257 entries, the rest left
// out), and whether any is not opaque.
template <typename Values>
std::vector<std::uint32_t> DistinctValues(const std::vector<std::uint32_t>& pixels, std::unordered_map<std::uint32_t, int>& index,
                                          bool& anyTransparent) {
  std::vector<std::uint32_t> entries;
  anyTransparent = false;
  std::uint32_t last = ~0u;
  bool first = true;
  for (const std::uint32_t p : pixels) {
    if (!first && p == last) continue;
    first = false;
    last = p;
    if (Values::Alpha(p) != 255) anyTransparent = true;
    if (entries.size() <= 256 && index.emplace(p, 0).second) entries.push_back(p);
  }
  return entries;
}

// A palette file of 1, 2, 4 or 8 bits: the entries that are not opaque first, so that tRNS
// stays short.
template <typename Values>
std::vector<std::uint8_t> EncodePalette(int w, int h, const std::vector<std::uint32_t>& pixels, std::vector<std::uint32_t> entries,
                                        std::unordered_map<std::uint32_t, int>& index, TEncoderTuning tuning) {
  std::stable_partition(entries.begin(), entries.end(), [](std::uint32_t e) { return Values::Alpha(e) != 255; });
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(w);
  ihdr.height = static_cast<std::uint32_t>(h);
  spng_plte plte{};
  spng_trns trns{};
  plte.n_entries = static_cast<std::uint32_t>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::uint32_t e = entries[i];
    index[e] = static_cast<int>(i);
    plte.entries[i] = spng_plte_entry{static_cast<std::uint8_t>(Values::Red(e)), static_cast<std::uint8_t>(Values::Green(e)),
                                      static_cast<std::uint8_t>(Values::Blue(e)), 255};
    if (Values::Alpha(e) != 255) trns.type3_alpha[trns.n_type3_entries++] = static_cast<std::uint8_t>(Values::Alpha(e));
  }
  const std::size_t count = entries.size();
  const int depth = count <= 2 ? 1 : count <= 4 ? 2 : count <= 16 ? 4 : 8;
  ihdr.bit_depth = static_cast<std::uint8_t>(depth);
  ihdr.color_type = ColorTypeIndexed;
  const std::size_t stride = (static_cast<std::size_t>(w) * depth + 7) / 8;
  std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(h), 0);
  const int perByte = 8 / depth;
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = rows.data() + static_cast<std::size_t>(y) * stride;
    const std::uint32_t* in = pixels.data() + static_cast<std::size_t>(y) * w;
    std::uint32_t last = ~0u;
    int v = 0;
    for (int x = 0; x < w; ++x) {
      if (x == 0 || in[x] != last) last = in[x], v = index[in[x]];
      row[x / perByte] |= static_cast<std::uint8_t>(v << (8 - depth - depth * (x % perByte)));
    }
  }
  return EncodeRows(ihdr, &plte, trns.n_type3_entries ? &trns : nullptr, rows, tuning);
}

// An 8-bit RGB file, or RGBA when something is not opaque.
template <typename Values>
std::vector<std::uint8_t> EncodeTrueColour(int w, int h, const std::vector<std::uint32_t>& pixels, bool anyTransparent,
                                           TEncoderTuning tuning) {
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(w);
  ihdr.height = static_cast<std::uint32_t>(h);
  const int channels = anyTransparent ? 4 : 3;
  ihdr.bit_depth = 8;
  ihdr.color_type = static_cast<std::uint8_t>(anyTransparent ? ColorTypeRgba : ColorTypeRgb);
  std::vector<std::uint8_t> rows(pixels.size() * static_cast<std::size_t>(channels));
  std::uint8_t* out = rows.data();
  for (const std::uint32_t p : pixels) {
    out[0] = static_cast<std::uint8_t>(Values::Red(p));
    out[1] = static_cast<std::uint8_t>(Values::Green(p));
    out[2] = static_cast<std::uint8_t>(Values::Blue(p));
    if (channels == 4) out[3] = static_cast<std::uint8_t>(Values::Alpha(p));
    out += channels;
  }
  return EncodeRows(ihdr, nullptr, nullptr, rows, tuning);
}

// Up to this many pixels an alpha picture that fits a palette is written both ways and the
// smaller file kept; a larger one takes the palette, which is smaller all but always.
constexpr std::int64_t BothWaysPixels = std::int64_t{1} << 16;

}  // namespace

std::vector<std::uint8_t> Encode(const TBitmapImage& image, const TEncodeOptions& options) {
  if (!image.HasPixels()) return {};
  const raster::Surface s = image.Surface();
  const int w = s.Width, h = s.Height;
  if (static_cast<std::int64_t>(w) * h > MaxPixels) ThrowOutOfResources();
  const TEncoderTuning tuning = options.Quick ? TEncoderTuning::Quick : TEncoderTuning::Glyphs;
  try {
    std::unordered_map<std::uint32_t, int> index;
    bool anyTransparent = false;
    if (image.HasAlpha()) {
      std::vector<std::uint32_t> derived;
      if (image.AlphaPixels.empty()) derived = OwnPixels(image);
      const std::vector<std::uint32_t>& pixels = image.AlphaPixels.empty() ? derived : image.AlphaPixels;
      std::vector<std::uint32_t> entries = DistinctValues<AlphaValues>(pixels, index, anyTransparent);
      if (entries.size() > 256) return EncodeTrueColour<AlphaValues>(w, h, pixels, anyTransparent, tuning);
      std::vector<std::uint8_t> palette = EncodePalette<AlphaValues>(w, h, pixels, std::move(entries), index, tuning);
      if (!options.Quick && static_cast<std::int64_t>(w) * h <= BothWaysPixels) {
        std::vector<std::uint8_t> trueColour = EncodeTrueColour<AlphaValues>(w, h, pixels, anyTransparent, tuning);
        if (trueColour.size() < palette.size()) return trueColour;
      }
      return palette;
    }
    const std::vector<std::uint32_t> pixels = ResolveGlyphKeys(s, options);
    std::vector<std::uint32_t> entries = DistinctValues<KeyColourValues>(pixels, index, anyTransparent);
    if (entries.size() <= 256) return EncodePalette<KeyColourValues>(w, h, pixels, std::move(entries), index, tuning);
    return EncodeTrueColour<KeyColourValues>(w, h, pixels, anyTransparent, tuning);
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
}

std::vector<std::uint8_t> EncodeRgba(int width, int height, std::span<const std::uint8_t> rows) {
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(width);
  ihdr.height = static_cast<std::uint32_t>(height);
  ihdr.bit_depth = 8;
  ihdr.color_type = ColorTypeRgba;
  return EncodeRows(ihdr, nullptr, nullptr, rows, TEncoderTuning::LibraryDefaults);
}

}  // namespace gliffo::png
