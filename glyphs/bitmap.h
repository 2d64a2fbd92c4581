#pragma once
// Raster images: the reference-counted pixel store TBitmapImage, the image TBitmap that refers
// to one, and the picture holder TPicture.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "glyphs/colors.h"
#include "platform/raster/pixels.h"

namespace gliffo {

class TCanvas;
class TBitmapCanvas;

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Compression codes of the device-independent layout.
inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_RLE8 = 1;
inline constexpr std::uint32_t BI_RLE4 = 2;
inline constexpr std::uint32_t BI_BITFIELDS = 3;

// Depth of the device-dependent format: 32 bits, blue-green-red with the fourth byte 0.
inline constexpr int DeviceBitCount = 32;

// The largest store we allocate. Glyph work never comes near it; a hostile header asking for
// more is refused with EOutOfResources instead of exhausting memory.
inline constexpr std::int64_t MaxStoreBytes = std::int64_t{1} << 30;

// Gives a store its zeroed pixel memory; EOutOfResources when the size is negative, beyond
// MaxStoreBytes or cannot be had.
void AllocateStoreBits(std::vector<std::uint8_t>& bits, std::int64_t bytes);

// A pixel store. Device-dependent stores are 32 bits per pixel, top row first, stride
// width × 4. Device-independent stores follow the file layout: rows of DibStride bytes, bottom
// row first for a positive Height, top row first for a negative one.
//
// A store may describe a format without holding pixels (Width or Height 0): that description
// decides the format of the storage a later size change creates.
struct TBitmapImage {
  bool DeviceDependent = true;
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // signed as stored: negative means top row first
  std::uint16_t BitCount = DeviceBitCount;
  std::uint32_t Compression = BI_RGB;
  std::uint32_t SizeImage = 0;
  std::uint32_t ClrUsed = 0;
  std::int32_t XPelsPerMeter = 0;
  std::int32_t YPelsPerMeter = 0;
  std::uint32_t ClrImportant = 0;
  std::uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;  // bit-field stores only
  std::vector<raster::Rgb> ColorTable;
  bool CoreHeader = false;  // read from a file with the 12-byte header: saved the same way
  std::vector<std::uint8_t> Bits;

  int AbsHeight() const { return Height < 0 ? -Height : Height; }
  bool HasPixels() const { return Width > 0 && Height != 0 && !Bits.empty(); }
  std::int64_t Stride() const;
  bool BitFields() const { return !DeviceDependent && Compression == BI_BITFIELDS && BitCount > 8; }
  TPixelFormat PixelFormat() const;
  // A view of the pixels. Writing through it is only allowed on a store that no other image
  // shares (TBitmap::WritableSurface makes sure of that).
  raster::Surface Surface() const;
};

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void LoadFromFile(const std::string& fileName) = 0;
  virtual void SaveToFile(const std::string& fileName) = 0;
};

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const override;
  int Height() const override;
  void SetWidth(int value);
  void SetHeight(int value);
  TPixelFormat PixelFormat() const;
  void SetPixelFormat(TPixelFormat value);
  bool Empty() const override;

  // Shares the other image's store (no pixel copy); nullptr makes this image empty.
  void Assign(const TBitmap* source);

  // Created on first use; the same object for the image's whole life.
  TCanvas& Canvas();
  bool HasCanvas() const { return canvas_ != nullptr; }

  void LoadFromFile(const std::string& fileName) override;
  void SaveToFile(const std::string& fileName) override;
  // The same over bytes in memory; a failure leaves the image as it was.
  void LoadFromBytes(std::span<const std::uint8_t> bytes);
  std::vector<std::uint8_t> SaveToBytes() const;

  // Copies the whole image at its own size onto the canvas at (x, y).
  void Draw(TCanvas& canvas, int x, int y) const;

  const TBitmapImage& Image() const { return *image_; }
  std::shared_ptr<const TBitmapImage> SharedImage() const { return image_; }
  // Replaces the store by a finished one (a loaded file); the canvas and its state stay.
  void ReplaceImage(std::shared_ptr<TBitmapImage> image);
  // Makes the store private when it is shared, then gives a view for writing.
  raster::Surface WritableSurface();

  // Change notification: raised after every drawing operation and every change of the store.
  std::function<void()> OnChange;
  void Changed();

 private:
  friend class TBitmapCanvas;
  void Recreate(const TBitmapImage& target);
  void MakePrivate();

  std::shared_ptr<TBitmapImage> image_;
  std::unique_ptr<TBitmapCanvas> canvas_;
};

// Holds at most one graphic; asking for the bitmap turns it into a TBitmap.
class TPicture {
 public:
  TBitmap& Bitmap();
  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic) { graphic_ = std::move(graphic); }
  // A picture that holds no graphic writes nothing and creates no file.
  void SaveToFile(const std::string& fileName);
  void LoadFromFile(const std::string& fileName);

 private:
  std::unique_ptr<TGraphic> graphic_;
};

}  // namespace gliffo
