#pragma once
// Enlarging glyphs without new colours: Scale2x (EPX), Scale3x, nearest neighbour and a 1.5x
// rule built on Scale3x. They work on stored values, not colours, so an indexed strip keeps its
// format, its colour table and its indices. Each glyph of a strip is scaled on its own: at its
// border its edge pixels repeat outward, nothing is taken from the glyph beside it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "formats/bitmap_image.h"

namespace gliffo {

enum class TScaleFactor { By1_5, By2, By3, By4 };
enum class TScaleMethod { Scale2x, Scale3x, Nearest, Smooth };

// "1.5", "2", "3", "4" and "scale2x", "scale3x", "nearest"; nothing for any other word.
std::optional<TScaleFactor> ParseScaleFactor(std::string_view text);
std::optional<TScaleMethod> ParseScaleMethod(std::string_view text);
// The method a factor uses unless told: Scale2x for 2 and 4 (twice), Scale3x for 3, and for
// 1.5 the Scale3x picture sampled at two pixels of every three (Smooth).
TScaleMethod DefaultScaleMethod(TScaleFactor factor);
// Whether a method makes this factor: Scale2x 2 and 4, Scale3x 3, nearest all, Smooth 1.5.
bool ScaleMethodFits(TScaleFactor factor, TScaleMethod method);
// The scaled edge of a glyph of this edge; 0 when it has none (1.5 of an odd edge).
int ScaledSize(int size, TScaleFactor factor);

// A square grid of stored values, row by row from the top.
struct TValueGrid {
  int Size = 0;
  std::vector<std::uint32_t> Values;
  std::uint32_t At(int x, int y) const { return Values[static_cast<std::size_t>(y) * Size + x]; }
};
TValueGrid Scale2x(const TValueGrid& glyph);
TValueGrid Scale3x(const TValueGrid& glyph);
TValueGrid ScaleNearest(const TValueGrid& glyph, TScaleFactor factor);
TValueGrid ScaleSmooth(const TValueGrid& glyph);
TValueGrid ScaleGlyph(const TValueGrid& glyph, TScaleFactor factor, TScaleMethod method);

// The strip's whole glyphs (size pixels square, from the left; columns past the last whole
// glyph are left out) each scaled, as a new strip of the same store format and table; an alpha
// picture's own pixels are scaled beside it in the same way. Raises
// EInvalidOperation when the strip is not size pixels high or the factor does not fit the size.
std::shared_ptr<TBitmapImage> ScaleStrip(const TBitmapImage& strip, int size, TScaleFactor factor, TScaleMethod method);

}  // namespace gliffo
