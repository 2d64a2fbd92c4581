#include "collection/gliffo_form.h"

#include <QActionGroup>
#include <algorithm>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QCloseEvent>
#include <filesystem>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "collection/folder_browser.h"
#include "collection/options_menu.h"
#include "collection/strings.h"
#include "collection/viewer.h"
#include "glyphs/bitmap.h"
#include "glyphs/collection_files.h"
#include "glyphs/glyph_exports.h"
#include "glyphs/save_back.h"
#include "glyphs/dialogs.h"
#include "platform/drives/folder_lines.h"
#include "platform/drives/folder_listing.h"
#include "platform/errors.h"
#include "platform/profile/window_placement.h"
#include "ui/application_intf.h"
#include "ui/design_frame.h"
#include "ui/glyph_clipboard.h"
#include "ui/window_placement_qt.h"

namespace gliffo {

namespace {

// Design values of the window, in pixels at 120 pixels per inch.
constexpr int DesignClientWidth = 212;
constexpr int DesignClientHeight = 448;
constexpr int DesignLeft = 184;
constexpr int DesignTop = 115;
constexpr int DesignTopPanelHeight = 41;
constexpr int DesignFolderListHeight = 96;
constexpr int DesignStatusBarHeight = 19;
constexpr int DesignMinimumGridHeight = 60;
constexpr std::size_t HelpMacroLimit = 255;

// Keeps the view's selection still while the glyph list flips many flags, then lets it follow
// once, even when the command fails half-way.
class TSelectionBatch {
 public:
  explicit TSelectionBatch(TViewer& viewer) : viewer_(viewer) { viewer_.BeginSelectionBatch(); }
  ~TSelectionBatch() { viewer_.EndSelectionBatch(); }
  TSelectionBatch(const TSelectionBatch&) = delete;
  TSelectionBatch& operator=(const TSelectionBatch&) = delete;

 private:
  TViewer& viewer_;
};

}  // namespace

TGliffoF::TGliffoF(IApplication& application, QWidget* parent)
    : QMainWindow(parent), app_(application), placed_(std::make_unique<TPlacedQtWindow>(*this)) {
  setObjectName(QStringLiteral("GliffoF"));
  setWindowTitle(QString::fromStdString(app_.Title()));

  scale_ = ScreenDesignScale();
  SetDesignFrame(*this, scale_);
  // Unlike the classic window, this one is sized to the set it shows: a big folder wants room.
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);

  BuildMenu();
  BuildClient();
  // The folder browser (collection/folder_browser.h) fills the top panel and the folder-list
  // place, feeds the glyph list and shows the current directory; its event handlers run inside
  // the guard.
  browser_ = BuildFolderBrowser(*this, TopPanel1, FolderListPlace1, [this](int value) { return Scaled(value); },
                                glyphs_, [this](const std::function<void()>& handler) { app_.Guard(handler); });
  // Browsing into another folder replaces the glyphs only when that folder holds BMP files.
  browser_->RzDirectoryListBox1->CanChange = [this](const std::string& folder) {
    if (!glyphs_.Modified()) return true;
    try {
      if (drives::ListFolderFiles(folder).empty()) return true;
    } catch (const Exception&) {
      // Unlistable: the move itself will say why; asking first does no harm.
    }
    return SaveChangesCommand(glyphs_, app_.Dialogs());
  };
  // Choices beyond the classic program, in a menu of their own, read from the settings (the
  // creation handler finds the same file again for the placement).
  settings_ = profile::SettingsLocationFor(app_.ExeName());
  BuildOptionsMenu(*MainMenu1, Help1, findChild<TFileListBox*>(), glyphs_.Options, settings_,
                   [this](const std::function<void()>& handler) { app_.Guard(handler); });
  BuildSetView();
  BuildKeys();
  FitFrame();
  // The classic size and place at first start; the settings may say otherwise.
  resize(DesignSize());
  move(DesignLeft, DesignTop);

