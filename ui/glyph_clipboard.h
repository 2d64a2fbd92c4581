#pragma once
// Glyph pictures on the system clipboard, shared by both windows: offered as PNG and BMP bytes of
// our own so other programs get exact colours, and taken back from PNG, BMP or any picture the
// platform offers.
#include <memory>

namespace gliffo {

class TBitmap;

// Puts the picture on the clipboard as image/png and image/bmp.
void PutOnClipboard(const TBitmap& picture);
// The clipboard's picture; false when it holds none.
bool TakeFromClipboard(TBitmap& picture);

}  // namespace gliffo
