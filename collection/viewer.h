#pragma once
// The glyph view `viewer`: a list view in icon mode over the image list and the view items of
// the glyph collection. The model keeps nothing of its own: every row is an item, its picture
// the cell the item names, its text the item's caption. Items all have the same size, so the
// view lays out and scrolls tens of thousands of glyphs without asking for each one.
#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

#include "glyphs/image_list.h"
#include "glyphs/list_items.h"

namespace gliffo {

class TGlyphCollection;

class TViewerModel : public QAbstractListModel, private IListItemsListener, private IImageListListener {
  Q_OBJECT
 public:
  explicit TViewerModel(TGlyphCollection& collection, QObject* parent = nullptr);
  ~TViewerModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The cell an item shows, as an opaque image; a null image when the item names no cell.
  QImage CellImage(int row) const;
  QSize CellSize() const;

  // How often the whole view was redrawn and single items were, so tests can see that a
  // bracket repaints once and a replaced glyph repaints one item.
  int WholeRedraws() const { return wholeRedraws_; }
  int ItemRedraws() const { return itemRedraws_; }
  // How many cell pictures the view asked for: painting must cost what is visible, not what
  // the list holds.
  int ImageRequests() const { return imageRequests_; }

 signals:
  // The items' selected flags changed in bulk (rebuild, select all): the view takes them all.
  void SelectionReset();
  // One item's selected flag changed from the model's side.
  void SelectedFlagChanged(int row, bool selected);

 private:
  void ItemsChanged() override;
  void ItemsRedraw(int first, int last) override;
  void ItemSelectionChanged(int index) override;
  void ImageListChanged(const TImageListChange& change) override;

  TGlyphCollection& collection_;
  int shownCount_ = 0;  // the row count the view was last told about
  QSize shownCellSize_;
  int wholeRedraws_ = 0;
  int itemRedraws_ = 0;
  mutable int imageRequests_ = 0;
};

// Draws a cell at its own size with the caption centred under it. The selection always shows
// (in the inactive colours while the view has no focus); the glyph that the editor's Update
// would replace carries a frame while the editor is open.
class TViewerDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit TViewerDelegate(QListView* view);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  QRect CaptionRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
  QListView* view_;
};

class TViewer : public QListView {
  Q_OBJECT
 public:
  TViewer(TGlyphCollection& collection, QWidget* parent = nullptr);

  TViewerModel& Model() { return *model_; }
  // Selected flags changed in bulk; the view's selection follows once at the end.
  void BeginSelectionBatch();
  void EndSelectionBatch();

  // While on, the selected item (the lowest selected one, which Update replaces) is framed.
  void SetTargetMarked(bool marked);
  bool TargetMarked() const { return targetMarked_; }
  // The framed row, or -1.
  int TargetRow() const;

 signals:
  // A double-click anywhere in the view, or Enter.
  void DoubleClicked();
  // The selected glyphs were dragged within the view to just before item `before`.
  void GlyphsDragged(int before);
  // Files or folders were dropped with `before` the item they landed before (Count for the end).
  void PathsDropped(const QStringList& paths, int before);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 public:
  // The item a drop at this point of the viewport lands before: the one under it, or the next
  // when the point is on the right half of an item; the item count past the last.
  int DropRow(const QPoint& point) const;
  // A press on a selected glyph has been dragged far enough to move the selection.
  bool MovingGlyphs() const { return moving_; }

 private:
  void TakeSelectionFromItems();
  void TakeOneSelection(int row, bool selected);
  void GiveSelectionToItems(const QItemSelection& selected, const QItemSelection& deselected);

  TGlyphCollection& collection_;
  TViewerModel* model_;
  bool syncing_ = false;
  int batch_ = 0;
  bool batchDirty_ = false;
  bool targetMarked_ = false;
  // A press on a glyph that may become a move of the selection; where it was, and whether the
  // mouse has gone far enough for it to be one. The drop place is shown while it moves.
  bool pressedOnGlyph_ = false;
  QPoint pressPoint_;
  bool moving_ = false;
  int moveTarget_ = -1;
};

}  // namespace gliffo
