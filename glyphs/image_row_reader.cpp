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
  pngBytes_ = {};
  // One open file and one read of its head for every format: a BMP file goes on from the bytes
  // already read, and most glyph files are read whole by it.
  file_.reset();
  file_.emplace(fileName);
  try {
    head_.resize(bmp::TBmpRowReader::HeadBytes);
  } catch (const std::bad_alloc&) {
    throw EOutOfResources(texts::OutOfSystemResources);
  }
  const std::size_t got = file_->ReadHead(head_.data(), head_.size());
  const std::span<const std::uint8_t> head(head_.data(), got);
  const bool ico = ico::IsIco(head);
  if (!ico && !png::IsPng(head)) {
    bmp_.Open(*file_, head_, got);
    return;
  }
  png_ = true;
  if (got < head_.size()) {
    pngBytes_ = head;
  } else {
    bytes_ = file_->ReadAll(file_->RegularSize().value_or(0));
    pngBytes_ = bytes_;
  }
  file_.reset();
  if (ico) {
    // An icon's entries are small and stored apart: the one a load takes is decoded whole.
    DecodePng();
    return;
  }
  // Judged by the first chunk alone, as a BMP file by its headers: a file of another size is
  // never inflated. Anything odd there is left to libspng to name.
  const bool plainIhdr = pngBytes_.size() >= IhdrEnd && BigEndian32(pngBytes_.data() + 8) == 13 &&
                         std::string_view(reinterpret_cast<const char*>(pngBytes_.data()) + 12, 4) == "IHDR";
  const std::uint32_t w = plainIhdr ? BigEndian32(pngBytes_.data() + 16) : 0;
  const std::uint32_t h = plainIhdr ? BigEndian32(pngBytes_.data() + 20) : 0;
  if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) {
    png::ParseHeader(pngBytes_);  // refuses it in libspng's words
    DecodePng();
    return;
  }
  if (static_cast<std::int64_t>(w) * h > png::MaxPixels) throw EOutOfResources(texts::OutOfSystemResources);
  width_ = static_cast<int>(w);
  height_ = static_cast<int>(h);
}

void TImageRowReader::DecodePng() {
  if (whole_ || !png_) return;
  whole_ = DecodeImage(pngBytes_, DefaultDecodeOptions());
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
