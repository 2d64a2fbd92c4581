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
//
// An alpha picture (a PNG or icon with alpha, a BMP with an alpha mask) also holds its own
// pixels beside the store, in AlphaPixels: colour and straight alpha, exactly as the file gave
// them. The store keeps the picture the key-colour world has always seen (the key and matte
// rule applied, or a BMP's colours as stored), so every reader of the store, every BMP and
// every 4-bit strip is what it was; only writers that can carry alpha (PNG, ICO, the 32-bit
// BMP with alpha) and the jobs that feed them look beside it. Drawing into the store through
// its surface leaves a key-colour picture (TBitmap drops the alpha pixels then).
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
  // Top row first, Width × AbsHeight values 0xAARRGGBB (blue, green, red, alpha in memory);
  // empty for a key-colour picture, and for an alpha picture whose every pixel is opaque
  // (OpaqueAlpha): its own pixels are then the store's colours at alpha 255, and nothing is
  // kept twice. Read them through OwnPixels.
  std::vector<std::uint32_t> AlphaPixels;
  bool OpaqueAlpha = false;

  bool HasAlpha() const { return OpaqueAlpha || !AlphaPixels.empty(); }
  int AbsHeight() const { return Height < 0 ? -Height : Height; }
  bool HasPixels() const { return Width > 0 && Height != 0 && !Bits.empty(); }
  std::int64_t Stride() const;
  bool BitFields() const { return !DeviceDependent && Compression == BI_BITFIELDS && BitCount > 8; }
  TPixelFormat PixelFormat() const;
  // A view of the pixels. Writing through it is only allowed on a store that no other image
  // shares (TBitmap::WritableSurface makes sure of that).
  raster::Surface Surface() const;
};

// One pixel of an alpha picture, and its parts.
constexpr std::uint32_t MakeAlphaPixel(int r, int g, int b, int a) {
  return static_cast<std::uint32_t>((b & 0xFF) | ((g & 0xFF) << 8) | ((r & 0xFF) << 16) | ((a & 0xFF) << 24));
}
constexpr int AlphaOf(std::uint32_t p) { return static_cast<int>(p >> 24); }
// The colour of an alpha pixel as a COLORREF (0x00BBGGRR), its alpha left out.
constexpr raster::ColorRef ColorOfAlphaPixel(std::uint32_t p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}
// A colour (0x00BBGGRR) with an alpha, as an alpha pixel.
constexpr std::uint32_t AlphaPixelOf(raster::ColorRef c, int a) {
  return MakeAlphaPixel(raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c), a);
}

// Gives an alpha plane its memory for width × height pixels (uninitialised values are zero);
// EOutOfResources as AllocateStoreBits.
void AllocateAlphaPixels(std::vector<std::uint32_t>& pixels, std::int64_t width, std::int64_t height);

struct TBitmapImage;
// An alpha picture's own pixels (AlphaPixels, or the store's colours at alpha 255 for one
// whose pixels are all opaque); empty for a key-colour picture.
std::vector<std::uint32_t> OwnPixels(const TBitmapImage& image);
// The alpha pixels of an area of an alpha picture, top row first; the area must lie inside it.
// Empty for a key-colour picture.
std::vector<std::uint32_t> AlphaPixelsOfArea(const TBitmapImage& image, int left, int top, int width, int height);

// Anything a canvas can copy pixels from: it hands out its store, which the copy holds on to
// while it runs.
class IImageSource {
 public:
  virtual std::shared_ptr<const TBitmapImage> SharedImage() const = 0;

 protected:
  ~IImageSource() = default;
};

}  // namespace gliffo