  glyphs_.ModeMenu.OnChange = [this] { MirrorModeMenu(); };
  glyphs_.OnStateChange = [this] { MirrorState(); };
  MirrorModeMenu();
  MirrorState();
  UpdateEditorCommands();
  app_.Guard([this] { FormCreate(); });
}

TGliffoF::~TGliffoF() {
  app_.Guard([this] { FormDestroy(); });
  glyphs_.ModeMenu.OnChange = nullptr;
  glyphs_.OnStateChange = nullptr;
  if (editorWindow_ != nullptr) editorWindow_->removeEventFilter(this);
  // The view listens to the glyph list, which dies with this object, before the child widgets.
  delete takeCentralWidget();
  viewer = nullptr;
}

int TGliffoF::Scaled(int designValue) const { return ScaledBy(scale_, designValue); }

void TGliffoF::FormCreate() {
  std::string exeName = app_.ExeName();
  appDir_ = profile::DirectoryOf(exeName);
  glyphs_.SetGlyphSize(16);
  settings_ = profile::SettingsLocationFor(exeName);
  profile::LoadWindowPlacement(*placed_, profile::CollectionWindowSection, settings_.ReadPath);
}

void TGliffoF::FormDestroy() {
  // A missing configuration folder is made first; if that fails, the write below says so.
  profile::MakeParentFolders(settings_.WritePath);
  profile::SaveWindowPlacement(*placed_, profile::CollectionWindowSection, settings_.WritePath);
}

QAction* TGliffoF::AddCommand(QMenu* menu, const char* caption, void (TGliffoF::*handler)()) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  connect(action, &QAction::triggered, this, [this, handler] { RunCommand(handler); });
  return action;
}

void TGliffoF::BuildMenu() {
  MainMenu1 = menuBar();
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  MainMenu1->setNativeMenuBar(false);

  File1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuFile));
  OpenCollection1 = AddCommand(File1, texts::MenuOpenCollection, &TGliffoF::OpenCollection1Click);
  SaveCollection = AddCommand(File1, texts::MenuSaveCollection, &TGliffoF::SaveCollectionClick);
  CombineCollections1 = AddCommand(File1, texts::MenuCombineCollections, &TGliffoF::CombineCollections1Click);
  File1->addSeparator();
  ExportBitmap1 = AddCommand(File1, texts::MenuExportBitmap, &TGliffoF::ExportBitmap1Click);
  File1->addSeparator();
  Close1 = AddCommand(File1, texts::MenuClose, &TGliffoF::Close1Click);

  Edit1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuEdit));
  Image1 = AddCommand(Edit1, texts::MenuImage, &TGliffoF::Image1Click);
  AddfromEditor1 = AddCommand(Edit1, texts::MenuAddFromEditor, &TGliffoF::AddfromEditor1Click);
  Edit1->addSeparator();
  SelectAll1 = AddCommand(Edit1, texts::MenuSelectAll, &TGliffoF::SelectAll1Click);
  SelectAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  InvertSelection1 = AddCommand(Edit1, texts::MenuInvertSelection, &TGliffoF::InvertSelection1Click);

  Tools1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuTools));
  BMPEditor1 = AddCommand(Tools1, texts::MenuBmpEditor, &TGliffoF::BMPEditor1Click);
  Tools1->addSeparator();
  bmp16 = AddCommand(Tools1, texts::Menu16Mode, &TGliffoF::bmp16Click);
  bmp24 = AddCommand(Tools1, texts::Menu24Mode, &TGliffoF::bmp24Click);
  bmp32 = AddCommand(Tools1, texts::Menu32Mode, &TGliffoF::bmp32Click);
  modeGroup_ = new QActionGroup(this);
  modeGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  for (QAction* item : {bmp16, bmp24, bmp32}) {
    item->setCheckable(true);
    modeGroup_->addAction(item);
  }

  BuildGlyphsMenu();

  Help1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuHelp));
  Contents1 = AddCommand(Help1, texts::MenuContents, &TGliffoF::Contents1Click);
  Contents1->setShortcut(QKeySequence(Qt::Key_F1));
  Help1->addSeparator();
  About1 = AddCommand(Help1, texts::MenuAbout, &TGliffoF::About1Click);

  const std::pair<QObject*, const char*> names[] = {
      {File1, "File1"}, {OpenCollection1, "OpenCollection1"}, {SaveCollection, "SaveCollection"},
      {CombineCollections1, "CombineCollections1"}, {ExportBitmap1, "ExportBitmap1"}, {Close1, "Close1"},
      {Edit1, "Edit1"}, {Image1, "Image1"}, {AddfromEditor1, "AddfromEditor1"}, {SelectAll1, "SelectAll1"},
      {InvertSelection1, "InvertSelection1"}, {Tools1, "Tools1"}, {BMPEditor1, "BMPEditor1"},
      {bmp16, "bmp16"}, {bmp24, "bmp24"}, {bmp32, "bmp32"}, {Help1, "Help1"}, {Contents1, "Contents1"},
      {About1, "About1"}};
  for (const auto& [object, name] : names) object->setObjectName(QString::fromLatin1(name));
}

