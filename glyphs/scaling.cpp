#include "glyphs/scaling.h"

#include <string>

#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"

namespace gliffo {

namespace {

TValueGrid NewGrid(int size) {
  TValueGrid g;
  g.Size = size;
  g.Values.assign(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0);
  return g;
}

// The value at (x, y), the nearest edge pixel for a place outside the glyph.
std::uint32_t Clamped(const TValueGrid& g, int x, int y) {
  x = x < 0 ? 0 : x >= g.Size ? g.Size - 1 : x;
  y = y < 0 ? 0 : y >= g.Size ? g.Size - 1 : y;
  return g.At(x, y);
}

void Put(TValueGrid& g, int x, int y, std::uint32_t v) { g.Values[static_cast<std::size_t>(y) * g.Size + x] = v; }

}  // namespace

std::optional<TScaleFactor> ParseScaleFactor(std::string_view text) {
  if (text == "1.5") return TScaleFactor::By1_5;
  if (text == "2") return TScaleFactor::By2;
  if (text == "3") return TScaleFactor::By3;
  if (text == "4") return TScaleFactor::By4;
  return std::nullopt;
}

std::optional<TScaleMethod> ParseScaleMethod(std::string_view text) {
  if (text == "scale2x") return TScaleMethod::Scale2x;
  if (text == "scale3x") return TScaleMethod::Scale3x;
  if (text == "nearest") return TScaleMethod::Nearest;
  return std::nullopt;
}

TScaleMethod DefaultScaleMethod(TScaleFactor factor) {
  switch (factor) {
    case TScaleFactor::By1_5: return TScaleMethod::Smooth;
    case TScaleFactor::By3: return TScaleMethod::Scale3x;
    default: return TScaleMethod::Scale2x;
  }
}

bool ScaleMethodFits(TScaleFactor factor, TScaleMethod method) {
  switch (method) {
    case TScaleMethod::Scale2x: return factor == TScaleFactor::By2 || factor == TScaleFactor::By4;
    case TScaleMethod::Scale3x: return factor == TScaleFactor::By3;
    case TScaleMethod::Smooth: return factor == TScaleFactor::By1_5;
    case TScaleMethod::Nearest: return true;
  }
  return false;
}

int ScaledSize(int size, TScaleFactor factor) {
  switch (factor) {
    case TScaleFactor::By1_5: return size % 2 == 0 ? size / 2 * 3 : 0;
    case TScaleFactor::By2: return size * 2;
    case TScaleFactor::By3: return size * 3;
    case TScaleFactor::By4: return size * 4;
  }
  return 0;
}

TValueGrid Scale2x(const TValueGrid& g) {
  TValueGrid out = NewGrid(g.Size * 2);
  for (int y = 0; y < g.Size; ++y)
    for (int x = 0; x < g.Size; ++x) {
      const std::uint32_t e = g.At(x, y);
      const std::uint32_t b = Clamped(g, x, y - 1), d = Clamped(g, x - 1, y);
      const std::uint32_t f = Clamped(g, x + 1, y), h = Clamped(g, x, y + 1);
      std::uint32_t tl = e, tr = e, bl = e, br = e;
      if (b != h && d != f) {
        tl = d == b ? d : e;
        tr = b == f ? f : e;
        bl = d == h ? d : e;
        br = h == f ? f : e;
      }
      Put(out, 2 * x, 2 * y, tl);
      Put(out, 2 * x + 1, 2 * y, tr);
      Put(out, 2 * x, 2 * y + 1, bl);
      Put(out, 2 * x + 1, 2 * y + 1, br);
    }
  return out;
}

TValueGrid Scale3x(const TValueGrid& g) {
  TValueGrid out = NewGrid(g.Size * 3);
  for (int y = 0; y < g.Size; ++y)
    for (int x = 0; x < g.Size; ++x) {
      const std::uint32_t a = Clamped(g, x - 1, y - 1), b = Clamped(g, x, y - 1), c = Clamped(g, x + 1, y - 1);
      const std::uint32_t d = Clamped(g, x - 1, y), e = g.At(x, y), f = Clamped(g, x + 1, y);
      const std::uint32_t gg = Clamped(g, x - 1, y + 1), h = Clamped(g, x, y + 1), i = Clamped(g, x + 1, y + 1);
      std::uint32_t p[9] = {e, e, e, e, e, e, e, e, e};
      if (b != h && d != f) {
        p[0] = d == b ? d : e;
        p[1] = (d == b && e != c) || (b == f && e != a) ? b : e;
        p[2] = b == f ? f : e;
        p[3] = (d == b && e != gg) || (d == h && e != a) ? d : e;
        p[5] = (b == f && e != i) || (h == f && e != c) ? f : e;
        p[6] = d == h ? d : e;
        p[7] = (d == h && e != i) || (h == f && e != gg) ? h : e;
        p[8] = h == f ? f : e;
      }
      for (int k = 0; k < 9; ++k) Put(out, 3 * x + k % 3, 3 * y + k / 3, p[k]);
    }
  return out;
}

TValueGrid ScaleNearest(const TValueGrid& g, TScaleFactor factor) {
  const int size = ScaledSize(g.Size, factor);
  TValueGrid out = NewGrid(size);
  // Source pixel of target pixel t: floor(t * from / to), so 1.5 doubles every other pixel.
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      Put(out, x, y, g.At(static_cast<int>(std::int64_t{x} * g.Size / size), static_cast<int>(std::int64_t{y} * g.Size / size)));
  return out;
}

// Each pair of pixels becomes three: the centres of both pixels in the Scale3x picture and,
// between them, the first pixel's far edge there. A line one pixel wide is three wide in the
// Scale3x picture, and two of every three samples meet it: it comes out one or two pixels wide,
// never lost and never thickened further; diagonals keep Scale3x's smoothing; and every pixel
// is one the Scale3x picture holds, so no colour is new.
TValueGrid ScaleSmooth(const TValueGrid& g) {
  const TValueGrid big = Scale3x(g);
  const int size = ScaledSize(g.Size, TScaleFactor::By1_5);
  TValueGrid out = NewGrid(size);
  const auto sample = [](int t) { return 6 * (t / 3) + (t % 3 == 0 ? 1 : t % 3 == 1 ? 2 : 4); };
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) Put(out, x, y, big.At(sample(x), sample(y)));
  return out;
}

