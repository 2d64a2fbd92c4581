#include "ui/window_placement_qt.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace gliffo {

bool TPlacedQtWindow::Maximized() const { return (window_.windowState() & Qt::WindowMaximized) != 0; }

void TPlacedQtWindow::SetMaximized() { window_.setWindowState(window_.windowState() | Qt::WindowMaximized); }

int TPlacedQtWindow::Left() const { return window_.frameGeometry().x(); }
int TPlacedQtWindow::Top() const { return window_.frameGeometry().y(); }
int TPlacedQtWindow::Width() const { return window_.frameGeometry().width(); }
int TPlacedQtWindow::Height() const { return window_.frameGeometry().height(); }

// move() places a top-level window by its frame, so the stored corner comes back as it was.
void TPlacedQtWindow::SetLeft(int value) { window_.move(value, window_.pos().y()); }
void TPlacedQtWindow::SetTop(int value) { window_.move(window_.pos().x(), value); }

void TPlacedQtWindow::SetWidth(int value) {
  if (value == Width() && !pending_) return;
  if (!pending_) outer_ = window_.frameGeometry().size();
  outer_.setWidth(value);
  pending_ = true;
  ApplyOuterSize();
}

void TPlacedQtWindow::SetHeight(int value) {
  if (value == Height() && !pending_) return;
  if (!pending_) outer_ = window_.frameGeometry().size();
  outer_.setHeight(value);
  pending_ = true;
  ApplyOuterSize();
}

std::vector<profile::TScreenArea> TPlacedQtWindow::Screens() const {
  std::vector<profile::TScreenArea> areas;
  QList<QScreen*> screens = QGuiApplication::screens();
  // The primary screen first: a window that stands on no screen goes there.
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    screens.removeAll(primary);
    screens.prepend(primary);
  }
  for (const QScreen* screen : screens) {
    const QRect r = screen->availableGeometry();
    areas.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  return areas;
}

QSize TPlacedQtWindow::FrameExtra() const { return window_.frameGeometry().size() - window_.size(); }

void TPlacedQtWindow::ApplyOuterSize() {
  QSize inner = outer_ - FrameExtra();
  inner = inner.expandedTo(QSize(1, 1)).boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  // The frame is fixed: the size from the settings becomes the fixed size.
  window_.setFixedSize(inner);
  if (!FrameExtra().isNull()) pending_ = false;
}

void TPlacedQtWindow::FrameChanged() {
  if (pending_ && !FrameExtra().isNull()) ApplyOuterSize();
}

void TPlacedQtWindow::WindowEvent(const QEvent& event) {
  switch (event.type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
      FrameChanged();
      break;
    default:
      break;
  }
}

}  // namespace gliffo
