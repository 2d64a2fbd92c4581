#pragma once
// The view of an icon set in the collection window: one row per icon, its name, then one
// column per size and theme with each cell at its real size. Empty cells are hatched, so what
// is missing shows at a glance; cells made from others (Fill from Size, Make Dark Theme) carry a corner mark
// until drawn on. The view only shows the set and turns input into signals; the window changes the set.
#include <QHash>
#include <QImage>
#include <QWidget>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "glyphs/icon_set.h"

namespace gliffo {

class TSetView : public QWidget {
  Q_OBJECT
 public:
  explicit TSetView(QWidget* parent = nullptr);

  // The set shown (nullptr for none); the view keeps no copy and is told of changes by Refresh.
  void SetIconSet(const TIconSet* set);
  const TIconSet* IconSet() const { return set_; }
  // After the set changed: sizes, the current place kept within it, a repaint.
  void Refresh();

  int CurrentIcon() const { return icon_; }
  int CurrentColumn() const { return column_; }
  void SetCurrent(int icon, int column);

  // Cells marked as differing from another version of the set (Compare With), by icon name
  // and column key, so that a mark stays with its icon while the set is edited; none when
  // empty. A marked cell has a frame in the marking colour.
  void SetMarks(std::set<std::pair<std::string, std::string>> marks);
  bool Marked(int icon, int column) const;

  // Where things are drawn, for tests that click on them.
  QRect NameRect(int icon) const;
  QRect CellRect(int icon, int column) const;
  QSize sizeHint() const override;

 signals:
  void RenameRequested(int icon);
  void CellOpenRequested(int icon, int column);
  // A name dragged onto another row: the icon goes to that row's place.
  void MoveRequested(int icon, int to);
  void CurrentChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int RowAt(int y) const;
  int ColumnAt(int x) const;
  int RowHeight() const;
  int ColumnLeft(int column) const;
  int ColumnWidth(int column) const;
  const QImage& CellPicture(const TCellRef& cell, int column);

  const TIconSet* set_ = nullptr;
  int icon_ = -1;
  int column_ = 0;
  int nameWidth_ = 120;
  int dragFrom_ = -1;
  int dragOver_ = -1;
  // Pictures of cells by the cell itself: cells never change, so a picture stays right for as
  // long as its cell lives, and a step undone shows the pictures it had.
  QHash<const TSetCell*, std::pair<TCellRef, QImage>> pictures_;
  std::set<std::pair<std::string, std::string>> marks_;
};

}  // namespace gliffo
