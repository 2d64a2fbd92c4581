#pragma once
// How a glyph looks on a button that is disabled, the classic way for 16-colour glyphs: every
// pixel that is not the transparent colour (the colour of the glyph's bottom-left pixel, as a
// speed button takes it) becomes part of one shape; the shape is drawn in the highlight colour
// one pixel down and to the right, then again in the shadow colour where it stands. Everything
// else is the transparent colour, so the button face shows through as before.
//
// When the transparent colour is itself the highlight or the shadow colour (a white ground is
// common), the button could not tell the shape from the ground; the disabled look then takes
// the button-face colour (silver) as its transparent colour instead.
#include <cstdint>

#include "glyphs/colors.h"

namespace gliffo {

class TBitmap;

// The colours of the disabled look: the highlight, the shadow, and the stand-in ground.
raster::ColorRef DisabledHighlight();
raster::ColorRef DisabledShadow();
raster::ColorRef DisabledStandInGround();

// The disabled look of a whole glyph, in the device-dependent format, same size; an alpha
// glyph's look keeps alpha (DisabledAlphaPixel).
void MakeDisabledGlyph(const TBitmap& glyph, TBitmap& result);

// The disabled look of one pixel of an alpha glyph, as toolkits draw it: its grey (luma,
// (299 R + 587 G + 114 B + 500) div 1000) at half its alpha ((A + 1) div 2).
std::uint32_t DisabledAlphaPixel(std::uint32_t pixel);

// The disabled looks of a strip's glyphs side by side: (width div size) glyphs of size × size,
// as a 4-bit strip with the 16-colour system palette, each glyph's transparent colour being the
// system colour nearest its own. An alpha strip's looks also keep alpha: every pixel as
// DisabledAlphaPixel makes it. A strip lower than size, not size high, or narrower than one
// glyph raises EInvalidOperation "Invalid image size".
void MakeDisabledStrip(const TBitmap& strip, int size, TBitmap& result);

}  // namespace gliffo
