#pragma once
// A dark theme made from a light one. Black glyphs vanish on a dark toolbar; turning each
// colour's lightness over in a perceptual space (OKLab: L becomes 1 - L, hue and chroma kept)
// keeps what a glyph shows while its dark lines become light ones. A colour of middle
// lightness, which turning over leaves as dim as it was, is lightened just enough to reach a
// contrast of 3:1 (the WCAG ratio for graphics) against the dark toolbar. Transparent pixels
// stay transparent (each pixel keeps its alpha), and a colour that already reaches 3:1 is left
// as it is, so a glyph's signal colours survive.
#include <string>

#include "platform/raster/pixels.h"

namespace gliffo {

class TIconSet;

// The toolbar a dark theme's glyphs are drawn on.
inline constexpr raster::ColorRef DarkToolbar = raster::MakeColorRef(0x2B, 0x2B, 0x2B);
// The contrast a colour needs against it to be kept.
inline constexpr double KeptContrast = 3.0;

// A channel value (0 to 255) of an sRGB colour as linear light, 0 to 1.
double SrgbToLinear(int channel);
// The WCAG contrast ratio of two colours, 1 to 21.
double ContrastRatio(raster::ColorRef a, raster::ColorRef b);
// The dark theme's colour for a light theme's colour, as said above.
raster::ColorRef DarkColor(raster::ColorRef color, raster::ColorRef background = DarkToolbar);

// Fills every empty cell of theme `to` from the cell of the same size in theme `from`, each
// colour taken through DarkColor, and marks them derived; one step. EInvalidOperation when the
// set has no such theme, or they are one. Returns how many cells were filled.
int MakeDarkTheme(TIconSet& set, const std::string& to, const std::string& from);

}  // namespace gliffo
