#pragma once
// Keeps the recovery copy (glyphs/recovery.h) of the running program up to date, and brings a
// copy left behind by an earlier run back at start.
//
// A timer looks twice a second whether the list, the icon set shown in its place or the editor
// changed since the last copy. Work that is unsaved is then captured (a copy of the glyphs in
// memory, never while a stroke is being drawn) and written by a helper thread through the safe
// save, so a stroke never waits for the disk; work that is all saved has its copy removed.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <utility>

namespace gliffo {

class IDialogService;
class TGliffoF;
class TGlyphCollection;
class TGlyphEditor;
class TRecoveryFolder;

class TRecoveryKeeper : public QObject {
  Q_OBJECT
 public:
  // Copies are kept in a folder of their own under root; an empty root keeps none.
  TRecoveryKeeper(TGliffoF& window, TGlyphEditor& editor, const std::string& root);
  // Waits for a copy being written; the folder stays unless Finish removed it.
  ~TRecoveryKeeper() override;

  // How often it looks, in milliseconds.
  static constexpr int Interval = 500;

  // Looks now, as the timer does.
  void Tick();
  // Waits until the copy being written is on disk.
  void Wait();
  // The program ends properly: no copy is left behind.
  void Finish();
  // The folder of this program's copies ("" when none is kept).
  std::string Folder() const;
  // How many copies were written, for tests and measurements.
  int CopiesWritten() const { return written_; }

 private:
  TGliffoF& window_;
  TGlyphCollection& list_;
  TGlyphEditor& editor_;
  std::unique_ptr<TRecoveryFolder> folder_;
  QTimer timer_;
  std::future<void> writing_;
  std::uint64_t listChanges_ = ~std::uint64_t{0};
  std::uint64_t editorChanges_ = ~std::uint64_t{0};
  std::uint64_t setChanges_ = ~std::uint64_t{0};
  std::pair<std::string, std::string> editedCell_;
  bool kept_ = false;       // the folder holds a copy
  bool listOnDisk_ = false;  // the list file holds the list as it now is
  bool setOnDisk_ = false;   // the set's folder holds the set as it now is
  int written_ = 0;
};

// Offers the copies that earlier runs left behind, newest first, in a confirmation box saying
// when, which file or folder and how many glyphs (for a set: its file, how many icons and
// cells). Yes brings the first one back into the list, or the set into the window, and the
// editor (still unsaved) and returns true; No discards that copy and goes on to the next.
bool OfferLeftRecoveries(const std::string& root, TGliffoF& window, TGlyphEditor& editor, IDialogService& dialogs);

}  // namespace gliffo
