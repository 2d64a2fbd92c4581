#pragma once
// The reference-counted pixel store of raster images, apart from the image that refers to one,
// so that file formats and the canvas can work on stores without knowing the image class.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/raster/pixels.h"

namespace gliffo {

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

struct TBitmapImage;

// A new store as the description says (format, masks, table, resolution, signed height), its
// pixels allocated and zeroed; the description's own pixels are not copied. EOutOfResources
// when it is too large or cannot be had.
std::shared_ptr<TBitmapImage> NewStore(const TBitmapImage& description);
// The same at another size: the description's format, masks, table and resolution, width ×
// height pixels (height signed as stored).
std::shared_ptr<TBitmapImage> NewStore(const TBitmapImage& description, std::int32_t width, std::int32_t height);

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

// Anything a canvas can copy pixels from: it hands out its store, which the copy holds on to
// while it runs.
class IImageSource {
 public:
  virtual std::shared_ptr<const TBitmapImage> SharedImage() const = 0;

 protected:
  ~IImageSource() = default;
};

}  // namespace gliffo
