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

bool TPlacedQtWindow::FixedSize() const { return window_.minimumSize() == window_.maximumSize(); }

// A window of fixed size is as big as its parts need on this screen; a size saved on another
// screen, or at another scale, would cut them off.
void TPlacedQtWindow::SetWidth(int value) {
  if (FixedSize() || (value == Width() && !pending_)) return;
  if (!pending_) outer_ = window_.frameGeometry().size();
  outer_.setWidth(value);
  pending_ = true;
  ApplyOuterSize();
}

void TPlacedQtWindow::SetHeight(int value) {
  if (FixedSize() || (value == Height() && !pending_)) return;
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
  window_.resize(inner);
  if (!FrameExtra().isNull()) pending_ = false;
}

void TPlacedQtWindow::FrameChanged() {
  if (pending_ && !FrameExtra().isNull()) ApplyOuterSize();
  if (fitPending_ && window_.isVisible()) {
    KeepOnScreen();
    // Until the window manager has put its frame around the window, the frame may still grow.
    if (!FrameExtra().isNull()) fitPending_ = false;
  }
}

void TPlacedQtWindow::KeepOnScreen() {
  const QRect frame = window_.frameGeometry();
  const profile::TScreenArea fitted =
      profile::FitToScreens({frame.x(), frame.y(), frame.width(), frame.height()}, Screens());
  // A window that may be resized is made to fit; a fixed one larger than the screen shows its
  // top-left part, where the title and the menus are.
  if (!FixedSize() && (fitted.Width < frame.width() || fitted.Height < frame.height()))
    window_.resize(QSize(fitted.Width, fitted.Height) - FrameExtra());
  if (fitted.Left != frame.x() || fitted.Top != frame.y()) window_.move(fitted.Left, fitted.Top);
}

void TPlacedQtWindow::WindowEvent(const QEvent& event) {
  switch (event.type()) {
    case QEvent::Show:
      // Wherever the settings or the design put it, a window that is shown stands wholly on a
      // screen (a screen of another size or scale than last time may have cut it off).
      fitPending_ = true;
      FrameChanged();
      break;
    case QEvent::Move:
    case QEvent::Resize:
      FrameChanged();
      break;
    default:
      break;
  }
}

}  // namespace gliffo