void TGliffoF::BuildGlyphsMenu() {
  Glyphs1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuGlyphs));
  Glyphs1->setObjectName(QStringLiteral("Glyphs1"));
  struct TCommand {
    QAction** Action;
    const char* Caption;
    const char* Name;
    void (TGliffoF::*Handler)();
    QKeySequence Keys;
    bool SeparatorBefore;
  };
  const TCommand commands[] = {
      {&Undo1, texts::MenuUndo, "Undo1", &TGliffoF::Undo1Click, QKeySequence(Qt::CTRL | Qt::Key_Z), false},
      {&Redo1, texts::MenuRedo, "Redo1", &TGliffoF::Redo1Click, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), false},
      {&Delete1, texts::MenuDelete, "Delete1", &TGliffoF::Delete1Click, QKeySequence(Qt::Key_Delete), true},
      {&MoveLeft1, texts::MenuMoveLeft, "MoveLeft1", &TGliffoF::MoveLeft1Click, QKeySequence(Qt::CTRL | Qt::Key_Left), false},
      {&MoveRight1, texts::MenuMoveRight, "MoveRight1", &TGliffoF::MoveRight1Click, QKeySequence(Qt::CTRL | Qt::Key_Right), false},
      {&Duplicate1, texts::MenuDuplicate, "Duplicate1", &TGliffoF::Duplicate1Click, QKeySequence(Qt::CTRL | Qt::Key_D), false},
      {&Copy1, texts::MenuCopy, "Copy1", &TGliffoF::Copy1Click, QKeySequence(Qt::CTRL | Qt::Key_C), true},
      {&Paste1, texts::MenuPaste, "Paste1", &TGliffoF::Paste1Click, QKeySequence(Qt::CTRL | Qt::Key_V), false},
      {&SaveBack1, texts::MenuSaveBack, "SaveBack1", &TGliffoF::SaveBack1Click, QKeySequence(), true},
  };
  for (const TCommand& command : commands) {
    if (command.SeparatorBefore) Glyphs1->addSeparator();
    QAction* action = AddCommand(Glyphs1, command.Caption, command.Handler);
    action->setObjectName(QString::fromLatin1(command.Name));
    if (!command.Keys.isEmpty()) {
      // The keys act while the glyph view has the focus, so the folder list keeps its own.
      action->setShortcut(command.Keys);
      action->setShortcutContext(Qt::WidgetShortcut);
    }
    *command.Action = action;
  }
  Glyphs1->addSeparator();
  ExportIcon1 = AddCommand(Glyphs1, texts::MenuExportIcon, &TGliffoF::ExportIcon1Click);
  ExportIcon1->setObjectName(QStringLiteral("ExportIcon1"));
  ExportScaled1 = Glyphs1->addMenu(QString::fromUtf8(texts::MenuExportScaled));
  ExportScaled1->setObjectName(QStringLiteral("ExportScaled1"));
  const std::pair<const char*, TScaleFactor> factors[] = {
      {texts::MenuScaled15, TScaleFactor::By1_5}, {texts::MenuScaled2, TScaleFactor::By2}, {texts::MenuScaled3, TScaleFactor::By3}};
  for (const auto& [caption, factor] : factors) {
    QAction* action = ExportScaled1->addAction(QString::fromUtf8(caption));
    connect(action, &QAction::triggered, this,
            [this, factor = factor] { app_.Guard([&] { ExportScaledCommand(glyphs_, factor, app_.Dialogs()); }); });
  }
}

