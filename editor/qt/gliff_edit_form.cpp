#include "editor/qt/gliff_edit_form.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QUrl>
#include <algorithm>
#include <cstdio>
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
#include "ui/alpha_view.h"
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
  ShowSwatches();
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
  const std::string checkerboard = profile::GetPrivateProfileString(profile::EditorWindowSection, texts::CheckerboardKey,
                                                                    "0", host_.Settings().ReadPath);
  SetCheckerboardShown(checkerboard != "0" && !checkerboard.empty());
}

void TGliffEditF::FormDestroy() {
  model_.FormDestroy([this] {
    const std::string& file = host_.Settings().WritePath;
    profile::MakeParentFolders(file);
    profile::SaveWindowPlacement(*placed_, profile::EditorWindowSection, file);
    if (!profile::WritePrivateProfileString(profile::EditorWindowSection, std::string(texts::PixelGridKey),
                                            std::string(pic->GridShown() ? "1" : "0"), file) ||
        !profile::WritePrivateProfileString(profile::EditorWindowSection, std::string(texts::GlyphPixelsKey),
                                            std::string(pic->GlyphViewShown() ? "1" : "0"), file) ||
        !profile::WritePrivateProfileString(profile::EditorWindowSection, std::string(texts::CheckerboardKey),
                                            std::string(CheckerboardShown() ? "1" : "0"), file))
      throw EIniFileException(FormatMessage(texts::UnableToWriteTo, file));
  });
}

void TGliffEditF::ShowGrid(bool shown) {
  pic->SetGrid(shown, model_.CellScale(), model_.GlyphSize());
}

void TGliffEditF::ShowGlyphPixels(bool shown) {
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
  // An item may show the check mark the click gave it; the model's and the view's are the true ones.
  MirrorMenus();
  return ok;
}

QAction* TGliffEditF::AddCommand(QMenu* menu, const char* caption, std::function<void()> handler) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] { RunCommand(handler); });
  return action;
}

QMenu* TGliffEditF::AddMenu(const char* caption, const char* name, const std::vector<TCommand>& commands,
                            TMenuChecks checks) {
  QMenu* menu = MainMenu1->addMenu(QString::fromUtf8(caption));
  menu->setObjectName(QString::fromLatin1(name));
  QActionGroup* group = nullptr;
  if (checks == TMenuChecks::RadioGroup) {
    group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  }
  for (const TCommand& command : commands) {
    if (command.SeparatorBefore) menu->addSeparator();
    QAction* action = AddCommand(menu, command.Caption, command.Run);
    action->setObjectName(QString::fromLatin1(command.Name));
    if (!command.Keys.isEmpty()) action->setShortcuts(command.Keys);
    if (command.Checked) {
      action->setCheckable(true);
      if (group) group->addAction(action);
    }
    if (command.Enabled || command.Checked) commandStates_.push_back({action, command.Enabled, command.Checked});
    *command.Action = action;
  }
  return menu;
}

