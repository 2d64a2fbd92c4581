#pragma once
// The image formats the program reads and writes, one row each: how a file of the format is
// recognised by its first bytes, how it is decoded (from bytes or from a file) and encoded (to
// bytes or to a file), and which file names are written in it. Every load and save of a raster
// image goes through here.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "glyphs/bitmap_image.h"
#include "platform/raster/pixels.h"

namespace gliffo {

namespace files {
class TInputFile;
}

// Choices a decoder may need beyond the bytes. Glyphs live in a key-colour world, and formats
// with an alpha channel are brought into it: a pixel whose alpha is below 128 becomes Key; one
// of 128 or more is blended over Matte; an opaque one keeps its colour exactly.
struct TDecodeOptions {
  // The glyph size the caller works in: a file holding several pictures (an icon) gives the
  // one of this size; 0, or no picture of it, gives the largest.
  int PreferredSize = 0;
  raster::ColorRef Key = raster::MakeColorRef(0xFF, 0x00, 0xFF);    // "magic pink"
  raster::ColorRef Matte = raster::MakeColorRef(0xC0, 0xC0, 0xC0);  // the button face
};

// Choices an encoder with an alpha channel takes. A glyph job writes each glyph's transparent
// colour (its bottom-left pixel's, as a speed button draws it) with alpha 0; a picture that
// is not a glyph, or a user who asks for it, has every pixel opaque. Formats without alpha
// ignore both.
struct TEncodeOptions {
  bool Opaque = false;
  // The edge of the square glyphs the picture is cut into, left to right; 0 means the
  // picture's height, as in a strip or a single glyph.
  int GlyphSize = 0;
};

// What loads and saves take when a caller gives nothing: gliffo-tool's --key, --matte and
// --opaque and the window's options set them for the whole run, so every reader and writer
// of the program, however deep, follows the user's choice.
TDecodeOptions& DefaultDecodeOptions();
TEncodeOptions& DefaultEncodeOptions();
// The glyph rule, for jobs that write glyphs: the run's choice of transparency.
inline TEncodeOptions GlyphEncodeOptions(int glyphSize = 0) {
  TEncodeOptions options = DefaultEncodeOptions();
  options.GlyphSize = glyphSize;
  return options;
}
// For jobs that copy a picture rather than write glyphs: every pixel opaque.
inline TEncodeOptions OpaqueEncodeOptions() {
  TEncodeOptions options;
  options.Opaque = true;
  return options;
}

struct TImageFormat {
  const char* Name;
  // How many first bytes Recognises wants to see (a shorter file gives it what there is).
  std::size_t SignatureBytes;
  bool (*Recognises)(std::span<const std::uint8_t> head);
  // A decoder gives nullptr for an image without pixels and raises EInvalidGraphic,
  // EReadError or EOutOfResources for a file it refuses.
  std::shared_ptr<TBitmapImage> (*DecodeBytes)(std::span<const std::uint8_t> bytes, const TDecodeOptions& options);
  std::shared_ptr<TBitmapImage> (*DecodeFile)(const files::TInputFile& file, const TDecodeOptions& options);
  // An image without pixels encodes as no bytes (an empty file).
  std::vector<std::uint8_t> (*EncodeBytes)(const TBitmapImage& image, const TEncodeOptions& options);
  void (*EncodeFile)(const TBitmapImage& image, const std::string& fileName, const TEncodeOptions& options);
  // Whether a file of this name is written in this format.
  bool (*WritesName)(std::string_view fileName);
};

// Every row, in the order names are matched for writing: rows that claim names by their
// ending come before BMP, which takes every name.
std::span<const TImageFormat> ImageFormats();

// The row that recognises the first bytes of a file; BMP when none does, whose reader then
// refuses the file ("Bitmap image is not valid", or "Stream read error" for a file too short
// to hold a file header).
const TImageFormat& FormatOfBytes(std::span<const std::uint8_t> head);
// The row a file of this name is written in.
const TImageFormat& FormatOfName(std::string_view fileName);

// Decodes bytes of any known format; nullptr for no bytes (an empty image).
std::shared_ptr<TBitmapImage> DecodeImage(std::span<const std::uint8_t> bytes,
                                          const TDecodeOptions& options = DefaultDecodeOptions());
// Loads a file of any known format; nullptr for an empty file. EFOpenError "Cannot open file
// %s" when it cannot be opened, else what the format's decoder raises.
std::shared_ptr<TBitmapImage> LoadImageFile(const std::string& fileName,
                                            const TDecodeOptions& options = DefaultDecodeOptions());
// The bytes of a store in the format its file name asks for (BMP for no name).
std::vector<std::uint8_t> EncodeImage(const TBitmapImage& image, std::string_view fileName = {},
                                      const TEncodeOptions& options = DefaultEncodeOptions());
// Saves a store in the format its file name asks for, through the safe writer.
void SaveImageFile(const TBitmapImage& image, const std::string& fileName,
                   const TEncodeOptions& options = DefaultEncodeOptions());

}  // namespace gliffo
