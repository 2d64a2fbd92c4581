#include "formats/transparency.h"

#include <algorithm>

namespace gliffo {

TAlphaRule::TAlphaRule(const TDecodeOptions& options) {
  const auto channels = [](raster::ColorRef c, std::uint8_t* rgb, std::uint8_t* bgr) {
    rgb[0] = bgr[2] = static_cast<std::uint8_t>(raster::RedOf(c));
    rgb[1] = bgr[1] = static_cast<std::uint8_t>(raster::GreenOf(c));
    rgb[2] = bgr[0] = static_cast<std::uint8_t>(raster::BlueOf(c));
  };
  channels(options.Key, key_, keyBgr_);
  channels(options.Matte, matte_, matteBgr_);
}

std::vector<std::uint32_t> ResolveGlyphKeys(const raster::Surface& s, const TEncodeOptions& options) {
  const int w = s.Width, h = s.Height;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) raster::ReadRowColors(s, y, pixels.data() + static_cast<std::size_t>(y) * w);
  if (options.Opaque) return pixels;
  const int n = options.GlyphSize > 0 ? options.GlyphSize : h;
  for (int top = 0; top < h; top += n) {
    const int bottom = std::min(top + n, h);
    for (int left = 0; left < w; left += n) {
      const int right = std::min(left + n, w);
      const std::uint32_t key = pixels[static_cast<std::size_t>(bottom - 1) * w + left];
      for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
          std::uint32_t& p = pixels[static_cast<std::size_t>(y) * w + x];
          if (p == key) p |= TransparentBit;
        }
    }
  }
  return pixels;
}

std::vector<std::uint32_t> KeyPixelsWithAlpha(const raster::Surface& s, const TEncodeOptions& options) {
  std::vector<std::uint32_t> pixels = ResolveGlyphKeys(s, options);
  for (std::uint32_t& p : pixels) p = AlphaPixelOf(p & 0xFFFFFF, (p & TransparentBit) ? 0 : 255);
  return pixels;
}

std::vector<std::uint32_t> PixelsWithAlpha(const TBitmapImage& image, const TEncodeOptions& options) {
  if (image.HasAlpha()) return OwnPixels(image);
  return KeyPixelsWithAlpha(image.Surface(), options);
}

}  // namespace gliffo
