#include "formats/format_info.h"

#include <cstdio>
#include <ostream>
#include <string_view>

#include "formats/bmp_file.h"
#include "formats/ico_codec.h"
#include "formats/little_endian.h"
#include "formats/png_codec.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"

namespace gliffo::format_info {

namespace {

// ---- BMP --------------------------------------------------------------------------------------

std::size_t BmpFileSize(std::span<const std::uint8_t> bytes, std::uint64_t fileSize) {
  return bytes.size() < bmp::MaxHeaderBytes ? bytes.size() : static_cast<std::size_t>(fileSize);
}

bmp::BmpHeader ParseBmp(std::span<const std::uint8_t> bytes, std::uint64_t fileSize) {
  return bmp::ParseHeader(bytes, BmpFileSize(bytes, fileSize));
}

const char* CompressionName(std::uint32_t compression) {
  switch (compression) {
    case BI_RGB: return "BI_RGB";
    case BI_RLE8: return "BI_RLE8";
    case BI_RLE4: return "BI_RLE4";
    case BI_BITFIELDS: return "BI_BITFIELDS";
    default: return "unknown";
  }
}

const char* PixelFormatName(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pfDevice: return "device-dependent";
    case TPixelFormat::pf1bit: return "1-bit";
    case TPixelFormat::pf4bit: return "4-bit";
    case TPixelFormat::pf8bit: return "8-bit";
    case TPixelFormat::pf15bit: return "15-bit";
    case TPixelFormat::pf16bit: return "16-bit";
    case TPixelFormat::pf24bit: return "24-bit";
    case TPixelFormat::pf32bit: return "32-bit";
    default: return "custom";
  }
}

// The pixel format a file loads as, judged by its header alone.
TPixelFormat FormatOf(const bmp::BmpHeader& h) {
  if (bmp::IsRle(h)) return TPixelFormat::pfDevice;
  TBitmapImage d;
  d.DeviceDependent = false;
  d.BitCount = h.BitCount;
  d.Compression = h.Compression;
  d.GreenMask = h.GreenMask;
  return d.PixelFormat();
}

// ---- PNG --------------------------------------------------------------------------------------

// The signature, then the first chunk, which must be IHDR: its length, type, width, height,
// then bit depth and colour type.
constexpr std::size_t IhdrEnd = png::SignatureSize + 4 + 4 + 8;

// The store a PNG file loads as (see png::Decode): palette and grey files of up to 8 bits
// keep their indexes (2-bit ones widened to 4), everything else is 24-bit.
bool LoadsIndexed(int colorType, int bitDepth) {
  return colorType == png::ColorTypeIndexed || (colorType == png::ColorTypeGray && bitDepth <= 8);
}
int PngStoreBitCount(int colorType, int bitDepth) {
  if (LoadsIndexed(colorType, bitDepth)) return bitDepth == 2 ? 4 : bitDepth;
  return 24;
}
TPixelFormat FormatOf(const png::PngHeader& h) {
  if (LoadsIndexed(h.ColorType, h.BitDepth))
    return h.BitDepth == 1 ? TPixelFormat::pf1bit : h.BitDepth <= 4 ? TPixelFormat::pf4bit : TPixelFormat::pf8bit;
  return TPixelFormat::pf24bit;
}

const char* PngColorTypeName(int colorType) {
  switch (colorType) {
    case png::ColorTypeGray: return "grey";
    case png::ColorTypeRgb: return "RGB";
    case png::ColorTypeIndexed: return "palette";
    case png::ColorTypeGrayAlpha: return "grey and alpha";
    case png::ColorTypeRgba: return "RGBA";
    default: return "unknown";
  }
}

}  // namespace

TImageHeader BmpHeader(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions&) {
  const bmp::BmpHeader h = ParseBmp(bytes, fileSize);
  TImageHeader header;
  header.Width = h.Width;
  header.Height = h.AbsHeight();
  // Run-length files load in the device-dependent format.
  header.BitCount = bmp::IsRle(h) ? DeviceBitCount : h.BitCount;
  // Run-length data has no size of its own to compare with.
  if (!bmp::IsRle(h)) {
    const std::uint64_t stride = static_cast<std::uint64_t>(raster::DibStride(h.Width, h.BitCount));
    const std::uint64_t wanted = stride * static_cast<std::uint64_t>(h.AbsHeight());
    const std::uint64_t left = fileSize > h.PixelOffset ? fileSize - h.PixelOffset : 0;
    if (left < wanted) header.MissingBytes = wanted - left;
  }
  return header;
}

TImageHeader BmpFirstHeader(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions&) {
  const bmp::BmpHeader h = bmp::ParseHeaderOfAnySize(bytes, BmpFileSize(bytes, fileSize));
  TImageHeader header;
  header.Width = h.Width;
  header.Height = h.AbsHeight();
  header.BitCount = bmp::IsRle(h) ? DeviceBitCount : h.BitCount;
  return header;
}

