// The collection window's icon-set commands: the set view in the glyph view's place, the Icon
// Set menu, and the editor bridge. The work is the set model's (glyphs/icon_set.h); this file
// turns menu commands, keys and the view's signals into its calls and mirrors what it leaves.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <set>

#include "collection/gliffo_form.h"
#include "collection/set_check_list.h"
#include "collection/set_view.h"
#include "collection/strings.h"
#include "collection/viewer.h"
#include "glyphs/bitmap.h"
#include "glyphs/dark_theme.h"
#include "glyphs/set_diff.h"
#include "glyphs/dialogs.h"
#include "glyphs/set_check.h"
#include "platform/errors.h"
#include "ui/application_intf.h"
#include "ui/glyph_clipboard.h"

namespace gliffo {

namespace {

// Tells the window when the editor's Update wrote into the glyph list's one glyph.
class TSetEditWatch : public IImageListListener {
 public:
  TSetEditWatch(TImageList& list, std::function<void()> onUpdate) : list_(list), onUpdate_(std::move(onUpdate)) {
    list_.AddListener(this);
  }
  ~TSetEditWatch() override { list_.RemoveListener(this); }
  void ImageListChanged(const TImageListChange& change) override {
    if (change.Kind == TImageListChangeKind::Replaced && change.First == 0) onUpdate_();
  }

 private:
  TImageList& list_;
  std::function<void()> onUpdate_;
};

// The widest the window grows for a set; beyond it the view scrolls.
constexpr int MaxSetWindowWidth = 960;

}  // namespace

void TGliffoF::BuildSetView() {
  SetArea1 = new QScrollArea(centralWidget());
  SetArea1->setObjectName(QStringLiteral("SetArea1"));
  SetView1 = new TSetView(SetArea1);
  SetArea1->setWidget(SetView1);
  SetArea1->setWidgetResizable(false);
  SetArea1->hide();
  static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(SetArea1, 1);
  connect(SetView1, &TSetView::RenameRequested, this, [this](int icon) { app_.Guard([&] { RenameIcon(icon); }); });
  connect(SetView1, &TSetView::CellOpenRequested, this,
          [this](int icon, int column) { app_.Guard([&] { EditCell(icon, column); }); });
  connect(SetView1, &TSetView::MoveRequested, this, [this](int icon, int to) { app_.Guard([&] { MoveIcon(icon, to); }); });
  connect(SetView1, &TSetView::CurrentChanged, this, [this] {
    // The current cell stays in sight as the keys walk the set.
    if (SetShown() && SetView1->CurrentIcon() >= 0) {
      const QRect cell = SetView1->CellRect(SetView1->CurrentIcon(), SetView1->CurrentColumn());
      SetArea1->ensureVisible(cell.center().x(), cell.center().y(), cell.width(), cell.height());
    }
    MirrorSetState();
  });
  editWatch_ = std::make_unique<TSetEditWatch>(glyphs_.ImageList1, [this] { app_.Guard([this] { CellUpdated(); }); });

  IconSet1 = new QMenu(QString::fromUtf8(texts::MenuIconSet), MainMenu1);
  IconSet1->setObjectName(QStringLiteral("IconSet1"));
  MainMenu1->insertMenu(Help1->menuAction(), IconSet1);
  struct TCommand {
    QAction** Action;
    const char* Caption;
    const char* Name;
    void (TGliffoF::*Handler)();
    QKeySequence Keys;
    bool SeparatorBefore;
  };
  const TCommand commands[] = {
      {&SaveSet1, texts::MenuSaveSet, "SaveSet1", &TGliffoF::SaveSet1Click, QKeySequence(), false},
      {&CloseSet1, texts::MenuCloseSet, "CloseSet1", &TGliffoF::CloseSet1Click, QKeySequence(), false},
      {&AddIcon1, texts::MenuAddIcon, "AddIcon1", &TGliffoF::AddIcon1Click, QKeySequence(Qt::Key_Insert), true},
      {&RenameIcon1, texts::MenuRenameIcon, "RenameIcon1", &TGliffoF::RenameIcon1Click, QKeySequence(Qt::Key_F2), false},
      {&DeleteIcon1, texts::MenuDeleteIcon, "DeleteIcon1", &TGliffoF::DeleteIcon1Click, QKeySequence(Qt::Key_Delete), false},
      {&MoveIconUp1, texts::MenuMoveIconUp, "MoveIconUp1", &TGliffoF::MoveIconUp1Click, QKeySequence(Qt::CTRL | Qt::Key_Up), false},
      {&MoveIconDown1, texts::MenuMoveIconDown, "MoveIconDown1", &TGliffoF::MoveIconDown1Click,
       QKeySequence(Qt::CTRL | Qt::Key_Down), false},
      {&EditCell1, texts::MenuEditCell, "EditCell1", &TGliffoF::EditCell1Click, QKeySequence(Qt::Key_Return), true},
      {&CopyCell1, texts::MenuCopyCell, "CopyCell1", &TGliffoF::CopyCell1Click, QKeySequence(Qt::CTRL | Qt::Key_C), false},
      {&PasteCell1, texts::MenuPasteCell, "PasteCell1", &TGliffoF::PasteCell1Click, QKeySequence(Qt::CTRL | Qt::Key_V), false},
      {&FillFromSize1, texts::MenuFillFromSize, "FillFromSize1", &TGliffoF::FillFromSize1Click, QKeySequence(), false},
      {&CheckSet1, texts::MenuCheckSet, "CheckSet1", &TGliffoF::CheckSet1Click, QKeySequence(), false},
      {&MakeDarkTheme1, texts::MenuMakeDarkTheme, "MakeDarkTheme1", &TGliffoF::MakeDarkTheme1Click, QKeySequence(), false},
      {&CompareWith1, texts::MenuCompareWith, "CompareWith1", &TGliffoF::CompareWith1Click, QKeySequence(), false},
      {&UndoSet1, texts::MenuUndo, "UndoSet1", &TGliffoF::UndoSet1Click, QKeySequence(Qt::CTRL | Qt::Key_Z), true},
      {&RedoSet1, texts::MenuRedo, "RedoSet1", &TGliffoF::RedoSet1Click, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), false},
  };
  for (const TCommand& command : commands) {
    if (command.SeparatorBefore) IconSet1->addSeparator();
    QAction* action = AddCommand(IconSet1, command.Caption, command.Handler);
    action->setObjectName(QString::fromLatin1(command.Name));
    if (!command.Keys.isEmpty()) {
      // The keys act while the set view has the focus, as the glyph view's act on it.
      action->setShortcut(command.Keys);
      action->setShortcutContext(Qt::WidgetShortcut);
      SetView1->addAction(action);
    }
    *command.Action = action;
  }
  MirrorSetState();
}

