#include "ui/alpha_view.h"

#include <QApplication>
#include <QBrush>
#include <QPainter>
#include <QRectF>
#include <QWidget>
#include <cmath>
#include <cstring>
#include <vector>

#include "glyphs/bitmap.h"

namespace gliffo {

namespace {
bool checkerboard = false;
}  // namespace

bool CheckerboardShown() { return checkerboard; }

void SetCheckerboardShown(bool shown) {
  if (shown == checkerboard) return;
  checkerboard = shown;
  for (QWidget* widget : QApplication::allWidgets()) widget->update();
}

void PaintAlphaBackdrop(QPainter& painter, const QRectF& area, const QBrush& face, double square) {
  if (!checkerboard) {
    painter.fillRect(area, face);
    return;
  }
  painter.save();
  painter.setClipRect(area, Qt::IntersectClip);
  painter.fillRect(area, Qt::white);
  const QColor grey(0xCC, 0xCC, 0xCC);
  // Squares counted from the area's own corner, so a glyph shows the same pattern wherever it is.
  const int columns = static_cast<int>(std::ceil(area.width() / square)), rows = static_cast<int>(std::ceil(area.height() / square));
  for (int row = 0; row < rows; ++row)
    for (int column = row % 2; column < columns; column += 2)
      painter.fillRect(QRectF(area.left() + column * square, area.top() + row * square, square, square), grey);
  painter.restore();
}

QImage AlphaImage(const std::uint32_t* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) return {};
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    std::memcpy(image.scanLine(y), pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                static_cast<std::size_t>(width) * sizeof(std::uint32_t));
  return image;
}

QImage AlphaImage(const TBitmap& picture) {
  if (!picture.HasAlpha() || picture.Empty()) return {};
  const std::vector<std::uint32_t> own = OwnPixels(picture.Image());
  return AlphaImage(own.data(), picture.Width(), picture.Height());
}

}  // namespace gliffo
