#include "glyphs/image_formats.h"

#include <algorithm>

#include "glyphs/bmp_file.h"
#include "glyphs/bmp_row_reader.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace {

const TImageFormat Formats[] = {
    {
        "BMP",
        2,
        [](std::span<const std::uint8_t> head) { return bmp::IsBmpSignature(head); },
        [](std::span<const std::uint8_t> bytes, const TDecodeOptions&) { return bmp::Decode(bytes); },
        [](const files::TInputFile& file, const TDecodeOptions&) { return bmp::LoadFile(file); },
        [](const TBitmapImage& image) { return bmp::Encode(image); },
        [](const TBitmapImage& image, const std::string& fileName) { bmp::SaveFile(image, fileName); },
        [](std::string_view) { return true; },
    },
};

// Enough first bytes for every row's signature.
constexpr std::size_t LongestSignature = 16;

const TImageFormat& Fallback() { return Formats[0]; }

}  // namespace

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

std::vector<std::uint8_t> EncodeImage(const TBitmapImage& image, std::string_view fileName) {
  return FormatOfName(fileName).EncodeBytes(image);
}

void SaveImageFile(const TBitmapImage& image, const std::string& fileName) {
  FormatOfName(fileName).EncodeFile(image, fileName);
}

}  // namespace gliffo