int TGliffoF::SetViewWidth() const {
  if (!SetShown() || SetView1 == nullptr) return 0;
  const int frame = 2 * SetArea1->frameWidth() + SetArea1->verticalScrollBar()->sizeHint().width();
  return std::min(MaxSetWindowWidth, SetView1->sizeHint().width() + frame);
}

void TGliffoF::OpenSet(const std::string& fileName, bool askFirst) {
  if (askFirst && !MaySaveChanges()) return;
  ShowSet(std::make_unique<TIconSet>(TIconSet::Open(fileName, glyphs_.Options)));
}

void TGliffoF::ShowSet(std::unique_ptr<TIconSet> set) {
  // The glyph list stands aside: empty, it is where the editor's cell is held.
  glyphs_.ClearGlyphList();
  iconSet_ = std::move(set);
  editName_.clear();
  editColumn_ = -1;
  for (QWidget* classic : {TopPanel1, FolderListPlace1, static_cast<QWidget*>(viewer)}) classic->hide();
  // The glyph list's commands would act on the list standing aside, not on the set.
  for (QMenu* menu : {Edit1, Glyphs1}) menu->menuAction()->setEnabled(false);
  for (QAction* action : {SaveCollection, ExportBitmap1}) action->setEnabled(false);
  SetView1->SetIconSet(iconSet_.get());
  SetArea1->show();
  FitFrame();
  SetView1->setFocus();
  MirrorSetState();
}

void TGliffoF::CloseSetView(bool clearList) {
  if (CheckList1 != nullptr) CheckList1->hide();
  iconSet_.reset();
  editName_.clear();
  editColumn_ = -1;
  SetView1->SetIconSet(nullptr);
  SetArea1->hide();
  for (QWidget* classic : {TopPanel1, FolderListPlace1, static_cast<QWidget*>(viewer)}) classic->show();
  for (QMenu* menu : {Edit1, Glyphs1}) menu->menuAction()->setEnabled(true);
  for (QAction* action : {SaveCollection, ExportBitmap1}) action->setEnabled(true);
  if (clearList) glyphs_.ClearGlyphList();
  FitFrame();
  MirrorSetState();
  MirrorState();
}

