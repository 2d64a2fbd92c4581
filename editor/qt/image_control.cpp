#include "editor/qt/image_control.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "glyphs/bitmap.h"
#include "ui/alpha_view.h"

namespace gliffo {

QImage PaintableImage(const TBitmap& bitmap) {
  if (bitmap.HasAlpha()) return AlphaImage(bitmap);
  const TBitmapImage& store = bitmap.Image();
  const raster::Surface s = store.Surface();
  if (s.Empty()) return QImage();
  if (store.DeviceDependent)
    return QImage(s.Bits, s.Width, s.Height, static_cast<qsizetype>(s.Stride), QImage::Format_RGB32);
  QImage image(s.Width, s.Height, QImage::Format_RGB32);
  std::vector<raster::ColorRef> row(static_cast<std::size_t>(s.Width));
  for (int y = 0; y < s.Height; ++y) {
    raster::ReadRowColors(s, y, row.data());
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < s.Width; ++x) {
      const raster::ColorRef c = row[static_cast<std::size_t>(x)];
      out[x] = qRgb(raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c));
    }
  }
  return image;
}

int ImageMagnification(const QWidget& widget) {
  return std::max(1, static_cast<int>(std::floor(widget.devicePixelRatioF() + 0.01)));
}

TImageControl::TImageControl(std::function<const TBitmap&()> image, QWidget* parent)
    : QWidget(parent), image_(std::move(image)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageControl::SetImageSize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  FitSize();
  update();
}

QSize TImageControl::sizeHint() const { return size(); }

void TImageControl::FitSize() {
  const double perPixel = ImageMagnification(*this) / devicePixelRatioF();
  setFixedSize(static_cast<int>(std::ceil(width_ * perPixel - 0.01)), static_cast<int>(std::ceil(height_ * perPixel - 0.01)));
}

void TImageControl::ImageChanged(const TRect& area) {
  const double perPixel = ImageMagnification(*this) / devicePixelRatioF();
  const int left = static_cast<int>(std::floor(area.Left * perPixel)) - 1;
  const int top = static_cast<int>(std::floor(area.Top * perPixel)) - 1;
  const int right = static_cast<int>(std::ceil(area.Right * perPixel)) + 1;
  const int bottom = static_cast<int>(std::ceil(area.Bottom * perPixel)) + 1;
  const QRect r = QRect(left, top, right - left, bottom - top).intersected(rect());
  if (!r.isEmpty()) update(r);
}

void TImageControl::ImageChanged() { update(); }

TPoint TImageControl::ImagePoint(const QPointF& position) const {
  const double perPixel = ImageMagnification(*this) / devicePixelRatioF();
  return TPoint{static_cast<int>(std::floor(position.x() / perPixel)), static_cast<int>(std::floor(position.y() / perPixel))};
}

void TImageControl::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  ++paints_;
  lastPainted_ = area;
  // What the image does not cover (a control larger than its image) is the window's face.
  painter.fillRect(area, palette().window());
  QImage image = ShownImage();
  if (image.isNull()) return;
  const double ratio = devicePixelRatioF() / ImageMagnification(*this);
  image.setDevicePixelRatio(ratio);
  const QRectF visible = QRectF(area).intersected(QRectF(0, 0, width_ / ratio, height_ / ratio));
  if (visible.isEmpty()) return;
  // An alpha picture is drawn over the button face, as a toolbar draws it, or the checkerboard.
  if (image.hasAlphaChannel()) PaintAlphaBackdrop(painter, QRectF(0, 0, width_ / ratio, height_ / ratio).intersected(visible), palette().button());
  const QRectF source(visible.x() * ratio, visible.y() * ratio, visible.width() * ratio, visible.height() * ratio);
  painter.drawImage(visible, image, source);
}

QImage TImageControl::ShownImage() const { return PaintableImage(image_()); }

QImage TSurfaceView::ShownImage() const {
  const TBitmap* glyph = glyph_ ? &glyph_() : nullptr;
  if (!glyph || !glyph->HasAlpha() || glyph->Empty()) return TImageControl::ShownImage();
  // The surface holds an alpha glyph's colours; each cell shows with its glyph pixel's alpha.
  QImage shown = TImageControl::ShownImage().convertToFormat(QImage::Format_ARGB32);
  const std::vector<std::uint32_t> own = OwnPixels(glyph->Image());
  const int cover = std::min(CellArea(), shown.width());
  for (int y = 0; y < std::min(cover, shown.height()); ++y) {
    auto* row = reinterpret_cast<QRgb*>(shown.scanLine(y));
    const int gy = y / gridCell_;
    if (gy >= glyph->Height()) break;
    for (int x = 0; x < cover; ++x) {
      const int gx = x / gridCell_;
      if (gx >= glyph->Width()) break;
      row[x] = (row[x] & 0x00FFFFFFu) | (own[static_cast<std::size_t>(gy) * glyph->Width() + gx] & 0xFF000000u);
    }
  }
  return shown;
}