TValueGrid ScaleGlyph(const TValueGrid& glyph, TScaleFactor factor, TScaleMethod method) {
  switch (method) {
    case TScaleMethod::Scale2x: return factor == TScaleFactor::By4 ? Scale2x(Scale2x(glyph)) : Scale2x(glyph);
    case TScaleMethod::Scale3x: return Scale3x(glyph);
    case TScaleMethod::Smooth: return ScaleSmooth(glyph);
    case TScaleMethod::Nearest: return ScaleNearest(glyph, factor);
  }
  return glyph;
}

std::shared_ptr<TBitmapImage> ScaleStrip(const TBitmapImage& strip, int size, TScaleFactor factor, TScaleMethod method) {
  if (!ScaleMethodFits(factor, method)) throw EInvalidOperation("the scaling method does not make this factor");
  if (size <= 0 || strip.AbsHeight() != size || strip.Width < size || !strip.HasPixels())
    throw EInvalidOperation("the strip is " + std::to_string(strip.Width) + "x" + std::to_string(strip.AbsHeight()) +
                            ", not a row of " + std::to_string(size) + "x" + std::to_string(size) + " glyphs");
  const int outSize = ScaledSize(size, factor);
  if (outSize <= 0) throw EInvalidOperation("1.5 times " + std::to_string(size) + " pixels is no whole glyph");
  const int glyphs = strip.Width / size;
  if (static_cast<std::int64_t>(glyphs) * outSize > 0x7FFFFFFF || raster::TooManyPixels(std::int64_t{glyphs} * outSize, outSize))
    throw EOutOfResources(texts::OutOfSystemResources);

  // Everything but the size and the pixels: format, masks, table, resolution.
  TBitmapImage description;
  description.DeviceDependent = strip.DeviceDependent;
  description.BitCount = strip.BitCount;
  description.Compression = strip.Compression;
  description.ClrUsed = strip.ClrUsed;
  description.ClrImportant = strip.ClrImportant;
  description.XPelsPerMeter = strip.XPelsPerMeter;
  description.YPelsPerMeter = strip.YPelsPerMeter;
  description.RedMask = strip.RedMask, description.GreenMask = strip.GreenMask, description.BlueMask = strip.BlueMask;
  description.ColorTable = strip.ColorTable;
  description.CoreHeader = strip.CoreHeader;
  description.Width = glyphs * outSize;
  description.Height = strip.Height < 0 ? -outSize : outSize;
  auto out = NewStore(description);
  TBitmapImage& t = *out;

  const raster::Surface src = strip.Surface();
  const raster::Surface dst = t.Surface();
  TValueGrid glyph = NewGrid(size);
  for (int n = 0; n < glyphs; ++n) {
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) Put(glyph, x, y, raster::ReadValue(src, n * size + x, y));
    const TValueGrid scaled = ScaleGlyph(glyph, factor, method);
    for (int y = 0; y < outSize; ++y)
      for (int x = 0; x < outSize; ++x) raster::WriteValue(dst, n * outSize + x, y, scaled.At(x, y));
  }
  if (strip.HasAlpha()) {
    // An alpha picture's own pixels are scaled the same way, each compared by colour and alpha
    // together, so a pixel that differs from its neighbour in alpha alone is an edge too.
    AllocateAlphaPixels(t.AlphaPixels, t.Width, outSize);
    const std::vector<std::uint32_t> own = OwnPixels(strip);
    const auto stripWidth = static_cast<std::size_t>(strip.Width), outWidth = static_cast<std::size_t>(t.Width);
    for (int n = 0; n < glyphs; ++n) {
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) Put(glyph, x, y, own[static_cast<std::size_t>(y) * stripWidth + n * size + x]);
      const TValueGrid scaled = ScaleGlyph(glyph, factor, method);
      for (int y = 0; y < outSize; ++y)
        for (int x = 0; x < outSize; ++x)
          t.AlphaPixels[static_cast<std::size_t>(y) * outWidth + static_cast<std::size_t>(n * outSize + x)] = scaled.At(x, y);
    }
  }
  return out;
}

}  // namespace gliffo
