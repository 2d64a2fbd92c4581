#include "glyphs/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/raster/blit.h"
#include "platform/raster/draw.h"

namespace gliffo {

namespace {
int g_screenPixelsPerInch = 96;

raster::Box ToBox(const TRect& r) { return raster::Box{r.Left, r.Top, r.Right, r.Bottom}; }

// The mix mode of each pen mode, in the order of TPenMode.
constexpr raster::MixMode MixModes[] = {
    raster::MixMode::Black,       raster::MixMode::White,       raster::MixMode::Nop,         raster::MixMode::Not,
    raster::MixMode::CopyPen,     raster::MixMode::NotCopyPen,  raster::MixMode::MergePenNot, raster::MixMode::MaskPenNot,
    raster::MixMode::MergeNotPen, raster::MixMode::MaskNotPen,  raster::MixMode::MergePen,    raster::MixMode::NotMergePen,
    raster::MixMode::MaskPen,     raster::MixMode::NotMaskPen,  raster::MixMode::XorPen,      raster::MixMode::NotXorPen};

raster::PenDescription DescriptionOf(const TPen& pen) {
  return raster::PenDescription{ColorToRGB(pen.Color()), pen.Width(), static_cast<raster::PenStyle>(pen.Style())};
}

raster::BrushDescription DescriptionOf(const TBrush& brush) {
  return raster::BrushDescription{ColorToRGB(brush.Color()), static_cast<raster::BrushStyle>(brush.Style())};
}
}  // namespace

raster::MixMode MixModeOf(TPenMode mode) { return MixModes[static_cast<int>(mode)]; }

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
  switch (brush.Style()) {
    case TBrushStyle::bsClear: return;
    case TBrushStyle::bsSolid:
      raster::FillSolid(surface, raster::Box{0, 0, surface.Width, surface.Height}, ColorToRGB(brush.Color()));
      return;
    default:
      raster::FillBox(surface, raster::Box{0, 0, surface.Width, surface.Height}, raster::RealiseBrush(DescriptionOf(brush)));
      return;
  }
}

raster::Surface TCanvas::BeginDraw() { throw EInvalidOperation(texts::CanvasDoesNotAllowDrawing); }

void TCanvas::MoveTo(int x, int y) { penPos_ = TPoint{x, y}; }

void TCanvas::LineTo(int x, int y) {
  const raster::DrawContext dc{BeginDraw(), &objects_.GetPen(DescriptionOf(Pen())), &objects_.GetBrush(DescriptionOf(Brush())),
                               MixModeOf(Pen().Mode())};
  raster::DrawLine(dc, raster::Point{penPos_.X, penPos_.Y}, raster::Point{x, y});
  penPos_ = TPoint{x, y};
  EndDraw();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  const raster::DrawContext dc{BeginDraw(), &objects_.GetPen(DescriptionOf(Pen())), &objects_.GetBrush(DescriptionOf(Brush())),
                               MixModeOf(Pen().Mode())};
  raster::DrawRectangle(dc, raster::Box{x1, y1, x2, y2});
  EndDraw();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  const raster::DrawContext dc{BeginDraw(), &objects_.GetPen(DescriptionOf(Pen())), &objects_.GetBrush(DescriptionOf(Brush())),
                               MixModeOf(Pen().Mode())};
  raster::DrawRoundRect(dc, raster::Box{x1, y1, x2, y2}, w, h);
  EndDraw();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  const raster::DrawContext dc{BeginDraw(), &objects_.GetPen(DescriptionOf(Pen())), &objects_.GetBrush(DescriptionOf(Brush())),
                               MixModeOf(Pen().Mode())};
  raster::DrawEllipse(dc, raster::Box{x1, y1, x2, y2});
  EndDraw();
}

void TCanvas::FillRect(const TRect& rect) {
  const raster::Surface s = BeginDraw();
  raster::FillBox(s, ToBox(rect), objects_.GetBrush(DescriptionOf(Brush())));
  EndDraw();
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle fillStyle) {
  const raster::Surface s = BeginDraw();
  // The colour goes to the fill as it is: a system-colour value is not resolved.
  raster::FloodFill(s, x, y, static_cast<raster::ColorRef>(color),
                    fillStyle == TFillStyle::fsSurface ? raster::FloodMode::Surface : raster::FloodMode::Border,
                    objects_.GetBrush(DescriptionOf(Brush())));
  EndDraw();
}

TColor TCanvas::Pixel(int x, int y) {
  return static_cast<TColor>(raster::GetPixel(ReadSurface(), x, y));
}

void TCanvas::Draw(int x, int y, const IImageSource* image) {
  if (!image) return;
  const std::shared_ptr<const TBitmapImage> source = image->SharedImage();
  if (!source->HasPixels()) return;
  StretchDraw(Rect(x, y, x + source->Width, y + source->AbsHeight()), image);
}

void TCanvas::StretchDraw(const TRect& rect, const IImageSource* image) {
  if (!image) return;
  // Holding the source store keeps it intact when the destination is the same image: making
  // the destination private then copies it.
  const std::shared_ptr<const TBitmapImage> source = image->SharedImage();
  if (!source->HasPixels()) return;
  const raster::Surface dst = BeginDraw();
  raster::StretchCopy(dst, ToBox(rect), source->Surface(), raster::Box{0, 0, source->Width, source->AbsHeight()},
                      CopyMode(), ColorToRGB(Brush().Color()));
  EndDraw();
}

void TCanvas::StretchDraw(const TRect& rect, const IImageSource* image, const TRect& source) {
  if (!image) return;
  const std::shared_ptr<const TBitmapImage> held = image->SharedImage();
  if (!held->HasPixels()) return;
  const int left = std::max(source.Left, 0), top = std::max(source.Top, 0);
  const int right = std::min(source.Right, held->Width), bottom = std::min(source.Bottom, held->AbsHeight());
  if (right <= left || bottom <= top) return;
  const raster::Surface dst = BeginDraw();
  raster::StretchCopy(dst, ToBox(rect), held->Surface(), raster::Box{left, top, right, bottom}, CopyMode(),
                      ColorToRGB(Brush().Color()));
  EndDraw();
}

}  // namespace gliffo
