#include "glyphs/glyph_list.h"

#include <algorithm>
#include <string>

#include "glyphs/bitmap.h"
#include "glyphs/dialogs.h"
#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo {

TModeMenu::TModeMenu() { items_[0].Checked = true; }

int TModeMenu::Slot(int size) {
  switch (size) {
    case 16: return 0;
    case 24: return 1;
    case 32: return 2;
    default: return -1;
  }
}

const TMenuItemState* TModeMenu::ItemFor(int size) const {
  const int slot = Slot(size);
  return slot < 0 ? nullptr : &items_[slot];
}

void TModeMenu::Check(int size) {
  const int slot = Slot(size);
  if (slot < 0) return;
  bool changed = false;
  for (int i = 0; i < 3; ++i) {
    const bool checked = i == slot;
    if (items_[i].Checked != checked) {
      items_[i].Checked = checked;
      changed = true;
    }
  }
  if (changed && OnChange) OnChange();
}

void TModeMenu::SetEnabled(int size, bool enabled) {
  const int slot = Slot(size);
  if (slot < 0 || items_[slot].Enabled == enabled) return;
  items_[slot].Enabled = enabled;
  if (OnChange) OnChange();
}

std::string TListSource::Name() const {
  if (Kind == TListSourceKind::None) return {};
  std::string path = Path;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

TGlyphCollection::TGlyphCollection() = default;

void TGlyphCollection::StateChanged() {
  ++changes_;
  if (OnStateChange) OnStateChange();
}

void TGlyphCollection::RestoreRecovered(const TListState& state, std::vector<TGlyphOrigin> loadedOrigins,
                                        TListSource source, bool modified) {
  ClearGlyphList();
  if (state.Count > 0) {
    RestoreState(state);
    for (int k = 0; k < Items.Count(); ++k) Items.Item(k).SetSelected(false);
  } else if (state.GlyphSize != glyphSize_ && ModeMenu.ItemFor(state.GlyphSize) != nullptr) {
    // An empty list at another size: the size comes back as the mode command gives it, so the
    // editor's glyph of that size fits again.
    ModeMenu.Check(state.GlyphSize);
    glyphSize_ = state.GlyphSize;
    SizeEditor(glyphSize_);
  }
  StartFresh(state.Origins);
  loadedOrigins_ = std::move(loadedOrigins);
  MarkLoaded(std::move(source));
  SetModified(modified);
}

void TGlyphCollection::SetModified(bool modified) {
  if (!modified) savedDepth_ = static_cast<int>(undo_.size());
  if (modified_ == modified) return;
  modified_ = modified;
  StateChanged();
}

void TGlyphCollection::MarkLoaded(TListSource source) {
  savedDepth_ = static_cast<int>(undo_.size());
  if (!modified_ && source_ == source) return;
  modified_ = false;
  source_ = std::move(source);
  StateChanged();
}

std::string TGlyphCollection::DescribeGlyph(int index) const {
  std::string text = FormatMessage(texts::GlyphNumber, index);
  if (source_.Kind != TListSourceKind::None) text = FormatMessage(FormatMessage(texts::GlyphOfSource, index), source_.Name());
  return text;
}

void TGlyphCollection::SetGlyphSize(int value) {
  if (value < 1) throw EInvalidOperation(texts::InvalidImageSize);
  glyphSize_ = value;
}

void TGlyphCollection::SizeEditor(int size) {
  if (!editor_) return;
  editor_->SetGlyphImageSize(size);
  editor_->SetSurfacePenWidth(CellScaleFor(size));
}

void TGlyphCollection::RebuildNumberedItems() {
  const int count = ImageList1.Count();
  for (int k = 0; k < count; ++k) {
    TListItem& item = Items.Add();
    item.SetImageIndex(k);
    item.SetCaption(std::to_string(k));
  }
}

void TGlyphCollection::ApplyGlyphSize() {
  ImageList1.SetWidth(glyphSize_);
  ImageList1.SetHeight(glyphSize_);
  SizeEditor(glyphSize_);
  if (!ModeMenu.ItemFor(glyphSize_)) return;
  ModeMenu.Check(glyphSize_);
  for (int size : {16, 24, 32})
    if (size != glyphSize_) ModeMenu.SetEnabled(size, false);
}

void TGlyphCollection::AddfromEditor() {
  if (!editor_) return;
  ApplyGlyphSize();
  RecordStep();
  int n = 0;
  {
    TUpdateBracket bracket(Items);
    n = ImageList1.Add(editor_->GlyphBitmap());
    TListItem& item = Items.Add();
    item.SetImageIndex(n);
    item.SetCaption(std::to_string(n));
    SetModified(true);
  }
  editor_->GlyphKept(n);
}

bool TGlyphCollection::ReplaceSelected() {
  TListItem* selected = Items.Selected();
  return selected != nullptr && ReplaceCell(selected->ImageIndex());
}

bool TGlyphCollection::ReplaceCell(int cell) {
  if (!editor_ || cell < 0 || cell >= ImageList1.Count() || cell >= Items.Count()) return false;
  RecordStep();
  ImageList1.Replace(cell, editor_->GlyphBitmap());
  Items.RedrawItems(cell, cell);
  SetModified(true);
  editor_->GlyphKept(cell);
  return true;
}

void TGlyphCollection::SelectAll() {
  if (Items.Count() == 0) return;
  TUpdateBracket bracket(Items);
  for (int i = 0; i < Items.Count(); ++i) Items.Item(i).SetSelected(true);
}

void TGlyphCollection::InvertSelection() {
  if (Items.Count() == 0) return;
  TUpdateBracket bracket(Items);
  for (int i = 0; i < Items.Count(); ++i) {
    TListItem& item = Items.Item(i);
    item.SetSelected(!item.Selected());
  }
}

void TGlyphCollection::ClearGlyphList() {
  ImageList1.Clear();
  {
    TUpdateBracket bracket(Items);
    Items.Clear();
  }
  glyphSize_ = 16;
  ApplyGlyphSize();
  ModeMenu.Check(16);
  for (int size : {16, 24, 32}) ModeMenu.SetEnabled(size, true);
  StartFresh({});
  MarkLoaded({});
}

bool TGlyphCollection::Mode(int size, IDialogService& dialogs) {
  if (!ModeMenu.ItemFor(size)) return false;
  const bool cellsFit = ImageList1.Width() == size && ImageList1.Height() == size;
  if (ImageList1.Count() > 0 && !cellsFit) {
    // The cells can hold only one size: taking this one would drop every glyph.
    if (dialogs.Confirm(texts::ClearViewer) != TDialogAnswer::Yes) {
      // The window's radio item may already show the new check mark; let it mirror the model.
      if (ModeMenu.OnChange) ModeMenu.OnChange();
      return false;
    }
    ClearGlyphList();
  }
  ModeMenu.Check(size);
  glyphSize_ = size;
  SizeEditor(size);
  return true;
}

}  // namespace gliffo