void TGliffoF::BuildKeys() {
  // The window's keys show in the menus: Ctrl+O and Ctrl+S on their classic items (which
  // gain no item and lose none), F5 and Ctrl+Q, which have no classic item, in a menu of their
  // own beside the classic ones.
  OpenKey = OpenCollection1;
  OpenKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  SaveKey = SaveCollection;
  SaveKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  Window1 = new QMenu(QString::fromUtf8(texts::MenuWindow), MainMenu1);
  Window1->setObjectName(QStringLiteral("Window1"));
  MainMenu1->insertMenu(Help1->menuAction(), Window1);
  ReloadKey = AddCommand(Window1, texts::MenuReloadFolder, &TGliffoF::ReloadFolder);
  ReloadKey->setObjectName(QStringLiteral("ReloadKey"));
  ReloadKey->setShortcut(QKeySequence(Qt::Key_F5));
  Window1->addSeparator();
  QuitKey = Window1->addAction(QString::fromUtf8(texts::MenuQuit));
  QuitKey->setObjectName(QStringLiteral("QuitKey"));
  QuitKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(QuitKey, &QAction::triggered, this, [this] { close(); });
  for (QAction* action : {OpenKey, SaveKey, ReloadKey, QuitKey}) action->setShortcutContext(Qt::WindowShortcut);
}

void TGliffoF::BuildClient() {
  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  // The folder browser is built into these two places; until then they stay empty.
  TopPanel1 = new QWidget(client);
  TopPanel1->setObjectName(QStringLiteral("TopPanel1"));
  TopPanel1->setFixedHeight(Scaled(DesignTopPanelHeight));
  FolderListPlace1 = new QWidget(client);
  FolderListPlace1->setObjectName(QStringLiteral("FolderListPlace1"));
  FolderListPlace1->setFixedHeight(Scaled(DesignFolderListHeight));
  layout->addWidget(TopPanel1);
  layout->addWidget(FolderListPlace1);

  viewer = new TViewer(glyphs_, client);
  layout->addWidget(viewer, 1);
  connect(viewer, &TViewer::DoubleClicked, this, [this] { RunCommand(&TGliffoF::Image1Click); });
  for (QAction* action : Glyphs1->actions())
    if (!action->shortcut().isEmpty()) viewer->addAction(action);
  connect(viewer, &TViewer::GlyphsDragged, this, [this](int before) { app_.Guard([&] { MoveSelectionTo(before); }); });
  connect(viewer, &TViewer::PathsDropped, this, [this](const QStringList& paths, int before) {
    std::vector<std::string> names;
    for (const QString& path : paths) names.push_back(path.toStdString());
    app_.Guard([&] { DropPaths(names, before); });
  });
  // A folder dropped anywhere on the window is browsed into.
  setAcceptDrops(true);
  setCentralWidget(client);

  StatusBar1 = statusBar();
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setFixedHeight(Scaled(DesignStatusBarHeight));
}

bool TGliffoF::RunCommand(void (TGliffoF::*handler)()) {
  bool ok = app_.Guard([this, handler] { (this->*handler)(); });
  // A failed command may have left a radio item checked by the click alone.
  MirrorModeMenu();
  return ok;
}