bool TGliffoF::MaySaveSet() {
  if (!iconSet_ || !iconSet_->Modified()) return true;
  const TDialogAnswer answer = app_.Dialogs().ConfirmWithCancel(texts::SaveSetChanges);
  if (answer == TDialogAnswer::Cancel) return false;
  if (answer == TDialogAnswer::Yes) {
    iconSet_->Save();
    MirrorSetState();
  }
  return true;
}

void TGliffoF::SetChanged() {
  SetView1->Refresh();
  FitFrame();
  MirrorSetState();
}

void TGliffoF::MirrorSetState() {
  const bool shown = SetShown();
  if (IconSet1 == nullptr) return;
  const bool hasIcon = shown && SetView1->CurrentIcon() >= 0;
  for (QAction* action : {SaveSet1, CloseSet1, AddIcon1, FillFromSize1, CheckSet1, MakeDarkTheme1, CompareWith1})
    action->setEnabled(shown);
  // Ctrl+S saves what is shown: the set, or the glyph list through its classic item.
  SaveSet1->setShortcut(shown ? QKeySequence(Qt::CTRL | Qt::Key_S) : QKeySequence());
  SaveCollection->setShortcut(shown ? QKeySequence() : QKeySequence(Qt::CTRL | Qt::Key_S));
  for (QAction* action : {RenameIcon1, DeleteIcon1, MoveIconUp1, MoveIconDown1, EditCell1, CopyCell1, PasteCell1})
    action->setEnabled(hasIcon);
  EditCell1->setEnabled(hasIcon && editor_ != nullptr);
  UndoSet1->setEnabled(shown && iconSet_->CanUndo());
  RedoSet1->setEnabled(shown && iconSet_->CanRedo());
  if (!shown) return;
  // "Gliffo 2 - *icons.glyphset", as the glyph list's title reads.
  std::string name = iconSet_->FileName();
  name = name.substr(name.find_last_of('/') == std::string::npos ? 0 : name.find_last_of('/') + 1);
  setWindowTitle(QString::fromStdString(app_.Title() + texts::TitleSeparator +
                                        (iconSet_->Modified() ? texts::ModifiedMark : "") + name));
}

// --- Commands --------------------------------------------------------------------------------

void TGliffoF::SaveSet1Click() {
  if (!iconSet_) return;
  iconSet_->Save();
  SetChanged();
}

void TGliffoF::CloseSet1Click() {
  if (!SetShown() || !MaySaveSet()) return;
  CloseSetView(true);
}

void TGliffoF::AddIcon1Click() {
  if (!iconSet_) return;
  const auto name = app_.Dialogs().InputBox(texts::AddIconCaption, texts::IconNamePrompt, "");
  if (!name) return;
  // After the current icon, as a paste goes after the selection.
  const int at = SetView1->CurrentIcon() + 1;
  iconSet_->Add(*name, at);
  SetView1->SetCurrent(at, SetView1->CurrentColumn());
  SetChanged();
}

void TGliffoF::RenameIcon(int icon) {
  if (!iconSet_ || icon < 0 || icon >= iconSet_->IconCount()) return;
  const std::string old = iconSet_->Icons()[static_cast<std::size_t>(icon)];
  const auto name = app_.Dialogs().InputBox(texts::RenameIconCaption, texts::IconNamePrompt, old);
  if (!name || *name == old) return;
  iconSet_->Rename(icon, *name);
  if (editName_ == old) editName_ = *name;
  SetChanged();
}

void TGliffoF::RenameIcon1Click() { RenameIcon(SetView1->CurrentIcon()); }

void TGliffoF::DeleteIcon1Click() {
  if (!iconSet_ || SetView1->CurrentIcon() < 0) return;
  iconSet_->Remove(SetView1->CurrentIcon());
  SetChanged();
}

void TGliffoF::MoveIcon(int icon, int to) {
  if (!iconSet_ || icon < 0 || to < 0 || to >= iconSet_->IconCount() || icon == to) return;
  iconSet_->Move(icon, to);
  SetView1->SetCurrent(to, SetView1->CurrentColumn());
  SetChanged();
}

void TGliffoF::MoveIconUp1Click() { MoveIcon(SetView1->CurrentIcon(), SetView1->CurrentIcon() - 1); }
void TGliffoF::MoveIconDown1Click() { MoveIcon(SetView1->CurrentIcon(), SetView1->CurrentIcon() + 1); }

