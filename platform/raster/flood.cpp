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

struct Seed {
  int X, Y;
};

template <typename Read>
void Fill(const Surface& s, int x0, int y0, const Matcher& match, const Brush& brush, Read read) {
  const int w = s.Width, h = s.Height;
  // Pixels already taken; the area is decided on the original colours, so a brush of the
  // filled colour cannot make the fill run forever.
  std::vector<std::uint8_t> taken(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
  auto in = [&](int x, int y) {
    return !taken[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] &&
           match(read(x, y));
  };
  const std::uint32_t value = ColorToValue(s, brush.Spec.Color);
  std::vector<Seed> stack;
  stack.push_back({x0, y0});
  while (!stack.empty()) {
    const Seed seed = stack.back();
    stack.pop_back();
    if (!in(seed.X, seed.Y)) continue;
    int l = seed.X, r = seed.X;
    while (l > 0 && in(l - 1, seed.Y)) --l;
    while (r + 1 < w && in(r + 1, seed.Y)) ++r;
    std::memset(&taken[static_cast<std::size_t>(seed.Y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(l)], 1,
                static_cast<std::size_t>(r - l + 1));
    // Edge neighbours only: the rows above and below over the same columns.
    for (const int ny : {seed.Y - 1, seed.Y + 1}) {
      if (ny < 0 || ny >= h) continue;
      bool inRun = false;
      for (int x = l; x <= r; ++x) {
        const bool inside = in(x, ny);
        if (inside && !inRun) stack.push_back({x, ny});
        inRun = inside;
      }
    }
    // Painting now is safe: painted pixels are taken, and the test above reads only pixels
    // that are not.
    MixSpanPattern(s, seed.Y, l, r + 1, value, MixMode::CopyPen, brush.Pattern[static_cast<std::size_t>(seed.Y & 7)]);
  }
}

}  // namespace

void FloodFill(const Surface& s, int x, int y, ColorRef color, FloodMode mode, const Brush& brush) {
  if (s.Empty() || brush.Hollow || !s.Contains(x, y)) return;
  const Matcher match(s, color, mode);
  if (s.BitCount == 32) {
    Fill(s, x, y, match, brush, [&s](int px, int py) {
      std::uint32_t v;
      std::memcpy(&v, s.Row(py) + 4 * static_cast<std::ptrdiff_t>(px), 4);
      return v;
    });
  } else {
    Fill(s, x, y, match, brush, [&s](int px, int py) { return ReadValue(s, px, py); });
  }
}

}  // namespace gliffo::raster
