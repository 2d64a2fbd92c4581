#pragma once
// Internal to the rasterizer: the cross-section of a wide stroke with one pixel row.
#include "platform/raster/draw.h"

namespace gliffo::raster {

// Columns left..right (inclusive) of row y covered by the stroke of a wide pen from a to b,
// round ends included; false when the row misses the stroke. Columns far off the surface are
// clamped to -1 or the int range.
bool StrokeRow(const Pen& pen, Point a, Point b, int y, int& left, int& right);

}  // namespace gliffo::raster
