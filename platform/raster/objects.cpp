#include "platform/raster/objects.h"

#include <cmath>

namespace gliffo::raster {

bool Pen::DashOn(long long i) const {
  if (DashPeriod <= 0) return true;
  long long pos = i % DashPeriod;
  if (pos < 0) pos += DashPeriod;
  for (std::size_t k = 0; k < Dashes.size(); ++k) {
    if (pos < Dashes[k]) return k % 2 == 0;
    pos -= Dashes[k];
  }
  return true;
}

Pen RealisePen(const PenDescription& spec) {
  Pen pen;
  pen.Description = spec;
  pen.Null = spec.Style == PenStyle::Null;
  pen.Width = spec.Width > 1 ? spec.Width : 1;
  pen.Thin = pen.Width == 1;
  pen.InsideFrame = spec.Style == PenStyle::InsideFrame && !pen.Thin;
  pen.Radius = pen.Width / 2.0;
  pen.PathOffset = (pen.Width % 2 == 1) ? 0.5 : 0.0;
  if (pen.Thin) {
    // Run lengths of the classic cosmetic styles.
    switch (spec.Style) {
      case PenStyle::Dash: pen.Dashes = {18, 6}; break;
      case PenStyle::Dot: pen.Dashes = {3, 3}; break;
      case PenStyle::DashDot: pen.Dashes = {9, 6, 3, 6}; break;
      case PenStyle::DashDotDot: pen.Dashes = {9, 3, 3, 3, 3, 3}; break;
      default: break;
    }
    for (int d : pen.Dashes) pen.DashPeriod += d;
  }
  // Pixel (p + dx, q + dy) belongs to the nib at path pixel (p, q) when its centre lies within the
  // radius of the path point (p + offset, q + offset).
  pen.Reach = pen.Width / 2 + 1;
  const int rows = 2 * pen.Reach + 1;
  pen.NibLeft.assign(static_cast<std::size_t>(rows), 1);
  pen.NibRight.assign(static_cast<std::size_t>(rows), 0);
  const double r2 = pen.Radius * pen.Radius;
  for (int k = -pen.Reach; k <= pen.Reach; ++k) {
    const double dy = k + 0.5 - pen.PathOffset;
    const double t = r2 - dy * dy;
    if (t < 0) continue;
    const double half = std::sqrt(t);
    const auto i = static_cast<std::size_t>(k + pen.Reach);
    pen.NibLeft[i] = static_cast<int>(std::ceil(pen.PathOffset - 0.5 - half));
    pen.NibRight[i] = static_cast<int>(std::floor(pen.PathOffset - 0.5 + half));
  }
  return pen;
}

Brush RealiseBrush(const BrushDescription& spec) {
  Brush brush;
  brush.Description = spec;
  brush.Hollow = spec.Style == BrushStyle::Clear;
  for (int y = 0; y < 8; ++y) {
    std::uint8_t row = 0;
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (spec.Style) {
        case BrushStyle::Solid: on = true; break;
        case BrushStyle::Clear: break;
        case BrushStyle::Horizontal: on = y == 0; break;
        case BrushStyle::Vertical: on = x == 0; break;
        case BrushStyle::FDiagonal: on = x == y; break;          // top-left to bottom-right
        case BrushStyle::BDiagonal: on = x + y == 7; break;      // bottom-left to top-right
        case BrushStyle::Cross: on = x == 0 || y == 0; break;
        case BrushStyle::DiagCross: on = x == y || x + y == 7; break;
      }
      if (on) row = static_cast<std::uint8_t>(row | (0x80u >> x));
    }
    brush.Pattern[static_cast<std::size_t>(y)] = row;
  }
  return brush;
}

const Pen& DeviceObjects::GetPen(const PenDescription& spec) {
  for (const auto& p : pens_)
    if (p && p->Description == spec) return *p;
  auto& slot = pens_[static_cast<std::size_t>(nextPen_)];
  nextPen_ = (nextPen_ + 1) % Slots;
  slot = std::make_unique<Pen>(RealisePen(spec));
  ++created_;
  return *slot;
}

const Brush& DeviceObjects::GetBrush(const BrushDescription& spec) {
  for (const auto& b : brushes_)
    if (b && b->Description == spec) return *b;
  auto& slot = brushes_[static_cast<std::size_t>(nextBrush_)];
  nextBrush_ = (nextBrush_ + 1) % Slots;
  slot = std::make_unique<Brush>(RealiseBrush(spec));
  ++created_;
  return *slot;
}

}  // namespace gliffo::raster
