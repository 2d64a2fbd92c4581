#include "editor/transforms.h"

#include <array>
#include <cstdint>
#include <vector>

#include "editor/strings.h"
#include "glyphs/bitmap.h"

namespace gliffo {

namespace {

constexpr std::array<TTransformRow, 8> Transforms = {{
    {TTransform::FlipHorizontal, texts::MenuFlipHorizontal, "FlipHorizontal1", "", false, "flip", "h"},
    {TTransform::FlipVertical, texts::MenuFlipVertical, "FlipVertical1", "", false, "flip", "v"},
    {TTransform::RotateRight, texts::MenuRotateRight, "RotateRight1", "", false, "rotate", "right"},
    {TTransform::RotateLeft, texts::MenuRotateLeft, "RotateLeft1", "", false, "rotate", "left"},
    {TTransform::ShiftLeft, texts::MenuShiftLeft, "ShiftLeft1", "Ctrl+Shift+Left", true, "shift", "left"},
    {TTransform::ShiftRight, texts::MenuShiftRight, "ShiftRight1", "Ctrl+Shift+Right", false, "shift", "right"},
    {TTransform::ShiftUp, texts::MenuShiftUp, "ShiftUp1", "Ctrl+Shift+Up", false, "shift", "up"},
    {TTransform::ShiftDown, texts::MenuShiftDown, "ShiftDown1", "Ctrl+Shift+Down", false, "shift", "down"},
}};

// Row k holds transform k, so a transform finds its row by position; and a verb's rows stand
// together, so the session gives each verb once.
constexpr bool WellOrdered() {
  for (std::size_t k = 0; k < Transforms.size(); ++k) {
    if (static_cast<std::size_t>(Transforms[k].Transform) != k) return false;
    for (std::size_t j = 0; j + 1 < k; ++j)
      if (std::string_view(Transforms[j].Verb) == Transforms[k].Verb &&
          std::string_view(Transforms[k - 1].Verb) != Transforms[k].Verb)
        return false;
  }
  return true;
}
static_assert(WellOrdered());

}  // namespace

std::span<const TTransformRow> TransformTable() { return Transforms; }

const TTransformRow& TransformRowOf(TTransform transform) { return Transforms.at(static_cast<std::size_t>(transform)); }

void TransformValues(std::vector<std::uint32_t>& values, int w, int h, TTransform transform) {
  const bool turn = transform == TTransform::RotateRight || transform == TTransform::RotateLeft;
  if (w <= 0 || h <= 0 || (turn && w != h) || values.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) return;
  const std::vector<std::uint32_t> from = values;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // The source pixel of each target pixel (x, y).
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
      values[static_cast<std::size_t>(y) * w + x] = from[static_cast<std::size_t>(sy) * w + sx];
    }
}

void TransformImage(TBitmap& image, TTransform transform) {
  const int w = image.Width(), h = image.Height();
  if (image.Empty()) return;
  const bool turn = transform == TTransform::RotateRight || transform == TTransform::RotateLeft;
  if (turn && w != h) return;
  const raster::Surface s = image.WritableSurface();
  std::vector<std::uint32_t> values(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) values[static_cast<std::size_t>(y) * w + x] = raster::ReadValue(s, x, y);
  TransformValues(values, w, h, transform);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) raster::WriteValue(s, x, y, values[static_cast<std::size_t>(y) * w + x]);
  image.Changed();
}

}  // namespace gliffo
