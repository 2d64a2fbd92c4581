#pragma once
// What both windows share of their frame: a fixed single border with the system menu and a
// minimise box only, design values at 120 pixels per inch scaled to the screen, and the font
// "MS Sans Serif" 13 design pixels high.
class QWidget;

namespace gliffo {

// The screen's pixels per design pixel.
double ScreenDesignScale();
// A design value on this screen, rounded to whole pixels.
int ScaledBy(double scale, int designValue);
// The window flags and the font of a window of the program.
void SetDesignFrame(QWidget& window, double scale);

}  // namespace gliffo
