#include "formats/bitmap_image.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include <sys/mman.h>

#include "formats/strings.h"
#include "platform/errors.h"
#include "platform/memory_advice.h"

namespace gliffo {

void AllocateStoreBits(std::vector<std::uint8_t>& bits, std::int64_t bytes) {
  if (bytes < 0 || bytes > MaxStoreBytes) ThrowOutOfResources();
  try {
    // Large stores ask for huge pages where the system offers them on request: a 4096 × 4096
    // store otherwise costs 16,384 page faults, more than decoding it does.
    bits.clear();
    bits.reserve(static_cast<std::size_t>(bytes));
    const auto start = reinterpret_cast<std::uintptr_t>(bits.data());
    const auto size = static_cast<std::size_t>(bytes);
    if (size >= 2 * HugePageBytes) AdviseWholeBlocks(start, size, HugePageBytes, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    // Every page of the store is written just below: one call makes them all (a joined strip of
    // 1,000 glyphs is some 300 pages) instead of one page fault each. Kernels before 5.14 refuse
    // the advice, and the pages come one fault at a time as before.
    if (size >= 16 * PageBytes) AdviseWholeBlocks(start, size, PageBytes, MADV_POPULATE_WRITE);
#endif
    bits.assign(static_cast<std::size_t>(bytes), 0);
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
}

void AllocateAlphaPixels(std::vector<std::uint32_t>& pixels, std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0 || (height > 0 && width > MaxStoreBytes / 4 / height)) ThrowOutOfResources();
  try {
    pixels.assign(static_cast<std::size_t>(width * height), 0);
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
}

std::vector<std::uint32_t> OwnPixels(const TBitmapImage& image) {
  if (!image.AlphaPixels.empty() || !image.OpaqueAlpha) return image.AlphaPixels;
  return AlphaPixelsOfArea(image, 0, 0, image.Width, image.AbsHeight());
}

std::vector<std::uint32_t> AlphaPixelsOfArea(const TBitmapImage& image, int left, int top, int width, int height) {
  std::vector<std::uint32_t> area;
  if (!image.HasAlpha()) return area;
  AllocateAlphaPixels(area, width, height);
  if (image.AlphaPixels.empty()) {
    // All opaque: the store's colours.
    const raster::Surface s = image.Surface();
    std::vector<raster::ColorRef> row(static_cast<std::size_t>(s.Width));
    for (int y = 0; y < height; ++y) {
      raster::ReadRowColors(s, top + y, row.data());
      for (int x = 0; x < width; ++x)
        area[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
            AlphaPixelOf(row[static_cast<std::size_t>(left + x)], 255);
    }
    return area;
  }
  for (int y = 0; y < height; ++y)
    std::copy_n(image.AlphaPixels.data() + static_cast<std::size_t>(top + y) * static_cast<std::size_t>(image.Width) + left, width,
                area.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width));
  return area;
}

std::shared_ptr<TBitmapImage> NewStore(const TBitmapImage& description) {
  return NewStore(description, description.Width, description.Height);
}

std::shared_ptr<TBitmapImage> NewStore(const TBitmapImage& description, std::int32_t width, std::int32_t height) {
  const std::int64_t stride = description.DeviceDependent ? std::int64_t{width} * 4 : raster::DibStride(width, description.BitCount);
  const std::int64_t rows = height < 0 ? -std::int64_t{height} : height;
  if (stride < 0 || (rows > 0 && stride > MaxStoreBytes / rows)) ThrowOutOfResources();
  std::shared_ptr<TBitmapImage> image;
  try {
    image = std::make_shared<TBitmapImage>();
    TBitmapImage& t = *image;
    t.DeviceDependent = description.DeviceDependent;
    t.Width = width;
    t.Height = height;
    t.BitCount = description.BitCount;
    t.Compression = description.Compression;
    t.SizeImage = description.SizeImage;
    t.ClrUsed = description.ClrUsed;
    t.XPelsPerMeter = description.XPelsPerMeter;
    t.YPelsPerMeter = description.YPelsPerMeter;
    t.ClrImportant = description.ClrImportant;
    t.RedMask = description.RedMask, t.GreenMask = description.GreenMask, t.BlueMask = description.BlueMask;
    t.ColorTable = description.ColorTable;
    t.CoreHeader = description.CoreHeader;
  } catch (const std::bad_alloc&) {
    ThrowOutOfResources();
  }
  AllocateStoreBits(image->Bits, stride * rows);
  return image;
}

std::int64_t TBitmapImage::Stride() const {
  return DeviceDependent ? std::int64_t{Width} * 4 : raster::DibStride(Width, BitCount);
}

TPixelFormat TBitmapImage::PixelFormat() const {
  if (DeviceDependent) return TPixelFormat::pfDevice;
  switch (BitCount) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 16:
      if (Compression == BI_RGB) return TPixelFormat::pf15bit;
      if (Compression == BI_BITFIELDS && GreenMask == 0x07E0) return TPixelFormat::pf16bit;
      return TPixelFormat::pfCustom;
    case 24: return TPixelFormat::pf24bit;
    case 32: return Compression == BI_RGB ? TPixelFormat::pf32bit : TPixelFormat::pfCustom;
    default: return TPixelFormat::pfCustom;
  }
}

raster::Surface TBitmapImage::Surface() const {
  raster::Surface s;
  if (!HasPixels()) return s;
  s.Bits = const_cast<std::uint8_t*>(Bits.data());
  s.Width = Width;
  s.Height = AbsHeight();
  s.Stride = static_cast<std::ptrdiff_t>(Stride());
  s.BottomUp = !DeviceDependent && Height > 0;
  s.BitCount = DeviceDependent ? DeviceBitCount : BitCount;
  if (!DeviceDependent && BitCount > 8 && Compression == BI_BITFIELDS) {
    s.RedMask = RedMask;
    s.GreenMask = GreenMask;
    s.BlueMask = BlueMask;
  }
  if (!DeviceDependent && BitCount <= 8) {
    s.Table = ColorTable.data();
    s.TableSize = static_cast<int>(ColorTable.size());
  }
  return s;
}

}  // namespace gliffo
