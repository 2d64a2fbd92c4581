#include "ui/design_frame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace gliffo {

namespace {
constexpr int DesignDpi = 120;
constexpr int DesignFontHeight = 13;
}  // namespace

double ScreenDesignScale() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr || screen->logicalDotsPerInchY() <= 0) return 1.0;
  return screen->logicalDotsPerInchY() / DesignDpi;
}

int ScaledBy(double scale, int designValue) { return static_cast<int>(std::lround(designValue * scale)); }

void SetDesignFrame(QWidget& window, double scale) {
  window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(ScaledBy(scale, DesignFontHeight));
  window.setFont(font);
}

}  // namespace gliffo
