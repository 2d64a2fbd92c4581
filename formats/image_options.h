#pragma once
// The choices a load or a save takes beyond the bytes. A run holds one TImageOptions (set from
// gliffo-tool's --key, --matte and --opaque, or from the window's Options menu) and hands it to
// every load and save it makes; nothing reads them from a global.
#include "platform/raster/pixels.h"

namespace gliffo {

// Glyphs live in a key-colour world, and formats with an alpha channel are brought into it: a
// pixel whose alpha is below 128 becomes Key; one of 128 or more is blended over Matte; an
// opaque one keeps its colour exactly.
struct TDecodeOptions {
  // The glyph size the caller works in: a file holding several pictures (an icon) gives the
  // one of this size; 0, or no picture of it, gives the largest.
  int PreferredSize = 0;
  raster::ColorRef Key = raster::MakeColorRef(0xFF, 0x00, 0xFF);    // "magic pink"
  raster::ColorRef Matte = raster::MakeColorRef(0xC0, 0xC0, 0xC0);  // the button face
  // Whether an alpha picture keeps its own pixels beside the store (formats/bitmap_image.h).
  // A job whose every output is a key-colour picture (decode's PPM, a BMP strip) reads
  // without them: the store is the same either way.
  bool KeepAlpha = true;
};

// Choices an encoder with an alpha channel takes. A glyph job writes each glyph's transparent
// colour (its bottom-left pixel's, as a speed button draws it) with alpha 0; a picture that
// is not a glyph, or a user who asks for it, has every pixel opaque. Formats without alpha
// ignore both.
//
// A picture with alpha (formats/bitmap_image.h) always keeps it where the format can carry it;
// Opaque and the glyph cut are about key-colour pictures only.
struct TEncodeOptions {
  bool Opaque = false;
  // BMP files are written as 32 bits with an alpha mask (a version 5 header), the alpha a
  // PNG would get; otherwise as the store stands, as they always have been.
  bool AlphaBmp = false;
  // The edge of the square glyphs the picture is cut into, left to right; 0 means the
  // picture's height, as in a strip or a single glyph.
  int GlyphSize = 0;
};

// A run's choices, for reading and for writing.
struct TImageOptions {
  TDecodeOptions Decode;
  TEncodeOptions Encode;

  // The glyph rule, for jobs that write glyphs: the run's choice of transparency, the picture
  // cut into glyphs of glyphSize (0: its height).
  TEncodeOptions Glyphs(int glyphSize = 0) const {
    TEncodeOptions options = Encode;
    options.GlyphSize = glyphSize;
    return options;
  }
  // For jobs that copy a picture rather than write glyphs: every pixel of a key-colour
  // picture opaque, the run's other choices kept.
  TEncodeOptions Opaque() const {
    TEncodeOptions options = Encode;
    options.Opaque = true;
    options.GlyphSize = 0;
    return options;
  }
  // Reading for a job whose outputs cannot carry alpha.
  TDecodeOptions WithoutAlpha() const {
    TDecodeOptions options = Decode;
    options.KeepAlpha = false;
    return options;
  }
  // Reading for a caller that works in glyphs of this size (an icon gives that entry).
  TDecodeOptions DecodeAt(int preferredSize) const {
    TDecodeOptions options = Decode;
    options.PreferredSize = preferredSize;
    return options;
  }
};

// For jobs that copy a picture rather than write glyphs: every pixel opaque.
inline TEncodeOptions OpaqueEncodeOptions() {
  TEncodeOptions options;
  options.Opaque = true;
  return options;
}

}  // namespace gliffo