void TGliffoF::EditCell(int icon, int column) {
  if (!iconSet_ || editor_ == nullptr || icon < 0 || column < 0) return;
  const int size = iconSet_->Column(column).Size;
  TBitmap cell;
  cell.ReplaceImage(iconSet_->CellImage(icon, column));
  // The glyph list holds the cell as its one glyph, selected, so the editor's Update writes it.
  glyphs_.ImageList1.Clear();
  {
    TUpdateBracket bracket(glyphs_.Items);
    glyphs_.Items.Clear();
    glyphs_.SetGlyphSize(size);
    glyphs_.ApplyGlyphSize();
    glyphs_.ImageList1.Add(cell);
    glyphs_.RebuildNumberedItems();
    glyphs_.Items.Item(0).SetSelected(true);
  }
  glyphs_.StartFresh({});
  editName_ = iconSet_->Icons()[static_cast<std::size_t>(icon)];
  editColumn_ = column;
  glyphs_.MarkLoaded({TListSourceKind::File, editName_ + " " + iconSet_->Column(column).Key});
  editor_->EditGlyph(glyphs_.ImageList1, 0);
}

std::pair<std::string, std::string> TGliffoF::EditedCell() const {
  if (!iconSet_ || editColumn_ < 0 || iconSet_->IndexOf(editName_) < 0) return {};
  return {editName_, iconSet_->Column(editColumn_).Key};
}

bool TGliffoF::EditSetCell(const std::string& icon, const std::string& key) {
  if (!iconSet_ || editor_ == nullptr) return false;
  const int index = iconSet_->IndexOf(icon), column = iconSet_->ColumnOf(key);
  if (index < 0 || column < 0) return false;
  EditCell(index, column);
  return true;
}

void TGliffoF::EditCell1Click() { EditCell(SetView1->CurrentIcon(), SetView1->CurrentColumn()); }

void TGliffoF::CellUpdated() {
  if (!iconSet_ || editColumn_ < 0 || glyphs_.ImageList1.Count() < 1) return;
  const int icon = iconSet_->IndexOf(editName_);
  if (icon < 0) return;  // deleted since it was opened: there is nowhere to write it
  const int size = iconSet_->Column(editColumn_).Size;
  if (glyphs_.ImageList1.Width() != size) return;
  TBitmapImage picture;
  picture.Width = size;
  picture.Height = size;
  AllocateStoreBits(picture.Bits, std::int64_t{size} * size * 4);
  std::memcpy(picture.Bits.data(), glyphs_.ImageList1.CellPixels(0), picture.Bits.size());
  iconSet_->SetCell(icon, editColumn_, picture);
  SetChanged();
}

void TGliffoF::CopyCell1Click() {
  if (!iconSet_ || SetView1->CurrentIcon() < 0) return;
  TBitmap cell;
  cell.ReplaceImage(iconSet_->CellImage(SetView1->CurrentIcon(), SetView1->CurrentColumn()));
  PutOnClipboard(cell);
}

void TGliffoF::PasteCell1Click() {
  if (!iconSet_ || SetView1->CurrentIcon() < 0) return;
  TBitmap picture;
  if (!TakeFromClipboard(picture)) {
    app_.Dialogs().ShowMessage(texts::ClipboardNoImage);
    return;
  }
  const int size = iconSet_->Column(SetView1->CurrentColumn()).Size;
  if (picture.Height() != size || picture.Width() < size) {
    app_.Dialogs().ShowMessage(FormatMessage(FormatMessage(texts::ClipboardWrongCellSize, picture.Height()), size));
    return;
  }
  // A strip pasted gives its first glyph.
  TBitmap cell;
  cell.SetPixelFormat(TPixelFormat::pf32bit);
  cell.SetWidth(size);
  cell.SetHeight(size);
  picture.Draw(cell.Canvas(), 0, 0);
  iconSet_->SetCell(SetView1->CurrentIcon(), SetView1->CurrentColumn(), cell.Image());
  SetChanged();
}

