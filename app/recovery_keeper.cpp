#include "app/recovery_keeper.h"

#include <ctime>

#include "collection/gliffo_form.h"
#include "editor/glyph_editor.h"
#include "glyphs/bitmap.h"
#include "glyphs/dialogs.h"
#include "glyphs/glyph_list.h"
#include "glyphs/recovery.h"
#include "platform/errors.h"

namespace gliffo {

TRecoveryKeeper::TRecoveryKeeper(TGliffoF& window, TGlyphEditor& editor, const std::string& root)
    : window_(window), list_(window.Collection()), editor_(editor) {
  if (root.empty()) return;
  try {
    folder_ = std::make_unique<TRecoveryFolder>(root);
  } catch (const Exception&) {
    // No state folder to be had: the program runs on without copies, as it always did.
    return;
  }
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  timer_.start(Interval);
}

TRecoveryKeeper::~TRecoveryKeeper() {
  timer_.stop();
  Wait();
}

std::string TRecoveryKeeper::Folder() const { return folder_ ? folder_->Path() : std::string(); }

void TRecoveryKeeper::Wait() {
  if (!writing_.valid()) return;
  try {
    writing_.get();
  } catch (...) {
    // A copy that could not be written (a full disk) is tried again at the next change.
    listChanges_ = editorChanges_ = setChanges_ = ~std::uint64_t{0};
    listOnDisk_ = setOnDisk_ = false;
  }
}

void TRecoveryKeeper::Tick() {
  if (!folder_) return;
  // The copy before is still being written: the next look comes soon enough.
  if (writing_.valid() && writing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
  Wait();
  // A stroke under way is no change yet, and its moves must not wait for a capture.
  if (editor_.Drawing()) return;
  // With a set shown, the list only holds the cell the editor has: the set is the work.
  const TIconSet* set = window_.IconSet();
  const bool listModified = set == nullptr && list_.Modified();
  if (!listModified && !(set != nullptr && set->Modified()) && !editor_.GlyphModified()) {
    if (kept_) {
      folder_->Clear();
      kept_ = listOnDisk_ = setOnDisk_ = false;
    }
    listChanges_ = editorChanges_ = setChanges_ = ~std::uint64_t{0};
    return;
  }
  const bool listChanged = list_.Changes() != listChanges_;
  const bool setChanged = (set != nullptr ? set->Changes() : 0) != setChanges_;
  // The editor may be given another cell of the set without a stroke.
  const auto editedCell = set != nullptr ? window_.EditedCell() : std::pair<std::string, std::string>();
  if (!listChanged && !setChanged && editor_.History().Changes() == editorChanges_ && editedCell == editedCell_) return;

  auto copy = std::make_shared<TRecoveryCopy>();
  copy->Time = static_cast<std::int64_t>(std::time(nullptr));
  if (set != nullptr) {
    copy->HasSet = true;
    // The set is copied only when it changed; otherwise its folder already holds it.
    copy->SetAsBefore = setOnDisk_ && !setChanged;
    if (!copy->SetAsBefore) copy->Set = set->Snapshot();
    copy->EditorSetIcon = editedCell.first;
    copy->EditorSetColumn = editedCell.second;
  } else {
    copy->Source = list_.Source();
    copy->ListModified = listModified;
    // The glyphs are copied only when they changed; otherwise the file already holds them.
    copy->ListAsBefore = listOnDisk_ && !listChanged;
    copy->List = copy->ListAsBefore ? TListState{} : list_.CaptureState();
  }
  if (copy->ListAsBefore) {
    copy->List.GlyphSize = list_.GlyphSize();
    copy->List.Count = list_.CellsMatchGlyphSize() ? list_.ImageList1.Count() : 0;
    for (int k = 0; k < copy->List.Count; ++k) copy->List.Origins.push_back(list_.Origin(k));
  }
  copy->LoadedOrigins = list_.LoadedOrigins();
  copy->EditorModified = editor_.GlyphModified();
  copy->EditorGlyph = std::make_shared<TBitmap>();
  copy->EditorGlyph->Assign(&editor_.Editor());
  // Its own pixels, so the helper reads nothing the editor may be writing.
  copy->EditorGlyph->WritableSurface();
  copy->EditorKeptFile = editor_.KeptFile();
  copy->EditorKeptCell = set != nullptr ? -1 : list_.CellWithKey(editor_.KeptCellKey());
  listChanges_ = list_.Changes();
  editorChanges_ = editor_.History().Changes();
  setChanges_ = set != nullptr ? set->Changes() : 0;
  editedCell_ = editedCell;
  kept_ = true;
  // The list file is written only while no set is shown.
  listOnDisk_ = set == nullptr;
  setOnDisk_ = set != nullptr;
  ++written_;
  TRecoveryFolder* folder = folder_.get();
  writing_ = std::async(std::launch::async, [folder, copy] { folder->Write(*copy); });
}

void TRecoveryKeeper::Finish() {
  timer_.stop();
  Wait();
  if (folder_) folder_->Remove();
  kept_ = listOnDisk_ = setOnDisk_ = false;
}

bool OfferLeftRecoveries(const std::string& root, TGliffoF& window, TGlyphEditor& editor, IDialogService& dialogs) {
  TGlyphCollection& list = window.Collection();
  std::vector<TFoundRecovery> found = FindLeftRecoveries(root);
  for (TFoundRecovery& left : found) {
    if (dialogs.Confirm(DescribeRecovery(left.Copy)) != TDialogAnswer::Yes) {
      DiscardRecovery(left.Folder);
      continue;
    }
    const TRecoveryCopy& copy = left.Copy;
    std::uint64_t keptKey = 0;
    if (copy.HasSet) {
      // Read whole before anything changes: a copy that cannot be read stays for the next start.
      window.ShowSet(std::make_unique<TIconSet>(TIconSet::Recover(copy.SetFolder, copy.SetInfo, list.Options)));
      // Unsaved strokes on a cell: the editor's Update goes into that cell, as before.
      if (copy.EditorGlyph && copy.EditorModified && !copy.EditorSetIcon.empty() &&
          window.EditSetCell(copy.EditorSetIcon, copy.EditorSetColumn))
        keptKey = list.CellKey(0);
    } else {
      list.RestoreRecovered(copy.List, copy.LoadedOrigins, copy.Source, copy.ListModified);
      keptKey = list.CellKey(copy.EditorKeptCell);
    }
    if (copy.EditorGlyph) {
      editor.RestoreGlyph(*copy.EditorGlyph, copy.EditorModified, keptKey, copy.EditorKeptFile);
      if (copy.EditorModified) editor.ShowEditor();
    }
    // This run keeps its own copy of the work from now on.
    DiscardRecovery(left.Folder);
    return true;
  }
  return false;
}

}  // namespace gliffo
