#pragma once
// Reading image files of any known format a band of rows at a time, for the jobs that judge a
// file by its headers first and never hold more of it than they need: folder loads, gather,
// combine, decode and to4bit. Formats whose rows the format table says are read by rows (BMP)
// go through bmp::TBmpRowReader; the others (PNG rows are compressed as one stream and cannot
// be cut) are judged by their headers and decoded whole (within the picture limit) when their
// rows are first asked for, and given as one band.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/bmp_row_reader.h"
#include "formats/image_options.h"
#include "platform/files/file_io.h"

namespace gliffo {

struct TImageFormat;

class TImageRowReader {
 public:
  // Files are decoded with the run's options.
  explicit TImageRowReader(const TDecodeOptions& options = {});
  ~TImageRowReader();
  TImageRowReader(const TImageRowReader&) = delete;
  TImageRowReader& operator=(const TImageRowReader&) = delete;

  // Reads the headers, raising what loading the file raises for a file refused by them. A PNG
  // file beyond the picture limit raises EOutOfResources here, before its pixels are inflated.
  //
  // Given onlyHeight, a file whose first header gives another height is left there, read no
  // further and judged no further (however large it says it is): Width and Height say what
  // that header gives, and there is nothing to take from it. Readers that keep only pictures
  // of one height (folder loads, gather) are not stopped by an unrelated one beside them.
  void Open(const std::string& fileName, int onlyHeight = 0);
  // The same over a file already open, which the reader keeps until the next Open or TakeImage.
  // onHead, when given, is shown the file's first bytes (all of a file up to HeadBytes) before
  // the reader judges them, so a caller can judge the file by them too without reading it again.
  using TOnHead = std::function<void(const files::TInputFile& file, std::span<const std::uint8_t> head)>;
  void Open(std::unique_ptr<files::TInputFile> file, const TOnHead& onHead = {}, int onlyHeight = 0);
  // Files up to this size are read whole, in one read, when they are opened.
  static constexpr std::size_t HeadBytes = bmp::TBmpRowReader::HeadBytes;
  bool Empty() const { return headerOnly_ || wholeFormat_ ? width_ == 0 : bmp_.Empty(); }
  int Width() const { return headerOnly_ || wholeFormat_ ? width_ : bmp_.Width(); }
  int Height() const { return headerOnly_ || wholeFormat_ ? height_ : bmp_.Height(); }
  // Whether the picture may be an alpha picture (formats/bitmap_image.h): a file of a format
  // decoded whole, or a BMP file with an alpha mask. Its bands are the store's rows alone;
  // TakeImage gives its own pixels too.
  bool MayHaveAlpha() const { return wholeFormat_ != nullptr || bmp_.AlphaMask() != 0; }
  // The whole picture, exactly as the format table loads it (nullptr for an empty file); closes
  // the reader.
  std::shared_ptr<TBitmapImage> TakeImage();
  // As bmp::TBmpRowReader::ForEachBand.
  template <typename OnBand>
  void ForEachBand(std::size_t bandBytes, OnBand&& onBand) {
    if (headerOnly_) return;
    if (!wholeFormat_) {
      bmp_.ForEachBand(bandBytes, onBand);
      return;
    }
    DecodeWhole();
    if (whole_) onBand(whole_->Surface(), 0);
  }

 private:
  void DecodeWhole();
  bool OfAnotherHeight(const TImageFormat& format, std::span<const std::uint8_t> head, std::uint64_t fileSize,
                       int onlyHeight);

  TDecodeOptions options_;
  bmp::TBmpRowReader bmp_;
  std::unique_ptr<files::TInputFile> file_;
  const TImageFormat* wholeFormat_ = nullptr;  // a file decoded whole, of this format
  bool headerOnly_ = false;                    // a file of another height, left unread
  int width_ = 0, height_ = 0;
  bmp::THeadBuffer head_;            // the first bytes of a file, reused from file to file
  std::vector<std::uint8_t> bytes_;  // a larger file's headers, for a format decoded whole from the file
  std::span<const std::uint8_t> wholeBytes_;  // a small file, whole in head_
  std::shared_ptr<TBitmapImage> whole_;
};

}  // namespace gliffo
