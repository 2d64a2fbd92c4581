#pragma once
// BMP files: a pure decoder over bytes (header parsing apart from pixel decoding, so a folder
// can be judged by headers first), a pure encoder to bytes, and the save to a file. Files are
// read through TBmpRowReader (formats/bmp_row_reader.h); loads and saves in general go through
// the image-format table (formats/image_formats.h).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/image_options.h"

namespace gliffo::bmp {

// The longest run of headers, masks and colour table a file can have before its pixels:
// file header, the longest info header, a mask block, 256 four-byte entries.
inline constexpr std::size_t MaxHeaderBytes = 14 + 124 + 16 + 256 * 4;

// What the headers of a file say, before any pixel is decoded.
struct BmpHeader {
  std::uint32_t HeaderSize = 0;  // 12, 40, 52, 56, 64, 108 or 124
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // signed as stored: negative means top row first
  std::uint16_t Planes = 0;
  std::uint16_t BitCount = 0;
  std::uint32_t Compression = 0;
  std::uint32_t SizeImage = 0;
  std::int32_t XPelsPerMeter = 0;
  std::int32_t YPelsPerMeter = 0;
  std::uint32_t ClrUsed = 0;
  std::uint32_t ClrImportant = 0;
  std::uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;
  // The alpha mask of a 16- or 32-bit file that has one (bit fields with a header that holds
  // it, or a 32-bit file with a version 4 or 5 header), 0 for every other file and for a mask
  // that runs into the colour channels.
  std::uint32_t AlphaMask = 0;
  bool CoreHeader = false;
  std::vector<raster::Rgb> ColorTable;  // widened to 4-byte entries
  std::size_t PixelOffset = 0;          // where the pixel bytes start in the parsed bytes
  std::size_t PixelBytes = 0;           // how many pixel bytes are read (may be short)

  bool TopDown() const { return Height < 0; }
  int AbsHeight() const { return Height < 0 ? -Height : Height; }
};

// Whether the first bytes of a file are the BMP signature "BM".
bool IsBmpSignature(std::span<const std::uint8_t> head);

// Parses the file header, the info header, masks and colour table. Raises EReadError
// "Stream read error" when the bytes end inside them and EInvalidGraphic "Bitmap image is not
// valid" for a file the reader does not accept. An empty span is not a header: check first.
BmpHeader ParseHeader(std::span<const std::uint8_t> bytes);
// The same over the first bytes of a longer file of fileSize bytes (enough to hold every
// header and the colour table: MaxHeaderBytes, or the whole file when it is shorter).
BmpHeader ParseHeader(std::span<const std::uint8_t> prefix, std::size_t fileSize);
// The same without holding the picture's size against the limit (which ParseHeader refuses
// with EOutOfResources): for readers that only look at the size, to skip a file of another.
BmpHeader ParseHeaderOfAnySize(std::span<const std::uint8_t> prefix, std::size_t fileSize);

// Parses a device-independent bitmap without the file header: the info header, masks and
// colour table, with the pixels right after the table (as an icon file stores its images).
// PixelOffset counts from the start of dib. Raises as ParseHeader.
BmpHeader ParseDib(std::span<const std::uint8_t> dib);

// Decodes the pixel bytes a parsed header points at (header.PixelBytes from
// header.PixelOffset; fewer are allowed, the rest reads as zero). Run-length pixels give a
// device-dependent store, all others a device-independent one as the header describes.
std::shared_ptr<TBitmapImage> DecodePixels(const BmpHeader& header, std::span<const std::uint8_t> pixels);

// Gives a store decoded from a file with an alpha mask its alpha pixels (formats/bitmap_image.h):
// each pixel's colour as the store shows it, its alpha from the mask. The store itself is left
// as read. A file whose alpha is 0 in every pixel only names a mask it does not use (writers
// do that) and stays a picture without alpha.
void AttachAlpha(const BmpHeader& header, TBitmapImage& image);

// Decodes a whole file. An empty span gives nullptr (the image becomes empty). Raises as
// ParseHeader, and EOutOfResources for a store too large to allocate.
std::shared_ptr<TBitmapImage> Decode(std::span<const std::uint8_t> bytes);

// Whether the pixels are run-length coded (decoded whole, never read a band at a time).
bool IsRle(const BmpHeader& header);
// A device-independent store described by the header exactly as read, pixels all zero.
// EOutOfResources when it is too large.
std::shared_ptr<TBitmapImage> NewDibStore(const BmpHeader& header);

// The bytes of the file a store is saved as; empty for an image without pixels.
std::vector<std::uint8_t> Encode(const TBitmapImage& image);
// The picture as a 32-bit file with a version 5 header and an alpha mask (bit fields
// 00FF0000, 0000FF00, 000000FF, FF000000, sRGB), bottom row first: an alpha picture's own
// pixels, a key-colour one's with each glyph's key at alpha 0 as the options say
// (PixelsWithAlpha). Empty for an image without pixels.
std::vector<std::uint8_t> EncodeWithAlpha(const TBitmapImage& image, const TEncodeOptions& options);

// Saves a store as the bytes Encode gives, without first copying its pixels into one buffer,
// through the safe writer (a failed save leaves the previous file).
void SaveFile(const TBitmapImage& image, const std::string& fileName);

}  // namespace gliffo::bmp