void TGliffoF::AttachEditor(IGlyphEditorLink* editor, QWidget* editorWindow) {
  if (editorWindow_ != nullptr) editorWindow_->removeEventFilter(this);
  editorWindow_ = editor != nullptr ? editorWindow : nullptr;
  if (editorWindow_ != nullptr) editorWindow_->installEventFilter(this);
  viewer->SetTargetMarked(editorWindow_ != nullptr && editorWindow_->isVisible());
  editor_ = editor;
  glyphs_.SetEditor(editor);
  UpdateEditorCommands();
}

void TGliffoF::UpdateEditorCommands() {
  for (QAction* item : {Image1, AddfromEditor1, BMPEditor1}) item->setEnabled(editor_ != nullptr);
}

void TGliffoF::MirrorModeMenu() {
  const TModeMenu& menu = glyphs_.ModeMenu;
  const std::pair<QAction*, const TMenuItemState*> items[] = {
      {bmp16, &menu.bmp16()}, {bmp24, &menu.bmp24()}, {bmp32, &menu.bmp32()}};
  for (const auto& [action, state] : items) {
    action->setEnabled(state->Enabled);
    if (state->Checked) action->setChecked(true);
  }
}

void TGliffoF::MirrorState() {
  if (SetShown()) return MirrorSetState();
  // "Gliffo 2 - *icons.gbc": the program first, then the list's source, marked while modified.
  std::string title = app_.Title();
  std::string name = glyphs_.Source().Name();
  if (glyphs_.Modified() && name.empty()) name = texts::UntitledList;
  if (!name.empty()) title += texts::TitleSeparator + std::string(glyphs_.Modified() ? texts::ModifiedMark : "") + name;
  setWindowTitle(QString::fromStdString(title));
  if (Undo1 != nullptr) {
    Undo1->setEnabled(glyphs_.CanUndo());
    Redo1->setEnabled(glyphs_.CanRedo());
  }
}

bool TGliffoF::MaySaveChanges() { return SetShown() ? MaySaveSet() : SaveChangesCommand(glyphs_, app_.Dialogs()); }

// --- Commands --------------------------------------------------------------------------------

void TGliffoF::OpenCollection1Click() {
  if (!MaySaveChanges()) return;
  // Set files are offered beside the collections; each opens into its own view.
  TOpenFileRequest request;
  request.Filter = CollectionOpenFilter() + "|" + texts::SetDialogName + "|*." + texts::SetExtension;
  request.MultiSelect = false;
  const auto names = app_.Dialogs().OpenFiles(request);
  if (!names || names->empty()) return;
  if (IsSetFile(names->front())) return OpenSet(names->front(), false);
  OpenCollection(glyphs_, names->front());
  if (SetShown()) CloseSetView(false);
}

void TGliffoF::SaveCollectionClick() { SaveCollectionCommand(glyphs_, app_.Dialogs()); }

void TGliffoF::CombineCollections1Click() { CombineCollectionsCommand(app_.Dialogs(), glyphs_.Options); }

void TGliffoF::ExportBitmap1Click() { ExportBitmapCommand(glyphs_, app_.Dialogs()); }

void TGliffoF::Close1Click() {
  if (SetShown()) return CloseSet1Click();
  // A modified list asks about saving instead: one question, with the answer that keeps work.
  if (glyphs_.Modified() && glyphs_.Items.Count() > 0) {
    if (!MaySaveChanges()) return;
  } else if (app_.Dialogs().Confirm(texts::ClearViewer) != TDialogAnswer::Yes) {
    return;
  }
  glyphs_.ClearGlyphList();
}

void TGliffoF::ReloadFolder() {
  if (browser_ != nullptr) browser_->Reload([this] { return MaySaveChanges(); });
}

bool TGliffoF::OpenPath(const std::string& path) {
  return app_.Guard([&] {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      TDirectoryListBox& folders = *browser_->RzDirectoryListBox1;
      if (drives::SameFolder(std::filesystem::absolute(path).lexically_normal().string(), folders.Directory())) {
        ReloadFolder();
      } else {
        folders.ChangeDirectory(path);
      }
      return;
    }
    if (IsSetFile(path)) return OpenSet(path);
    if (!MaySaveChanges()) return;
    OpenCollection(glyphs_, path);
    if (SetShown()) CloseSetView(false);
  });
}

