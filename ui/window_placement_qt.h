#pragma once
// A top-level Qt window as the settings file sees it: its outer rectangle, frame included. Once
// shown, it is kept wholly on a screen.
//
// The frame is drawn by the window manager and is known only once the window is on screen, so
// an outer size read from the settings is kept and turned into the inner size again when the
// frame shows up; otherwise every run would grow the window by its frame. A window of fixed
// size keeps the size its parts need and takes only its place from the settings.
#include <QSize>

#include "platform/profile/window_placement.h"

class QEvent;
class QWidget;

namespace gliffo {

class TPlacedQtWindow : public profile::IPlacedWindow {
 public:
  explicit TPlacedQtWindow(QWidget& window) : window_(window) {}

  bool Maximized() const override;
  void SetMaximized() override;
  int Left() const override;
  int Top() const override;
  int Width() const override;
  int Height() const override;
  void SetLeft(int value) override;
  void SetTop(int value) override;
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  std::vector<profile::TScreenArea> Screens() const override;

  // Called when the window is shown, moved or resized: applies a pending outer size once the
  // frame around the window is known.
  void FrameChanged();
  // The same, for the window's own events: showing, moving and resizing count.
  void WindowEvent(const QEvent& event);

 private:
  bool FixedSize() const;
  QSize FrameExtra() const;
  void ApplyOuterSize();
  // Moves (and, when it may be resized, shrinks) the window so that all of it shows.
  void KeepOnScreen();

  QWidget& window_;
  QSize outer_;           // the outer size asked for by the settings
  bool pending_ = false;  // still to be fitted to a frame not known yet
  bool fitPending_ = false;  // shown, but not yet checked to stand wholly on a screen
};

}  // namespace gliffo
