#pragma once
// The items of the glyph view: one per cell of the image list, each with a caption, the index
// of the cell it shows and a selected flag. Items are only appended or all cleared, never
// inserted or sorted, so an item's index is fixed for its life.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace gliffo {

class TListItems;

// What a view needs to hear. Nothing is reported while an update bracket is open; closing the
// outermost bracket reports ItemsChanged exactly once.
class IListItemsListener {
 public:
  virtual ~IListItemsListener() = default;
  // Items were added or removed, or a bracket closed: repaint the whole view.
  virtual void ItemsChanged() {}
  // Items first .. last (inclusive) need repainting (a replaced cell, a new caption).
  virtual void ItemsRedraw(int /*first*/, int /*last*/) {}
  // The selected flag of one item changed.
  virtual void ItemSelectionChanged(int /*index*/) {}
};

class TListItem {
 public:
  int Index() const { return index_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  bool Selected() const { return selected_; }
  void SetSelected(bool value);

 private:
  friend class TListItems;
  TListItem(TListItems* owner, int index) : owner_(owner), index_(index) {}
  TListItems* owner_;
  int index_;
  int imageIndex_ = -1;
  std::string caption_;
  bool selected_ = false;
};

class TListItems {
 public:
  TListItems() = default;
  TListItems(const TListItems&) = delete;
  TListItems& operator=(const TListItems&) = delete;

  // Appends an unselected item with no caption and image index -1; the reference stays valid
  // until Clear.
  TListItem& Add();
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TListItem& Item(int index) { return items_.at(static_cast<std::size_t>(index)); }
  const TListItem& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }

  // The selected item with the lowest index, or nullptr / -1 when none is selected.
  TListItem* Selected();
  const TListItem* Selected() const;
  int SelectedIndex() const;
  int SelCount() const { return selCount_; }

  // Asks the view to repaint items first .. last (clipped to the items that exist).
  void RedrawItems(int first, int last);

  // Nestable; the view repaints once when the outermost bracket closes.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  void AddListener(IListItemsListener* listener);
  void RemoveListener(IListItemsListener* listener);

 private:
  friend class TListItem;
  void SelectionChanging(int index, bool selected);
  void NotifyChanged();
  void NotifyRedraw(int first, int last);
  void NotifySelection(int index);

  std::deque<TListItem> items_;
  int selCount_ = 0;
  // No item below this index is selected; moved forward lazily by Selected().
  mutable int firstSelectedHint_ = 0;
  int updateCount_ = 0;
  std::vector<IListItemsListener*> listeners_;
};

// Opens a bracket for the life of a scope, so an exception still closes it.
class TUpdateBracket {
 public:
  explicit TUpdateBracket(TListItems& items) : items_(items) { items_.BeginUpdate(); }
  ~TUpdateBracket() { items_.EndUpdate(); }
  TUpdateBracket(const TUpdateBracket&) = delete;
  TUpdateBracket& operator=(const TUpdateBracket&) = delete;

 private:
  TListItems& items_;
};

}  // namespace gliffo