void DescribeBmp(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, std::ostream& out) {
  const bmp::BmpHeader h = ParseBmp(bytes, fileSize);
  out << "header size: " << h.HeaderSize << "\n"
      << "width: " << h.Width << "\n"
      << "height: " << h.Height << "\n"
      << "bits per pixel: " << h.BitCount << "\n"
      << "compression: " << CompressionName(h.Compression) << "\n"
      << "colour-table entries: " << h.ColorTable.size() << "\n"
      << "pixel format: " << PixelFormatName(FormatOf(h)) << "\n"
      << "top-down: " << (h.TopDown() ? "yes" : "no") << "\n";
  // Files without an alpha mask describe themselves as they always have.
  if (h.AlphaMask != 0) {
    char mask[16];
    std::snprintf(mask, sizeof mask, "%08X", h.AlphaMask);
    out << "alpha mask: " << mask << " (alpha kept unless every pixel's is 0)\n";
  }
}

TImageHeader PngHeader(std::span<const std::uint8_t> bytes, std::uint64_t, const TDecodeOptions&) {
  const png::PngHeader parsed = png::ParseHeader(bytes);
  TImageHeader header;
  header.Width = static_cast<int>(parsed.Width);
  header.Height = static_cast<int>(parsed.Height);
  header.BitCount = PngStoreBitCount(parsed.ColorType, parsed.BitDepth);
  return header;
}

TImageHeader PngFirstHeader(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions& options) {
  const bool plainIhdr = bytes.size() >= IhdrEnd && ReadBe32(bytes.data() + 8) == 13 &&
                         std::string_view(reinterpret_cast<const char*>(bytes.data()) + 12, 4) == "IHDR";
  const std::uint32_t w = plainIhdr ? ReadBe32(bytes.data() + 16) : 0;
  const std::uint32_t h = plainIhdr ? ReadBe32(bytes.data() + 20) : 0;
  // Anything odd there is refused in libspng's words.
  if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) return PngHeader(bytes, fileSize, options);
  TImageHeader header;
  header.Width = static_cast<int>(w);
  header.Height = static_cast<int>(h);
  // A file cut short there is refused by its decoder.
  if (bytes.size() >= IhdrEnd + 2) header.BitCount = PngStoreBitCount(bytes[IhdrEnd + 1], bytes[IhdrEnd]);
  return header;
}

void DescribePng(std::span<const std::uint8_t> bytes, std::uint64_t, std::ostream& out) {
  const png::PngHeader h = png::ParseHeader(bytes);
  out << "format: PNG\n"
      << "width: " << h.Width << "\n"
      << "height: " << h.Height << "\n"
      << "bit depth: " << h.BitDepth << "\n"
      << "colour type: " << h.ColorType << " (" << PngColorTypeName(h.ColorType) << ")\n"
      << "interlace: " << (h.Interlaced ? "Adam7" : "none") << "\n"
      << "palette entries: " << h.PaletteSize << "\n"
      << "transparency entries: " << h.TransparencyEntries << "\n"
      << "pixel format: " << PixelFormatName(FormatOf(h)) << "\n"
      << "alpha: "
      << (h.ColorType == png::ColorTypeRgba || h.ColorType == png::ColorTypeGrayAlpha || h.TransparencyEntries > 0 ? "yes"
                                                                                                                  : "no")
      << "\n";
}

TImageHeader IcoHeader(std::span<const std::uint8_t> bytes, std::uint64_t, const TDecodeOptions& options) {
  // Entries are small: the one a load takes is decoded, for the depth of the store it gives.
  const std::vector<ico::IcoEntry> entries = ico::ParseDirectory(bytes);
  const std::shared_ptr<TBitmapImage> entry =
      ico::DecodeEntry(bytes, entries[ico::ChooseEntry(entries, options.PreferredSize)], options);
  TImageHeader header;
  header.Entries = static_cast<int>(entries.size());
  if (entry) {
    header.Width = entry->Width;
    header.Height = entry->AbsHeight();
    header.BitCount = entry->DeviceDependent ? DeviceBitCount : entry->BitCount;
  }
  return header;
}

void DescribeIco(std::span<const std::uint8_t> bytes, std::uint64_t, std::ostream& out) {
  const std::vector<ico::IcoEntry> entries = ico::ParseDirectory(bytes);
  out << "format: ICO\nentries: " << entries.size() << "\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ico::IcoEntry& e = entries[i];
    out << "entry " << i << ": " << e.Width << "x" << e.Height << ", " << e.BitCount << " bits per pixel, "
        << (e.Png ? "PNG" : "BMP") << ", " << e.Size << " bytes\n";
  }
  const std::shared_ptr<TBitmapImage> chosen = ico::DecodeEntry(bytes, entries[ico::ChooseEntry(entries, 0)]);
  out << "alpha: " << (chosen && chosen->HasAlpha() ? "yes" : "no") << "\n";
}

}  // namespace gliffo::format_info
