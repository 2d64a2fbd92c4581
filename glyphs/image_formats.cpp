#include "glyphs/image_formats.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "glyphs/bmp_file.h"
#include "glyphs/bmp_row_reader.h"
#include "glyphs/ico_codec.h"
#include "glyphs/png_codec.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  return std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

png::DecodeOptions PngDecodeOptions(const TDecodeOptions& options) {
  png::DecodeOptions png;
  png.Key = options.Key;
  png.Matte = options.Matte;
  return png;
}

png::EncodeOptions PngEncodeOptions(const TEncodeOptions& options) {
  png::EncodeOptions png;
  png.Opaque = options.Opaque;
  png.GlyphSize = options.GlyphSize;
  return png;
}

ico::DecodeOptions IcoOptions(const TDecodeOptions& options) {
  ico::DecodeOptions o;
  o.PreferredSize = options.PreferredSize;
  o.Key = options.Key;
  o.Matte = options.Matte;
  return o;
}

std::vector<std::uint8_t> EncodeIcon(const TBitmapImage& image) {
  if (!image.HasPixels()) return {};
  const TBitmapImage* pictures[] = {&image};
  return ico::Encode(pictures);
}

const TImageFormat Formats[] = {
    {
        "PNG",
        png::SignatureSize,
        [](std::span<const std::uint8_t> head) { return png::IsPng(head); },
        [](std::span<const std::uint8_t> bytes, const TDecodeOptions& options) {
          return png::Decode(bytes, PngDecodeOptions(options));
        },
        [](const files::TInputFile& file, const TDecodeOptions& options) {
          // Compressed rows cannot be cut: the file is read whole. A picture beyond the limit
          // is refused by its header before its pixels are inflated.
          const std::vector<std::uint8_t> bytes = file.ReadAll(file.RegularSize().value_or(0));
          return png::Decode(bytes, PngDecodeOptions(options));
        },
        [](const TBitmapImage& image, const TEncodeOptions& options) {
          return png::Encode(image, PngEncodeOptions(options));
        },
        [](const TBitmapImage& image, const std::string& fileName, const TEncodeOptions& options) {
          files::WriteWholeFile(fileName, png::Encode(image, PngEncodeOptions(options)));
        },
        [](std::string_view fileName) { return EndsWithNoCase(fileName, ".png"); },
    },
    {
        "ICO",
        ico::DirectoryHeaderSize,
        [](std::span<const std::uint8_t> head) { return ico::IsIco(head); },
        [](std::span<const std::uint8_t> bytes, const TDecodeOptions& options) { return ico::Decode(bytes, IcoOptions(options)); },
        [](const files::TInputFile& file, const TDecodeOptions& options) {
          const std::vector<std::uint8_t> bytes = file.ReadAll(static_cast<std::size_t>(file.RegularSize().value_or(0)));
          return ico::Decode(bytes, IcoOptions(options));
        },
        [](const TBitmapImage& image, const TEncodeOptions&) { return EncodeIcon(image); },
        [](const TBitmapImage& image, const std::string& fileName, const TEncodeOptions&) {
          files::WriteWholeFile(fileName, EncodeIcon(image));
        },
        [](std::string_view fileName) { return EndsWithNoCase(fileName, ".ico"); },
    },
    {
        "BMP",
        2,
        [](std::span<const std::uint8_t> head) { return bmp::IsBmpSignature(head); },
        [](std::span<const std::uint8_t> bytes, const TDecodeOptions&) { return bmp::Decode(bytes); },
        [](const files::TInputFile& file, const TDecodeOptions&) { return bmp::LoadFile(file); },
        [](const TBitmapImage& image, const TEncodeOptions&) { return bmp::Encode(image); },
        [](const TBitmapImage& image, const std::string& fileName, const TEncodeOptions&) {
          bmp::SaveFile(image, fileName);
        },
        [](std::string_view) { return true; },
    },
};

// Enough first bytes for every row's signature.
constexpr std::size_t LongestSignature = 16;

// BMP, the classic format: it takes every name and every file no other row recognises.
const TImageFormat& Fallback() { return Formats[std::size(Formats) - 1]; }

}  // namespace

TDecodeOptions& DefaultDecodeOptions() {
  static TDecodeOptions options;
  return options;
}

TEncodeOptions& DefaultEncodeOptions() {
  static TEncodeOptions options;
  return options;
}

std::span<const TImageFormat> ImageFormats() { return Formats; }

const TImageFormat& FormatOfBytes(std::span<const std::uint8_t> head) {
  for (const TImageFormat& format : Formats)
    if (format.Recognises(head.first(std::min(head.size(), format.SignatureBytes)))) return format;
  return Fallback();
}

const TImageFormat& FormatOfName(std::string_view fileName) {
  for (const TImageFormat& format : Formats)
    if (format.WritesName(fileName)) return format;
  return Fallback();
}

std::shared_ptr<TBitmapImage> DecodeImage(std::span<const std::uint8_t> bytes, const TDecodeOptions& options) {
  if (bytes.empty()) return nullptr;
  return FormatOfBytes(bytes).DecodeBytes(bytes, options);
}

std::shared_ptr<TBitmapImage> LoadImageFile(const std::string& fileName, const TDecodeOptions& options) {
  const files::TInputFile file(fileName);
  std::uint8_t head[LongestSignature];
  const std::size_t got = file.ReadAt(head, sizeof head, 0);
  if (got == 0) return nullptr;  // an empty file makes an empty image
  return FormatOfBytes(std::span<const std::uint8_t>(head, got)).DecodeFile(file, options);
}

std::vector<std::uint8_t> EncodeImage(const TBitmapImage& image, std::string_view fileName,
                                      const TEncodeOptions& options) {
  return FormatOfName(fileName).EncodeBytes(image, options);
}

void SaveImageFile(const TBitmapImage& image, const std::string& fileName, const TEncodeOptions& options) {
  FormatOfName(fileName).EncodeFile(image, fileName, options);
}

}  // namespace gliffo
