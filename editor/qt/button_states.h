#pragma once
// The button-states window: the glyph as a speed-button face in its normal, pressed and
// disabled looks, at 1× and 2×, on the light button face and on a dark one, with the colour of
// its bottom-left pixel transparent as the preview button takes it. It follows the glyph as
// the real-size image does. "Save Disabled Strip..." writes the disabled looks of the
// collection window's selection.
#include <QImage>
#include <QWidget>
#include <functional>

class QPushButton;

namespace gliffo {

class TBitmap;

// The faces, painted in a grid: rows light and dark, columns normal / pressed / disabled at
// 1× and then at 2×.
class TButtonFaces : public QWidget {
  Q_OBJECT
 public:
  TButtonFaces(std::function<const TBitmap&()> glyph, QWidget* parent);
  // Takes the glyph anew.
  void GlyphChanged();
  // Where a face is drawn (row 0 light, 1 dark; look 0 normal, 1 pressed, 2 disabled; zoom 1 or 2).
  QRect FaceRect(int row, int look, int zoom) const;
  // The glyph as each look draws it (transparent pixels have alpha 0).
  const QImage& NormalGlyph() const { return normal_; }
  const QImage& DisabledGlyph() const { return disabled_; }
  static QColor FaceColor(int row);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QSize FaceSize(int zoom) const;
  std::function<const TBitmap&()> glyph_;
  QImage normal_, disabled_;
};

class TButtonStatesWindow : public QWidget {
  Q_OBJECT
 public:
  TButtonStatesWindow(std::function<const TBitmap&()> glyph, std::function<void()> saveDisabledStrip, QWidget* parent);
  TButtonFaces* Faces() const { return faces_; }
  QPushButton* SaveDisabledStripButton() const { return save_; }

 private:
  TButtonFaces* faces_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace gliffo
