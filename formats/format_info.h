#pragma once
// What each format's headers say, for the format table's rows: the shared header answer
// (size, depth, entries) and info's lines. Over a file's first bytes; no pixel is decoded but
// an icon's chosen entry, whose store's depth is what a load gives.
#include <cstdint>
#include <iosfwd>
#include <span>

#include "formats/image_header.h"
#include "formats/image_options.h"

namespace gliffo::format_info {

TImageHeader BmpHeader(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions& options);
// Its size as the headers give it, checked as BmpHeader checks them but for the picture
// limit: readers that skip a file of another size must be able to skip one of any size.
TImageHeader BmpFirstHeader(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions& options);
void DescribeBmp(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, std::ostream& out);

// Every chunk before the pixel data, checked as libspng reads them.
TImageHeader PngHeader(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions& options);
// Judged by the first chunk alone, as a BMP file by its headers: a file of another size is
// never inflated. Anything odd there is left to libspng to name; the picture limit is left to
// the reader, which may skip a file of another size whatever its size.
TImageHeader PngFirstHeader(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions& options);
void DescribePng(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, std::ostream& out);

TImageHeader IcoHeader(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions& options);
void DescribeIco(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, std::ostream& out);

}  // namespace gliffo::format_info
