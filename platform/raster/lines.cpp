#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/raster/draw.h"
#include "platform/raster/stroke.h"

namespace gliffo::raster {

namespace {

// Coordinates are ints, so differences and their products need more than 64 bits.
__extension__ using Wide = __int128;

Wide FloorDiv(Wide a, Wide b) {  // b > 0
  Wide q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}

// round(num / den) with halves going down, den > 0.
Wide RoundHalfDown(Wide num, Wide den) { return -FloorDiv(den - 2 * num, 2 * den); }

void ThinLine(const DrawContext& dc, Point a, Point b) {
  const Surface& s = dc.Target;
  const Pen& pen = *dc.DrawPen;
  const long long dx = static_cast<long long>(b.X) - a.X;
  const long long dy = static_cast<long long>(b.Y) - a.Y;
  if (dx == 0 && dy == 0) return;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const long long n = xMajor ? std::llabs(dx) : std::llabs(dy);
  const long long dMinor = xMajor ? dy : dx;
  const int step = (xMajor ? dx : dy) > 0 ? 1 : -1;
  const long long startMajor = xMajor ? a.X : a.Y;
  const long long startMinor = xMajor ? a.Y : a.X;
  const long long extent = xMajor ? s.Width : s.Height;
  const long long minorExtent = xMajor ? s.Height : s.Width;

  // Steps k = 0 .. n - 1 whose major coordinate lies on the surface.
  long long kFirst, kLast;
  if (step > 0) {
    kFirst = -startMajor;
    kLast = extent - 1 - startMajor;
  } else {
    kFirst = startMajor - (extent - 1);
    kLast = startMajor;
  }
  kFirst = std::max(kFirst, 0LL);
  kLast = std::min(kLast, n - 1);
  if (kFirst > kLast) return;

  const std::uint32_t mask = ValueMask(s);
  const std::uint32_t penValue = ColorToValue(s, pen.Description.Color);
  const bool opaqueGaps = dc.DrawBrush && dc.DrawBrush->Solid();
  const std::uint32_t gapValue = opaqueGaps ? ColorToValue(s, dc.DrawBrush->Description.Color) : 0;
  for (long long k = kFirst; k <= kLast; ++k) {
    const long long minor = startMinor + static_cast<long long>(RoundHalfDown(static_cast<Wide>(k) * dMinor, n));
    if (minor < 0 || minor >= minorExtent) continue;
    std::uint32_t value = penValue;
    if (pen.DashPeriod > 0 && !pen.DashOn(k)) {
      if (!opaqueGaps) continue;
      value = gapValue;
    }
    const long long major = startMajor + step * k;
    const int x = static_cast<int>(xMajor ? major : minor);
    const int y = static_cast<int>(xMajor ? minor : major);
    WriteValue(s, x, y, MixValue(dc.Mode, value, ReadValue(s, x, y), mask));
  }
}

}  // namespace

bool StrokeRow(const Pen& pen, Point a, Point b, int y, int& left, int& right) {
  constexpr double Far = 1e15;
  const long long kA = static_cast<long long>(y) - a.Y, kB = static_cast<long long>(y) - b.Y;
  long long lo = 1, hi = 0;
  auto take = [&](long long l, long long h) {
    if (l > h) return;
    if (lo > hi) {
      lo = l;
      hi = h;
    } else {
      lo = std::min(lo, l);
      hi = std::max(hi, h);
    }
  };
  // The round ends.
  if (kA >= -pen.Reach && kA <= pen.Reach) {
    const auto i = static_cast<std::size_t>(kA + pen.Reach);
    take(static_cast<long long>(a.X) + pen.NibLeft[i], static_cast<long long>(a.X) + pen.NibRight[i]);
  }
  if (kB >= -pen.Reach && kB <= pen.Reach) {
    const auto i = static_cast<std::size_t>(kB + pen.Reach);
    take(static_cast<long long>(b.X) + pen.NibLeft[i], static_cast<long long>(b.X) + pen.NibRight[i]);
  }
  // The band between them: points whose projection falls on the segment and whose distance
  // from it is at most the radius. Both conditions are linear along the row.
  const double dx = static_cast<double>(b.X) - a.X, dy = static_cast<double>(b.Y) - a.Y;
  if (dx != 0 || dy != 0) {
    const double len2 = dx * dx + dy * dy;
    const double rl = pen.Radius * std::sqrt(len2);
    const double v = (y + 0.5) - (a.Y + pen.PathOffset);  // row centre relative to the path start
    double uLo = -Far, uHi = Far;                            // along the row, relative to the path start
    bool empty = false;
    // Projection: 0 <= u dx + v dy <= len2.
    if (dx != 0) {
      double p = (-v * dy) / dx, q = (len2 - v * dy) / dx;
      if (p > q) std::swap(p, q);
      uLo = std::max(uLo, p);
      uHi = std::min(uHi, q);
    } else if (v * dy < 0 || v * dy > len2) {
      empty = true;
    }
    // Distance: |u dy - v dx| <= r |d|.
    if (dy != 0) {
      double p = (v * dx - rl) / dy, q = (v * dx + rl) / dy;
      if (p > q) std::swap(p, q);
      uLo = std::max(uLo, p);
      uHi = std::min(uHi, q);
    } else if (std::abs(v * dx) > rl) {
      empty = true;
    }
    if (!empty && uLo <= uHi) {
      // Pixel x is in when its centre x + 0.5 lies in [start + uLo, start + uHi].
      const double start = a.X + pen.PathOffset;
      const double l = std::clamp(std::ceil(start + uLo - 0.5), -Far, Far);
      const double h = std::clamp(std::floor(start + uHi - 0.5), -Far, Far);
      take(static_cast<long long>(l), static_cast<long long>(h));
    }
  }
  if (lo > hi) return false;
  left = static_cast<int>(std::clamp<long long>(lo, -1, 0x7FFFFFFF));
  right = static_cast<int>(std::clamp<long long>(hi, -1, 0x7FFFFFFF));
  return true;
}

void DrawLine(const DrawContext& dc, Point a, Point b) {
  const Surface& s = dc.Target;
  if (s.Empty() || !dc.DrawPen || dc.DrawPen->Null) return;
  const Pen& pen = *dc.DrawPen;
  if (pen.Thin) {
    ThinLine(dc, a, b);
    return;
  }
  const long long top = std::max<long long>(0, static_cast<long long>(std::min(a.Y, b.Y)) - pen.Reach);
  const long long bottom = std::min<long long>(s.Height - 1, static_cast<long long>(std::max(a.Y, b.Y)) + pen.Reach);
  const std::uint32_t value = ColorToValue(s, pen.Description.Color);
  for (long long yy = top; yy <= bottom; ++yy) {
    const int y = static_cast<int>(yy);
    int l, r;
    if (!StrokeRow(pen, a, b, y, l, r)) continue;
    l = std::max(l, 0);
    r = std::min(r, s.Width - 1);
    MixSpan(s, y, l, r + 1, value, dc.Mode);
  }
}

}  // namespace gliffo::raster