void TGliffEditF::BuildMenu() {
  MainMenu1 = menuBar();
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  MainMenu1->setNativeMenuBar(false);
  TGlyphEditor& m = model_;
  IDialogService& dialogs = app_.Dialogs();
  constexpr bool SeparatorAbove = true;

  File1 = AddMenu(texts::MenuEditorFile, "File1", {
      {&Open1, texts::MenuOpen, "Open1", [&m, &dialogs] { m.Open1Click(dialogs); }},
      {&SaveAs1, texts::MenuSaveAs, "SaveAs1", [&m, &dialogs] { m.SaveAs1Click(dialogs); }},
      {&UpdateCollectionItem1, texts::MenuUpdateCollectionItem, "UpdateCollectionItem1",
       [&m] { m.UpdateCollectionItem1Click(); }, {}, SeparatorAbove},
  });
  Edit1 = AddMenu(texts::MenuEditorEdit, "Edit1", {
      {&Undo1, texts::MenuUndo, "Undo1", [&m] { m.Undo1Click(); }, {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
      {&Clear1, texts::MenuClear, "Clear1", [&m] { m.Clear1Click(); }},
      {&Fill1, texts::MenuFill, "Fill1", [&m] { m.Fill1Click(); }},
      {&Text2, texts::MenuTextFont, "Text2", [&m, &dialogs] { m.Text2Click(dialogs); }, {}, SeparatorAbove},
      {&TextCaption1, texts::MenuTextCaption, "TextCaption1", [&m, &dialogs] { m.TextCaption1Click(dialogs); }},
  });
  Brush1 = AddMenu(texts::MenuBrush, "Brush1", {
      {&Clear2, texts::MenuBrushClear, "Clear2", [&m] { m.Clear2Click(); }},
      {&Solid1, texts::MenuBrushSolid, "Solid1", [&m] { m.Solid1Click(); }},
  });

  // The Pen and Symbol menus are their tables, row by row, each a radio group whose check mark
  // the model places.
  std::vector<TCommand> pens;
  penActions_.resize(PenTable().size());
  for (const TPenRow& row : PenTable())
    pens.push_back({&penActions_[static_cast<std::size_t>(row.Item)], row.Caption, row.ObjectName,
                    [&m, item = row.Item] { m.SelectPen(item); }, {}, false, {},
                    [&m, item = row.Item] { return m.PenItem() == item; }});
  Pen1 = AddMenu(texts::MenuPen, "Pen1", pens, TMenuChecks::RadioGroup);
  N11 = PenAction(TPenItem::N11);
  N21 = PenAction(TPenItem::N21);
  N31 = PenAction(TPenItem::N31);

  std::vector<TCommand> symbols;
  symbolActions_.resize(ToolTable().size());
  for (const TToolRow& row : ToolTable())
    if (row.Menu == TToolMenu::Symbol)
      symbols.push_back({&symbolActions_[static_cast<std::size_t>(row.Item)], row.Caption, row.ObjectName,
                         [&m, item = row.Item] { m.SelectSymbol(item); }, {}, false, {},
                         [&m, item = row.Item] { return m.SymbolItem() == item; }});
  Symbol1 = AddMenu(texts::MenuSymbol, "Symbol1", symbols, TMenuChecks::RadioGroup);
  // Named for the tests and the session replay, which trigger them by name.
  Free1 = SymbolAction(TSymbolItem::Free1);
  Block1 = SymbolAction(TSymbolItem::Block1);
  Line1 = SymbolAction(TSymbolItem::Line1);
  Ellipse1 = SymbolAction(TSymbolItem::Ellipse1);
  Rectangle1 = SymbolAction(TSymbolItem::Rectangle1);
  RoundRectangle1 = SymbolAction(TSymbolItem::RoundRectangle1);
  Flood1 = SymbolAction(TSymbolItem::Flood1);
  Text1 = SymbolAction(TSymbolItem::Text1);

  // Beyond the classic menus: colours with alpha for the pen (left) and the brush (right),
  // the tools of the tool table that belong here (the eyedropper), and the two colours as
  // swatches.
  std::vector<TCommand> colours = {
      {&TransparentLeft1, texts::MenuTransparentLeft, "TransparentLeft1", [&m] { m.SetForegroundColour(Transparent); }},
      {&TransparentRight1, texts::MenuTransparentRight, "TransparentRight1", [&m] { m.SetBackgroundColour(Transparent); }},
      {&CustomLeft1, texts::MenuCustomLeft, "CustomLeft1", [&m, &dialogs] { m.CustomColourClick(dialogs, false); }, {},
       SeparatorAbove},
      {&CustomRight1, texts::MenuCustomRight, "CustomRight1", [&m, &dialogs] { m.CustomColourClick(dialogs, true); }},
  };
  bool firstTool = true;
  for (const TToolRow& row : ToolTable()) {
    if (row.Menu != TToolMenu::Colour) continue;
    colours.push_back({&symbolActions_[static_cast<std::size_t>(row.Item)], row.Caption, row.ObjectName,
                       [&m, item = row.Item] { m.SelectSymbol(item); }, {}, firstTool, {},
                       [&m, item = row.Item] { return m.SymbolItem() == item; }});
    firstTool = false;
  }
  colours.push_back({&SwatchLeft1, "", "SwatchLeft1", [] {}, {}, SeparatorAbove, [] { return false; }});
  colours.push_back({&SwatchRight1, "", "SwatchRight1", [] {}, {}, false, [] { return false; }});
  Colour1 = AddMenu(texts::MenuColour, "Colour1", colours);
  PickColour1 = SymbolAction(TSymbolItem::Picker1);

  // Beyond the classic menus: whole-pixel moves of the glyph, each one step for Undo, from the
  // table the session's flip, rotate and shift lines read too.
  std::vector<TCommand> transforms;
  transformActions_.resize(TransformTable().size());
  for (const TTransformRow& row : TransformTable()) {
    QList<QKeySequence> keys;
    if (*row.Keys) keys.push_back(QKeySequence::fromString(QString::fromLatin1(row.Keys), QKeySequence::PortableText));
    transforms.push_back({&transformActions_[static_cast<std::size_t>(row.Transform)], row.Caption, row.ObjectName,
                          [&m, t = row.Transform] { m.TransformGlyph(t); }, keys, row.SeparatorBefore});
  }
  Transform1 = AddMenu(texts::MenuTransform, "Transform1", transforms);
  FlipHorizontal1 = TransformAction(TTransform::FlipHorizontal);
  FlipVertical1 = TransformAction(TTransform::FlipVertical);
  RotateRight1 = TransformAction(TTransform::RotateRight);
  RotateLeft1 = TransformAction(TTransform::RotateLeft);
  ShiftLeft1 = TransformAction(TTransform::ShiftLeft);
  ShiftRight1 = TransformAction(TTransform::ShiftRight);
  ShiftUp1 = TransformAction(TTransform::ShiftUp);
  ShiftDown1 = TransformAction(TTransform::ShiftDown);

  // The view's two switches follow what the surface shows; the steps, where the history stands.
  // Ctrl+Z stays the classic one-level Undo.
  const TEditHistory& history = model_.History();
  View1 = AddMenu(texts::MenuView, "View1", {
      {&PixelGrid1, texts::MenuPixelGrid, "PixelGrid1", [this] { ShowGrid(!pic->GridShown()); },
       {QKeySequence(Qt::CTRL | Qt::Key_G)}, false, {}, [this] { return pic->GridShown(); }},
      {&ButtonStates1, texts::MenuButtonStates, "ButtonStates1", [this] { ShowButtonStates(); }},
      {&GlyphPixels1, texts::MenuGlyphPixels, "GlyphPixels1", [this] { ShowGlyphPixels(!pic->GlyphViewShown()); }, {},
       SeparatorAbove, {}, [this] { return pic->GlyphViewShown(); }},
      {&Checkerboard1, texts::MenuCheckerboard, "Checkerboard1", [] { SetCheckerboardShown(!CheckerboardShown()); }, {},
       false, {}, [] { return CheckerboardShown(); }},
      {&History1, texts::MenuHistoryWindow, "History1", [this] { ShowHistory(); }},
      {&StepBackward1, texts::MenuStepBackward, "StepBackward1", [&m] { m.StepBackward(); },
       {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z)}, false, [&history] { return history.Position() > 0; }},
      {&StepForward1, texts::MenuStepForward, "StepForward1", [&m] { m.StepForward(); },
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}, false,
       [&history] { return history.Position() + 1 < history.Count(); }},
  });
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
  pic->OnMouseDown = [this](int x, int y, bool second) { app_.Guard([&] { model_.picMouseDown(x, y, second); }); };
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
  MirrorMenus();
  if (history_) history_->HistoryChanged();
}