void TGliffoF::ShowHelp() { RunCommand(&TGliffoF::Contents1Click); }

void TGliffoF::Image1Click() {
  if (editor_ == nullptr || glyphs_.Items.Selected() == nullptr) return;
  // Keeping the editor's changed glyph may write it into the list; the selection stays.
  if (!editor_->MayReplaceGlyph(app_.Dialogs())) return;
  const TListItem* selected = glyphs_.Items.Selected();
  if (selected != nullptr) editor_->EditGlyph(glyphs_.ImageList1, selected->ImageIndex());
}

void TGliffoF::AddfromEditor1Click() {
  if (editor_ == nullptr) return;
  glyphs_.AddfromEditor();
}

void TGliffoF::SelectAll1Click() {
  TSelectionBatch batch(*viewer);
  glyphs_.SelectAll();
}

void TGliffoF::InvertSelection1Click() {
  TSelectionBatch batch(*viewer);
  glyphs_.InvertSelection();
}

void TGliffoF::BMPEditor1Click() {
  if (editor_ != nullptr) editor_->ShowEditor();
}

void TGliffoF::ModeCommand(int size) {
  if (size != glyphs_.GlyphSize()) {
    // Another size gives the editor a new glyph: its changes are asked about first (Yes may put
    // them into the list). A list of another size is then emptied; a modified one asks first,
    // as every command that discards it does.
    if (editor_ != nullptr && !editor_->MayReplaceGlyph(app_.Dialogs())) return;
    if (glyphs_.ImageList1.Count() > 0 && glyphs_.Modified() && !glyphs_.CellsMatchSize(size)) {
      if (!MaySaveChanges()) return;
      glyphs_.ClearGlyphList();
    }
  }
  glyphs_.Mode(size, app_.Dialogs());
}
void TGliffoF::bmp16Click() { ModeCommand(16); }
void TGliffoF::bmp24Click() { ModeCommand(24); }
void TGliffoF::bmp32Click() { ModeCommand(32); }

void TGliffoF::Contents1Click() {
  app_.SetHelpFile(profile::ProgramDataFile(appDir_, GLIFFO_INSTALLED_DATA_FOLDER, texts::HelpFileName));
  if (!app_.HelpEngine().ShowContents(app_.HelpFile())) return;
  std::string macro = FormatMessage(texts::JumpIdMacro, texts::HelpTopic);
  if (macro.size() > HelpMacroLimit) macro.resize(HelpMacroLimit);
  app_.HelpEngine().RunMacro(app_.HelpFile(), macro);
}

void TGliffoF::About1Click() { app_.Dialogs().ShowMessage(std::string(texts::AboutPrefix) + texts::AuthorCredit); }

void TGliffoF::Undo1Click() {
  TSelectionBatch batch(*viewer);
  glyphs_.Undo();
}

void TGliffoF::Redo1Click() {
  TSelectionBatch batch(*viewer);
  glyphs_.Redo();
}

void TGliffoF::Delete1Click() {
  TSelectionBatch batch(*viewer);
  glyphs_.DeleteSelected();
}

void TGliffoF::MoveLeft1Click() {
  TSelectionBatch batch(*viewer);
  glyphs_.MoveSelected(-1);
}

void TGliffoF::MoveRight1Click() {
  TSelectionBatch batch(*viewer);
  glyphs_.MoveSelected(+1);
}

void TGliffoF::Duplicate1Click() {
  TSelectionBatch batch(*viewer);
  glyphs_.DuplicateSelected();
}

void TGliffoF::MoveSelectionTo(int before) {
  TSelectionBatch batch(*viewer);
  glyphs_.MoveSelectedTo(before);
}

void TGliffoF::Copy1Click() {
  TBitmap strip;
  if (glyphs_.SelectedStrip(strip)) PutOnClipboard(strip);
}

