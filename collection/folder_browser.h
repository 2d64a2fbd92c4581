#pragma once
// The folder browser at the top of the collection window: the drive selector RzDriveComboBox1,
// the folder list RzDirectoryListBox1 and the hidden file list filelist. They are chained the
// way the window wires them: the selector moves the folder list, the folder list hands every
// new folder to the file list and then raises its OnChange (RzDirectoryListBox1Change, which
// runs the folder load).
//
// A change travels in a fixed order: the folder is made the process's current directory and
// read back; the folder list rebuilds; the file list takes the folder (re-reading its names
// only when the folder differs from its own); then OnChange runs. Errors (EInOutError for a
// folder that cannot be entered, the reader's errors from the load) leave the widgets' event
// handlers through the guard the window installs, which shows the default error box.
#include <QComboBox>
#include <QListWidget>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "formats/image_formats.h"
#include "platform/drives/folder_lines.h"
#include "platform/drives/volumes.h"

namespace gliffo {

class TGlyphCollection;

// Runs an event handler so that no exception reaches Qt's event loop.
using TBrowserGuard = std::function<void(const std::function<void()>&)>;

// filelist: the names of the current folder's "*.bmp" files, in the browser's order. Never shown.
class TFileListBox : public QWidget {
  Q_OBJECT
 public:
  explicit TFileListBox(QWidget* parent = nullptr);

  const std::string& Directory() const { return directory_; }
  const std::vector<std::string>& Names() const { return names_; }

  // Takes a new folder. The same folder keeps the names as they are; another one is made the
  // process's current directory, read back as this list's folder, and listed. When the listing
  // fails the list is left empty on the new folder and the error goes on to the caller.
  void SetDirectory(const std::string& folder);
  // Lists the folder's names again (files may have come or gone since).
  void Reread() { ReadFileNames(); }
  // The patterns the folder's files are listed by ("*.bmp", or "*.bmp;*.png" when PNG files
  // are taken too). A change re-reads the names of the folder already shown.
  void SetMask(const std::string& mask);
  const std::string& Mask() const { return mask_; }
  // How many entries a listing may reach before the busy cursor shows.
  static constexpr size_t QuietEntries = 100;

  // Counts listings, and those long enough to show the busy cursor, so tests can tell a
  // re-read from a kept list.
  int ReadCount() const { return readCount_; }
  int BusyReadCount() const { return busyReadCount_; }

 private:
  void ReadFileNames();

  std::string mask_ = FolderMask(false);
  std::string directory_;
  std::vector<std::string> names_;
  int readCount_ = 0;
  int busyReadCount_ = 0;
};

class TDriveComboBox;

// RzDirectoryListBox1: the path from "/" to the current folder and the folders inside it.
class TDirectoryListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TDirectoryListBox(QWidget* parent = nullptr);

  void SetFileList(TFileListBox* fileList) { fileList_ = fileList; }
  void SetDriveCombo(TDriveComboBox* driveCombo) { driveCombo_ = driveCombo; }
  void SetGuard(TBrowserGuard guard) { guard_ = std::move(guard); }
  // RzDirectoryListBox1Change.
  std::function<void()> OnChange;
  // Asked before the folder list moves to another folder; false keeps it where it is. The
  // collection window asks here whether the glyphs the move would replace are to be saved.
  std::function<bool(const std::string& folder)> CanChange;

  const std::string& Directory() const { return directory_; }
  const std::vector<drives::FolderLine>& Lines() const { return lines_; }

  // The state at start: shows the process's current directory and hands it to the file list,
  // raising no change (nothing is loaded).
  void ShowCurrentDirectory();
  // Changes to a folder: nothing when it is the current one; otherwise makes it current
  // (EInOutError stops here with nothing changed), reads it back, rebuilds and raises the change.
  void ChangeDirectory(const std::string& folder);
  // What a double-click or Enter on a line does.
  void OpenLine(int row);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Guarded(const std::function<void()>& handler);
  void Rebuild();
  void RaiseChange();

  std::string directory_;
  std::vector<drives::FolderLine> lines_;
  TFileListBox* fileList_ = nullptr;
  TDriveComboBox* driveCombo_ = nullptr;
  TBrowserGuard guard_;
};

// RzDriveComboBox1: the file-system root and the mounted volumes, each with its kind's icon.
class TDriveComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit TDriveComboBox(QWidget* parent = nullptr);

  void SetDirList(TDirectoryListBox* dirList);
  void SetGuard(TBrowserGuard guard) { guard_ = std::move(guard); }

  // Replaces the entries (the window reads the mount table; tests give their own).
  void SetVolumes(std::vector<drives::Volume> volumes);
  // Shows the entry of the volume holding the folder, raising nothing.
  void ShowVolumeOf(const std::string& folder);
  // What choosing an entry does: nothing for the one shown; otherwise the folder list moves
  // to that volume's root. On failure the entry of the folder list's volume is shown again.
  void ChooseVolume(int index);

 private:
  std::vector<drives::Volume> volumes_;
  int shown_ = -1;
  TDirectoryListBox* dirList_ = nullptr;
  TBrowserGuard guard_;
};

// The browser as the collection window holds it: the three pieces chained together, the change
// handler and the folder load. The pieces are parented to the places they are put in; this
// object only ties them together.
class TFolderBrowser : public QObject {
  Q_OBJECT
 public:
  TFolderBrowser(TGlyphCollection& glyphs, TBrowserGuard guard, QObject* parent = nullptr);
  // Deletes the pieces that were never placed into a window.
  ~TFolderBrowser() override;

  // Puts the pieces into the window's top area: the drive selector at (24, 9), 145 wide, in
  // the top panel, the folder list filling its place, the file list hidden in the panel.
  // design scales the design pixels to the screen's.
  void PlaceInto(QWidget* topPanel, QWidget* folderListPlace, const std::function<int(int)>& design);
  // The state at start: volumes listed, the current directory shown, nothing loaded.
  void Start(std::vector<drives::Volume> volumes);

  TDriveComboBox* RzDriveComboBox1;
  TDirectoryListBox* RzDirectoryListBox1;
  TFileListBox* filelist;

  // The folder list's change: runs the folder load.
  void RzDirectoryListBox1Change();
  // The folder load over the file list's folder and names; nothing when it lists no files.
  // A file that cannot be read stops it with an error that says which file, and that the
  // files after it were not read.
  void LoadImages1Click();
  // Loads the current folder again, its names read afresh; canLoad is asked (when given) once
  // the folder turned out to hold files, so a list that would stay as it is asks nothing.
  void Reload(const std::function<bool()>& canLoad = {});

 private:
  TGlyphCollection& glyphs_;
  bool placed_ = false;
};

// Builds the browser into a window's two places (see PlaceInto), owned by that window, feeding
// its glyph list, and starts it on the process's current directory and this machine's volumes.
TFolderBrowser* BuildFolderBrowser(QObject& owner, QWidget* topPanel, QWidget* folderListPlace,
                                   const std::function<int(int)>& design, TGlyphCollection& glyphs,
                                   TBrowserGuard guard);

}  // namespace gliffo
