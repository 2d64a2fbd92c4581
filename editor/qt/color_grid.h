#pragma once
// The palette grid ColorGrid1: 16 colours in 8 columns and 2 rows. A left-button press picks the
// foreground colour, the right or middle button the background; dragging with the button held
// moves that choice along with the pointer. The cells of the two choices carry "FG", "BG", or
// "FB" when one cell is both.
#include <QWidget>
#include <functional>

namespace gliffo {

class TGlyphEditor;

class TColorGrid : public QWidget {
  Q_OBJECT
 public:
  // Every change runs inside `guard`.
  TColorGrid(TGlyphEditor& editor, std::function<void(const std::function<void()>&)> guard, QWidget* parent);
  // The rectangle of a cell, in this widget's coordinates.
  QRect CellRect(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Pick(const QPointF& position);

  TGlyphEditor& editor_;
  std::function<void(const std::function<void()>&)> guard_;
  enum class TChoice { None, Foreground, Background } choice_ = TChoice::None;
};

}  // namespace gliffo