void TGliffoF::FillFromSize1Click() {
  if (!iconSet_) return;
  const int to = SetView1->CurrentColumn();
  const TSetColumn& target = iconSet_->Column(to);
  // The smallest size of the same theme is where drawing usually starts.
  std::string offered;
  for (int c = 0; c < iconSet_->ColumnCount(); ++c)
    if (iconSet_->Column(c).Theme == target.Theme && c != to && offered.empty()) offered = iconSet_->Column(c).Key;
  const auto answer = app_.Dialogs().InputBox(texts::FillFromSizeCaption, FormatMessage(texts::FillFromSizePrompt, target.Key),
                                              offered);
  if (!answer) return;
  const int from = iconSet_->ColumnOf(*answer);
  if (from < 0) {
    app_.Dialogs().ShowMessage(FormatMessage(texts::NoSuchSetSize, *answer));
    return;
  }
  const int filled = iconSet_->FillFromSize(from, to);
  StatusBar1->showMessage(QString::fromStdString(FormatMessage(FormatMessage(texts::CellsFilled, filled), *answer)));
  SetChanged();
}

void TGliffoF::MakeDarkTheme1Click() {
  if (!iconSet_) return;
  const std::vector<std::string>& themes = iconSet_->Themes();
  const auto dark = std::find(themes.begin(), themes.end(), texts::DarkThemeName);
  if (dark == themes.end()) {
    app_.Dialogs().ShowMessage(texts::NoDarkTheme);
    return;
  }
  // From the first theme that is not the dark one: the set's light theme.
  const std::string& from = dark == themes.begin() && themes.size() > 1 ? themes[1] : themes.front();
  const int made = MakeDarkTheme(*iconSet_, *dark, from);
  StatusBar1->showMessage(QString::fromStdString(FormatMessage(FormatMessage(texts::DarkCellsMade, made), from)));
  SetChanged();
}

void TGliffoF::CompareWith1Click() {
  if (!iconSet_) return;
  TOpenFileRequest request;
  request.Filter = std::string(texts::SetDialogName) + "|*." + texts::SetExtension;
  request.Title = texts::CompareWithTitle;
  const auto names = app_.Dialogs().OpenFiles(request);
  if (!names || names->empty()) return;
  const TIconSet other = TIconSet::Open(names->front(), glyphs_.Options);
  CheckStripsPresent(other);
  const TSideDiff diff = DiffSides(DiffSideOf(other), DiffSideOf(*iconSet_));
  std::set<std::pair<std::string, std::string>> marks;
  int counts[5] = {};
  for (const TIconDiff& icon : diff.Icons) {
    ++counts[static_cast<int>(icon.Status)];
    if (icon.Status == TDiffStatus::Added) {
      for (int c = 0; c < iconSet_->ColumnCount(); ++c) marks.emplace(icon.Name, iconSet_->Column(c).Key);
    } else if (icon.Status != TDiffStatus::Removed) {
      for (const std::string& key : icon.ChangedColumns) marks.emplace(icon.Name, key);
    }
  }
  SetView1->SetMarks(std::move(marks));
  std::string shown = names->front();
  shown = shown.substr(shown.find_last_of('/') == std::string::npos ? 0 : shown.find_last_of('/') + 1);
  std::string summary = FormatMessage(texts::CompareSummary, shown);
  for (const TDiffStatus status : {TDiffStatus::Changed, TDiffStatus::Added, TDiffStatus::Removed, TDiffStatus::Moved})
    summary = FormatMessage(summary, counts[static_cast<int>(status)]);
  StatusBar1->showMessage(QString::fromStdString(summary));
}

void TGliffoF::UndoSet1Click() {
  if (iconSet_ && iconSet_->Undo()) SetChanged();
}

void TGliffoF::RedoSet1Click() {
  if (iconSet_ && iconSet_->Redo()) SetChanged();
}

void TGliffoF::CheckSet1Click() {
  if (!iconSet_) return;
  if (CheckList1 == nullptr) {
    CheckList1 = new TSetCheckList(this);
    connect(CheckList1, &TSetCheckList::ProblemChosen, this, [this](int icon, const QString& name, int column) {
      if (!iconSet_) return;
      // Found by name where the set changed since the check.
      const int named = iconSet_->IndexOf(name.toStdString());
      if (named >= 0) icon = named;
      if (icon < 0 || icon >= iconSet_->IconCount()) return;
      SetView1->SetCurrent(icon, column < 0 || column >= iconSet_->ColumnCount() ? SetView1->CurrentColumn() : column);
    });
  }
  std::vector<TSetProblem> problems = CheckIconSet(*iconSet_);
  StatusBar1->showMessage(QString::fromStdString(FormatMessage(texts::CheckSetFound, static_cast<long long>(problems.size()))));
  CheckList1->ShowProblems(std::move(problems));
}

}  // namespace gliffo
