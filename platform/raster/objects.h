#pragma once
// Realised pens and brushes: what the drawing calls need from a set of attribute values
// (the round nib of a wide pen, the dash runs of a styled pen, the 8 × 8 pattern of a brush),
// made once per distinct set of values and kept in a small per-canvas cache.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/raster/pixels.h"

namespace gliffo::raster {

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null, InsideFrame };
enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

struct PenDescription {
  ColorRef Color = 0;
  int Width = 1;
  PenStyle Style = PenStyle::Solid;
  friend bool operator==(const PenDescription&, const PenDescription&) = default;
};

struct BrushDescription {
  ColorRef Color = 0xFFFFFF;
  BrushStyle Style = BrushStyle::Solid;
  friend bool operator==(const BrushDescription&, const BrushDescription&) = default;
};

// A pen of width 0 or 1 draws one-pixel lines; a wider one strokes every pixel whose centre lies
// within Width / 2 of the path. A line's path runs through the centres of its end pixels for odd
// widths and through their top-left corners for even widths, so that a straight horizontal or
// vertical stroke is exactly Width pixels thick. (Figures place their path the same way
// relative to their rectangle's edges, see DrawRectangle.)
struct Pen {
  PenDescription Description;
  bool Null = false;         // draws nothing
  bool Thin = true;          // one-pixel lines
  bool InsideFrame = false;  // figure outlines stay inside the figure
  int Width = 1;             // 1 for thin pens
  double Radius = 0.5;
  double PathOffset = 0.5;   // path point of pixel p: p + PathOffset (0.5 odd widths, 0 even)
  // Dash runs of a one-pixel styled pen, alternately drawn and gap, starting with drawn; empty
  // for a continuous pen. Wide styled pens draw continuous lines.
  std::vector<int> Dashes;
  int DashPeriod = 0;
  // The round nib: for row offset k (-Reach..Reach) from the path pixel, columns
  // NibLeft[k + Reach]..NibRight[k + Reach] relative to the path pixel's column (empty when
  // left > right).
  int Reach = 0;
  std::vector<int> NibLeft, NibRight;

  // Whether position i along a styled line is drawn (true) or a gap.
  bool DashOn(long long i) const;
};

struct Brush {
  BrushDescription Description;
  bool Hollow = false;
  // Row (y mod 8) of the pattern; bit 7 is the pixel with x mod 8 == 0. Anchored at the
  // surface's origin. All ones for a solid brush.
  std::array<std::uint8_t, 8> Pattern{};
  bool Solid() const { return Description.Style == BrushStyle::Solid; }
};

// The realised objects of one canvas. Lookups with values seen recently return the object made
// then; Created() counts the objects made, so a run of strokes with unchanged attributes can be
// checked to make nothing new.
class DeviceObjects {
 public:
  const Pen& GetPen(const PenDescription& spec);
  const Brush& GetBrush(const BrushDescription& spec);
  long long Created() const { return created_; }

 private:
  static constexpr int Slots = 8;
  std::array<std::unique_ptr<Pen>, Slots> pens_;
  std::array<std::unique_ptr<Brush>, Slots> brushes_;
  int nextPen_ = 0;
  int nextBrush_ = 0;
  long long created_ = 0;
};

Pen RealisePen(const PenDescription& spec);
Brush RealiseBrush(const BrushDescription& spec);

}  // namespace gliffo::raster
