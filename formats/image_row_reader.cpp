#include "formats/image_row_reader.h"

#include <new>

#include "formats/image_formats.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "platform/raster/pixels.h"

namespace gliffo {

TImageRowReader::TImageRowReader(const TDecodeOptions& options) : options_(options) {}
TImageRowReader::~TImageRowReader() = default;

bool TImageRowReader::OfAnotherHeight(const TImageFormat& format, std::span<const std::uint8_t> head,
                                      std::uint64_t fileSize, int onlyHeight) {
  // The first bytes hold every header a glyph file has; a file they cannot judge (an icon
  // whose entries lie further on, a broken header) is read as any other, and refused in its
  // reader's words.
  TImageHeader first;
  try {
    first = format.JudgeHeader(head, fileSize, options_);
  } catch (const Exception&) {
    return false;
  }
  if (first.Height == onlyHeight) return false;
  headerOnly_ = true;
  width_ = first.Width;
  height_ = first.Height;
  return true;
}

void TImageRowReader::Open(const std::string& fileName, int onlyHeight) {
  file_.reset();
  Open(std::make_unique<files::TInputFile>(fileName), {}, onlyHeight);
}

void TImageRowReader::Open(std::unique_ptr<files::TInputFile> file, const TOnHead& onHead, int onlyHeight) {
  headerOnly_ = false;
  wholeFormat_ = nullptr;
  whole_.reset();
  width_ = height_ = 0;
  wholeBytes_ = {};
  // One open file and one read of its head for every format: a file read by rows goes on from
  // the bytes already read, and most glyph files are read whole by it.
  file_ = std::move(file);
  try {
    head_.resize(bmp::TBmpRowReader::HeadBytes);
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
  const std::size_t got = file_->ReadHead(head_.data(), head_.size());
  const std::span<const std::uint8_t> head(head_.data(), got);
  if (onHead) onHead(*file_, head);
  const TImageFormat& format = FormatOfBytes(head);
  const std::uint64_t fileSize = file_->OpenedSize().value_or(0);
  if (onlyHeight > 0 && got > 0 && OfAnotherHeight(format, head, fileSize, onlyHeight)) {
    file_.reset();
    return;
  }
  if (format.ByRows) {
    bmp_.Open(*file_, head_, got);
    return;
  }
  wholeFormat_ = &format;
  std::span<const std::uint8_t> headers;
  if (got < head_.size()) {
    // A small file stands whole in its head: decoded from there.
    wholeBytes_ = headers = head;
    file_.reset();
  } else {
    // A larger one is judged by its headers and decoded from the file (which stays open until
    // then), never held whole beside its picture.
    bytes_ = format.ReadBytes(*file_, std::vector<std::uint8_t>(head.begin(), head.end()), false, true);
    headers = bytes_;
  }
  // Judged by its headers, as a file read by rows is: a file of another size is never decoded.
  const TImageHeader header = format.JudgeHeader(headers, fileSize, options_);
  width_ = header.Width;
  height_ = header.Height;
  if (raster::TooManyPixels(width_, height_)) ThrowOutOfResources();
}

void TImageRowReader::DecodeWhole() {
  if (whole_ || !wholeFormat_) return;
  if (file_) {
    bytes_ = {};
    whole_ = wholeFormat_->DecodeFile(*file_, options_);
    file_.reset();
  } else {
    whole_ = wholeFormat_->DecodeBytes(wholeBytes_, options_);
  }
  if (whole_) {
    width_ = whole_->Width;
    height_ = whole_->AbsHeight();
  }
}

std::shared_ptr<TBitmapImage> TImageRowReader::TakeImage() {
  if (headerOnly_) return nullptr;
  if (!wholeFormat_) {
    std::shared_ptr<TBitmapImage> image = bmp_.TakeImage();
    file_.reset();
    return image;
  }
  DecodeWhole();
  wholeFormat_ = nullptr;
  width_ = height_ = 0;
  return std::move(whole_);
}

}  // namespace gliffo
