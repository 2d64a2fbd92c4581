#include "formats/image_row_reader.h"

#include <new>

#include "formats/image_formats.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo {

TImageRowReader::TImageRowReader(const TDecodeOptions& options) : options_(options) {}
TImageRowReader::~TImageRowReader() = default;

void TImageRowReader::Open(const std::string& fileName) {
  file_.reset();
  Open(std::make_unique<files::TInputFile>(fileName));
}

void TImageRowReader::Open(std::unique_ptr<files::TInputFile> file, const TOnHead& onHead) {
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
  if (format.ByRows) {
    bmp_.Open(*file_, head_, got);
    return;
  }
  wholeFormat_ = &format;
  const std::uint64_t fileSize = file_->OpenedSize().value_or(0);
  if (got < head_.size()) {
    wholeBytes_ = head;
  } else {
    bytes_ = format.ReadBytes(*file_, std::vector<std::uint8_t>(head.begin(), head.end()), false, false);
    wholeBytes_ = bytes_;
  }
  file_.reset();
  // Judged by its headers, as a file read by rows is: a file of another size is never decoded.
  const TImageHeader header = format.JudgeHeader(wholeBytes_, fileSize, options_);
  width_ = header.Width;
  height_ = header.Height;
}

void TImageRowReader::DecodeWhole() {
  if (whole_ || !wholeFormat_) return;
  whole_ = wholeFormat_->DecodeBytes(wholeBytes_, options_);
  if (whole_) {
    width_ = whole_->Width;
    height_ = whole_->AbsHeight();
  }
}

std::shared_ptr<TBitmapImage> TImageRowReader::TakeImage() {
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
