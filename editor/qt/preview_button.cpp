#include "editor/qt/preview_button.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <QStyleOptionButton>

#include "editor/qt/image_control.h"
#include "glyphs/bitmap.h"
#include "ui/alpha_view.h"

namespace gliffo {

QImage GlyphWithTransparentColor(const TBitmap& glyph) {
  // An alpha glyph is drawn with its own alpha; a key-colour one with its key left out.
  if (glyph.HasAlpha()) return AlphaImage(glyph);
  QImage image = PaintableImage(glyph).convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) return image;
  const QRgb transparent = image.pixel(0, image.height() - 1);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (row[x] == transparent) row[x] = 0;
  }
  return image;
}

TPreviewButton::TPreviewButton(QWidget* parent) : QAbstractButton(parent) { setFocusPolicy(Qt::NoFocus); }

void TPreviewButton::SetGlyph(const TBitmap& glyph) {
  glyph_ = GlyphWithTransparentColor(glyph);
  FitGlyph();
  update();
}

void TPreviewButton::FitGlyph() {
  if (!designGeometry_.isValid()) designGeometry_ = geometry();
  const double perPixel = ImageMagnification(*this) / devicePixelRatioF();
  // One pixel of face each side, as the classic button has around a 16-pixel glyph.
  const QSize needed(static_cast<int>(std::ceil(glyph_.width() * perPixel - 0.01)) + 2,
                     static_cast<int>(std::ceil(glyph_.height() * perPixel - 0.01)) + 2);
  QRect place(designGeometry_.topLeft(), designGeometry_.size().expandedTo(needed));
  // A wider button keeps its right edge inside the window.
  if (parentWidget() != nullptr && place.right() >= parentWidget()->width())
    place.moveRight(std::max(parentWidget()->width() - 1, place.width() - 1));
  if (place != geometry()) setGeometry(place);
}

void TPreviewButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionButton option;
  option.initFrom(this);
  option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
  style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, this);
  if (glyph_.isNull()) return;
  // One glyph pixel to a whole number of screen pixels, in the middle of the face; a pressed
  // button moves its glyph one pixel down and right.
  const double perPixel = ImageMagnification(*this) / devicePixelRatioF();
  const QSizeF size(glyph_.width() * perPixel, glyph_.height() * perPixel);
  const int shift = isDown() ? 1 : 0;
  const QPointF at(std::floor((width() - size.width()) / 2) + shift, std::floor((height() - size.height()) / 2) + shift);
  if (CheckerboardShown()) PaintAlphaBackdrop(painter, QRectF(at, size), QBrush(), 2);
  painter.drawImage(QRectF(at, size), glyph_);
}

}  // namespace gliffo
