#include "collection/set_view.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "platform/raster/pixels.h"
#include "ui/alpha_view.h"

namespace gliffo {

namespace {

constexpr int HeaderHeight = 18;
constexpr int CellPadding = 6;
constexpr int NamePadding = 6;
const QColor ButtonFace(0xC0, 0xC0, 0xC0);
const QColor EmptyInk(0xD0, 0x40, 0x40);
const QColor DerivedInk(0x20, 0x60, 0xE0);
const QColor ChangedInk(0xF0, 0x80, 0x00);

}  // namespace

TSetView::TSetView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SetView1"));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
}

void TSetView::SetMarks(std::set<std::pair<std::string, std::string>> marks) {
  marks_ = std::move(marks);
  update();
}

bool TSetView::Marked(int icon, int column) const {
  if (!set_ || marks_.empty() || icon < 0 || icon >= set_->IconCount() || column < 0 || column >= set_->ColumnCount())
    return false;
  return marks_.count({set_->Icons()[static_cast<std::size_t>(icon)], set_->Column(column).Key}) > 0;
}

void TSetView::SetIconSet(const TIconSet* set) {
  set_ = set;
  pictures_.clear();
  marks_.clear();
  icon_ = set_ && set_->IconCount() > 0 ? 0 : -1;
  column_ = 0;
  Refresh();
}

void TSetView::Refresh() {
  if (set_) {
    const QFontMetrics metrics(font());
    nameWidth_ = metrics.horizontalAdvance(QStringLiteral("document-properties")) + 2 * NamePadding;
    for (const std::string& name : set_->Icons())
      nameWidth_ = std::max(nameWidth_, metrics.horizontalAdvance(QString::fromStdString(name)) + 2 * NamePadding);
    icon_ = std::clamp(icon_, set_->IconCount() > 0 ? 0 : -1, set_->IconCount() - 1);
    column_ = std::clamp(column_, 0, std::max(0, set_->ColumnCount() - 1));
    // Pictures of cells no longer in the set or its history are let go now and then.
    if (pictures_.size() > 4 * (set_->IconCount() + 1) * std::max(1, set_->ColumnCount())) pictures_.clear();
  }
  setFixedSize(sizeHint());
  update();
}

void TSetView::SetCurrent(int icon, int column) {
  if (!set_) return;
  icon = std::clamp(icon, set_->IconCount() > 0 ? 0 : -1, set_->IconCount() - 1);
  column = std::clamp(column, 0, std::max(0, set_->ColumnCount() - 1));
  if (icon == icon_ && column == column_) return;
  icon_ = icon;
  column_ = column;
  update();
  emit CurrentChanged();
}

int TSetView::RowHeight() const {
  int largest = 16;
  if (set_)
    for (const int size : set_->Sizes()) largest = std::max(largest, size);
  return std::max(largest + CellPadding, QFontMetrics(font()).height() + 4);
}

int TSetView::ColumnWidth(int column) const {
  const int label = QFontMetrics(font()).horizontalAdvance(QString::fromStdString(set_->Column(column).Key)) + 4;
  return std::max(set_->Column(column).Size + CellPadding, label);
}

int TSetView::ColumnLeft(int column) const {
  int x = nameWidth_;
  for (int c = 0; c < column; ++c) x += ColumnWidth(c) + (set_->Column(c + 1).Theme != set_->Column(c).Theme ? 8 : 0);
  return x;
}

QSize TSetView::sizeHint() const {
  if (!set_ || set_->ColumnCount() == 0) return {nameWidth_, HeaderHeight};
  const int last = set_->ColumnCount() - 1;
  return {ColumnLeft(last) + ColumnWidth(last) + 2, HeaderHeight + RowHeight() * set_->IconCount() + 2};
}

QRect TSetView::NameRect(int icon) const { return {0, HeaderHeight + icon * RowHeight(), nameWidth_, RowHeight()}; }

QRect TSetView::CellRect(int icon, int column) const {
  const int size = set_->Column(column).Size;
  const int left = ColumnLeft(column) + (ColumnWidth(column) - size) / 2;
  const int top = HeaderHeight + icon * RowHeight() + (RowHeight() - size) / 2;
  return {left, top, size, size};
}

int TSetView::RowAt(int y) const {
  if (!set_ || y < HeaderHeight) return -1;
  const int row = (y - HeaderHeight) / RowHeight();
  return row < set_->IconCount() ? row : -1;
}

int TSetView::ColumnAt(int x) const {
  if (!set_ || x < nameWidth_) return -1;
  for (int c = 0; c < set_->ColumnCount(); ++c)
    if (x >= ColumnLeft(c) && x < ColumnLeft(c) + ColumnWidth(c)) return c;
  return -1;
}

const QImage& TSetView::CellPicture(const TCellRef& cell, int column) {
  auto found = pictures_.find(cell.get());
  if (found != pictures_.end()) return found->second;
  const int cellSize = set_->Column(column).Size;
  // An alpha cell is its own pixels, drawn over the face (or the checkerboard) when painted.
  if (!cell->Alpha.empty())
    return pictures_.insert(cell.get(), {cell, AlphaImage(cell->Alpha.data(), cellSize, cellSize)})->second;
  // The cell's colours; the transparent one (the bottom-left pixel's) shows the button face,
  // as a button draws it.
  const std::shared_ptr<TBitmapImage> store = set_->PictureOf(cell.get(), column);
  const int size = set_->Column(column).Size;
  const raster::Surface s = store->Surface();
  QImage picture(size, size, QImage::Format_RGB32);
  const raster::ColorRef key = raster::GetPixel(s, 0, size - 1);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const raster::ColorRef c = raster::GetPixel(s, x, y);
      picture.setPixel(x, y, c == key ? ButtonFace.rgb() : qRgb(raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c)));
    }
  return pictures_.insert(cell.get(), {cell, picture})->second;
}

