#pragma once
// Image controls: a raster image shown at its top-left, one image pixel to a whole number of
// screen pixels (never resampled between them), clipped to the control. The surface pic and the
// real-size glyph Editor are both of this kind; the surface also turns the mouse into surface
// pixel coordinates.
#include <QWidget>
#include <functional>

#include "glyphs/types.h"

namespace gliffo {

class TBitmap;

// The image as Qt paints it: the store itself when it is device-dependent (valid until the
// store changes), else a converted copy.
QImage PaintableImage(const TBitmap& bitmap);

// Screen pixels per image pixel on this widget's screen: the whole part of its pixel ratio,
// at least 1.
int ImageMagnification(const QWidget& widget);

class TImageControl : public QWidget {
  Q_OBJECT
 public:
  TImageControl(std::function<const TBitmap&()> image, QWidget* parent);
  // The control's size in image pixels.
  void SetImageSize(int width, int height);
  int ImageWidth() const { return width_; }
  int ImageHeight() const { return height_; }
  // Repaints the part of the control over these image pixels.
  void ImageChanged(const TRect& area);
  void ImageChanged();
  // The image pixel under a point of the control, as whole pixels (outside points too).
  TPoint ImagePoint(const QPointF& position) const;
  QSize sizeHint() const override;
  // What is painted: the image as Qt paints it (with alpha for an alpha picture).
  virtual QImage ShownImage() const;
  // How often the control painted and the area of its last paint, so tests and the benchmark
  // can see that a step repaints what it changed and no more.
  int Paints() const { return paints_; }
  QRect LastPaintedArea() const { return lastPainted_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void FitSize();
  std::function<const TBitmap&()> image_;
  int width_ = 0;
  int height_ = 0;
  int paints_ = 0;
  QRect lastPainted_;
};

// The drawing surface: any mouse button draws; the handlers get surface pixel coordinates (and
// the press, whether it came from a button other than the first).
class TSurfaceView : public TImageControl {
  Q_OBJECT
 public:
  TSurfaceView(std::function<const TBitmap&()> image, QWidget* parent);
  std::function<void(int x, int y, bool secondButton)> OnMouseDown;
  std::function<void(int x, int y)> OnMouseMove, OnMouseUp;
  // The pixel grid: a line along the first surface column and row of every cell after the
  // first, as far as glyphSize cells of `cell` pixels reach. Painted over the surface, never
  // into it.
  void SetGrid(bool shown, int cell, int glyphSize);
  bool GridShown() const { return gridShown_; }
  // Glyph Pixels: the glyph itself, enlarged to the cells, is shown instead of the surface.
  // The surface stays what the tools draw on.
  void SetGlyphView(bool shown, std::function<const TBitmap&()> glyph);
  bool GlyphViewShown() const { return glyphView_; }
  // Surface pixels beyond the last cell (a glyph size that does not divide 256): they belong to
  // no glyph pixel and are shown as a margin.
  int CellArea() const;
  // An alpha glyph's colours on the surface, each cell with its glyph pixel's alpha.
  QImage ShownImage() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PaintGlyph(QPainter& painter, const QRect& area);
  bool gridShown_ = false;
  bool glyphView_ = false;
  std::function<const TBitmap&()> glyph_;
  int gridCell_ = 16;
  int gridCells_ = 16;
};

}  // namespace gliffo
