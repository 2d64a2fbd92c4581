#include "glyphs/button_looks.h"

#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

// Draws the disabled look of the size × size glyph at column `left` of `source` into the same
// place of `target` (both the same height). Colours are compared as the target stores them.
void DrawDisabledLook(const raster::Surface& source, int left, int width, int height, const raster::Surface& target) {
  raster::ColorEncoder encoder(target);
  const raster::ColorRef transparent = raster::GetPixel(source, left, height - 1);
  const auto stored = [&](raster::ColorRef c) { return raster::ValueToColor(target, encoder.Encode(c)); };
  raster::ColorRef ground = stored(transparent);
  const raster::ColorRef highlight = stored(DisabledHighlight()), shadow = stored(DisabledShadow());
  if (ground == highlight || ground == shadow) ground = stored(DisabledStandInGround());

  std::vector<bool> shape(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      shape[static_cast<std::size_t>(y) * width + x] = raster::GetPixel(source, left + x, y) != transparent;
  const auto inShape = [&](int x, int y) {
    return x >= 0 && y >= 0 && shape[static_cast<std::size_t>(y) * width + x];
  };
  const std::uint32_t groundValue = encoder.Encode(ground), highlightValue = encoder.Encode(highlight),
                      shadowValue = encoder.Encode(shadow);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t value = inShape(x, y) ? shadowValue : inShape(x - 1, y - 1) ? highlightValue : groundValue;
      raster::WriteValue(target, left + x, y, value);
    }
}

}  // namespace

raster::ColorRef DisabledHighlight() { return ColorToRGB(clBtnHighlight); }
raster::ColorRef DisabledShadow() { return ColorToRGB(clBtnShadow); }
raster::ColorRef DisabledStandInGround() { return ColorToRGB(clSilver); }

void MakeDisabledGlyph(const TBitmap& glyph, TBitmap& result) {
  result.SetPixelFormat(TPixelFormat::pfDevice);
  result.SetWidth(glyph.Width());
  result.SetHeight(glyph.Height());
  if (glyph.Empty()) return;
  DrawDisabledLook(glyph.Image().Surface(), 0, glyph.Width(), glyph.Height(), result.WritableSurface());
  if (glyph.HasAlpha()) {
    std::vector<std::uint32_t> looks = OwnPixels(glyph.Image());
    for (std::uint32_t& p : looks) p = DisabledAlphaPixel(p);
    result.SetAlphaPixels(std::move(looks));
  }
  result.Changed();
}

std::uint32_t DisabledAlphaPixel(std::uint32_t pixel) {
  const int r = static_cast<int>((pixel >> 16) & 0xFF), g = static_cast<int>((pixel >> 8) & 0xFF),
            b = static_cast<int>(pixel & 0xFF);
  const int grey = (299 * r + 587 * g + 114 * b + 500) / 1000;
  return MakeAlphaPixel(grey, grey, grey, (AlphaOf(pixel) + 1) / 2);
}

void MakeDisabledStrip(const TBitmap& strip, int size, TBitmap& result) {
  if (size < 1 || strip.Empty() || strip.Height() != size || strip.Width() < size)
    throw EInvalidOperation(texts::InvalidImageSize);
  const int count = strip.Width() / size;
  TBitmap made;
  made.SetPixelFormat(TPixelFormat::pf4bit);
  made.SetWidth(count * size);
  made.SetHeight(size);
  const raster::Surface source = strip.Image().Surface(), target = made.WritableSurface();
  for (int k = 0; k < count; ++k) DrawDisabledLook(source, k * size, size, size, target);
  if (strip.HasAlpha()) {
    // Alpha glyphs need no key colour for their disabled look: the one toolkits draw.
    const std::vector<std::uint32_t> own = OwnPixels(strip.Image());
    const auto width = static_cast<std::size_t>(strip.Width()), madeWidth = static_cast<std::size_t>(made.Width());
    std::vector<std::uint32_t> looks;
    AllocateAlphaPixels(looks, made.Width(), size);
    for (int y = 0; y < size; ++y)
      for (std::size_t x = 0; x < madeWidth; ++x)
        looks[static_cast<std::size_t>(y) * madeWidth + x] = DisabledAlphaPixel(own[static_cast<std::size_t>(y) * width + x]);
    made.SetAlphaPixels(std::move(looks));
  }
  result.Assign(&made);
}

}  // namespace gliffo
