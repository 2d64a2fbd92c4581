#pragma once
// The editor window GliffEditF: the palette grid, the real-size glyph and the preview button
// along the top, the magnified surface below, and the File, Edit, Brush, Pen and Symbol menus
// with the Transform and View menus beyond them, each built from a table of its items.
// Everything it shows is held by the editor model (editor/glyph_editor.h); the window turns
// events into the model's handlers, inside the application's guard, and repaints what the
// model reports changed.
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "editor/glyph_editor.h"
#include "ui/collection_host.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace gliffo {

class IApplication;
class TButtonStatesWindow;
class TColorGrid;
class THistoryWindow;
class TImageControl;
class TPlacedQtWindow;
class TPreviewButton;
class TSurfaceView;

class TGliffEditF : public QMainWindow, public IGlyphEditorLink, private IEditorView, private IListItemsListener {
  Q_OBJECT
 public:
  // Creating the window is its creation handler; it stays hidden until the collection window
  // shows it. It reads GlyphSize from, and writes glyphs back to, the host's glyph list, and
  // keeps its placement in the host's settings file.
  TGliffEditF(IApplication& application, ICollectionHost& host);
  // Destroying it is its destruction handler: the placement is saved.
  ~TGliffEditF() override;

  TGlyphEditor& Model() { return model_; }

  // What the collection window asks.
  void EditGlyph(const TImageList& images, int cellIndex) override;
  void ShowEditor() override;
  void SetGlyphImageSize(int size) override;
  void SetSurfacePenWidth(int width) override;
  const TBitmap& GlyphBitmap() override { return model_.Editor(); }
  bool MayReplaceGlyph(IDialogService& dialogs) override { return model_.MayReplaceGlyph(dialogs); }
  void GlyphKept(int cell) override { model_.GlyphKept(cell); }

  // Runs a handler inside the application's guard, then mirrors the menus' states.
  bool RunCommand(const std::function<void()>& handler);

  // The window's parts, by their names.
  QMenuBar* MainMenu1 = nullptr;
  QMenu* File1 = nullptr;
  QAction* Open1 = nullptr;
  QAction* SaveAs1 = nullptr;
  QAction* UpdateCollectionItem1 = nullptr;
  QMenu* Edit1 = nullptr;
  QAction* Undo1 = nullptr;
  QAction* Clear1 = nullptr;
  QAction* Fill1 = nullptr;
  QAction* Text2 = nullptr;
  QAction* TextCaption1 = nullptr;
  QMenu* Brush1 = nullptr;
  QAction* Clear2 = nullptr;
  QAction* Solid1 = nullptr;
  QMenu* Pen1 = nullptr;
  QAction* N11 = nullptr;
  QAction* N21 = nullptr;
  QAction* N31 = nullptr;
  QMenu* Symbol1 = nullptr;
  QAction* Free1 = nullptr;
  QAction* Block1 = nullptr;
  QAction* Line1 = nullptr;
  QAction* Ellipse1 = nullptr;
  QAction* Rectangle1 = nullptr;
  QAction* RoundRectangle1 = nullptr;
  QAction* Flood1 = nullptr;
  QAction* Text1 = nullptr;
  // Beyond the classic menus: colours with alpha, the eyedropper and the two colours' swatches.
  QMenu* Colour1 = nullptr;
  QAction* TransparentLeft1 = nullptr;
  QAction* TransparentRight1 = nullptr;
  QAction* CustomLeft1 = nullptr;
  QAction* CustomRight1 = nullptr;
  QAction* PickColour1 = nullptr;
  QAction* SwatchLeft1 = nullptr;
  QAction* SwatchRight1 = nullptr;
  QMenu* Transform1 = nullptr;
  QAction* FlipHorizontal1 = nullptr;
  QAction* FlipVertical1 = nullptr;
  QAction* RotateRight1 = nullptr;
  QAction* RotateLeft1 = nullptr;
  QAction* ShiftLeft1 = nullptr;
  QAction* ShiftRight1 = nullptr;
  QAction* ShiftUp1 = nullptr;
  QAction* ShiftDown1 = nullptr;
  QMenu* View1 = nullptr;
  QAction* PixelGrid1 = nullptr;
  QAction* ButtonStates1 = nullptr;
  // Beyond the classic menus, in the View menu: the glyph itself instead of the surface, the
  // History window, and the steps back and forward.
  QAction* GlyphPixels1 = nullptr;
  // Alpha glyphs over a checkerboard instead of the button face, in both windows; remembered.
  QAction* Checkerboard1 = nullptr;
  QAction* History1 = nullptr;
  QAction* StepBackward1 = nullptr;
  QAction* StepForward1 = nullptr;
  TColorGrid* ColorGrid1 = nullptr;
  TImageControl* Editor = nullptr;
  TPreviewButton* testbtn = nullptr;
  TSurfaceView* pic = nullptr;
  // The line under the surface saying where the editor's glyph is kept: which glyph of the
  // list ("Glyph 3 of icons.gbc", following it as the list changes) or which file, so the user
  // knows what the glyph came from before Update writes it back.
  QLabel* HeldGlyph1 = nullptr;
  // F1: the program's help, as in the collection window.
  QAction* HelpKey = nullptr;
  // Ctrl+C and Ctrl+V: the glyph through the system clipboard, in a menu of their own.
  QMenu* Clipboard1 = nullptr;
  QAction* CopyKey = nullptr;
  QAction* PasteKey = nullptr;
  // The Pen, Symbol and Transform menus' items, by the rows of their tables.
  QAction* PenAction(TPenItem item) const;
  QAction* SymbolAction(TSymbolItem item) const;
  QAction* TransformAction(TTransform transform) const;
  // The button-states tool window, made when first asked for.
  TButtonStatesWindow* ButtonStates() const { return buttonStates_; }
  // The History window, made when first asked for.
  THistoryWindow* History() const { return history_; }