void TGliffEditF::PreviewChanged() { testbtn->SetGlyph(model_.PreviewGlyph()); }

QAction* TGliffEditF::PenAction(TPenItem item) const { return penActions_.at(static_cast<std::size_t>(item)); }

QAction* TGliffEditF::SymbolAction(TSymbolItem item) const {
  return symbolActions_.at(static_cast<std::size_t>(item));
}

QAction* TGliffEditF::TransformAction(TTransform transform) const {
  return transformActions_.at(static_cast<std::size_t>(transform));
}

void TGliffEditF::MenusChanged() { MirrorMenus(); }

void TGliffEditF::MirrorMenus() {
  for (const TCommandState& state : commandStates_) {
    if (state.Enabled) state.Action->setEnabled(state.Enabled());
    if (state.Checked) state.Action->setChecked(state.Checked());
  }
}

void TGliffEditF::PaletteChanged() {
  ++paletteChanges_;
  ColorGrid1->update();
  ShowSwatches();
}

namespace {

// "#RRGGBBAA", as scripts write colours.
std::string ColourText(const TDrawColour& colour) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X%02X", colour.Color & 0xFF, (colour.Color >> 8) & 0xFF,
                (colour.Color >> 16) & 0xFF, colour.Alpha);
  return text;
}

// A swatch: the colour with its alpha over a checkerboard, so a transparent one shows as such.
QIcon Swatch(const TDrawColour& colour) {
  QPixmap pixmap(16, 16);
  QPainter painter(&pixmap);
  for (int y = 0; y < 16; y += 4)
    for (int x = 0; x < 16; x += 4) painter.fillRect(x, y, 4, 4, ((x + y) / 4) % 2 ? QColor(0xC0, 0xC0, 0xC0) : Qt::white);
  painter.fillRect(0, 0, 16, 16, QColor(colour.Color & 0xFF, (colour.Color >> 8) & 0xFF, (colour.Color >> 16) & 0xFF, colour.Alpha));
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 15, 15);
  return QIcon(pixmap);
}

}  // namespace

void TGliffEditF::ShowSwatches() {
  if (!SwatchLeft1) return;
  const TDrawColour left = model_.ForegroundDrawColour(), right = model_.BackgroundDrawColour();
  SwatchLeft1->setText(QString::fromStdString(FormatMessage(texts::SwatchLeft, ColourText(left))));
  SwatchLeft1->setIcon(Swatch(left));
  SwatchRight1->setText(QString::fromStdString(FormatMessage(texts::SwatchRight, ColourText(right))));
  SwatchRight1->setIcon(Swatch(right));
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
