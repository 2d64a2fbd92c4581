#include "editor/qt/button_states.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/qt/image_control.h"
#include "editor/qt/preview_button.h"
#include "glyphs/bitmap.h"
#include "ui/alpha_view.h"
#include "glyphs/button_looks.h"

namespace gliffo {

namespace {

constexpr int Gap = 6;
constexpr int FacePadding = 3;  // face pixels around the glyph, each side, at 1×

QColor ToQColor(raster::ColorRef c) { return QColor(raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c)); }

}  // namespace

TButtonFaces::TButtonFaces(std::function<const TBitmap&()> glyph, QWidget* parent)
    : QWidget(parent), glyph_(std::move(glyph)) {
  GlyphChanged();
}

QColor TButtonFaces::FaceColor(int row) {
  return row == 0 ? ToQColor(ColorToRGB(clBtnFace)) : QColor(0x30, 0x30, 0x38);
}

void TButtonFaces::GlyphChanged() {
  const TBitmap& glyph = glyph_();
  normal_ = GlyphWithTransparentColor(glyph);
  TBitmap looks;
  MakeDisabledGlyph(glyph, looks);
  disabled_ = GlyphWithTransparentColor(looks);
  updateGeometry();
  update();
}

QSize TButtonFaces::FaceSize(int zoom) const {
  // One glyph pixel to a whole number of screen pixels, as the editor shows it.
  const double perPixel = zoom * ImageMagnification(*this) / devicePixelRatioF();
  const QSize glyph = normal_.isNull() ? QSize(16, 16) : normal_.size();
  return QSize(static_cast<int>((glyph.width() + 2 * FacePadding) * perPixel + 0.5),
               static_cast<int>((glyph.height() + 2 * FacePadding) * perPixel + 0.5));
}

QRect TButtonFaces::FaceRect(int row, int look, int zoom) const {
  const QSize one = FaceSize(1), two = FaceSize(2);
  const int rowHeight = std::max(one.height(), two.height()) + Gap;
  int x = Gap + (zoom == 1 ? look * (one.width() + Gap) : 3 * (one.width() + Gap) + Gap + look * (two.width() + Gap));
  return QRect(QPoint(x, Gap + row * rowHeight), zoom == 1 ? one : two);
}

QSize TButtonFaces::sizeHint() const {
  const QRect last = FaceRect(1, 2, 2);
  return QSize(last.right() + 1 + Gap, last.bottom() + 1 + Gap);
}

void TButtonFaces::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const QColor light = ToQColor(ColorToRGB(clBtnHighlight)), shadow = ToQColor(ColorToRGB(clBtnShadow));
  for (int row = 0; row < 2; ++row)
    for (int zoom = 1; zoom <= 2; ++zoom)
      for (int look = 0; look < 3; ++look) {
        const QRect face = FaceRect(row, look, zoom);
        p.fillRect(face, row == 0 ? FaceColor(0) : FaceColor(1));
        // A raised face lit from the top left; a pressed one the other way round.
        const bool pressed = look == 1;
        p.setPen(pressed ? shadow : light);
        p.drawLine(face.topLeft(), face.topRight());
        p.drawLine(face.topLeft(), face.bottomLeft());
        p.setPen(pressed ? light : Qt::black);
        p.drawLine(face.bottomLeft(), face.bottomRight());
        p.drawLine(face.topRight(), face.bottomRight());
        const QImage& glyph = look == 2 ? disabled_ : normal_;
        if (glyph.isNull()) continue;
        // Each glyph pixel a whole block of screen pixels, repeated, never smoothed.
        const double perPixel = zoom * ImageMagnification(*this) / devicePixelRatioF();
        const QSizeF size(glyph.width() * perPixel, glyph.height() * perPixel);
        const double shift = pressed ? zoom : 0;  // a pressed glyph moves down and right
        const QPointF at(face.x() + std::floor((face.width() - size.width()) / 2) + shift,
                         face.y() + std::floor((face.height() - size.height()) / 2) + shift);
        if (glyph.hasAlphaChannel() && CheckerboardShown()) PaintAlphaBackdrop(p, QRectF(at, size), QBrush(), 2 * zoom);
        p.drawImage(QRectF(at, size), glyph);
      }
}

TButtonStatesWindow::TButtonStatesWindow(std::function<const TBitmap&()> glyph, std::function<void()> saveDisabledStrip,
                                         QWidget* parent)
    : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("ButtonStates"));
  setWindowTitle(QStringLiteral("Button States"));
  faces_ = new TButtonFaces(std::move(glyph), this);
  auto* legend = new QLabel(QStringLiteral("Normal, pressed and disabled, at 1× and 2×"), this);
  save_ = new QPushButton(QStringLiteral("Save Disabled Strip..."), this);
  connect(save_, &QPushButton::clicked, this, [saveDisabledStrip = std::move(saveDisabledStrip)] { saveDisabledStrip(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(legend);
  layout->addWidget(faces_);
  layout->addWidget(save_, 0, Qt::AlignRight);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // A tool window goes away with Escape, as the help window does.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

}  // namespace gliffo
