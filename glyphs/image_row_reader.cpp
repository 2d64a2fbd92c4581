#include "glyphs/image_row_reader.h"

#include <new>
#include <string_view>

#include "glyphs/ico_codec.h"
#include "glyphs/image_formats.h"
#include "glyphs/png_codec.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace {

// The signature, then the first chunk, which must be IHDR: its length, type, width, height.
constexpr std::size_t SmallFileBytes = 64 * 1024;
constexpr std::size_t IhdrEnd = png::SignatureSize + 4 + 4 + 8;

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

TImageRowReader::TImageRowReader() = default;
TImageRowReader::~TImageRowReader() = default;

void TImageRowReader::Open(const std::string& fileName) {
  png_ = false;
  whole_.reset();
  width_ = height_ = 0;
  // One open file for both formats: a BMP file is read through the file already open.
  file_.reset();
  file_.emplace(fileName);
  std::uint8_t head[png::SignatureSize];
  const std::size_t got = file_->ReadAt(head, sizeof head, 0);
  if (ico::IsIco(std::span<const std::uint8_t>(head, got))) {
    // An icon's entries are small and stored apart: the one a load takes is decoded whole.
    png_ = true;
    bytes_ = file_->ReadAll(file_->RegularSize().value_or(0));
    file_.reset();
    DecodePng();
    return;
  }
  if (!png::IsPng(std::span<const std::uint8_t>(head, got))) {
    bmp_.Open(*file_);
    return;
  }
  png_ = true;
  // Glyph files are small: one read takes the whole of most, without asking for the size.
  try {
    bytes_.resize(SmallFileBytes);
  } catch (const std::bad_alloc&) {
    throw EOutOfResources(texts::OutOfSystemResources);
  }
  bytes_.resize(file_->ReadAt(bytes_.data(), bytes_.size(), 0));
  if (bytes_.size() == SmallFileBytes) bytes_ = file_->ReadAll(file_->RegularSize().value_or(0));
  file_.reset();
  // Judged by the first chunk alone, as a BMP file by its headers: a file of another size is
  // never inflated. Anything odd there is left to libspng to name.
  const bool plainIhdr = bytes_.size() >= IhdrEnd && BigEndian32(bytes_.data() + 8) == 13 &&
                         std::string_view(reinterpret_cast<const char*>(bytes_.data()) + 12, 4) == "IHDR";
  const std::uint32_t w = plainIhdr ? BigEndian32(bytes_.data() + 16) : 0;
  const std::uint32_t h = plainIhdr ? BigEndian32(bytes_.data() + 20) : 0;
  if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) {
    png::ParseHeader(bytes_);  // refuses it in libspng's words
    DecodePng();
    return;
  }
  if (static_cast<std::int64_t>(w) * h > png::MaxPixels) throw EOutOfResources(texts::OutOfSystemResources);
  width_ = static_cast<int>(w);
  height_ = static_cast<int>(h);
}

void TImageRowReader::DecodePng() {
  if (whole_ || !png_) return;
  whole_ = DecodeImage(bytes_, DefaultDecodeOptions());
  if (whole_) {
    width_ = whole_->Width;
    height_ = whole_->AbsHeight();
  }
}

std::shared_ptr<TBitmapImage> TImageRowReader::TakeImage() {
  if (!png_) {
    std::shared_ptr<TBitmapImage> image = bmp_.TakeImage();
    file_.reset();
    return image;
  }
  DecodePng();
  png_ = false;
  width_ = height_ = 0;
  return std::move(whole_);
}

}  // namespace gliffo
