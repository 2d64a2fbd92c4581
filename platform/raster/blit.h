#pragma once
// Rectangle fills and image copies: the stand-ins for the pattern fill and the stretched copy.
#include <cstdint>

#include "platform/raster/pixels.h"

namespace gliffo::raster {

// Half-open rectangle: Right and Bottom are excluded.
struct Box {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Paints Left <= x < Right, Top <= y < Bottom (corners in any order) with one colour, clipped;
// no mix mode applies.
void FillSolid(const Surface& dst, Box box, ColorRef color);

// Applies a ternary raster operation (the high word's low byte of a copy-mode code, e.g. CC
// for a source copy) to stored values: pattern p, source s, destination d.
std::uint32_t ApplyRop3(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d);

// Nearest-neighbour copy of the source rectangle onto the destination rectangle, clipped to
// the destination. Destination pixel d (counted from the rectangle's start) samples source pixel
// floor((2d + 1) × srcLength / (2 × dstLength)): the centre of each destination pixel. An image
// enlarged by this rule reduces back to itself, for any sizes. The pattern colour is the
// brush colour used by raster operations that involve a pattern.
void StretchCopy(const Surface& dst, Box dstBox, const Surface& src, Box srcBox, std::uint32_t copyMode,
                 ColorRef patternColor);

}  // namespace gliffo::raster