TSurfaceView::TSurfaceView(std::function<const TBitmap&()> image, QWidget* parent)
    : TImageControl(std::move(image), parent) {
  setCursor(Qt::CrossCursor);
}

void TSurfaceView::SetGrid(bool shown, int cell, int glyphSize) {
  if (shown == gridShown_ && cell == gridCell_ && glyphSize == gridCells_) return;
  gridShown_ = shown;
  gridCell_ = std::max(cell, 1);
  gridCells_ = std::max(glyphSize, 1);
  update();
}

void TSurfaceView::SetGlyphView(bool shown, std::function<const TBitmap&()> glyph) {
  glyph_ = std::move(glyph);
  if (shown == glyphView_) return;
  glyphView_ = shown;
  update();
}

int TSurfaceView::CellArea() const {
  const long long cover = static_cast<long long>(gridCell_) * gridCells_;
  return static_cast<int>(std::min<long long>(cover, ImageWidth()));
}

void TSurfaceView::PaintGlyph(QPainter& painter, const QRect& area) {
  painter.fillRect(area, palette().window());
  const QImage image = glyph_ ? PaintableImage(glyph_()) : QImage();
  if (image.isNull()) return;
  // Whole cells of whole screen pixels: the painter repeats pixels, it never smooths them.
  const double perPixel = ImageMagnification(*this) / devicePixelRatioF();
  const double edge = CellArea() * perPixel;
  if (image.hasAlphaChannel()) PaintAlphaBackdrop(painter, QRectF(0, 0, edge, edge), palette().button(), 8);
  painter.drawImage(QRectF(0, 0, edge, edge), image);
}

void TSurfaceView::paintEvent(QPaintEvent* event) {
  if (glyphView_) {
    QPainter painter(this);
    painter.setClipRect(event->rect());
    PaintGlyph(painter, event->rect());
  } else {
    TImageControl::paintEvent(event);
  }
  QPainter painter(this);
  painter.setClipRect(event->rect());
  const double perPixel = ImageMagnification(*this) / devicePixelRatioF();
  const int cover = CellArea();
  if (cover < ImageWidth()) {
    // A shaded margin: what the tools draw there reaches no glyph pixel.
    const double from = cover * perPixel, to = ImageWidth() * perPixel;
    const QBrush hatch(QColor(0x60, 0x60, 0x60), Qt::BDiagPattern);
    for (const QRectF& margin : {QRectF(from, 0, to - from, to), QRectF(0, from, from, to - from)}) {
      painter.fillRect(margin, QColor(0x80, 0x80, 0x80, 0x70));
      painter.fillRect(margin, hatch);
    }
  }
  if (!gridShown_) return;
  // White under a black checkerboard: every other pixel of a line is black, the rest white,
  // so the grid shows on any colour.
  const QBrush checks(Qt::black, Qt::Dense4Pattern);
  const double length = ImageWidth() * perPixel;
  for (int k = 1; k <= gridCells_; ++k) {
    const long long at = static_cast<long long>(k) * gridCell_;
    if (at >= ImageWidth()) break;
    const QRectF column(at * perPixel, 0, perPixel, length), row(0, at * perPixel, length, perPixel);
    for (const QRectF& line : {column, row}) {
      painter.fillRect(line, Qt::white);
      painter.fillRect(line, checks);
    }
  }
}

void TSurfaceView::mousePressEvent(QMouseEvent* event) {
  const TPoint p = ImagePoint(event->position());
  if (OnMouseDown) OnMouseDown(p.X, p.Y, event->button() != Qt::LeftButton);
}

void TSurfaceView::mouseMoveEvent(QMouseEvent* event) {
  const TPoint p = ImagePoint(event->position());
  if (OnMouseMove) OnMouseMove(p.X, p.Y);
}

void TSurfaceView::mouseReleaseEvent(QMouseEvent* event) {
  const TPoint p = ImagePoint(event->position());
  if (OnMouseUp) OnMouseUp(p.X, p.Y);
}

}  // namespace gliffo
