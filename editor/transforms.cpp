#include "editor/transforms.h"

#include <cstdint>
#include <vector>

#include "glyphs/bitmap.h"

namespace gliffo {

void TransformImage(TBitmap& image, TTransform transform) {
  const int w = image.Width(), h = image.Height();
  if (image.Empty()) return;
  const bool turn = transform == TTransform::RotateRight || transform == TTransform::RotateLeft;
  if (turn && w != h) return;
  const raster::Surface s = image.WritableSurface();
  std::vector<std::uint32_t> values(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) values[static_cast<std::size_t>(y) * w + x] = raster::ReadValue(s, x, y);
  // The source pixel of each target pixel (x, y).
  auto source = [&](int x, int y) -> std::uint32_t {
    int sx = x, sy = y;
    switch (transform) {
      case TTransform::FlipHorizontal: sx = w - 1 - x; break;
      case TTransform::FlipVertical: sy = h - 1 - y; break;
      case TTransform::RotateRight: sx = y; sy = h - 1 - x; break;
      case TTransform::RotateLeft: sx = w - 1 - y; sy = x; break;
      case TTransform::ShiftLeft: sx = (x + 1) % w; break;
      case TTransform::ShiftRight: sx = (x + w - 1) % w; break;
      case TTransform::ShiftUp: sy = (y + 1) % h; break;
      case TTransform::ShiftDown: sy = (y + h - 1) % h; break;
    }
    return values[static_cast<std::size_t>(sy) * w + sx];
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) raster::WriteValue(s, x, y, source(x, y));
  image.Changed();
}

}  // namespace gliffo
