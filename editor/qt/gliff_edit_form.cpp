#include "editor/qt/gliff_edit_form.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "editor/qt/button_states.h"
#include "editor/qt/color_grid.h"
#include "editor/qt/history_window.h"
#include "editor/qt/image_control.h"
#include "editor/qt/preview_button.h"
#include "editor/strings.h"
#include "glyphs/collection_files.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/profile/profile.h"
#include "platform/profile/settings_path.h"
#include "platform/profile/window_placement.h"
#include "platform/strings.h"
#include "ui/application_intf.h"
#include "ui/design_frame.h"
#include "ui/glyph_clipboard.h"
#include "ui/window_placement_qt.h"

namespace gliffo {

namespace {

// Design values of the window, in pixels at 120 pixels per inch. The two images keep their
// pixel sizes whatever the screen; the margins around them scale.
constexpr int DesignClientWidth = 310;
constexpr int DesignClientHeight = 343;
constexpr int DesignLeft = 405;
constexpr int DesignTop = 139;
constexpr int DesignMargin = 8;
constexpr int DesignGridWidth = 200;
constexpr int DesignGridHeight = 40;
constexpr int DesignEditorLeft = 216;
constexpr int DesignButtonLeft = 264;
constexpr int DesignButtonWidth = 23;
constexpr int DesignButtonHeight = 22;
constexpr int DesignSurfaceTop = 64;

}  // namespace

TGliffEditF::TGliffEditF(IApplication& application, ICollectionHost& host)
    : QMainWindow(nullptr),
      app_(application),
      host_(host),
      model_(host.Collection()),
      placed_(std::make_unique<TPlacedQtWindow>(*this)) {
  setObjectName(QStringLiteral("GliffEditF"));
  setWindowTitle(QString::fromUtf8(texts::EditorCaption));
  // Closing this window only hides it; it never ends the program.
  setAttribute(Qt::WA_QuitOnClose, false);

  scale_ = ScreenDesignScale();
  SetDesignFrame(*this, scale_);

  BuildMenu();
  BuildClient();
  BuildHeldGlyphLineAndHelpKey();
  move(DesignLeft, DesignTop);
  model_.SetView(this);
  host_.Collection().Items.AddListener(this);
  app_.Guard([this] { FormCreate(); });
  MenusChanged();
}

TGliffEditF::~TGliffEditF() {
  app_.Guard([this] { FormDestroy(); });
  host_.Collection().Items.RemoveListener(this);
  model_.SetView(nullptr);
}

int TGliffEditF::Scaled(int designValue) const { return ScaledBy(scale_, designValue); }

void TGliffEditF::FormCreate() {
  model_.FormCreate([this] {
    profile::LoadWindowPlacement(*placed_, profile::EditorWindowSection, host_.Settings().ReadPath);
  });
  // The pixel grid is the one view setting kept between runs, beside the placement.
  const std::string grid = profile::GetPrivateProfileString(profile::EditorWindowSection, texts::PixelGridKey, "0",
                                                            host_.Settings().ReadPath);
  ShowGrid(grid != "0" && !grid.empty());
  const std::string glyphPixels = profile::GetPrivateProfileString(profile::EditorWindowSection, texts::GlyphPixelsKey,
                                                                   "0", host_.Settings().ReadPath);
  ShowGlyphPixels(glyphPixels != "0" && !glyphPixels.empty());
}

void TGliffEditF::FormDestroy() {
  model_.FormDestroy([this] {
    const std::string& file = host_.Settings().WritePath;
    profile::MakeParentFolders(file);
    profile::SaveWindowPlacement(*placed_, profile::EditorWindowSection, file);
    if (!profile::WritePrivateProfileString(profile::EditorWindowSection, std::string(texts::PixelGridKey),
                                            std::string(pic->GridShown() ? "1" : "0"), file) ||
        !profile::WritePrivateProfileString(profile::EditorWindowSection, std::string(texts::GlyphPixelsKey),
                                            std::string(pic->GlyphViewShown() ? "1" : "0"), file))
      throw EIniFileException(FormatMessage(texts::UnableToWriteTo, file));
  });
}

void TGliffEditF::ShowGrid(bool shown) {
  PixelGrid1->setChecked(shown);
  pic->SetGrid(shown, model_.CellScale(), model_.GlyphSize());
}

void TGliffEditF::ShowGlyphPixels(bool shown) {
  GlyphPixels1->setChecked(shown);
  pic->SetGlyphView(shown, [this]() -> const TBitmap& { return model_.Editor(); });
}

void TGliffEditF::ShowHistory() {
  if (!history_) {
    history_ = new THistoryWindow(model_.History(), [this](int step) { RunCommand([this, step] { model_.GoToStep(step); }); },
                                  this);
    history_->move(pos() + QPoint(frameGeometry().width() + 8, frameGeometry().height() / 2));
  }
  history_->show();
  history_->raise();
}

void TGliffEditF::ShowButtonStates() {
  if (!buttonStates_) {
    buttonStates_ = new TButtonStatesWindow([this]() -> const TBitmap& { return model_.Editor(); },
                                            [this] {
                                              RunCommand([this] {
                                                SaveDisabledStripCommand(host_.Collection(), app_.Dialogs());
                                              });
                                            },
                                            this);
    buttonStates_->move(pos() + QPoint(frameGeometry().width() + 8, 0));
  }
  buttonStates_->Faces()->GlyphChanged();
  buttonStates_->show();
  buttonStates_->raise();
}

bool TGliffEditF::RunCommand(const std::function<void()>& handler) {
  const bool ok = app_.Guard(handler);
  // A radio item may show the check mark the click gave it; the model's is the true one.
  MenusChanged();
  return ok;
}

QAction* TGliffEditF::AddCommand(QMenu* menu, const char* caption, std::function<void()> handler) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] { RunCommand(handler); });
  return action;
}

