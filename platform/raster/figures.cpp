#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/late_math.h"
#include "platform/raster/draw.h"

namespace gliffo::raster {

namespace {

constexpr double Far = 1e15;

// A convex region: the points whose distances dx, dy outside the core box [X1, X2] × [Y1, Y2]
// satisfy (dx / Ra)² + (dy / Rb)² <= 1. Ra = Rb = 0 is the core box itself; a point core with
// Ra, Rb > 0 is an ellipse.
struct Region {
  double X1 = 0, Y1 = 0, X2 = -1, Y2 = -1;
  double Ra = 0, Rb = 0;
  bool Empty() const { return X1 > X2 || Y1 > Y2; }
};

// Columns [lo, hi] of the pixels of row y whose centres lie in the region (closed) or in its
// interior (strict).
bool Cross(const Region& g, int y, bool strict, long long& lo, long long& hi) {
  if (g.Empty()) return false;
  const double yc = y + 0.5;
  const double dy = std::max({g.Y1 - yc, 0.0, yc - g.Y2});
  double half;
  if (g.Rb == 0) {
    if (strict ? !(yc > g.Y1 && yc < g.Y2) : dy != 0) return false;
    half = g.Ra;
  } else {
    const double q = dy / g.Rb;
    const double t = 1 - q * q;
    if (strict ? t <= 0 : t < 0) return false;
    half = g.Ra * std::sqrt(t);
  }
  const double l = g.X1 - half - 0.5, h = g.X2 + half - 0.5;
  double a, b;
  if (strict) {
    if (!(g.X1 - half < g.X2 + half)) return false;
    a = std::floor(l) + 1;
    b = std::ceil(h) - 1;
  } else {
    a = std::ceil(l);
    b = std::floor(h);
  }
  if (a > b) return false;
  lo = static_cast<long long>(std::clamp(a, -Far, Far));
  hi = static_cast<long long>(std::clamp(b, -Far, Far));
  return true;
}

// Row y's chord of the region, when it has one but no pixel centre lies on it: the pixels it
// passes through. Keeps the extreme rows of narrow figures.
bool Overlap(const Region& g, int y, long long& lo, long long& hi) {
  if (g.Empty()) return false;
  const double yc = y + 0.5;
  const double dy = std::max({g.Y1 - yc, 0.0, yc - g.Y2});
  double half;
  if (g.Rb == 0) {
    if (dy != 0) return false;
    half = g.Ra;
  } else {
    const double q = dy / g.Rb;
    const double t = 1 - q * q;
    if (t < 0) return false;
    half = g.Ra * std::sqrt(t);
  }
  const double a = std::floor(g.X1 - half), b = std::ceil(g.X2 + half) - 1;
  if (a > b) return false;
  lo = static_cast<long long>(std::clamp(a, -Far, Far));
  hi = static_cast<long long>(std::clamp(b, -Far, Far));
  return true;
}

Region Transposed(const Region& g) { return Region{g.Y1, g.X1, g.Y2, g.X2, g.Rb, g.Ra}; }

enum class Kind { Rectangle, RoundRect, Ellipse };

// The figure in continuous coordinates: the box from (left, top) to (right, bottom) with corners
// rounded by quarter ellipses of cornerW × cornerH (the whole box for an ellipse).
Region Figure(Kind kind, double left, double top, double right, double bottom, double cornerW, double cornerH) {
  Region g{left, top, right, bottom, 0, 0};
  if (kind == Kind::Ellipse) {
    cornerW = right - left;
    cornerH = bottom - top;
  } else if (kind == Kind::Rectangle) {
    return g;
  }
  const double ra = std::min(std::abs(cornerW), right - left) / 2;
  const double rb = std::min(std::abs(cornerH), bottom - top) / 2;
  if (ra <= 0 || rb <= 0) return g;
  return Region{left + ra, top + rb, right - ra, bottom - rb, ra, rb};
}

// The set of pixels a figure covers, row by row: the outline spans and the interior span,
// disjoint, so every pixel is painted once.
struct Rows {
  bool Has = false;
  long long OuterLo = 0, OuterHi = -1;
  bool HasInner = false;
  long long InnerLo = 0, InnerHi = -1;
};

class FigurePlan {
 public:
  FigurePlan(Kind kind, Box box, int cornerW, int cornerH, const Pen& pen, int surfaceWidth) {
    if (box.Left > box.Right) std::swap(box.Left, box.Right);
    if (box.Top > box.Bottom) std::swap(box.Top, box.Bottom);
    empty_ = box.Left == box.Right || box.Top == box.Bottom;
    top_ = box.Top;
    bottom_ = box.Bottom;
    centreX_ = (static_cast<double>(box.Left) + box.Right) / 2;
    centreY_ = (static_cast<double>(box.Top) + box.Bottom) / 2;
    const double l = box.Left, t = box.Top, r = box.Right, b = box.Bottom;
    const double w = static_cast<double>(box.Right) - box.Left, h = static_cast<double>(box.Bottom) - box.Top;
    if (pen.Null || pen.Thin) {
      // One-pixel outline: the pixels of the figure that touch a pixel outside it.
      outer_ = Figure(kind, l, t, r, b, cornerW, cornerH);
      erode_ = true;
      FindNarrowColumns(box, surfaceWidth);
      return;
    }
    if (pen.InsideFrame) {
      if (w < pen.Width || h < pen.Width) {
        // A pen wider than the figure: all of the figure is outline.
        outer_ = Figure(kind, l, t, r, b, cornerW, cornerH);
        allOutline_ = true;
        thin_ = true;
        FindNarrowColumns(box, surfaceWidth);
        return;
      }
    }
    // The path of an odd-width pen runs through the centres of the pixels at the figure's edge,
    // that of an even-width pen along the rectangle's own edges; either way the pen reaches
    // equally far out on every side. An inside-frame pen moves the path in by half its width.
    const bool odd = pen.Width % 2 == 1;
    const double inset = (pen.InsideFrame ? pen.Width / 2 : 0) + (odd ? 0.5 : 0.0);
    const double pl = l + inset, pt = t + inset, pr = r - inset, pb = b - inset;
    const double cw = std::max(0.0, std::abs(static_cast<double>(cornerW)) - 2 * inset);
    const double ch = std::max(0.0, std::abs(static_cast<double>(cornerH)) - 2 * inset);
    const Region path = Figure(kind, pl, pt, pr, pb, cw, ch);
    const double radius = pen.Radius;
    outer_ = Region{path.X1, path.Y1, path.X2, path.Y2, path.Ra + radius, path.Rb + radius};
    // Inside the path and farther than the radius from it; where the corners are tighter than
    // the radius the inner edge is straight.
    double ia = path.Ra - radius, ib = path.Rb - radius;
    const double sx = std::max(0.0, -ia), sy = std::max(0.0, -ib);
    ia = std::max(0.0, ia);
    ib = std::max(0.0, ib);
    inner_ = Region{path.X1 + sx, path.Y1 + sy, path.X2 - sx, path.Y2 - sy, ia, ib};
    const double reach = std::ceil(radius) + 1;
    top_ = static_cast<long long>(std::floor(pt - reach));
    bottom_ = static_cast<long long>(std::ceil(pb + reach)) + 1;
  }

