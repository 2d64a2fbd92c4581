#pragma once
// The two rules that carry transparency between the key-colour world of glyphs and formats
// with alpha, shared by every codec that has an alpha channel (PNG, ICO).
#include <cstdint>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/image_options.h"
#include "platform/raster/pixels.h"

namespace gliffo {

// Reading: a pixel of alpha below 128 becomes the key colour, one of 128 or more is blended
// over the matte (rounded to nearest), an opaque one keeps its colour exactly.
class TAlphaRule {
 public:
  explicit TAlphaRule(const TDecodeOptions& options);
  // An alpha pixel (0xAARRGGBB) as the key-colour world sees it, a colour 0x00BBGGRR.
  raster::ColorRef Flatten(std::uint32_t pixel) const {
    const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                                 static_cast<std::uint8_t>(pixel)};
    std::uint8_t out[3];
    ApplyRgb(rgb, AlphaOf(pixel), out);
    return raster::MakeColorRef(out[0], out[1], out[2]);
  }
  // Red, green and blue in and out.
  void ApplyRgb(const std::uint8_t* rgb, int alpha, std::uint8_t* out) const { Apply(rgb, alpha, out, key_, matte_); }
  // Blue, green and red in and out, as device-independent stores keep them.
  void ApplyBgr(const std::uint8_t* bgr, int alpha, std::uint8_t* out) const {
    Apply(bgr, alpha, out, keyBgr_, matteBgr_);
  }

 private:
  static void Apply(const std::uint8_t* in, int alpha, std::uint8_t* out, const std::uint8_t* key,
                    const std::uint8_t* matte) {
    if (alpha == 255) {
      out[0] = in[0], out[1] = in[1], out[2] = in[2];
    } else if (alpha < 128) {
      out[0] = key[0], out[1] = key[1], out[2] = key[2];
    } else {
      for (int i = 0; i < 3; ++i)
        out[i] = static_cast<std::uint8_t>((in[i] * alpha + matte[i] * (255 - alpha) + 127) / 255);
    }
  }
  std::uint8_t key_[3], matte_[3], keyBgr_[3], matteBgr_[3];
};

// Writing: a pixel as an encoder with alpha sees it, its colour (0x00BBGGRR) with this bit set
// when it is written transparent.
inline constexpr std::uint32_t TransparentBit = 1u << 24;

// Every pixel of a surface, top row first. Unless the options ask for every pixel opaque, the
// surface is cut into square glyphs of options.GlyphSize (0: its height), left to right and
// top to bottom, and in each glyph the pixels of its bottom-left pixel's colour are marked
// transparent (one glyph's key may be another's ink).
std::vector<std::uint32_t> ResolveGlyphKeys(const raster::Surface& s, const TEncodeOptions& options);

// Every pixel of a picture as a writer with alpha writes it, top row first, as alpha pixels
// (0xAARRGGBB): an alpha picture's own pixels exactly; a key-colour picture's colours, each
// glyph's key with alpha 0 unless the options ask for every pixel opaque (ResolveGlyphKeys).
std::vector<std::uint32_t> PixelsWithAlpha(const TBitmapImage& image, const TEncodeOptions& options);
// The same for a store's surface alone (a key-colour picture).
std::vector<std::uint32_t> KeyPixelsWithAlpha(const raster::Surface& s, const TEncodeOptions& options);

}  // namespace gliffo
