#include <cstring>
#include <vector>

#include "platform/raster/draw.h"

namespace gliffo::raster {

namespace {

// Which stored values belong to the area being filled.
class Matcher {
 public:
  Matcher(const Surface& s, ColorRef color, FloodMode mode) : surface_(s) {
    const bool wanted = mode == FloodMode::Surface;  // value matches when its colour equals `color`
    const bool explicitColor = (color & 0xFF000000u) == 0;
    if (s.Indexed()) {
      for (int i = 0; i < 256; ++i) {
        const bool same = explicitColor && ValueToColor(s, static_cast<std::uint32_t>(i)) == color;
        table_[static_cast<std::size_t>(i)] = same == wanted;
      }
      return;
    }
    mask_ = ValueMask(s);
    const std::uint32_t v = ColorToValue(s, color);
    const bool representable = explicitColor && ValueToColor(s, v) == color;
    value_ = v;
    // Without an exact stored value no pixel has the colour.
    mode_ = !representable ? (wanted ? Mode::None : Mode::All) : (wanted ? Mode::Equal : Mode::NotEqual);
  }

  bool operator()(std::uint32_t v) const {
    if (surface_.Indexed()) return table_[v & 0xFF];
    switch (mode_) {
      case Mode::None: return false;
      case Mode::All: return true;
      case Mode::Equal: return (v & mask_) == value_;
      case Mode::NotEqual: return (v & mask_) != value_;
    }
    return false;
  }

 private:
  enum class Mode { None, All, Equal, NotEqual };
  const Surface& surface_;
  bool table_[256] = {};
  std::uint32_t value_ = 0;
  std::uint32_t mask_ = 0xFFFFFFFFu;
  Mode mode_ = Mode::None;
};

// A run x1..x2 of row Y - Dy that has been painted; row Y next to it is still to be explored.
struct Segment {
  int Y, X1, X2, Dy;
};

// Span fill over the predicate in(x, y), which must turn false for a pixel once its run has been
// marked. Each run found is marked and painted at once; the rows beyond it are explored in the
// same direction, and the row it came from only where the run reaches past its parent, so a
// pixel is tested about twice.
template <typename In, typename Mark>
void ScanFill(const Surface& s, int x0, int y0, const Brush& brush, In in, Mark mark) {
  const int w = s.Width, h = s.Height;
  const std::uint32_t value = ColorToValue(s, brush.Description.Color);
  std::vector<Segment> stack;
  auto push = [&](int y, int x1, int x2, int dy) {
    if (y + dy >= 0 && y + dy < h) stack.push_back({y + dy, x1, x2, dy});
  };
  auto paint = [&](int y, int l, int r) {
    mark(y, l, r);
    MixSpanPattern(s, y, l, r + 1, value, MixMode::CopyPen, brush.Pattern[static_cast<std::size_t>(y & 7)]);
  };
  if (!in(x0, y0)) return;  // the segments below assume the seed belongs to the area
  push(y0, x0, x0, 1);
  push(y0 + 1, x0, x0, -1);  // taken first: row y0 itself
  while (!stack.empty()) {
    const Segment seg = stack.back();
    stack.pop_back();
    const int y = seg.Y, x1 = seg.X1, x2 = seg.X2, dy = seg.Dy;
    int x = x1, l = x1;
    bool run = in(x1, y);
    if (run) {
      while (l > 0 && in(l - 1, y)) --l;
      if (l < x1) push(y, l, x1 - 1, -dy);  // leaks back past the parent's left end
      x = x1 + 1;
    }
    for (;;) {
      if (run) {
        while (x < w && in(x, y)) ++x;
        paint(y, l, x - 1);
        push(y, l, x - 1, dy);
        if (x > x2 + 1) push(y, x2 + 1, x - 1, -dy);  // and past its right end
      }
      for (++x; x <= x2 && !in(x, y); ++x) {
      }
      if (x > x2) break;
      l = x;
      run = true;
    }
  }
}

std::uint32_t Read32(const Surface& s, int x, int y) {
  std::uint32_t v;
  std::memcpy(&v, s.Row(y) + 4 * static_cast<std::ptrdiff_t>(x), 4);
  return v;
}

}  // namespace

void FloodFill(const Surface& s, int x, int y, ColorRef color, FloodMode mode, const Brush& brush) {
  if (s.Empty() || brush.Hollow || !s.Contains(x, y)) return;
  const Matcher match(s, color, mode);
  const std::uint32_t mask = ValueMask(s);
  const std::uint32_t target = ColorToValue(s, color);
  const std::uint32_t paint = ColorToValue(s, brush.Description.Color);
  if (s.BitCount == 32 && mode == FloodMode::Surface && brush.Solid() && (color & 0xFF000000u) == 0 &&
      ValueToColor(s, target) == color && paint != target) {
    // The usual case: painted pixels lose the colour, so the colour alone tells what is left.
    ScanFill(s, x, y, brush, [&](int px, int py) { return (Read32(s, px, py) & mask) == target; },
             [](int, int, int) {});
    return;
  }
  // Otherwise the area is decided on the original colours with a record of the pixels taken, so
  // a brush of the filled colour or a hatch cannot make the fill run forever.
  const std::size_t w = static_cast<std::size_t>(s.Width);
  std::vector<std::uint8_t> taken(w * static_cast<std::size_t>(s.Height), 0);
  auto mark = [&](int py, int l, int r) {
    std::memset(&taken[static_cast<std::size_t>(py) * w + static_cast<std::size_t>(l)], 1, static_cast<std::size_t>(r - l + 1));
  };
  auto notTaken = [&](int px, int py) { return !taken[static_cast<std::size_t>(py) * w + static_cast<std::size_t>(px)]; };
  if (s.BitCount == 32)
    ScanFill(s, x, y, brush, [&](int px, int py) { return notTaken(px, py) && match(Read32(s, px, py)); }, mark);
  else
    ScanFill(s, x, y, brush, [&](int px, int py) { return notTaken(px, py) && match(ReadValue(s, px, py)); }, mark);
}

}  // namespace gliffo::raster
