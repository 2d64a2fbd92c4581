#pragma once
// Reading BMP files from disk: whole into a store, or a band of rows at a time.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/bmp_file.h"
#include "platform/files/file_io.h"

namespace gliffo::bmp {

// Loads a file: the same result as Decode(ReadWholeFile(fileName)), but the headers are read
// first and uncompressed pixel bytes go straight into the store, so the file is read once
// (TBmpRowReader's TakeImage). nullptr for an empty file.
std::shared_ptr<TBitmapImage> LoadFile(const std::string& fileName);
// The same over a file already open.
std::shared_ptr<TBitmapImage> LoadFile(const files::TInputFile& file);

// A buffer for the first bytes of a file, made without zeroing it: only the bytes a read gives
// are ever looked at, and zeroing 64 KiB to read a 1 KiB glyph file would touch sixteen fresh
// pages where the read touches one.
template <class T>
struct TUnzeroedAllocator : std::allocator<T> {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = TUnzeroedAllocator<U>;
  };
  TUnzeroedAllocator() = default;
  template <class U>
  TUnzeroedAllocator(const TUnzeroedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using THeadBuffer = std::vector<std::uint8_t, TUnzeroedAllocator<std::uint8_t>>;

// A file's rows a band at a time, top row first, exactly as LoadFile decodes them, without
// holding the whole picture: uncompressed pixels are read band by band from the file (a small
// file is read once and its rows are used where they lie); run-length files, which cannot be
// cut, are decoded whole and given as one band. One reader can open file after file and
// reuses its buffers.
class TBmpRowReader {
 public:
  TBmpRowReader();
  ~TBmpRowReader();
  TBmpRowReader(const TBmpRowReader&) = delete;
  TBmpRowReader& operator=(const TBmpRowReader&) = delete;

  // Reads the headers, raising what LoadFile raises for the same file (a store too large to
  // hold raises EOutOfResources even though it is never allocated).
  void Open(const std::string& fileName);
  // The same over a file already open, which must stay open until the reader is closed
  // (TakeImage, or the next Open).
  void Open(const files::TInputFile& file);
  // Files up to this size are read whole, in one read.
  static constexpr std::size_t HeadBytes = 64 * 1024;
  // The same over a file whose head another reader has already read: head holds its first
  // have bytes, as TInputFile::ReadHead(data, HeadBytes) gives them. The reader takes head's
  // buffer and leaves one of its own in its place, so neither is read nor copied again.
  void Open(const files::TInputFile& file, THeadBuffer& head, std::size_t have);
  // An empty file: an image without pixels.
  bool Empty() const { return width_ == 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }  // absolute
  // The file's alpha mask (BmpHeader::AlphaMask), 0 for none.
  std::uint32_t AlphaMask() const { return width_ == 0 || whole_ ? 0 : header_.AlphaMask; }
  // The whole picture in a store, exactly as LoadFile returns it (nullptr for an empty
  // file), which closes the reader.
  std::shared_ptr<TBitmapImage> TakeImage();
  // Gives every row once, in bands of about bandBytes (at least one row): onBand(band, y)
  // receives a surface whose row 0 is row y of the picture. The surface is valid during the call.
  template <typename OnBand>
  void ForEachBand(std::size_t bandBytes, OnBand&& onBand) {
    for (int y = 0; y < height_;) {
      const raster::Surface band = Band(y, bandBytes);
      onBand(band, y);
      y += band.Height;
    }
  }

 private:
  raster::Surface Band(int firstRow, std::size_t bandBytes);
  void DecodeRunLengths();
  void ReadHeaders();
  void ParseHeaders(std::size_t have);
  void Close();

  std::optional<files::TInputFile> owned_;  // a file opened by name
  const files::TInputFile* file_ = nullptr;
  int width_ = 0, height_ = 0;
  BmpHeader header_;
  std::shared_ptr<TBitmapImage> whole_;  // run-length and other files decoded at once
  THeadBuffer small_;                    // a small file's bytes
  bool inMemory_ = false;                // the pixels are in small_
  std::vector<std::uint8_t> band_;
};

}  // namespace gliffo::bmp
