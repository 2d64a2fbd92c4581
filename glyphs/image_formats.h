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

namespace gliffo {

namespace files {
class TInputFile;
}

// Choices a decoder may need beyond the bytes. Formats with an alpha channel will take the
// colour that transparent pixels become here.
struct TDecodeOptions {
  // The glyph size the caller works in: a file holding several pictures (an icon) gives the
  // one of this size; 0, or no picture of it, gives the largest.
  int PreferredSize = 0;
};

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
  std::vector<std::uint8_t> (*EncodeBytes)(const TBitmapImage& image);
  void (*EncodeFile)(const TBitmapImage& image, const std::string& fileName);
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
std::shared_ptr<TBitmapImage> DecodeImage(std::span<const std::uint8_t> bytes, const TDecodeOptions& options = {});
// Loads a file of any known format; nullptr for an empty file. EFOpenError "Cannot open file
// %s" when it cannot be opened, else what the format's decoder raises.
std::shared_ptr<TBitmapImage> LoadImageFile(const std::string& fileName, const TDecodeOptions& options = {});
// The bytes of a store in the format its file name asks for (BMP for no name).
std::vector<std::uint8_t> EncodeImage(const TBitmapImage& image, std::string_view fileName = {});
// Saves a store in the format its file name asks for, through the safe writer.
void SaveImageFile(const TBitmapImage& image, const std::string& fileName);

}  // namespace gliffo
