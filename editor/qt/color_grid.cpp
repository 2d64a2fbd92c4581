#include "editor/qt/color_grid.h"

#include <QMouseEvent>
#include <QPainter>

#include "editor/glyph_editor.h"

namespace gliffo {

namespace {

QColor ToQColor(TColor color) {
  const raster::ColorRef c = ColorToRGB(color);
  return QColor(raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c));
}

}  // namespace

TColorGrid::TColorGrid(TGlyphEditor& editor, std::function<void(const std::function<void()>&)> guard, QWidget* parent)
    : QWidget(parent), editor_(editor), guard_(std::move(guard)) {}

QRect TColorGrid::CellRect(int index) const {
  const int column = index % PaletteColumns, row = index / PaletteColumns;
  const int left = column * width() / PaletteColumns, right = (column + 1) * width() / PaletteColumns;
  const int top = row * height() / PaletteRows, bottom = (row + 1) * height() / PaletteRows;
  return QRect(left, top, right - left, bottom - top);
}

void TColorGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int foreground = editor_.ForegroundIndex(), background = editor_.BackgroundIndex();
  for (int i = 0; i < 16; ++i) {
    const QRect cell = CellRect(i);
    const QColor color = ToQColor(PaletteColors()[static_cast<std::size_t>(i)]);
    painter.fillRect(cell, color);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(cell.adjusted(0, 0, -1, -1));
    const std::string mark = PaletteMark(i, foreground, background);
    if (mark.empty()) continue;
    // The mark in black on light colours and white on dark ones.
    painter.setPen(qGray(color.rgb()) > 128 ? Qt::black : Qt::white);
    painter.drawText(cell, Qt::AlignCenter, QString::fromLatin1(mark.c_str()));
  }
}

void TColorGrid::Pick(const QPointF& position) {
  const int cell = PaletteCellAt(static_cast<int>(position.x()), static_cast<int>(position.y()), width(), height());
  if (cell < 0 || choice_ == TChoice::None) return;
  guard_([&] {
    if (choice_ == TChoice::Foreground) editor_.SetForegroundIndex(cell);
    else editor_.SetBackgroundIndex(cell);
  });
}

void TColorGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) choice_ = TChoice::Foreground;
  else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) choice_ = TChoice::Background;
  else return;
  Pick(event->position());
}

void TColorGrid::mouseMoveEvent(QMouseEvent* event) { Pick(event->position()); }

void TColorGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->buttons() == Qt::NoButton) choice_ = TChoice::None;
}

}  // namespace gliffo
