#pragma once
// A small image of one colour, in the given format, for canvas tests to draw on.
#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"

namespace gliffo::testing {

inline void MakeImage(TBitmap& b, int w, int h, TColor fill, TPixelFormat format = TPixelFormat::pfDevice) {
  b.SetPixelFormat(format);
  b.SetWidth(w);
  b.SetHeight(h);
  b.Canvas().Brush().SetColor(fill);
  b.Canvas().FillRect(Rect(0, 0, w, h));
}

}  // namespace gliffo::testing
