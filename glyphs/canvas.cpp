#include "glyphs/canvas.h"

#include <cstdlib>
#include <memory>

#include "glyphs/bitmap.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/raster/blit.h"

namespace gliffo {

namespace {
int g_screenPixelsPerInch = 96;

raster::Box ToBox(const TRect& r) { return raster::Box{r.Left, r.Top, r.Right, r.Bottom}; }
}  // namespace

int ScreenPixelsPerInch() { return g_screenPixelsPerInch; }
void SetScreenPixelsPerInch(int value) {
  if (value > 0) g_screenPixelsPerInch = value;
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long product = static_cast<long long>(number) * numerator;
  long long d = denominator;
  if (d < 0) {
    d = -d;
    product = -product;
  }
  const long long half = d / 2;
  const long long q = product >= 0 ? (product + half) / d : -((-product + half) / d);
  return static_cast<int>(q);
}

TFont::TFont() : pixelsPerInch_(ScreenPixelsPerInch()) { height_ = -MulDiv(8, pixelsPerInch_, 72); }

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }
void TFont::SetSize(int value) { height_ = -MulDiv(value, pixelsPerInch_, 72); }

void TFont::Assign(const TFont& other) {
  if (&other == this) return;
  const int ownPixelsPerInch = pixelsPerInch_;
  const int otherSize = other.Size();
  *this = other;
  pixelsPerInch_ = ownPixelsPerInch;
  if (other.pixelsPerInch_ != ownPixelsPerInch) SetSize(otherSize);
}

void FillWithBrush(const raster::Surface& surface, const TBrush& brush) {
  if (brush.Style() == TBrushStyle::bsClear) return;
  raster::FillSolid(surface, raster::Box{0, 0, surface.Width, surface.Height}, ColorToRGB(brush.Color()));
}

void TCanvas::MoveTo(int x, int y) { penPos_ = TPoint{x, y}; }

void TCanvas::FillRect(const TRect& rect) {
  const raster::Surface s = BeginDraw();
  if (Brush().Style() != TBrushStyle::bsClear) raster::FillSolid(s, ToBox(rect), ColorToRGB(Brush().Color()));
  EndDraw();
}

TColor TCanvas::Pixel(int x, int y) {
  return static_cast<TColor>(raster::GetPixel(ReadSurface(), x, y));
}

void TCanvas::Draw(int x, int y, const TBitmap* image) {
  if (!image || image->Empty()) return;
  StretchDraw(Rect(x, y, x + image->Width(), y + image->Height()), image);
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap* image) {
  if (!image || image->Empty()) return;
  // Holding the source store keeps it intact when the destination is the same image: making
  // the destination private then copies it.
  const std::shared_ptr<const TBitmapImage> source = image->SharedImage();
  const raster::Surface dst = BeginDraw();
  raster::StretchCopy(dst, ToBox(rect), source->Surface(), raster::Box{0, 0, source->Width, source->AbsHeight()},
                      CopyMode(), ColorToRGB(Brush().Color()));
  EndDraw();
}

raster::Surface TBitmapCanvas::BeginDraw() {
  // An empty image has nothing to draw on: operations on it paint nothing.
  return bitmap_.WritableSurface();
}

void TBitmapCanvas::EndDraw() { bitmap_.Changed(); }

raster::Surface TBitmapCanvas::ReadSurface() const { return bitmap_.Image().Surface(); }

}  // namespace gliffo
