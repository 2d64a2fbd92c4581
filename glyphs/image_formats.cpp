#include "glyphs/image_formats.h"

#include <algorithm>
#include <iterator>

#include "glyphs/bmp_file.h"
#include "glyphs/bmp_row_reader.h"
#include "glyphs/ico_codec.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  return std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b); });
}

ico::DecodeOptions IcoOptions(const TDecodeOptions& options) {
  ico::DecodeOptions o;
  o.PreferredSize = options.PreferredSize;
  return o;
}

std::vector<std::uint8_t> EncodeIcon(const TBitmapImage& image) {
  if (!image.HasPixels()) return {};
  const TBitmapImage* pictures[] = {&image};
  return ico::Encode(pictures);
}

const TImageFormat Formats[] = {
    {
        "ICO",
        ico::DirectoryHeaderSize,
        [](std::span<const std::uint8_t> head) { return ico::IsIco(head); },
        [](std::span<const std::uint8_t> bytes, const TDecodeOptions& options) { return ico::Decode(bytes, IcoOptions(options)); },
        [](const files::TInputFile& file, const TDecodeOptions& options) {
          const std::vector<std::uint8_t> bytes = file.ReadAll(static_cast<std::size_t>(file.RegularSize().value_or(0)));
          return ico::Decode(bytes, IcoOptions(options));
        },
        EncodeIcon,
        [](const TBitmapImage& image, const std::string& fileName) {
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
        [](const TBitmapImage& image) { return bmp::Encode(image); },
        [](const TBitmapImage& image, const std::string& fileName) { bmp::SaveFile(image, fileName); },
        [](std::string_view) { return true; },
    },
};

// Enough first bytes for every row's signature.
constexpr std::size_t LongestSignature = 16;

const TImageFormat& Fallback() { return Formats[std::size(Formats) - 1]; }

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