  bool Empty() const { return empty_; }
  long long Top() const { return top_; }
  long long Bottom() const { return bottom_; }  // excluded
  double CentreX() const { return centreX_; }
  double CentreY() const { return centreY_; }

  Rows Row(int y) const {
    Rows r;
    if (empty_) return r;
    r.Has = OuterRow(y, r.OuterLo, r.OuterHi);
    if (!r.Has || allOutline_) return r;
    long long lo, hi;
    if (erode_) {
      long long ulo, uhi, dlo, dhi;
      if (!OuterRow(y - 1, ulo, uhi) || !OuterRow(y + 1, dlo, dhi)) return r;
      lo = std::max({r.OuterLo + 1, ulo, dlo});
      hi = std::min({r.OuterHi - 1, uhi, dhi});
    } else {
      if (!Cross(inner_, y, true, lo, hi)) return r;
      lo = std::max(lo, r.OuterLo);
      hi = std::min(hi, r.OuterHi);
    }
    if (lo > hi) return r;
    r.HasInner = true;
    r.InnerLo = lo;
    r.InnerHi = hi;
    return r;
  }

 private:
  // A one-pixel figure covers the pixels whose centres lie in it, plus, in each row and each
  // column whose chord misses every pixel centre, the pixels the chord passes through: narrow
  // figures keep their ends and still touch all four sides of their rectangle.
  bool OuterRow(int y, long long& lo, long long& hi) const {
    bool has = Cross(outer_, y, false, lo, hi);
    if (!thin_) return has;
    if (!has) has = Overlap(outer_, y, lo, hi);
    for (const Column& c : narrow_) {
      if (y < c.Top || y > c.Bottom) continue;
      if (!has) {
        lo = hi = c.X;
        has = true;
      } else {
        lo = std::min(lo, c.X);
        hi = std::max(hi, c.X);
      }
    }
    return has;
  }

