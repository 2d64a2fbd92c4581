#pragma once
// The collection window GliffoF: the folder browser strip at the top, the glyph view, the
// status strip and the menu whose commands drive the glyph list and the collection files.
// The window holds no glyph logic of its own: commands call the glyph collection and the
// collection-file operations, and the window mirrors what they leave behind.
#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "glyphs/glyph_list.h"
#include "glyphs/icon_set.h"
#include "platform/profile/settings_path.h"
#include "ui/collection_host.h"

class QAction;
class QActionGroup;
class QMenu;
class QScrollArea;
class QStatusBar;

namespace gliffo {

class IApplication;
class TFolderBrowser;
class TViewer;
class TSetView;
class TSetCheckList;
class TPlacedQtWindow;

class TGliffoF : public QMainWindow, public ICollectionHost {
  Q_OBJECT
 public:
  // Creating the window is its creation handler: AppDir, GlyphSize 16, the placement.
  explicit TGliffoF(IApplication& application, QWidget* parent = nullptr);
  // Destroying it saves the placement.
  ~TGliffoF() override;

  TGlyphCollection& Collection() override { return glyphs_; }
  int GlyphSize() const { return glyphs_.GlyphSize(); }
  const std::string& AppDir() const { return appDir_; }
  const profile::TSettingsLocation& Settings() const override { return settings_; }

  // The editor, created after this window; nullptr detaches it. Until one is attached the
  // three editor commands stay disabled. While its window (when given) is shown, the glyph its
  // Update would replace is framed in the view.
  void AttachEditor(IGlyphEditorLink* editor, QWidget* editorWindow = nullptr);

  // What the program was started on: a collection file opens as Open Collection opens it, a
  // folder is browsed into (and loaded, even when it is the folder already shown). Errors go
  // to the error box; returns false then.
  bool OpenPath(const std::string& path);
  // F5: the folder shown is listed and loaded again.
  void ReloadFolder();
  // The help file at its contents, as Help > Contents shows it (the editor's F1 too).
  void ShowHelp() override;
  TFolderBrowser* Browser() const { return browser_; }

  // Where the folder browser goes: the 41-high panel holding the drive selector, and the
  // 96-high place of the folder list under it. Both are empty until the browser is built into
  // them; the file list needs no place, as nobody sees it.
  QWidget* TopPanel() const { return TopPanel1; }
  QWidget* FolderListPlace() const { return FolderListPlace1; }

  // Menu commands. The menu runs each inside the application's guard; tests may call them
  // through RunCommand to get the same treatment.
  void OpenCollection1Click();
  void SaveCollectionClick();
  void CombineCollections1Click();
  void ExportBitmap1Click();
  void Close1Click();
  void Image1Click();
  void AddfromEditor1Click();
  void SelectAll1Click();
  void InvertSelection1Click();
  void BMPEditor1Click();
  void bmp16Click();
  void bmp24Click();
  void bmp32Click();
  void Contents1Click();
  void About1Click();
  void Undo1Click();
  void Redo1Click();
  void Delete1Click();
  void MoveLeft1Click();
  void MoveRight1Click();
  void Duplicate1Click();
  void Copy1Click();
  void Paste1Click();
  void SaveBack1Click();
  void ExportIcon1Click();
  // A drag within the view: the selection moves to just before item `before`.
  void MoveSelectionTo(int before);
  // Dropped paths: a folder is browsed into; files are read as Open Collection reads one and
  // their glyphs inserted before item `before`, in one step.
  void DropPaths(const std::vector<std::string>& paths, int before);

  // --- Icon sets (collection/set_window.cpp) ------------------------------------------------
  // A set file opens into the set view, which takes the glyph view's place until the set is
  // closed; it is read whole first, so a refused set changes nothing.
  // Asks first about unsaved changes unless told not to (the caller asked already).
  void OpenSet(const std::string& fileName, bool askFirst = true);
  // A set read already (one brought back from a recovery copy) shown as OpenSet shows one.
  void ShowSet(std::unique_ptr<TIconSet> set);
  bool SetShown() const { return iconSet_ != nullptr; }
  // The set's cell the editor holds: the icon's name and the column's key; "" when none.
  std::pair<std::string, std::string> EditedCell() const;
  // The editor takes the cell, as Edit Cell gives it; false when the set has no such cell.
  bool EditSetCell(const std::string& icon, const std::string& key);
  TIconSet* IconSet() const { return iconSet_.get(); }
  void SaveSet1Click();
  void CloseSet1Click();
  void AddIcon1Click();
  void RenameIcon1Click();
  void DeleteIcon1Click();
  void MoveIconUp1Click();
  void MoveIconDown1Click();
  void EditCell1Click();
  void CopyCell1Click();
  void PasteCell1Click();
  void FillFromSize1Click();
  void CheckSet1Click();
  void MakeDarkTheme1Click();
  void CompareWith1Click();
  void UndoSet1Click();
  void RedoSet1Click();
  QMenu* IconSet1 = nullptr;
  QAction* SaveSet1 = nullptr;
  QAction* CloseSet1 = nullptr;
  QAction* AddIcon1 = nullptr;
  QAction* RenameIcon1 = nullptr;
  QAction* DeleteIcon1 = nullptr;
  QAction* MoveIconUp1 = nullptr;
  QAction* MoveIconDown1 = nullptr;
  QAction* EditCell1 = nullptr;
  QAction* CopyCell1 = nullptr;
  QAction* PasteCell1 = nullptr;
  QAction* FillFromSize1 = nullptr;
  QAction* CheckSet1 = nullptr;
  TSetCheckList* CheckList1 = nullptr;  // made by the first Check Set
  QAction* MakeDarkTheme1 = nullptr;
  QAction* CompareWith1 = nullptr;
  QAction* UndoSet1 = nullptr;
  QAction* RedoSet1 = nullptr;
  QScrollArea* SetArea1 = nullptr;
  TSetView* SetView1 = nullptr;

