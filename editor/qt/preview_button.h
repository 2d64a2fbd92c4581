#pragma once
// The preview button testbtn: a speed-button face showing the glyph in its middle. As a speed
// button draws its glyph, the colour of the glyph's bottom-left pixel is transparent: the face
// shows through wherever that colour occurs.
#include <QAbstractButton>
#include <QImage>

namespace gliffo {

class TBitmap;

// The glyph with every pixel of its bottom-left pixel's colour made transparent.
QImage GlyphWithTransparentColor(const TBitmap& glyph);

class TPreviewButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit TPreviewButton(QWidget* parent);
  // Takes the glyph anew (after the preview glyph changed). The button grows from the size
  // and place it was given to hold the whole glyph and its bevel, within its parent.
  void SetGlyph(const TBitmap& glyph);
  const QImage& Glyph() const { return glyph_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void FitGlyph();

  QImage glyph_;
  QRect designGeometry_;  // as first placed; the button never gets smaller than this
};

}  // namespace gliffo