  void FindNarrowColumns(const Box& box, int surfaceWidth) {
    thin_ = true;
    if (outer_.Ra == 0 && outer_.Rb == 0) return;  // a rectangle's columns are all full
    const Region t = Transposed(outer_);
    const long long first = std::max<long long>(box.Left, -1);
    const long long last = std::min<long long>(box.Right, static_cast<long long>(surfaceWidth) + 1);
    for (long long x = first; x < last; ++x) {
      long long lo, hi;
      if (Cross(t, static_cast<int>(x), false, lo, hi) || !Overlap(t, static_cast<int>(x), lo, hi)) continue;
      narrow_.push_back(Column{x, lo, hi});
    }
  }

  struct Column {
    long long X, Top, Bottom;
  };
  std::vector<Column> narrow_;
  bool thin_ = false;
  bool empty_ = false;
  bool erode_ = false;
  bool allOutline_ = false;
  long long top_ = 0, bottom_ = 0;
  double centreX_ = 0, centreY_ = 0;
  Region outer_, inner_;
};

struct Painter {
  const DrawContext& Dc;
  std::uint32_t PenValue = 0;
  std::uint32_t BrushValue = 0;

  explicit Painter(const DrawContext& dc) : Dc(dc) {
    PenValue = ColorToValue(dc.Target, dc.DrawPen->Description.Color);
    if (dc.DrawBrush) BrushValue = ColorToValue(dc.Target, dc.DrawBrush->Description.Color);
  }
  // Clips [lo, hi] to the surface.
  bool Clip(long long& lo, long long& hi) const {
    lo = std::max(lo, 0LL);
    hi = std::min(hi, static_cast<long long>(Dc.Target.Width) - 1);
    return lo <= hi;
  }
  void PenSpan(int y, long long lo, long long hi) const {
    if (Clip(lo, hi)) MixSpan(Dc.Target, y, static_cast<int>(lo), static_cast<int>(hi) + 1, PenValue, Dc.Mode);
  }
  void BrushSpan(int y, long long lo, long long hi) const {
    const Brush* brush = Dc.DrawBrush;
    if (!brush || brush->Hollow || !Clip(lo, hi)) return;
    MixSpanPattern(Dc.Target, y, static_cast<int>(lo), static_cast<int>(hi) + 1, BrushValue, Dc.Mode,
                   brush->Pattern[static_cast<std::size_t>(y & 7)]);
  }
};

void DrawFigure(const DrawContext& dc, Kind kind, Box box, int cornerW, int cornerH) {
  const Surface& s = dc.Target;
  if (s.Empty() || !dc.DrawPen) return;
  const Pen& pen = *dc.DrawPen;
  const FigurePlan plan(kind, box, cornerW, cornerH, pen, s.Width);
  if (plan.Empty()) return;
  const int top = static_cast<int>(std::max(plan.Top(), 0LL));
  const int bottom = static_cast<int>(std::min(plan.Bottom(), static_cast<long long>(s.Height)));
  const Painter paint(dc);
  const bool styled = !pen.Null && pen.Thin && pen.DashPeriod > 0;
  struct OutlinePixel {
    double Angle;
    int X, Y;
  };
  std::vector<OutlinePixel> outline;

  for (int y = top; y < bottom; ++y) {
    const Rows r = plan.Row(y);
    if (!r.Has) continue;
    if (pen.Null) {
      paint.BrushSpan(y, r.OuterLo, r.OuterHi);
      continue;
    }
    std::pair<long long, long long> spans[2];
    int count = 0;
    if (r.HasInner) {
      paint.BrushSpan(y, r.InnerLo, r.InnerHi);
      if (r.OuterLo < r.InnerLo) spans[count++] = {r.OuterLo, r.InnerLo - 1};
      if (r.InnerHi < r.OuterHi) spans[count++] = {r.InnerHi + 1, r.OuterHi};
    } else {
      spans[count++] = {r.OuterLo, r.OuterHi};
    }
    for (int i = 0; i < count; ++i) {
      if (!styled) {
        paint.PenSpan(y, spans[i].first, spans[i].second);
        continue;
      }
      long long lo = spans[i].first, hi = spans[i].second;
      if (!paint.Clip(lo, hi)) continue;
      for (long long x = lo; x <= hi; ++x)
        outline.push_back({math::Atan2(y + 0.5 - plan.CentreY(), x + 0.5 - plan.CentreX()), static_cast<int>(x), y});
    }
  }
  if (!styled) return;
  // A styled outline runs clockwise from the left, in the order of the pixels' angles around
  // the centre.
  std::sort(outline.begin(), outline.end(), [](const OutlinePixel& a, const OutlinePixel& b) {
    if (a.Angle != b.Angle) return a.Angle < b.Angle;
    if (a.Y != b.Y) return a.Y < b.Y;
    return a.X < b.X;
  });
  const bool opaqueGaps = dc.DrawBrush && dc.DrawBrush->Solid();
  const std::uint32_t mask = ValueMask(s);
  for (std::size_t i = 0; i < outline.size(); ++i) {
    std::uint32_t value = paint.PenValue;
    if (!pen.DashOn(static_cast<long long>(i))) {
      if (!opaqueGaps) continue;
      value = paint.BrushValue;
    }
    const OutlinePixel& p = outline[i];
    WriteValue(s, p.X, p.Y, MixValue(dc.Mode, value, ReadValue(s, p.X, p.Y), mask));
  }
}

}  // namespace

void DrawRectangle(const DrawContext& dc, Box box) { DrawFigure(dc, Kind::Rectangle, box, 0, 0); }

void DrawRoundRect(const DrawContext& dc, Box box, int cornerWidth, int cornerHeight) {
  DrawFigure(dc, Kind::RoundRect, box, cornerWidth, cornerHeight);
}

void DrawEllipse(const DrawContext& dc, Box box) { DrawFigure(dc, Kind::Ellipse, box, 0, 0); }

void FillBox(const Surface& s, Box box, const Brush& brush) {
  if (s.Empty() || brush.Hollow) return;
  if (box.Left > box.Right) std::swap(box.Left, box.Right);
  if (box.Top > box.Bottom) std::swap(box.Top, box.Bottom);
  const int l = std::max(box.Left, 0), r = std::min(box.Right, s.Width);
  const int t = std::max(box.Top, 0), b = std::min(box.Bottom, s.Height);
  if (l >= r || t >= b) return;
  const std::uint32_t value = ColorToValue(s, brush.Description.Color);
  for (int y = t; y < b; ++y)
    MixSpanPattern(s, y, l, r, value, MixMode::CopyPen, brush.Pattern[static_cast<std::size_t>(y & 7)]);
}

}  // namespace gliffo::raster