void TSetView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), palette().base());
  if (!set_) return;
  const QRect area = event->rect();
  painter.setPen(palette().text().color());
  for (int c = 0; c < set_->ColumnCount(); ++c)
    painter.drawText(QRect(ColumnLeft(c), 0, ColumnWidth(c), HeaderHeight), Qt::AlignCenter,
                     QString::fromStdString(set_->Column(c).Key));
  const int first = std::max(0, (area.top() - HeaderHeight) / RowHeight());
  const int last = std::min(set_->IconCount() - 1, (area.bottom() - HeaderHeight) / RowHeight());
  for (int icon = first; icon <= last; ++icon) {
    const QRect name = NameRect(icon);
    const bool current = icon == icon_;
    if (current) painter.fillRect(name, palette().highlight());
    if (icon == dragOver_ && dragFrom_ >= 0 && dragOver_ != dragFrom_)
      painter.fillRect(QRect(0, name.top(), width(), 2), palette().text());
    painter.setPen(current ? palette().highlightedText().color() : palette().text().color());
    painter.drawText(name.adjusted(NamePadding, 0, -NamePadding, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(set_->Icons()[static_cast<std::size_t>(icon)]));
    for (int c = 0; c < set_->ColumnCount(); ++c) {
      const QRect cell = CellRect(icon, c);
      const TCellRef ref = set_->Cell(icon, c);
      if (!ref || ref->Empty) {
        // Hatched in red: nothing is drawn here yet.
        painter.fillRect(cell, QBrush(EmptyInk, Qt::BDiagPattern));
        painter.setPen(QPen(EmptyInk, 1, Qt::DotLine));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
      } else {
        const QImage& picture = CellPicture(ref, c);
        if (picture.hasAlphaChannel()) PaintAlphaBackdrop(painter, QRectF(QRect(cell.topLeft(), picture.size())), ButtonFace);
        painter.drawImage(cell.topLeft(), picture);
        if (ref->Derived) {
          const QPoint corner = cell.topRight() + QPoint(1, 0);
          const QPoint mark[] = {corner, corner + QPoint(-6, 0), corner + QPoint(0, 6)};
          painter.setPen(Qt::NoPen);
          painter.setBrush(DerivedInk);
          painter.drawPolygon(mark, 3);
          painter.setBrush(Qt::NoBrush);
        }
      }
      if (Marked(icon, c)) {
        painter.setPen(QPen(ChangedInk, 2, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(-3, -3, 2, 2));
      }
      if (current && c == column_) {
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.drawRect(cell.adjusted(-2, -2, 1, 1));
      }
    }
  }
}

void TSetView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !set_) return;
  const QPoint at = event->position().toPoint();
  const int row = RowAt(at.y());
  if (row < 0) return;
  const int column = ColumnAt(at.x());
  SetCurrent(row, column < 0 ? column_ : column);
  dragFrom_ = column < 0 && at.x() < nameWidth_ ? row : -1;
  dragOver_ = dragFrom_;
}

void TSetView::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_ < 0) return;
  const int row = RowAt(static_cast<int>(event->position().y()));
  if (row >= 0 && row != dragOver_) {
    dragOver_ = row;
    update();
  }
}

void TSetView::mouseReleaseEvent(QMouseEvent* event) {
  const int from = dragFrom_, to = dragOver_;
  dragFrom_ = dragOver_ = -1;
  if (event->button() != Qt::LeftButton || from < 0) return;
  update();
  if (to >= 0 && to != from) emit MoveRequested(from, to);
}

void TSetView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !set_) return;
  const QPoint at = event->position().toPoint();
  const int row = RowAt(at.y());
  if (row < 0) return;
  dragFrom_ = dragOver_ = -1;
  const int column = ColumnAt(at.x());
  if (column < 0) {
    if (at.x() < nameWidth_) emit RenameRequested(row);
    return;
  }
  SetCurrent(row, column);
  emit CellOpenRequested(row, column);
}

void TSetView::keyPressEvent(QKeyEvent* event) {
  if (!set_ || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
    QWidget::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Up: SetCurrent(icon_ - 1, column_); break;
    case Qt::Key_Down: SetCurrent(icon_ + 1, column_); break;
    case Qt::Key_Left: SetCurrent(icon_, column_ - 1); break;
    case Qt::Key_Right: SetCurrent(icon_, column_ + 1); break;
    case Qt::Key_Home: SetCurrent(0, column_); break;
    case Qt::Key_End: SetCurrent(set_->IconCount() - 1, column_); break;
    case Qt::Key_Enter:  // the keypad's; Return is the Edit Cell command's key
      if (icon_ >= 0) emit CellOpenRequested(icon_, column_);
      break;
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

}  // namespace gliffo