  // Runs a handler inside the application's guard.
  bool RunCommand(void (TGliffoF::*handler)());

  // The window's parts, by their names.
  QMenuBar* MainMenu1 = nullptr;
  QMenu* File1 = nullptr;
  QAction* OpenCollection1 = nullptr;
  QAction* SaveCollection = nullptr;
  QAction* CombineCollections1 = nullptr;
  QAction* ExportBitmap1 = nullptr;
  QAction* Close1 = nullptr;
  QMenu* Edit1 = nullptr;
  QAction* Image1 = nullptr;
  QAction* AddfromEditor1 = nullptr;
  QAction* SelectAll1 = nullptr;
  QAction* InvertSelection1 = nullptr;
  QMenu* Tools1 = nullptr;
  QAction* BMPEditor1 = nullptr;
  QAction* bmp16 = nullptr;
  QAction* bmp24 = nullptr;
  QAction* bmp32 = nullptr;
  QMenu* Help1 = nullptr;
  QAction* Contents1 = nullptr;
  QAction* About1 = nullptr;
  QMenu* Glyphs1 = nullptr;
  QAction* Undo1 = nullptr;
  QAction* Redo1 = nullptr;
  QAction* Delete1 = nullptr;
  QAction* MoveLeft1 = nullptr;
  QAction* MoveRight1 = nullptr;
  QAction* Duplicate1 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* Paste1 = nullptr;
  QAction* SaveBack1 = nullptr;
  QAction* ExportIcon1 = nullptr;
  QMenu* ExportScaled1 = nullptr;  // 1.5x, 2x, 3x
  // The window's keys: Ctrl+O and Ctrl+S are the classic items' own; F5 (Reload Folder) and
  // Ctrl+Q (Quit), which have no classic item, are the items of the Window menu.
  QAction* OpenKey = nullptr;
  QAction* SaveKey = nullptr;
  QMenu* Window1 = nullptr;
  QAction* QuitKey = nullptr;
  QAction* ReloadKey = nullptr;
  QWidget* TopPanel1 = nullptr;
  QWidget* FolderListPlace1 = nullptr;
  TViewer* viewer = nullptr;
  QStatusBar* StatusBar1 = nullptr;

  // A design value (at 120 pixels per inch) in the screen's pixels.
  int Scaled(int designValue) const;

 signals:
  // The user closed the window: the program ends.
  void Closed();

 protected:
  // Closing the window (its frame, Ctrl+Q, the window manager) first asks about unsaved glyphs.
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate();
  void FormDestroy();
  void BuildMenu();
  void BuildClient();
  QAction* AddCommand(QMenu* menu, const char* caption, void (TGliffoF::*handler)());
  void MirrorModeMenu();
  void MirrorState();
  void BuildKeys();
  void BuildGlyphsMenu();
  // Asks whether to save a modified list before it is discarded; true means go on.
  bool MaySaveChanges();
  void UpdateEditorCommands();
  void ModeCommand(int size);
  void FitFrame();
  QSize DesignSize() const;

  // Icon sets (collection/set_window.cpp).
  void BuildSetView();
  void CloseSetView(bool clearList);
  bool MaySaveSet();
  void SetChanged();
  void MirrorSetState();
  int SetViewWidth() const;
  void RenameIcon(int icon);
  void EditCell(int icon, int column);
  void MoveIcon(int icon, int to);
  void CellUpdated();

  IApplication& app_;
  TGlyphCollection glyphs_;
  IGlyphEditorLink* editor_ = nullptr;
  QWidget* editorWindow_ = nullptr;
  TFolderBrowser* browser_ = nullptr;
  std::string appDir_;
  profile::TSettingsLocation settings_;
  double scale_ = 1.0;
  QActionGroup* modeGroup_ = nullptr;
  std::unique_ptr<TPlacedQtWindow> placed_;
  std::unique_ptr<TIconSet> iconSet_;
  // The cell the editor holds: the glyph list holds it as its one glyph, and Update from the
  // editor, which writes into the glyph list, is carried into the set.
  std::string editName_;
  int editColumn_ = -1;
  std::unique_ptr<IImageListListener> editWatch_;
};

}  // namespace gliffo
