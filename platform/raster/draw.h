#pragma once
// The drawing calls of a canvas: lines, figures, brush fills and flood fill, on a surface with a
// realised pen and brush. Every pixel a call paints is written exactly once, through the mix
// mode, so that drawing the same thing twice under the not-xor mode restores the surface.
#include <cstdint>

#include "platform/raster/blit.h"
#include "platform/raster/mix.h"
#include "platform/raster/objects.h"
#include "platform/raster/pixels.h"

namespace gliffo::raster {

struct Point {
  int X = 0;
  int Y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// The attribute state in force for one call.
struct DrawContext {
  Surface Target;
  const Pen* DrawPen = nullptr;
  const Brush* DrawBrush = nullptr;
  MixMode Mode = MixMode::CopyPen;
};

// A line from a to b. One-pixel pens leave b out and step along the longer axis; where the exact
// line passes halfway between two pixels of the shorter axis, the one with the smaller coordinate
// is taken, so a line and its reverse cover the same pixels. Styled one-pixel pens restart their
// pattern at a; their gaps are painted in the brush colour when the brush is solid and left
// alone otherwise. Wider pens paint the whole stroke with round ends, b included.
void DrawLine(const DrawContext& dc, Point a, Point b);

// Figures in a half-open rectangle given by any two opposite corners, the interior with the
// brush and the outline with the pen, both through the mix mode; a rectangle with no width or no
// height draws nothing.
// One-pixel outline: the pixels of the figure (centre inside it) that touch a pixel outside it.
// Wider pens centre the outline on the boundary: it covers the pixels whose centres lie within
// Width / 2 of the path, which runs along the rectangle's edges for even widths and through the
// centres of its outermost pixels for odd widths, so an odd pen reaches (Width - 1) / 2 pixels
// beyond the rectangle and an even one Width / 2, on every side, with rounded outer corners. An
// inside-frame pen moves the path in so that the outline ends at the rectangle. The interior is
// what lies inside the path and beyond the pen's reach. A clear pen leaves the whole figure to
// the brush.
void DrawRectangle(const DrawContext& dc, Box box);
void DrawRoundRect(const DrawContext& dc, Box box, int cornerWidth, int cornerHeight);
void DrawEllipse(const DrawContext& dc, Box box);

// Paints the rectangle with the brush; no mix mode applies. The gaps of a hatched brush are left.
void FillBox(const Surface& s, Box box, const Brush& brush);

enum class FloodMode { Border = 0, Surface = 1 };

// Paints the area connected to (x, y) with the brush, no mix mode. Surface mode: the pixels whose
// colour equals `color`; border mode: the pixels whose colour differs from it. Pixels are
// connected through their four edge neighbours only, so a one-pixel diagonal line (as a
// one-pixel pen draws it) holds a fill. Nothing happens for a point outside the surface or a
// hollow brush. A colour that is not an explicit RGB value (a system-colour or invalid value)
// matches no pixel.
void FloodFill(const Surface& s, int x, int y, ColorRef color, FloodMode mode, const Brush& brush);

}  // namespace gliffo::raster