void TGliffEditF::BuildMenu() {
  MainMenu1 = menuBar();
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  MainMenu1->setNativeMenuBar(false);
  TGlyphEditor& m = model_;
  IDialogService& dialogs = app_.Dialogs();

  File1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuEditorFile));
  Open1 = AddCommand(File1, texts::MenuOpen, [&m, &dialogs] { m.Open1Click(dialogs); });
  SaveAs1 = AddCommand(File1, texts::MenuSaveAs, [&m, &dialogs] { m.SaveAs1Click(dialogs); });
  File1->addSeparator();
  UpdateCollectionItem1 = AddCommand(File1, texts::MenuUpdateCollectionItem, [&m] { m.UpdateCollectionItem1Click(); });

  Edit1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuEditorEdit));
  Undo1 = AddCommand(Edit1, texts::MenuUndo, [&m] { m.Undo1Click(); });
  Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  Clear1 = AddCommand(Edit1, texts::MenuClear, [&m] { m.Clear1Click(); });
  Fill1 = AddCommand(Edit1, texts::MenuFill, [&m] { m.Fill1Click(); });
  Edit1->addSeparator();
  Text2 = AddCommand(Edit1, texts::MenuTextFont, [&m, &dialogs] { m.Text2Click(dialogs); });
  TextCaption1 = AddCommand(Edit1, texts::MenuTextCaption, [&m, &dialogs] { m.TextCaption1Click(dialogs); });

  Brush1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuBrush));
  Clear2 = AddCommand(Brush1, texts::MenuBrushClear, [&m] { m.Clear2Click(); });
  Solid1 = AddCommand(Brush1, texts::MenuBrushSolid, [&m] { m.Solid1Click(); });

  // The Pen and Symbol menus are their tables, row by row; each is a radio group, and the
  // model says which item carries the check mark.
  auto radioGroup = [this] {
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    return group;
  };
  auto radioItem = [](QActionGroup* group, QAction* item, const char* objectName) {
    item->setCheckable(true);
    group->addAction(item);
    item->setObjectName(QString::fromLatin1(objectName));
    return item;
  };
  Pen1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuPen));
  QActionGroup* penGroup = radioGroup();
  for (const TPenRow& row : PenTable())
    penActions_.push_back(radioItem(penGroup, AddCommand(Pen1, row.Caption, [&m, item = row.Item] { m.SelectPen(item); }),
                                    row.ObjectName));
  N11 = PenAction(TPenItem::N11);
  N21 = PenAction(TPenItem::N21);
  N31 = PenAction(TPenItem::N31);

  Symbol1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuSymbol));
  QActionGroup* symbolGroup = radioGroup();
  for (const TToolRow& row : ToolTable())
    symbolActions_.push_back(radioItem(
        symbolGroup, AddCommand(Symbol1, row.Caption, [&m, item = row.Item] { m.SelectSymbol(item); }), row.ObjectName));
  // Named for the tests and the session replay, which trigger them by name.
  Free1 = SymbolAction(TSymbolItem::Free1);
  Block1 = SymbolAction(TSymbolItem::Block1);
  Line1 = SymbolAction(TSymbolItem::Line1);
  Ellipse1 = SymbolAction(TSymbolItem::Ellipse1);
  Rectangle1 = SymbolAction(TSymbolItem::Rectangle1);
  RoundRectangle1 = SymbolAction(TSymbolItem::RoundRectangle1);
  Flood1 = SymbolAction(TSymbolItem::Flood1);
  Text1 = SymbolAction(TSymbolItem::Text1);

  // Beyond the classic menus: whole-pixel moves of the glyph, each one step for Undo.
  Transform1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuTransform));
  auto transform = [this, &m](const char* caption, TTransform t) {
    return AddCommand(Transform1, caption, [&m, t] { m.TransformGlyph(t); });
  };
  FlipHorizontal1 = transform(texts::MenuFlipHorizontal, TTransform::FlipHorizontal);
  FlipVertical1 = transform(texts::MenuFlipVertical, TTransform::FlipVertical);
  RotateRight1 = transform(texts::MenuRotateRight, TTransform::RotateRight);
  RotateLeft1 = transform(texts::MenuRotateLeft, TTransform::RotateLeft);
  Transform1->addSeparator();
  ShiftLeft1 = transform(texts::MenuShiftLeft, TTransform::ShiftLeft);
  ShiftRight1 = transform(texts::MenuShiftRight, TTransform::ShiftRight);
  ShiftUp1 = transform(texts::MenuShiftUp, TTransform::ShiftUp);
  ShiftDown1 = transform(texts::MenuShiftDown, TTransform::ShiftDown);
  ShiftLeft1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left));
  ShiftRight1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right));
  ShiftUp1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up));
  ShiftDown1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down));

  View1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuView));
  PixelGrid1 = View1->addAction(QString::fromUtf8(texts::MenuPixelGrid));
  PixelGrid1->setCheckable(true);
  PixelGrid1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  connect(PixelGrid1, &QAction::toggled, this, [this](bool on) { ShowGrid(on); });
  ButtonStates1 = View1->addAction(QString::fromUtf8(texts::MenuButtonStates));
  connect(ButtonStates1, &QAction::triggered, this, [this] { RunCommand([this] { ShowButtonStates(); }); });
  View1->addSeparator();
  GlyphPixels1 = View1->addAction(QString::fromUtf8(texts::MenuGlyphPixels));
  GlyphPixels1->setCheckable(true);
  connect(GlyphPixels1, &QAction::toggled, this, [this](bool on) { ShowGlyphPixels(on); });
  History1 = View1->addAction(QString::fromUtf8(texts::MenuHistoryWindow));
  connect(History1, &QAction::triggered, this, [this] { RunCommand([this] { ShowHistory(); }); });
  // Ctrl+Z stays the classic one-level Undo.
  StepBackward1 = AddCommand(View1, texts::MenuStepBackward, [&m] { m.StepBackward(); });
  StepBackward1->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
  StepForward1 = AddCommand(View1, texts::MenuStepForward, [&m] { m.StepForward(); });
  StepForward1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  for (const auto& [object, name] : {std::pair<QObject*, const char*>{GlyphPixels1, "GlyphPixels1"},
                                     {History1, "History1"},
                                     {StepBackward1, "StepBackward1"},
                                     {StepForward1, "StepForward1"}})
    object->setObjectName(QString::fromLatin1(name));

  const std::pair<QObject*, const char*> names[] = {
      {File1, "File1"}, {Open1, "Open1"}, {SaveAs1, "SaveAs1"}, {UpdateCollectionItem1, "UpdateCollectionItem1"},
      {Edit1, "Edit1"}, {Undo1, "Undo1"}, {Clear1, "Clear1"}, {Fill1, "Fill1"}, {Text2, "Text2"},
      {TextCaption1, "TextCaption1"}, {Brush1, "Brush1"}, {Clear2, "Clear2"}, {Solid1, "Solid1"}, {Pen1, "Pen1"},
      {Symbol1, "Symbol1"}, {Transform1, "Transform1"}, {FlipHorizontal1, "FlipHorizontal1"},
      {FlipVertical1, "FlipVertical1"}, {RotateRight1, "RotateRight1"}, {RotateLeft1, "RotateLeft1"},
      {ShiftLeft1, "ShiftLeft1"}, {ShiftRight1, "ShiftRight1"}, {ShiftUp1, "ShiftUp1"}, {ShiftDown1, "ShiftDown1"},
      {View1, "View1"}, {PixelGrid1, "PixelGrid1"}, {ButtonStates1, "ButtonStates1"}};
  for (const auto& [object, name] : names) object->setObjectName(QString::fromLatin1(name));
}

