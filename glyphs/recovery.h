#pragma once
// The recovery copy: while the glyph list or the editor holds unsaved work, the program keeps a
// copy of it in the user's state folder ($XDG_STATE_HOME/gliffo, by default
// ~/.local/state/gliffo), one folder per running program. A program that ends properly removes
// its folder; one that crashed, was killed or lost its power leaves it behind, and the next
// start offers to bring the work back.
//
// A folder holds the list as one strip (list.bmp), the editor's glyph in its own format
// (editor.bmp), an open icon set whole in a folder of its own (set-N: a set file and its strips)
// and what they cannot say (recovery.ini): when, where the list came from, where each glyph
// came from, what was unsaved. Every file is written through the safe save, the
// description last, so a kill in the middle leaves the previous copy whole. The running program
// holds a lock on its folder; a folder nobody holds is one a program left behind.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "glyphs/glyph_list.h"
#include "glyphs/icon_set.h"

namespace gliffo {

class TBitmap;

struct TRecoveryCopy {
  std::int64_t Time = 0;  // seconds since the epoch, when it was written
  TListSource Source;
  bool ListModified = false;
  // The list: its glyph size, its cells one after the other and where each came from (the
  // selection and the keys are not kept).
  TListState List;
  // Where the glyphs were when the list was loaded, for Save Back to judge their order.
  std::vector<TGlyphOrigin> LoadedOrigins;
  bool EditorModified = false;
  std::shared_ptr<TBitmap> EditorGlyph;  // null when the editor is not kept
  std::string EditorKeptFile;            // the file the editor's glyph was opened from or saved to
  int EditorKeptCell = -1;               // the list's glyph it was taken from or put into
  // Writing only: the list file already holds these glyphs (List then gives only the glyph
  // size, the count and the origins), so it is not written again.
  bool ListAsBefore = false;

  // An icon set open in the window (the list then only holds the cell the editor has).
  bool HasSet = false;
  // Writing: the set as it stands; null with SetAsBefore, when the last copy holds it already.
  std::shared_ptr<const TIconSet> Set;
  bool SetAsBefore = false;
  // Reading: what the copy of the set says, and the folder TIconSet::Recover reads it from.
  TSetCopyInfo SetInfo;
  std::string SetFolder;
  // The set's cell the editor holds: the icon's name and the column's key ("" when none).
  std::string EditorSetIcon;
  std::string EditorSetColumn;
};

// $XDG_STATE_HOME/gliffo, else $HOME/.local/state/gliffo; "" when neither is known.
std::string RecoveryRoot();

// An exclusive lock on a folder's lock file, held until destroyed.
class TFolderLock {
 public:
  TFolderLock() = default;
  // Takes the lock without waiting; Held() tells whether it was had.
  explicit TFolderLock(const std::string& folder);
  ~TFolderLock();
  TFolderLock(TFolderLock&& other) noexcept;
  TFolderLock& operator=(TFolderLock&& other) noexcept;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The running program's own recovery folder, made (with its lock) when constructed.
class TRecoveryFolder {
 public:
  // EFCreateError when the folder cannot be made.
  explicit TRecoveryFolder(const std::string& root);
  // Leaves the folder as it is: an ending program calls Remove itself once all is saved.
  ~TRecoveryFolder();
  const std::string& Path() const { return path_; }

  // Writes the copy, each file through the safe save and the description last. Safe to call
  // from any one thread at a time, as it touches nothing but the copy and the folder.
  void Write(const TRecoveryCopy& copy);
  // Nothing unsaved is left: the copy goes, the folder and its lock stay.
  void Clear();
  // The program ends with nothing unsaved: the folder goes.
  void Remove();

 private:
  std::string path_;
  TFolderLock lock_;
  // The set's folder the description names, and what it says of it.
  std::string setFolder_;
  TSetCopyInfo setInfo_;
  int setCopies_ = 0;
};

// A copy some program left behind, its folder locked for as long as this object lives, so no
// second program offers it at the same time.
struct TFoundRecovery {
  std::string Folder;
  TFolderLock Lock;
  TRecoveryCopy Copy;
};

// The copies under the root that no running program holds, newest first. A folder with nothing
// to bring back (no description, nothing unsaved) is removed on the way; one that cannot be read
// is left alone.
std::vector<TFoundRecovery> FindLeftRecoveries(const std::string& root);

// Reads a copy's folder. EInvalidOperation (naming the folder) when it holds no readable copy.
TRecoveryCopy ReadRecovery(const std::string& folder);

// Removes a copy's folder and everything in it.
void DiscardRecovery(const std::string& folder);

// The question asked at start: when, which file or folder, how many glyphs, the set (its
// file, how many icons and cells), the editor.
std::string DescribeRecovery(const TRecoveryCopy& copy);

}  // namespace gliffo
