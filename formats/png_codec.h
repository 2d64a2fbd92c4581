#pragma once
// PNG files over bytes (or a file read as it is decoded), through libspng: recognising one by
// its signature, reading its header, decoding it into a pixel store and encoding a store as
// one. No Qt here.
//
// Glyphs live in a key-colour world (a speed button takes the bottom-left pixel of a glyph as
// its transparent colour), PNG in an alpha world. Decoding maps alpha onto a key colour and a
// matte, encoding writes each glyph's key colour with alpha 0 (formats/transparency.h).
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/image_options.h"

namespace gliffo::files {
class TInputFile;
}

namespace gliffo::png {

inline constexpr std::size_t SignatureSize = 8;

// The largest picture read: more pixels than this raise EOutOfResources "Out of system
// resources" before anything is allocated, which also stops a decompression bomb there.
inline constexpr std::int64_t MaxPixels = std::int64_t{1} << 26;

// True when the bytes start with the PNG signature, whatever the file is called.
bool IsPng(std::span<const std::uint8_t> bytes);

// PNG colour types.
inline constexpr int ColorTypeGray = 0;
inline constexpr int ColorTypeRgb = 2;
inline constexpr int ColorTypeIndexed = 3;
inline constexpr int ColorTypeGrayAlpha = 4;
inline constexpr int ColorTypeRgba = 6;

// What a file's header chunks say, before any pixel is decoded.
struct PngHeader {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  int BitDepth = 0;   // 1, 2, 4, 8 or 16 bits per sample
  int ColorType = 0;  // one of the ColorType constants
  bool Interlaced = false;  // Adam7
  int PaletteSize = 0;      // PLTE entries (0 when there is none)
  // tRNS: the number of palette alphas it gives, or 1 for the single transparent grey or
  // RGB value of a grey or truecolour file; 0 when the file has none.
  int TransparencyEntries = 0;
};

// Reads the header chunks up to the first pixel data. EInvalidGraphic for a file libspng
// refuses, EOutOfResources for a picture of more than MaxPixels.
PngHeader ParseHeader(std::span<const std::uint8_t> bytes);

// Decodes a whole file into a new device-independent store, bottom row first:
//  - palette files keep their palette, in a 1-, 4- (2-bit files widened) or 8-bit store whose
//    table has every tRNS alpha already resolved by the key and matte rule, so the indexes a
//    glyph was drawn with survive and a later 4-bit save needs no colour matching;
//  - grey files of up to 8 bits become the same kind of store over a grey ramp, their tRNS
//    grey resolved to the key in the ramp;
//  - everything else (truecolour, 16-bit, alpha channels) a 24-bit store, each pixel resolved.
// Colours are taken as stored: gamma and colour-space chunks are not applied, and 16-bit
// samples keep their high byte. Raises EInvalidGraphic for anything libspng refuses (bad
// signature, checksum, colour type, depth, missing or short data) and EOutOfResources for a
// picture beyond MaxPixels; nothing half-decoded is ever returned.
std::shared_ptr<TBitmapImage> Decode(std::span<const std::uint8_t> bytes, const TDecodeOptions& options = {});
// The same from a file, read from its start as the decoder goes and never held whole: a file
// of 512 MiB costs its picture, not its bytes too. Reads stop at the end of its IEND chunk.
// A failed read raises its own error.
std::shared_ptr<TBitmapImage> Decode(const files::TInputFile& file, const TDecodeOptions& options = {});

// The bytes of a PNG file for a store of any format; empty for an image without pixels. The
// smallest form that keeps every pixel: a palette of 1, 2, 4 or 8 bits (a colour that is a key
// in one glyph and ink in another takes two entries) when 256 entries suffice, else RGB, or
// RGBA when something is transparent. options.Quick trades a few bytes for time.
std::vector<std::uint8_t> Encode(const TBitmapImage& image, const TEncodeOptions& options = {});

// Top-down 8-bit RGBA rows as a PNG file of that form, whatever the colours would allow: the
// form every icon reader takes for an icon's PNG entries.
std::vector<std::uint8_t> EncodeRgba(int width, int height, std::span<const std::uint8_t> rows);

}  // namespace gliffo::png