void TGliffEditF::BuildClient() {
  auto* client = new QWidget(this);
  auto guard = [this](const std::function<void()>& handler) { app_.Guard(handler); };

  ColorGrid1 = new TColorGrid(model_, guard, client);
  ColorGrid1->setObjectName(QStringLiteral("ColorGrid1"));
  ColorGrid1->setGeometry(Scaled(DesignMargin), Scaled(DesignMargin), Scaled(DesignGridWidth), Scaled(DesignGridHeight));

  Editor = new TImageControl([this]() -> const TBitmap& { return model_.Editor(); }, client);
  Editor->setObjectName(QStringLiteral("Editor"));
  Editor->move(Scaled(DesignEditorLeft), Scaled(DesignMargin));

  testbtn = new TPreviewButton(client);
  testbtn->setObjectName(QStringLiteral("testbtn"));
  testbtn->setGeometry(Scaled(DesignButtonLeft), Scaled(DesignMargin), Scaled(DesignButtonWidth), Scaled(DesignButtonHeight));
  connect(testbtn, &QAbstractButton::clicked, this, [this] { RunCommand([this] { model_.testbtnClick(); }); });

  pic = new TSurfaceView([this]() -> const TBitmap& { return model_.pic(); }, client);
  pic->setObjectName(QStringLiteral("pic"));
  pic->move(Scaled(DesignMargin), Scaled(DesignSurfaceTop));
  pic->SetImageSize(SurfaceSize, SurfaceSize);
  pic->OnMouseDown = [this](int x, int y) { app_.Guard([&] { model_.picMouseDown(x, y); }); };
  pic->OnMouseMove = [this](int x, int y) { app_.Guard([&] { model_.picMouseMove(x, y); }); };
  pic->OnMouseUp = [this](int x, int y) { app_.Guard([&] { model_.picMouseUp(x, y); }); };
  setCentralWidget(client);

  // The design's margins right of and below the surface, scaled; the surface keeps its pixels.
  const int width = std::max(Scaled(DesignClientWidth), pic->x() + pic->width() + Scaled(DesignClientWidth - DesignMargin - SurfaceSize));
  const int height = std::max(Scaled(DesignClientHeight), pic->y() + pic->height() + Scaled(DesignClientHeight - DesignSurfaceTop - SurfaceSize));
  setFixedSize(width, height + MainMenu1->sizeHint().height());
}

