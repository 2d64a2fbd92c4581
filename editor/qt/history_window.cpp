#include "editor/qt/history_window.h"

#include <QListWidget>
#include <QPixmap>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/history.h"
#include "editor/qt/image_control.h"
#include "editor/strings.h"

namespace gliffo {

namespace {

constexpr int IconEdge = 32;

// The glyph enlarged by whole pixels (never smoothed) into a square icon. The pixels are set
// one by one and made opaque: a device-dependent store leaves its fourth byte zero.
QIcon GlyphIcon(const TBitmap& glyph) {
  const QImage image = PaintableImage(glyph);
  QImage icon(IconEdge, IconEdge, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  if (image.isNull()) return QIcon(QPixmap::fromImage(icon));
  const int zoom = std::max(1, IconEdge / std::max(image.width(), image.height()));
  const int left = std::max(0, (IconEdge - image.width() * zoom) / 2), top = std::max(0, (IconEdge - image.height() * zoom) / 2);
  for (int y = 0; y < IconEdge - top && y / zoom < image.height(); ++y)
    for (int x = 0; x < IconEdge - left && x / zoom < image.width(); ++x)
      icon.setPixel(left + x, top + y, image.pixel(x / zoom, y / zoom) | 0xFF000000u);
  return QIcon(QPixmap::fromImage(icon));
}

}  // namespace

THistoryWindow::THistoryWindow(const TEditHistory& history, std::function<void(int)> goTo, QWidget* parent)
    : QWidget(parent, Qt::Tool), history_(history), goTo_(std::move(goTo)) {
  setObjectName(QStringLiteral("History"));
  setWindowTitle(QString::fromUtf8(texts::HistoryCaption));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("Steps"));
  list_->setIconSize(QSize(IconEdge, IconEdge));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { goTo_(list_->row(item)); });
  connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { goTo_(list_->row(item)); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(list_);
  resize(220, 360);
  // A tool window goes away with Escape, as the help window does.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void THistoryWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  HistoryChanged();
}

void THistoryWindow::HistoryChanged() {
  if (!isVisible()) return;
  const QSignalBlocker quiet(list_);
  const int count = history_.Count();
  while (list_->count() > count) delete list_->takeItem(list_->count() - 1);
  shown_.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::shared_ptr<const void> glyph = history_.Glyph(i).SharedImage();
    QListWidgetItem* item = list_->item(i);
    if (!item) {
      item = new QListWidgetItem(list_);
      shown_[static_cast<std::size_t>(i)] = nullptr;
    }
    const QString name = QString::fromStdString(history_.Name(i));
    if (item->text() != name) item->setText(name);
    if (shown_[static_cast<std::size_t>(i)] != glyph) {
      item->setIcon(GlyphIcon(history_.Glyph(i)));
      shown_[static_cast<std::size_t>(i)] = std::move(glyph);
    }
    // Steps ahead of the current one are there to go forward to: shown fainter.
    item->setForeground(i > history_.Position() ? palette().placeholderText() : palette().text());
  }
  list_->setCurrentRow(history_.Position());
  if (QListWidgetItem* current = list_->currentItem()) list_->scrollToItem(current);
}

}  // namespace gliffo
