#include "collection/viewer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/alpha_view.h"
#include "glyphs/glyph_list.h"

namespace gliffo {

namespace {
constexpr int CellPadding = 6;   // free room beside a cell, each side
constexpr int CaptionGap = 2;    // between the cell and its caption
}  // namespace

// --- Model -----------------------------------------------------------------------------------

TViewerModel::TViewerModel(TGlyphCollection& collection, QObject* parent)
    : QAbstractListModel(parent),
      collection_(collection),
      shownCount_(collection.Items.Count()),
      shownCellSize_(CellSize()) {
  collection_.Items.AddListener(this);
  collection_.ImageList1.AddListener(this);
}

TViewerModel::~TViewerModel() {
  collection_.Items.RemoveListener(this);
  collection_.ImageList1.RemoveListener(this);
}

int TViewerModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownCount_;
}

QVariant TViewerModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= collection_.Items.Count()) return {};
  const TListItem& item = collection_.Items.Item(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(item.Caption());
    case Qt::DecorationRole:
      return CellImage(index.row());
    default:
      return {};
  }
}

Qt::ItemFlags TViewerModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // Captions are the glyphs' numbers, which nothing would read back: not editable in place.
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QImage TViewerModel::CellImage(int row) const {
  if (row < 0 || row >= collection_.Items.Count()) return {};
  ++imageRequests_;
  const TImageList& images = collection_.ImageList1;
  const std::uint32_t* pixels = images.CellPixels(collection_.Items.Item(row).ImageIndex());
  if (pixels == nullptr) return {};
  // A cell with alpha shows its own pixels, drawn over the face by the delegate.
  if (const std::uint32_t* own = images.CellAlphaPixels(collection_.Items.Item(row).ImageIndex()))
    return AlphaImage(own, images.Width(), images.Height());
  // The cells keep a zero fourth byte; the image format wants it opaque.
  QImage image(images.Width(), images.Height(), QImage::Format_RGB32);
  for (int y = 0; y < images.Height(); ++y) {
    auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    const std::uint32_t* source = pixels + static_cast<std::ptrdiff_t>(y) * images.Width();
    for (int x = 0; x < images.Width(); ++x) line[x] = source[x] | 0xFF000000u;
  }
  return image;
}

QSize TViewerModel::CellSize() const { return {collection_.ImageList1.Width(), collection_.ImageList1.Height()}; }

void TViewerModel::ItemsChanged() {
  ++wholeRedraws_;
  // A new set of items or a new cell size needs a new layout; the same items with new flags or
  // captions (select all, invert) only a repaint, which keeps the user's scroll position.
  int count = collection_.Items.Count();
  if (count != shownCount_ || CellSize() != shownCellSize_) {
    beginResetModel();
    shownCount_ = count;
    shownCellSize_ = CellSize();
    endResetModel();
  } else if (count > 0) {
    emit dataChanged(index(0), index(count - 1));
  }
  emit SelectionReset();
}

void TViewerModel::ItemsRedraw(int first, int last) {
  if (first > last) return;
  ++itemRedraws_;
  emit dataChanged(index(first), index(last));
}

void TViewerModel::ItemSelectionChanged(int row) {
  if (row < 0 || row >= collection_.Items.Count()) return;
  emit SelectedFlagChanged(row, collection_.Items.Item(row).Selected());
}

void TViewerModel::ImageListChanged(const TImageListChange& change) {
  // Bulk changes come inside an update bracket, which repaints once when it closes. A cell
  // replaced on its own repaints the one item that shows it.
  if (change.Kind != TImageListChangeKind::Replaced || collection_.Items.UpdateCount() > 0) return;
  int row = change.First;
  if (row >= 0 && row < collection_.Items.Count() && collection_.Items.Item(row).ImageIndex() == change.First)
    emit dataChanged(index(row), index(row), {Qt::DecorationRole});
}

// --- Delegate --------------------------------------------------------------------------------

TViewerDelegate::TViewerDelegate(QListView* view) : QStyledItemDelegate(view), view_(view) {}

QSize TViewerDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  auto* model = qobject_cast<const TViewerModel*>(index.model());
  QSize cell = model ? model->CellSize() : QSize(16, 16);
  const QFontMetrics& metrics = option.fontMetrics;
  int width = std::max(cell.width() + 2 * CellPadding, metrics.horizontalAdvance(QStringLiteral("00000")) + 4);
  int height = CellPadding + cell.height() + CaptionGap + metrics.height() + CellPadding / 2;
  return {width, height};
}

QRect TViewerDelegate::CaptionRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  auto* model = qobject_cast<const TViewerModel*>(index.model());
  QSize cell = model ? model->CellSize() : QSize(16, 16);
  int top = option.rect.top() + CellPadding + cell.height() + CaptionGap;
  return {option.rect.left(), top, option.rect.width(), option.fontMetrics.height()};
}

void TViewerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  auto* model = qobject_cast<const TViewerModel*>(index.model());
  if (model == nullptr) return;
  // The selection shows with or without the focus: commands act on it either way.
  bool selected = option.state & QStyle::State_Selected;
  QPalette palette = option.palette;
  palette.setCurrentColorGroup(view_->hasFocus() ? QPalette::Active : QPalette::Inactive);

  QImage cell = model->CellImage(index.row());
  QSize size = model->CellSize();
  QPoint cellAt(option.rect.left() + (option.rect.width() - size.width()) / 2, option.rect.top() + CellPadding);
  if (!cell.isNull() && cell.hasAlphaChannel()) PaintAlphaBackdrop(*painter, QRectF(QRect(cellAt, size)), palette.button());
  if (!cell.isNull()) painter->drawImage(cellAt, cell);
  if (selected) {
    // The icon is tinted with the highlight, as icon views show a chosen picture.
    QColor tint = palette.color(QPalette::Highlight);
    tint.setAlpha(96);
    painter->fillRect(QRect(cellAt, size), tint);
  }
  auto* viewer = qobject_cast<const TViewer*>(view_);
  if (viewer != nullptr && viewer->TargetRow() == index.row()) {
    // Two rings, dark inside light, so the frame shows on any glyph and any background.
    const QRect around = QRect(cellAt, size).adjusted(-3, -3, 2, 2);
    painter->save();
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QColor(255, 255, 255), 1));
    painter->drawRect(around);
    painter->setPen(QPen(QColor(200, 0, 0), 2, Qt::DashLine));
    painter->drawRect(around.adjusted(1, 1, -1, -1));
    painter->restore();
  }

  QRect captionRect = CaptionRect(option, index);
  QString caption = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                  captionRect.width() - 2);
  int textWidth = option.fontMetrics.horizontalAdvance(caption) + 4;
  QRect textBox(captionRect.center().x() - textWidth / 2, captionRect.top(), textWidth, captionRect.height());
  if (selected) painter->fillRect(textBox, palette.color(QPalette::Highlight));
  painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  painter->setFont(option.font);
  painter->drawText(textBox, Qt::AlignCenter, caption);
  if ((option.state & QStyle::State_HasFocus) && view_->hasFocus()) {
    QPen dotted(palette.color(QPalette::Text), 1, Qt::DotLine);
    painter->setPen(dotted);
    painter->drawRect(textBox.adjusted(0, 0, -1, -1));
  }
}

// --- View ------------------------------------------------------------------------------------

TViewer::TViewer(TGlyphCollection& collection, QWidget* parent)
    : QListView(parent), collection_(collection), model_(new TViewerModel(collection, this)) {
  setObjectName(QStringLiteral("viewer"));
  setViewMode(QListView::IconMode);
  setFlow(QListView::LeftToRight);
  setWrapping(true);
  setResizeMode(QListView::Adjust);
  setMovement(QListView::Static);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionRectVisible(true);
  // A click on a selected glyph selects it alone, at once, as everywhere else.
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab and Shift+Tab go on to the next control, as everywhere else in the window.
  setTabKeyNavigation(false);
  setItemDelegate(new TViewerDelegate(this));
  setModel(model_);
  // Glyphs are dragged to a new place within the view by the view's own mouse handling (see
  // mouseMoveEvent); files and folders are dropped on it.
  setDragEnabled(false);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDropIndicatorShown(true);

  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            GiveSelectionToItems(selected, deselected);
          });
  connect(model_, &TViewerModel::SelectionReset, this, [this] { TakeSelectionFromItems(); });
  connect(model_, &TViewerModel::SelectedFlagChanged, this,
          [this](int row, bool selected) { TakeOneSelection(row, selected); });
}

void TViewer::SetTargetMarked(bool marked) {
  if (targetMarked_ == marked) return;
  targetMarked_ = marked;
  viewport()->update();
}

int TViewer::TargetRow() const { return targetMarked_ ? collection_.Items.SelectedIndex() : -1; }

void TViewer::BeginSelectionBatch() { ++batch_; }

void TViewer::EndSelectionBatch() {
  if (batch_ > 0 && --batch_ == 0 && batchDirty_) {
    batchDirty_ = false;
    TakeSelectionFromItems();
  }
}

void TViewer::TakeSelectionFromItems() {
  if (batch_ > 0) {
    batchDirty_ = true;
    return;
  }
  // One selection made of runs of selected items, handed to the view in one call.
  QItemSelection selection;
  const TListItems& items = collection_.Items;
  int count = items.Count();
  for (int row = 0; row < count;) {
    if (!items.Item(row).Selected()) {
      ++row;
      continue;
    }
    int last = row;
    while (last + 1 < count && items.Item(last + 1).Selected()) ++last;
    selection.select(model_->index(row), model_->index(last));
    row = last + 1;
  }
  syncing_ = true;
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
  viewport()->update();
}

