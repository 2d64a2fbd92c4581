#include "formats/image_formats.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "formats/bmp_file.h"
#include "formats/bmp_row_reader.h"
#include "formats/format_info.h"
#include "formats/image_extent.h"
#include "formats/ico_codec.h"
#include "formats/png_codec.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  return std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

std::vector<std::uint8_t> ReadWhole(const files::TInputFile& file, std::vector<std::uint8_t> head, bool headIsWhole, bool) {
  if (headIsWhole) return head;
  return file.ReadAll(static_cast<std::size_t>(file.RegularSize().value_or(0)));
}

std::vector<std::uint8_t> ReadIco(const files::TInputFile& file, std::vector<std::uint8_t> head, bool headIsWhole, bool) {
  // Entries are small, and a header reader decodes the one a load takes.
  return ReadIcoExtent(file, std::move(head), headIsWhole);
}

std::vector<std::uint8_t> EncodeIcon(const TBitmapImage& image) {
  if (!image.HasPixels()) return {};
  const TBitmapImage* pictures[] = {&image};
  return ico::Encode(pictures);
}

const TImageFormat Formats[] = {
    {
        "BMP",
        "BMP Files",
        "bmp",
        true,
        true,
        2,
        [](std::span<const std::uint8_t> head) { return bmp::IsBmpSignature(head); },
        bmp::MaxHeaderBytes,
        format_info::BmpHeader,
        format_info::BmpFirstHeader,
        format_info::DescribeBmp,
        true,
        ReadWhole,
        [](std::span<const std::uint8_t> bytes, const TDecodeOptions&) { return bmp::Decode(bytes); },
        [](const files::TInputFile& file, const TDecodeOptions&) { return bmp::LoadFile(file); },
        [](const TBitmapImage& image, const TEncodeOptions& options) {
          return options.AlphaBmp ? bmp::EncodeWithAlpha(image, options) : bmp::Encode(image);
        },
        [](const TBitmapImage& image, const std::string& fileName, const TEncodeOptions& options) {
          if (options.AlphaBmp) files::WriteWholeFile(fileName, bmp::EncodeWithAlpha(image, options));
          else bmp::SaveFile(image, fileName);
        },
    },
    {
        "PNG",
        "PNG",
        "png",
        true,
        true,
        png::SignatureSize,
        [](std::span<const std::uint8_t> head) { return png::IsPng(head); },
        // The chunks before the pixel data may lie anywhere in the file.
        0,
        format_info::PngHeader,
        format_info::PngFirstHeader,
        format_info::DescribePng,
        false,
        ReadPngExtent,
        [](std::span<const std::uint8_t> bytes, const TDecodeOptions& options) { return png::Decode(bytes, options); },
        [](const files::TInputFile& file, const TDecodeOptions& options) {
          // Compressed rows cannot be cut, but the file need not be held: it is read as it is
          // inflated, up to its IEND chunk. A picture beyond the limit is refused by its header
          // before its pixels are inflated.
          return png::Decode(file, options);
        },
        [](const TBitmapImage& image, const TEncodeOptions& options) { return png::Encode(image, options); },
        [](const TBitmapImage& image, const std::string& fileName, const TEncodeOptions& options) {
          files::WriteWholeFile(fileName, png::Encode(image, options));
        },
    },
    {
        "ICO",
        "Icon",
        "ico",
        false,
        false,
        ico::DirectoryHeaderSize,
        [](std::span<const std::uint8_t> head) { return ico::IsIco(head); },
        0,
        format_info::IcoHeader,
        format_info::IcoHeader,
        format_info::DescribeIco,
        false,
        ReadIco,
        [](std::span<const std::uint8_t> bytes, const TDecodeOptions& options) { return ico::Decode(bytes, options); },
        [](const files::TInputFile& file, const TDecodeOptions& options) { return ico::Decode(ReadIcoExtent(file, {}, false), options); },
        [](const TBitmapImage& image, const TEncodeOptions&) { return EncodeIcon(image); },
        [](const TBitmapImage& image, const std::string& fileName, const TEncodeOptions&) {
          files::WriteWholeFile(fileName, EncodeIcon(image));
        },
    },
};

const TImageFormat& Classic() { return Formats[0]; }

// Collections are strips in the classic format under an extension of their own.
constexpr const char* CollectionDialogName = "Bitmap Collection";
constexpr const char* CollectionExtension = "gbc";
constexpr const char* AllImagesDialogName = "All Images";

std::string Pattern(const char* extension) { return std::string("*.") + extension; }
std::string Entry(const char* name, const char* extension) { return std::string(name) + "|" + Pattern(extension); }

// "All Images|*.a;*.b": every pattern given, then every format's.
std::string AllImages(const std::string& firstPatterns) {
  std::string patterns = firstPatterns;
  for (const TImageFormat& format : Formats) patterns += (patterns.empty() ? "" : ";") + Pattern(format.Extension);
  return std::string(AllImagesDialogName) + "|" + patterns;
}

}  // namespace

std::span<const TImageFormat> ImageFormats() { return Formats; }

const TImageFormat& FormatOfBytes(std::span<const std::uint8_t> head) {
  for (const TImageFormat& format : Formats)
    if (format.Recognises(head.first(std::min(head.size(), format.SignatureBytes)))) return format;
  return Classic();
}