  // How often the palette's choice changed, so tests can see one change event per change.
  int PaletteChanges() const { return paletteChanges_; }
  // A design value (at 120 pixels per inch) in the screen's pixels.
  int Scaled(int designValue) const;

 protected:
  bool event(QEvent* event) override;
  // A file dropped on the window opens as File > Open opens it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void SurfaceChanged(const TRect& area) override;
  void GlyphChanged() override;
  void PreviewChanged() override;
  void MenusChanged() override;
  void PaletteChanged() override;
  void ShowWindow() override;
  void HideWindow() override;
  void HistoryChanged() override;
  // The list was reshaped or replaced: the line under the surface follows the glyph taken.
  void ItemsChanged() override;
  void KeptPlaceChanged() override { ShowHeldGlyph(); }
  void ShowHeldGlyph();

  // One item of a menu, a row of its menu's table: the window's member that names it, its
  // caption and object name, the handler RunCommand runs, its keys, and where its states come
  // from (no Enabled: always enabled; no Checked: no check mark).
  struct TCommand {
    QAction** Action;
    const char* Caption;
    const char* Name;
    std::function<void()> Run;
    QList<QKeySequence> Keys = {};
    bool SeparatorBefore = false;
    std::function<bool()> Enabled = {};
    std::function<bool()> Checked = {};
  };
  // An item whose enabled or checked state follows the model or the view.
  struct TCommandState {
    QAction* Action;
    std::function<bool()> Enabled;
    std::function<bool()> Checked;
  };
  enum class TMenuChecks { Boxes, RadioGroup };

  void BuildMenu();
  // The Colour menu's swatches show the pen's and the brush's colour.
  void ShowSwatches();
  void BuildClient();
  QAction* AddCommand(QMenu* menu, const char* caption, std::function<void()> handler);
  // A menu of the menu bar and its items, in table order. The checked items of a RadioGroup
  // menu are one exclusive group.
  QMenu* AddMenu(const char* caption, const char* name, const std::vector<TCommand>& commands,
                 TMenuChecks checks = TMenuChecks::Boxes);
  // The one place that sets the items' enabled and checked states, from the rows' sources.
  void MirrorMenus();
  void FormCreate();
  void FormDestroy();
  void ShowGrid(bool shown);
  void BuildHeldGlyphLineAndHelpKey();
  void FitMenuWidth();
  void ShowButtonStates();
  void ShowGlyphPixels(bool shown);
  void ShowHistory();

  IApplication& app_;
  ICollectionHost& host_;
  TGlyphEditor model_;
  double scale_ = 1.0;
  int paletteChanges_ = 0;
  TButtonStatesWindow* buttonStates_ = nullptr;
  THistoryWindow* history_ = nullptr;
  std::vector<QAction*> penActions_;
  std::vector<QAction*> symbolActions_;
  std::vector<QAction*> transformActions_;
  std::vector<TCommandState> commandStates_;
  std::unique_ptr<TPlacedQtWindow> placed_;
};

}  // namespace gliffo
