#pragma once
// How both windows show alpha glyphs: over the button face, as a toolbar draws them, or over a
// checkerboard (View > Transparency Checkerboard), so that a stray pixel that is partly
// transparent can be seen. The choice is the program's, one for every window.
#include <QImage>
#include <cstdint>

class QPainter;
class QRectF;
class QBrush;

namespace gliffo {

class TBitmap;

// Off until switched on; the windows that offer it remember it in their settings.
bool CheckerboardShown();
// Switches it and repaints every widget of the program.
void SetCheckerboardShown(bool shown);

// Fills the area an alpha picture is drawn over: the face given, or the checkerboard (squares of
// `square` device-independent pixels, white and light grey) when it is shown.
void PaintAlphaBackdrop(QPainter& painter, const QRectF& area, const QBrush& face, double square = 4);

// An alpha picture's own pixels as an image with alpha (not premultiplied); a null image for
// a key-colour picture.
QImage AlphaImage(const TBitmap& picture);
// The same for pixels given as width × height values 0xAARRGGBB.
QImage AlphaImage(const std::uint32_t* pixels, int width, int height);

}  // namespace gliffo
