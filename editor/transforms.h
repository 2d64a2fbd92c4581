#pragma once
// Mirroring, turning and shifting a glyph by whole pixels. The stored values move, not the
// colours, so an indexed glyph keeps its format, its colour table and its exact indices.
#include <string_view>

namespace gliffo {

class TBitmap;

enum class TTransform { FlipHorizontal, FlipVertical, RotateRight, RotateLeft, ShiftLeft, ShiftRight, ShiftUp, ShiftDown };

// Applies the transform to the whole image. Shifts move by one pixel and wrap around; turns
// are a quarter clockwise (right) or anticlockwise (left) and need a square image (anything
// else is left as it is). An empty image stays empty.
void TransformImage(TBitmap& image, TTransform transform);

}  // namespace gliffo