void TGliffEditF::BuildHeldGlyphLineAndHelpKey() {
  HeldGlyph1 = new QLabel(centralWidget());
  HeldGlyph1->setObjectName(QStringLiteral("HeldGlyph1"));
  HeldGlyph1->setGeometry(pic->x(), pic->y() + pic->height(), pic->width(), fontMetrics().height() + 2);
  HelpKey = new QAction(this);
  HelpKey->setObjectName(QStringLiteral("HelpKey"));
  HelpKey->setShortcut(QKeySequence(Qt::Key_F1));
  HelpKey->setShortcutContext(Qt::WindowShortcut);
  connect(HelpKey, &QAction::triggered, this, [this] { host_.ShowHelp(); });
  addAction(HelpKey);
  // Ctrl+C and Ctrl+V carry the glyph through the system clipboard, in a menu of their own
  // beside the classic menus, so the keys show.
  Clipboard1 = MainMenu1->addMenu(QString::fromUtf8(texts::MenuClipboard));
  Clipboard1->setObjectName(QStringLiteral("Clipboard1"));
  CopyKey = Clipboard1->addAction(QString::fromUtf8(texts::MenuCopyGlyph));
  CopyKey->setObjectName(QStringLiteral("CopyKey"));
  CopyKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  connect(CopyKey, &QAction::triggered, this, [this] { RunCommand([this] { PutOnClipboard(model_.GlyphBitmap()); }); });
  PasteKey = Clipboard1->addAction(QString::fromUtf8(texts::MenuPasteGlyph));
  PasteKey->setObjectName(QStringLiteral("PasteKey"));
  PasteKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  connect(PasteKey, &QAction::triggered, this, [this] {
    RunCommand([this] {
      TBitmap picture;
      if (TakeFromClipboard(picture)) model_.PasteGlyph(picture);
    });
  });
  FitMenuWidth();
  setAcceptDrops(true);
}

