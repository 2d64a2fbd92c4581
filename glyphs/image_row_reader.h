#pragma once
// Reading image files of any known format a band of rows at a time, for the jobs that judge a
// file by its headers first and never hold more of it than they need: folder loads, gather,
// combine, decode and to4bit. BMP files go through bmp::TBmpRowReader; PNG rows are compressed
// as one stream and cannot be cut, so a PNG file is decoded whole (within the picture limit)
// when its rows are first asked for, and given as one band.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "glyphs/bitmap_image.h"
#include "glyphs/bmp_row_reader.h"
#include "platform/files/file_io.h"

namespace gliffo {

class TImageRowReader {
 public:
  TImageRowReader();
  ~TImageRowReader();
  TImageRowReader(const TImageRowReader&) = delete;
  TImageRowReader& operator=(const TImageRowReader&) = delete;

  // Reads the headers, raising what loading the file raises for a file refused by them. A PNG
  // file beyond the picture limit raises EOutOfResources here, before its pixels are inflated.
  void Open(const std::string& fileName);
  bool Empty() const { return png_ ? width_ == 0 : bmp_.Empty(); }
  int Width() const { return png_ ? width_ : bmp_.Width(); }
  int Height() const { return png_ ? height_ : bmp_.Height(); }
  // The whole picture, exactly as the format table loads it (nullptr for an empty file); closes
  // the reader.
  std::shared_ptr<TBitmapImage> TakeImage();
  // As bmp::TBmpRowReader::ForEachBand.
  template <typename OnBand>
  void ForEachBand(std::size_t bandBytes, OnBand&& onBand) {
    if (!png_) {
      bmp_.ForEachBand(bandBytes, onBand);
      return;
    }
    DecodePng();
    if (whole_) onBand(whole_->Surface(), 0);
  }

 private:
  void DecodePng();

  bmp::TBmpRowReader bmp_;
  std::optional<files::TInputFile> file_;
  bool png_ = false;
  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> head_;   // the first bytes of a file, reused from file to file
  std::vector<std::uint8_t> bytes_;  // a larger PNG or icon file's bytes
  std::span<const std::uint8_t> pngBytes_;  // the PNG or icon file, in head_ or bytes_
  std::shared_ptr<TBitmapImage> whole_;
};

}  // namespace gliffo
