#pragma once
// BMP files: a pure decoder over bytes (header parsing apart from pixel decoding, so a folder
// can be judged by headers first), a pure encoder to bytes, and thin file wrappers.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"

namespace gliffo::bmp {

// What the headers of a file say, before any pixel is decoded.
struct BmpHeader {
  std::uint32_t HeaderSize = 0;  // 12, 40, 52, 56, 64, 108 or 124
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // signed as stored: negative means top row first
  std::uint16_t Planes = 0;
  std::uint16_t BitCount = 0;
  std::uint32_t Compression = 0;
  std::uint32_t SizeImage = 0;
  std::int32_t XPelsPerMeter = 0;
  std::int32_t YPelsPerMeter = 0;
  std::uint32_t ClrUsed = 0;
  std::uint32_t ClrImportant = 0;
  std::uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;
  bool HasMasks = false;
  bool CoreHeader = false;
  std::vector<raster::Rgb> ColorTable;  // widened to 4-byte entries
  std::size_t PixelOffset = 0;          // where the pixel bytes start in the file
  std::size_t PixelBytes = 0;           // how many pixel bytes are read (may be short)

  bool TopDown() const { return Height < 0; }
  int AbsWidth() const { return Width; }
  int AbsHeight() const { return Height < 0 ? -Height : Height; }
};

// Parses the file header, the info header, masks and colour table. Raises EReadError
// "Stream read error" when the bytes end inside them and EInvalidGraphic "Bitmap image is not
// valid" for a file the reader does not accept. An empty span is not a header: check first.
BmpHeader ParseHeader(std::span<const std::uint8_t> bytes);
// The same over the first bytes of a longer file of fileSize bytes (enough to hold every
// header and the colour table: 1,178 bytes, or the whole file when it is shorter).
BmpHeader ParseHeader(std::span<const std::uint8_t> prefix, std::size_t fileSize);

// Decodes the pixel bytes a parsed header points at (header.PixelBytes from
// header.PixelOffset; fewer are allowed, the rest reads as zero).
std::shared_ptr<TBitmapImage> DecodePixels(const BmpHeader& header, std::span<const std::uint8_t> pixels);

// Decodes a whole file. An empty span gives nullptr (the image becomes empty). Raises as
// ParseHeader, and EOutOfResources for a store too large to allocate.
std::shared_ptr<TBitmapImage> Decode(std::span<const std::uint8_t> bytes);

// The bytes of the file a store is saved as; empty for an image without pixels.
std::vector<std::uint8_t> Encode(const TBitmapImage& image);

// Reads a whole file at once. EFOpenError "Cannot open file %s" when it cannot be opened;
// EReadError when reading fails.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName);

// Writes a file by writing a temporary file beside it and renaming it over the target only
// when complete, so a failed save never destroys the previous file. EFCreateError "Cannot
// create file %s" when it cannot be created, EWriteError "Stream write error" when a write fails.
void WriteWholeFile(const std::string& fileName, std::span<const std::uint8_t> bytes);
// The same for bytes in several pieces, written one after the other.
void WriteWholeFile(const std::string& fileName, std::span<const std::span<const std::uint8_t>> parts);

// A file written piece by piece as WriteWholeFile writes it: into a temporary file beside the
// target, renamed over it by Commit once every byte is on disk. Left without Commit (a failed
// write, an exception), it removes the temporary and the target stays as it was. Raises the
// errors WriteWholeFile raises.
class TSafeFileWriter {
 public:
  explicit TSafeFileWriter(const std::string& fileName);
  ~TSafeFileWriter();
  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;
  void Write(std::span<const std::uint8_t> bytes);
  void Commit();

 private:
  std::string fileName_, target_, temp_;
  int fd_ = -1;
  bool committed_ = false;
};

// Saves a store as the bytes Encode gives, without first copying its pixels into one buffer.
void SaveFile(const TBitmapImage& image, const std::string& fileName);

// Loads a file: the same result as Decode(ReadWholeFile(fileName)), but the headers are read
// first and uncompressed pixel bytes go straight into the store, so the file is read once
// (TBmpRowReader's TakeImage). nullptr for an empty file.
std::shared_ptr<TBitmapImage> LoadFile(const std::string& fileName);

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
  // An empty file: an image without pixels.
  bool Empty() const { return width_ == 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }  // absolute
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
  void OpenFile(const std::string& fileName);
  void Close();

  int fd_ = -1;
  int width_ = 0, height_ = 0;
  BmpHeader header_;
  std::shared_ptr<TBitmapImage> whole_;  // run-length and other files decoded at once
  std::vector<std::uint8_t> small_;      // a small file's bytes
  bool inMemory_ = false;                // the pixels are in small_
  std::vector<std::uint8_t> band_;
};

}  // namespace gliffo::bmp