void TGliffEditF::FitMenuWidth() {
  // The classic width has room for the classic menus only; with the menus beyond them the
  // window widens just enough to show every title, so none hides behind an overflow button.
  if (MainMenu1 == nullptr || Clipboard1 == nullptr) return;  // the frame's font comes first
  const int needed = MainMenu1->sizeHint().width();
  if (needed > width()) setFixedSize(needed, height());
}

void TGliffEditF::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TGliffEditF::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  const std::string path = urls.front().toLocalFile().toStdString();
  RunCommand([this, path] {
    if (model_.MayReplaceGlyph(app_.Dialogs())) model_.OpenGlyphFile(path);
  });
}

// --- What the collection window asks ---------------------------------------------------------

void TGliffEditF::EditGlyph(const TImageList& images, int cellIndex) {
  model_.EditGlyph(images, cellIndex);
}

void TGliffEditF::ItemsChanged() {
  if (model_.KeptCellKey() != 0) ShowHeldGlyph();
}

void TGliffEditF::ShowHeldGlyph() {
  const TGlyphCollection& glyphs = host_.Collection();
  std::string line;
  if (!model_.KeptFile().empty()) {
    line = std::filesystem::path(model_.KeptFile()).filename().string();
  } else if (model_.KeptCellKey() != 0) {
    const int cell = glyphs.CellWithKey(model_.KeptCellKey());
    line = cell >= 0 ? glyphs.DescribeGlyph(cell) : texts::GlyphNotInList;
  }
  HeldGlyph1->setText(QString::fromStdString(line));
}
void TGliffEditF::ShowEditor() { model_.ShowEditor(); }
void TGliffEditF::SetGlyphImageSize(int size) { model_.SetGlyphImageSize(size); }
void TGliffEditF::SetSurfacePenWidth(int width) { model_.SetSurfacePenWidth(width); }

// --- What the model reports ------------------------------------------------------------------

void TGliffEditF::SurfaceChanged(const TRect& area) { pic->ImageChanged(area); }

void TGliffEditF::GlyphChanged() {
  Editor->SetImageSize(model_.EditorControlWidth(), model_.EditorControlHeight());
  Editor->ImageChanged();
  pic->SetGrid(pic->GridShown(), model_.CellScale(), model_.GlyphSize());
  if (buttonStates_ && buttonStates_->isVisible()) buttonStates_->Faces()->GlyphChanged();
  if (pic->GlyphViewShown()) pic->update();
}

void TGliffEditF::HistoryChanged() {
  const TEditHistory& history = model_.History();
  StepBackward1->setEnabled(history.Position() > 0);
  StepForward1->setEnabled(history.Position() + 1 < history.Count());
  if (history_) history_->HistoryChanged();
}

void TGliffEditF::PreviewChanged() { testbtn->SetGlyph(model_.PreviewGlyph()); }

QAction* TGliffEditF::PenAction(TPenItem item) const { return penActions_.at(static_cast<std::size_t>(item)); }

QAction* TGliffEditF::SymbolAction(TSymbolItem item) const {
  return symbolActions_.at(static_cast<std::size_t>(item));
}

void TGliffEditF::MenusChanged() {
  PenAction(model_.PenItem())->setChecked(true);
  SymbolAction(model_.SymbolItem())->setChecked(true);
}

void TGliffEditF::PaletteChanged() {
  ++paletteChanges_;
  ColorGrid1->update();
}

void TGliffEditF::ShowWindow() {
  show();
  raise();
  activateWindow();
}

void TGliffEditF::HideWindow() { hide(); }

bool TGliffEditF::event(QEvent* event) {
  // The platform's menu font is known for sure only once the window is shown.
  if (event->type() == QEvent::Show || event->type() == QEvent::FontChange) FitMenuWidth();
  const bool result = QMainWindow::event(event);
  placed_->WindowEvent(*event);
  return result;
}

}  // namespace gliffo