void TGliffoF::Paste1Click() {
  TBitmap strip;
  if (!TakeFromClipboard(strip)) {
    app_.Dialogs().ShowMessage(texts::ClipboardNoImage);
    return;
  }
  // Refused as the editor refuses a picture of the wrong size: in the error box.
  if (glyphs_.ImageList1.Count() > 0 && strip.Height() != glyphs_.GlyphSize())
    throw EInvalidOperation(FormatMessage(FormatMessage(texts::ClipboardWrongHeight, strip.Height()), glyphs_.GlyphSize()));
  TSelectionBatch batch(*viewer);
  glyphs_.InsertStrip(strip, glyphs_.InsertionPoint());
}

void TGliffoF::ExportIcon1Click() { ExportIconCommand(glyphs_, app_.Dialogs()); }

void TGliffoF::SaveBack1Click() { SaveBackCommand(glyphs_, app_.Dialogs()); }

void TGliffoF::DropPaths(const std::vector<std::string>& paths, int before) {
  if (SetShown()) return;  // the glyph list is hidden behind the set
  std::vector<std::unique_ptr<TBitmap>> strips;
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      OpenPath(path);
      return;
    }
    auto strip = std::make_unique<TBitmap>();
    AboutFile(path, [&] { strip->LoadFromFile(path, glyphs_.Options.Decode); });
    // A strip of another height is refused naming its file, so the user knows which one.
    const int size = glyphs_.ImageList1.Count() > 0 ? glyphs_.GlyphSize()
                     : strips.empty()               ? strip->Height()
                                                    : strips.front()->Height();
    if (strip->Height() != size)
      ThrowAboutFile(path, EInvalidOperation(FormatMessage(FormatMessage(texts::WrongStripHeight, strip->Height()), size)));
    strips.push_back(std::move(strip));
  }
  std::vector<const TBitmap*> pointers;
  for (const auto& strip : strips) pointers.push_back(strip.get());
  TSelectionBatch batch(*viewer);
  glyphs_.InsertStrips(pointers, before);
}

void TGliffoF::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TGliffoF::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  event->acceptProposedAction();
  // Outside the glyph view, files go to the end of the list.
  app_.Guard([&] { DropPaths(paths, glyphs_.Items.Count()); });
}

// --- Events ----------------------------------------------------------------------------------

void TGliffoF::closeEvent(QCloseEvent* event) {
  bool mayClose = false;
  // The editor's glyph first: keeping it may put it into the list, which is asked about next.
  app_.Guard([&] { mayClose = (editor_ == nullptr || editor_->MayReplaceGlyph(app_.Dialogs())) && MaySaveChanges(); });
  if (!mayClose) {
    event->ignore();
    return;
  }
  event->accept();
  emit Closed();
}

bool TGliffoF::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editorWindow_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
    viewer->SetTargetMarked(event->type() == QEvent::Show);
  return QMainWindow::eventFilter(watched, event);
}

QSize TGliffoF::DesignSize() const {
  // The classic frame has room for the classic menus only; with the menus beyond them it is
  // wide enough to show every title, so Help never hides behind an overflow button.
  return {std::max(Scaled(DesignClientWidth), MainMenu1->sizeHint().width()),
          Scaled(DesignClientHeight) + MainMenu1->sizeHint().height()};
}

void TGliffoF::FitFrame() {
  if (!MainMenu1) return;
  // Every menu title shows and the grid keeps room for a row of glyphs, however small the
  // window is made. The platform's menu font is known for sure only once the window is shown:
  // asked again then.
  setMinimumSize(std::max(MainMenu1->sizeHint().width(), SetViewWidth()),
                 MainMenu1->sizeHint().height() + Scaled(DesignTopPanelHeight + DesignFolderListHeight +
                                                         DesignStatusBarHeight + DesignMinimumGridHeight));
}

bool TGliffoF::event(QEvent* event) {
  if (event->type() == QEvent::Show || event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
    FitFrame();
  const bool result = QMainWindow::event(event);
  placed_->WindowEvent(*event);
  return result;
}

}  // namespace gliffo