const TImageFormat& FormatOfName(std::string_view fileName) {
  for (const TImageFormat& format : Formats)
    if (&format != &Classic() && EndsWithNoCase(fileName, "." + std::string(format.Extension))) return format;
  return Classic();
}

const TImageFormat& FormatNamed(std::string_view name) {
  for (const TImageFormat& format : Formats)
    if (name == format.Name) return format;
  return Classic();
}

TFileHead ReadFileHead(const files::TInputFile& file) {
  TFileHead head;
  head.FileSize = file.RegularSize().value_or(0);
  // One read for the rows whose headers lie in the first bytes, a second only for a file whose
  // row needs it whole.
  std::size_t first = LongestSignature;
  for (const TImageFormat& format : Formats) first = std::max(first, format.HeaderBytes);
  head.Bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.FileSize, first)));
  head.Bytes.resize(file.ReadAt(head.Bytes.data(), head.Bytes.size(), 0));
  if (head.Bytes.empty()) return head;
  head.Format = &FormatOfBytes(head.Bytes);
  if (head.Format->HeaderBytes == 0 && head.FileSize > head.Bytes.size()) {
    head.Bytes = head.Format->ReadBytes(file, std::move(head.Bytes), false, true);
  } else if (head.Format->HeaderBytes != 0 && head.Bytes.size() > head.Format->HeaderBytes) {
    head.Bytes.resize(head.Format->HeaderBytes);
  }
  return head;
}

TFileHead FileHeadOf(const files::TInputFile& file, std::span<const std::uint8_t> first) {
  TFileHead head;
  head.FileSize = file.OpenedSize().value_or(0);
  std::size_t wanted = LongestSignature;
  for (const TImageFormat& format : Formats) wanted = std::max(wanted, format.HeaderBytes);
  const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>({head.FileSize, wanted, first.size()}));
  if (have == 0) return head;
  head.Format = &FormatOfBytes(first.first(have));
  if (head.Format->HeaderBytes == 0 && head.FileSize > have) {
    // The bytes read may be the whole file, and then no more are read.
    const bool whole = first.size() == head.FileSize;
    head.Bytes = head.Format->ReadBytes(file, std::vector<std::uint8_t>(first.begin(), first.end()), whole, true);
  } else {
    head.Bytes.assign(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(std::min(have, head.Format->HeaderBytes ? head.Format->HeaderBytes : have)));
  }
  return head;
}

TImageHeader ReadHeaderOf(const files::TInputFile& file, std::span<const std::uint8_t> first,
                          const TDecodeOptions& options, const TImageFormat** format) {
  const std::uint64_t fileSize = file.OpenedSize().value_or(0);
  std::size_t wanted = LongestSignature;
  for (const TImageFormat& row : Formats) wanted = std::max(wanted, row.HeaderBytes);
  const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>({fileSize, wanted, first.size()}));
  *format = nullptr;
  if (have == 0) return {};
  const TImageFormat& row = FormatOfBytes(first.first(have));
  *format = &row;
  if (row.HeaderBytes != 0) return row.ReadHeader(first.first(std::min(have, row.HeaderBytes)), fileSize, options);
  if (fileSize <= have) return row.ReadHeader(first.first(have), fileSize, options);
  const TFileHead head = FileHeadOf(file, first);
  return row.ReadHeader(head.Bytes, head.FileSize, options);
}

std::string CollectionOpenFilter() {
  return Entry(CollectionDialogName, CollectionExtension) + "|" + AllImages(Pattern(CollectionExtension));
}

std::string CollectionSaveFilter() {
  std::string filter = Entry(CollectionDialogName, CollectionExtension);
  for (const TImageFormat& format : Formats) filter += "|" + Entry(format.DialogName, format.Extension);
  return filter + "|" + Entry(AlphaBmpDialogName, Classic().Extension);
}

std::string GlyphOpenFilter() { return Entry(Classic().DialogName, Classic().Extension) + "|" + AllImages(""); }

std::string GlyphSaveFilter() {
  std::string filter;
  for (const TImageFormat& format : Formats)
    if (format.InGlyphSaves) filter += (filter.empty() ? "" : "|") + Entry(format.DialogName, format.Extension);
  return filter + "|" + Entry(AlphaBmpDialogName, Classic().Extension);
}

bool IsAlphaBmpEntry(std::string_view filter, int index) {
  // Names and patterns alternate: entry k's name is field 2k - 2.
  if (index < 1) return false;
  std::size_t at = 0;
  for (int field = 0; field < 2 * (index - 1); ++field) {
    at = filter.find('|', at);
    if (at == std::string_view::npos) return false;
    ++at;
  }
  return filter.substr(at, filter.find('|', at) - at) == AlphaBmpDialogName;
}

std::string SaveFilterOf(const TImageFormat& format) { return Entry(format.DialogName, format.Extension); }

std::string FolderMask(bool includeOthers) {
  std::string mask = Pattern(Classic().Extension);
  if (includeOthers)
    for (const TImageFormat& format : Formats)
      if (&format != &Classic() && format.InFolderLoads) mask += ";" + Pattern(format.Extension);
  return mask;
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

std::vector<std::uint8_t> EncodeImage(const TBitmapImage& image, std::string_view fileName, const TEncodeOptions& options) {
  return FormatOfName(fileName).EncodeBytes(image, options);
}

void SaveImageFile(const TBitmapImage& image, const std::string& fileName, const TEncodeOptions& options) {
  FormatOfName(fileName).EncodeFile(image, fileName, options);
}

}  // namespace gliffo