void TViewer::TakeOneSelection(int row, bool selected) {
  if (syncing_) return;
  if (batch_ > 0) {
    batchDirty_ = true;
    return;
  }
  syncing_ = true;
  selectionModel()->select(model_->index(row), selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
  syncing_ = false;
}

void TViewer::GiveSelectionToItems(const QItemSelection& selected, const QItemSelection& deselected) {
  // The framed target is the lowest selected item, which any change of selection may move.
  if (targetMarked_) viewport()->update();
  if (syncing_) return;
  syncing_ = true;
  TListItems& items = collection_.Items;
  for (const QItemSelectionRange& range : deselected)
    for (int row = range.top(); row <= range.bottom() && row < items.Count(); ++row) items.Item(row).SetSelected(false);
  for (const QItemSelectionRange& range : selected)
    for (int row = range.top(); row <= range.bottom() && row < items.Count(); ++row) items.Item(row).SetSelected(true);
  syncing_ = false;
}

void TViewer::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  emit DoubleClicked();
}

void TViewer::focusInEvent(QFocusEvent* event) {
  QListView::focusInEvent(event);
  viewport()->update();  // the selection shows only with the focus
}

void TViewer::focusOutEvent(QFocusEvent* event) {
  QListView::focusOutEvent(event);
  viewport()->update();
}

void TViewer::keyPressEvent(QKeyEvent* event) {
  // Ctrl+A belongs to the menu's "Select All", which goes through the glyph list.
  // The view's own keys for copying and the like give way to the window's commands on them.
  for (QAction* action : actions()) {
    if (action->isEnabled() && !action->shortcut().isEmpty() &&
        action->shortcut().matches(QKeySequence(event->keyCombination())) == QKeySequence::ExactMatch) {
      event->accept();
      action->trigger();
      return;
    }
  }
  if (event->matches(QKeySequence::SelectAll)) {
    event->ignore();
    return;
  }
  // Enter opens the selected glyph, as a double-click does.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    event->accept();
    emit DoubleClicked();
    return;
  }
  QListView::keyPressEvent(event);
}

void TViewer::mousePressEvent(QMouseEvent* event) {
  // The view settles the selection first: a press on an unselected glyph selects it alone, one
  // on a selected glyph keeps the selection until the release shows it was no drag.
  QListView::mousePressEvent(event);
  moving_ = false;
  const QModelIndex index = indexAt(event->position().toPoint());
  pressedOnGlyph_ = event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier && index.isValid() &&
                    index.row() < collection_.Items.Count() && collection_.Items.Item(index.row()).Selected();
  pressPoint_ = event->position().toPoint();
}

void TViewer::mouseMoveEvent(QMouseEvent* event) {
  // A press on a glyph moves the selection instead of drawing the rubber band, which only a
  // press on empty space draws. The move stays inside the view, so it needs no drag and drop
  // of the system's, and works the same under any window manager.
  if (pressedOnGlyph_ && (event->buttons() & Qt::LeftButton)) {
    const QPoint point = event->position().toPoint();
    if (!moving_ && (point - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
      moving_ = true;
      viewport()->setCursor(Qt::DragMoveCursor);
    }
    if (moving_) {
      const int target = DropRow(point);
      if (target != moveTarget_) {
        moveTarget_ = target;
        viewport()->update();
      }
    }
    event->accept();
    return;
  }
  QListView::mouseMoveEvent(event);
}

void TViewer::mouseReleaseEvent(QMouseEvent* event) {
  const bool moved = moving_;
  pressedOnGlyph_ = false;
  if (!moved) {
    QListView::mouseReleaseEvent(event);
    return;
  }
  moving_ = false;
  moveTarget_ = -1;
  viewport()->unsetCursor();
  viewport()->update();
  event->accept();
  emit GlyphsDragged(DropRow(event->position().toPoint()));
}

void TViewer::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  if (!moving_ || moveTarget_ < 0) return;
  // A bar where the moved glyphs would land: before the target item, or after the last one.
  const int count = model_->rowCount();
  if (count == 0) return;
  const bool atEnd = moveTarget_ >= count;
  const QRect item = visualRect(model_->index(atEnd ? count - 1 : moveTarget_));
  const int x = atEnd ? item.right() : item.left();
  QPainter painter(viewport());
  painter.fillRect(QRect(x - 1, item.top(), 3, item.height()), palette().color(QPalette::Highlight));
}

void TViewer::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data->hasUrls())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TViewer::dragMoveEvent(QDragMoveEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data->hasUrls())
    event->acceptProposedAction();
  else
    event->ignore();
}

int TViewer::DropRow(const QPoint& point) const {
  const QModelIndex index = indexAt(point);
  const int count = collection_.Items.Count();
  if (!index.isValid()) {
    // Between items or past the last: before the first item that starts after the point.
    for (int row = 0; row < count; ++row) {
      const QRect rect = visualRect(model_->index(row));
      if (rect.top() > point.y() || (rect.bottom() >= point.y() && rect.left() > point.x())) return row;
    }
    return count;
  }
  const QRect rect = visualRect(index);
  return point.x() > rect.center().x() ? index.row() + 1 : index.row();
}

void TViewer::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  const int before = DropRow(event->position().toPoint());
  if (data->hasUrls()) {
    QStringList paths;
    for (const QUrl& url : data->urls())
      if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    if (!paths.isEmpty()) emit PathsDropped(paths, before);
    return;
  }
  event->ignore();
}

}  // namespace gliffo
