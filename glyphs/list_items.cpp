#include "glyphs/list_items.h"

#include <algorithm>

namespace gliffo {

void TListItem::SetCaption(const std::string& value) {
  if (caption_ == value) return;
  caption_ = value;
  owner_->NotifyRedraw(index_, index_);
}

void TListItem::SetImageIndex(int value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  owner_->NotifyRedraw(index_, index_);
}

void TListItem::SetSelected(bool value) {
  if (selected_ == value) return;
  owner_->SelectionChanging(index_, value);
  selected_ = value;
  owner_->NotifySelection(index_);
}

TListItem& TListItems::Add() {
  items_.push_back(TListItem(this, Count()));
  NotifyChanged();
  return items_.back();
}

void TListItems::Clear() {
  if (items_.empty()) return;
  items_.clear();
  selCount_ = 0;
  firstSelectedHint_ = 0;
  NotifyChanged();
}

const TListItem* TListItems::Selected() const {
  if (selCount_ == 0) return nullptr;
  // The hint only ever moves forward past unselected items, so a run of look-ups between
  // selection changes costs one pass at most.
  while (firstSelectedHint_ < Count() && !items_[static_cast<std::size_t>(firstSelectedHint_)].selected_)
    ++firstSelectedHint_;
  return firstSelectedHint_ < Count() ? &items_[static_cast<std::size_t>(firstSelectedHint_)] : nullptr;
}

TListItem* TListItems::Selected() {
  return const_cast<TListItem*>(static_cast<const TListItems*>(this)->Selected());
}

int TListItems::SelectedIndex() const {
  const TListItem* item = Selected();
  return item ? item->Index() : -1;
}

void TListItems::SelectionChanging(int index, bool selected) {
  if (selected) {
    ++selCount_;
    firstSelectedHint_ = std::min(firstSelectedHint_, index);
  } else {
    --selCount_;
  }
}

void TListItems::RedrawItems(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, Count() - 1);
  if (first > last) return;
  NotifyRedraw(first, last);
}

void TListItems::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) {
    for (IListItemsListener* listener : std::vector<IListItemsListener*>(listeners_)) listener->ItemsChanged();
  }
}

void TListItems::AddListener(IListItemsListener* listener) {
  if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
    listeners_.push_back(listener);
}

void TListItems::RemoveListener(IListItemsListener* listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TListItems::NotifyChanged() {
  if (updateCount_ > 0) return;
  for (IListItemsListener* listener : std::vector<IListItemsListener*>(listeners_)) listener->ItemsChanged();
}

void TListItems::NotifySelection(int index) {
  if (updateCount_ > 0) return;
  for (IListItemsListener* listener : std::vector<IListItemsListener*>(listeners_)) listener->ItemSelectionChanged(index);
}

void TListItems::NotifyRedraw(int first, int last) {
  if (updateCount_ > 0) return;
  for (IListItemsListener* listener : std::vector<IListItemsListener*>(listeners_)) listener->ItemsRedraw(first, last);
}

}  // namespace gliffo
