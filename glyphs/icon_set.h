#pragma once
// An icon set: named icons, each drawn at several sizes and for one or more themes, kept as one
// strip per size and theme beside a set file (NAME.glyphset) that names them. Glyph k of every
// strip is icon k. The window and gliffo-tool both work on this model: every operation changes
// every strip in step, and Save writes the set file and only the strips that changed.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/image_options.h"
#include "glyphs/icon_set_file.h"

namespace gliffo {

// One cell's stored values (in its strip's store format), row by row from the top. Cells are
// shared between the model, its history and copies, and never changed once made.
struct TSetCell {
  std::vector<std::uint32_t> Values;
  // An alpha cell's own pixels (0xAARRGGBB, row by row), which Values hold flattened; empty for
  // a key-colour cell.
  std::vector<std::uint32_t> Alpha;
  bool Empty = false;    // every pixel transparent: its bottom-left pixel's colour throughout, or alpha 0
  bool Derived = false;  // made from other cells (Fill from Size, a dark theme), not drawn on since
};
using TCellRef = std::shared_ptr<const TSetCell>;

// What a set's recovery copy keeps beside its files: enough to say what it holds without
// reading them, and what the files cannot say.
struct TSetCopyInfo {
  std::string File;      // the set file
  bool NewSet = false;   // the set file was never written
  bool Modified = false;
  int Icons = 0;
  int Cells = 0;         // cells that hold a glyph
  // Each icon's place in the set file as last read or saved (-1: added since).
  std::vector<int> Origins;
  // Column by column, a letter per icon and then per glyph of the strip past the last icon: '.'
  // no glyph, 'd' made from other cells, 'c' any other; 'D' and 'C' for such a cell with alpha.
  std::vector<std::string> Kinds;
};

// A column of the set: one size of one theme, and the strip that holds it.
struct TSetColumn {
  int Size = 0;
  int Theme = 0;          // index into Themes()
  std::string Key;        // "16", "16-dark"
  std::string Path;       // as the set file names it; "" when the set has no such strip
  std::string FullPath;   // the file, from the set file's folder
};

class TIconSet {
 public:
  // Reads the set file and every strip it names. Refused, with nothing read beyond what it
  // takes to see it (EInvalidOperation naming the path or the line): a path that is absolute,
  // leaves the set's folder (a "..", or a link leading out of it), names a strip another key
  // names too, a key that is no size or theme of the set, a strip whose height is not its
  // size. A missing strip, or one shorter than the names, gives empty cells.
  // anyIconNames reads names that break the rules or repeat as they stand (TSetFileText), for a
  // check that reports them; such a set must not be changed or saved.
  static TIconSet Open(const std::string& setFile, const TImageOptions& options, bool anyIconNames = false);
  // The file of one strip, for a job that reads it (gliffo-tool's SET:SIZE[-THEME]): the set
  // file is read and its paths judged as Open judges them; no strip is read. EInvalidOperation
  // when the set has no such size and theme, or no file for it.
  static std::string StripFile(const std::string& setFile, const std::string& key);
  // The files of every strip the set file names, judged as Open judges them; none is read.
  static std::vector<std::string> StripFiles(const std::string& setFile);
  // A new set with no icons and no strips yet; nothing is written until Save.
  static TIconSet New(const std::string& setFile, const std::vector<int>& sizes,
                      const std::vector<std::string>& themes, const TImageOptions& options);

  TIconSet(TIconSet&&) noexcept;
  TIconSet& operator=(TIconSet&&) noexcept;
  ~TIconSet();

  const std::string& FileName() const { return fileName_; }
  // The set file's name; without one, the file's own name less ".glyphset".
  std::string Name() const;
  const std::vector<int>& Sizes() const { return data_.Sizes; }
  const std::vector<std::string>& Themes() const { return data_.Themes; }
  const std::vector<std::string>& Icons() const { return state_.Icons; }
  // What the set file says beyond the icons: the freedesktop context ("actions" unless set) and
  // each theme's toolbar background as "#RRGGBB" ("" where the file sets none).
  std::string Context() const { return data_.Context.empty() ? "actions" : data_.Context; }
  std::string Background(const std::string& theme) const;
  // The toolbar a theme's glyphs are drawn on: the set file's background for it, else `otherwise`.
  raster::ColorRef Toolbar(const std::string& theme, raster::ColorRef otherwise) const;
  int IconCount() const { return static_cast<int>(state_.Icons.size()); }
  // The icon of this name, or -1.
  int IndexOf(const std::string& name) const;

  // Columns theme by theme, each theme's sizes in the file's order.
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const TSetColumn& Column(int column) const { return columns_.at(static_cast<std::size_t>(column)); }
  // The column of "16" or "16-dark" (the first theme's name is allowed too: "16-light"), or -1.
  int ColumnOf(const std::string& key) const;
  int ColumnOf(int size, int theme) const;

  // A cell: nullptr when the strip has no glyph there (missing strip, short strip, new icon).
  TCellRef Cell(int icon, int column) const;
  // Empty: no glyph, or every pixel transparent.
  bool CellEmpty(int icon, int column) const;
  // The cell as a size × size picture in its strip's format (an empty cell in the key colour).
  std::shared_ptr<TBitmapImage> CellImage(int icon, int column) const;
  // Any cell of the column (one in the history too) as such a picture; nullptr: an empty one.
  std::shared_ptr<TBitmapImage> PictureOf(const TSetCell* cell, int column) const;
  // The whole column as its strip would be written now.
  std::shared_ptr<TBitmapImage> StripImage(int column) const;

  // --- Operations: each changes every strip in step, can be undone and raises
  // EInvalidOperation (changing nothing) for a name that breaks the rules or is taken. -------
  // A row of empty cells at index `at` (IconCount() appends).
  void Add(const std::string& name, int at);
  void Rename(int icon, const std::string& newName);
  // The icon taken out and put back so that it stands at index `to`.
  void Move(int icon, int to);
  void Remove(int icon);
  // A cell drawn anew (the editor's Update, a paste): the picture's colours in the strip's
  // format. The picture must be the column's size square.
  void SetCell(int icon, int column, const TBitmapImage& picture);
  // Fill from Size: every empty cell of column `to` takes the cell of column `from` (same
  // theme or not) of its icon, scaled as gliffo-tool scale does, and is marked derived.
  // EInvalidOperation when no factor of 1.5, 2, 3 or 4 leads from one size to the other.
  // Returns how many cells were filled.
  int FillFromSize(int from, int to);
  // Every empty cell of the columns given takes the picture `make` gives for it (nullptr:
  // none), in the strip's format, and is marked derived; one step for all. Returns how many
  // cells were filled.
  int FillDerived(const std::vector<int>& columns,
                  const std::function<std::shared_ptr<TBitmapImage>(int icon, int column)>& make);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  bool Undo();
  bool Redo();

  // Changed since the last open or save (names, order or any cell).
  bool Modified() const;
  // The strips Save would write now (columns).
  std::vector<int> ChangedColumns() const;
  // Writes every changed strip and then the set file, each through the safe save. Every file is
  // encoded and written beside its target before any takes its name, so a failure leaves every
  // file as it was; should a rename fail midway, the files already renamed get their old bytes
  // back. A strip the set had no file for gets one beside the set file ("NAME-16.png").
  // Returns the files written, in the order they took their names.
  std::vector<std::string> Save();

  const TImageOptions& Options() const { return options_; }

  // --- The recovery copy ---------------------------------------------------------------------
  // Changes with every step, undo, redo and save, and differs between sets, so whoever copied
  // the set can tell whether what it copied still stands.
  std::uint64_t Changes() const { return changes_; }
  // The set as it stands, without its history. Cells are shared and never changed, so another
  // thread may write the snapshot while this set goes on changing.
  std::shared_ptr<const TIconSet> Snapshot() const;
  // Writes the whole set into an existing, empty folder: a set file naming a strip per column
  // (a BMP of the strip's store, every value as the set holds it, and beside it a BMP with
  // alpha where the strip has alpha cells), and the set file as last read or saved. Every file goes through the safe save.
  TSetCopyInfo WriteCopy(const std::string& folder) const;
  // The set a copy holds, back at its own set file: its names and cells as the copy has them,
  // while what the set file and its strips on disk hold counts as saved, so the set reads as
  // unsaved wherever it differs and Save writes where the set always wrote. Refused
  // (EInvalidOperation naming the file) when the copy cannot be read or does not fit its set.
  static TIconSet Recover(const std::string& folder, const TSetCopyInfo& info, const TImageOptions& options);

 private:
  struct TStrip {
    std::shared_ptr<const TBitmapImage> Description;  // format and colour table, no pixels
    std::vector<TCellRef> Extra;  // glyphs past the last name: kept, never shown
    std::vector<TCellRef> Saved;  // the glyphs as the file holds them (for Modified)
    std::uint32_t Fill = 0;       // the stored value of an empty cell
  };
  // What the history keeps: names and every column's cells (shared, so cheap to copy).
  struct TState {
    std::vector<std::string> Icons;
    std::vector<int> Origins;  // each icon's place in the file as read (-1: added)
    std::vector<std::vector<TCellRef>> Cells;  // [column][icon]
    friend bool operator==(const TState&, const TState&) = default;
  };

  TIconSet() = default;
  // The set file read (within its size limit) and its columns built; no strip is read.
  static TIconSet ReadSetFile(const std::string& setFile, bool anyIconNames);
  void BuildColumns();
  void LoadStrip(int column);
  void CheckName(const std::string& name, int except) const;
  void Record();
  void Touch();
  std::vector<TCellRef> Layout(int column) const;
  TCellRef MakeCell(int column, std::vector<std::uint32_t> values, std::vector<std::uint32_t> alpha = {}) const;

  std::string fileName_;
  TSetFileText file_;
  TSetFileData data_;     // as the file says it, Strips kept up to date with new strips
  TImageOptions options_;
  std::vector<TSetColumn> columns_;
  std::vector<TStrip> strips_;
  TState state_;
  TState saved_;
  std::deque<TState> undo_, redo_;
  std::uint64_t changes_ = 0;
};

// The file a path of a set file names: relative to the set file's folder and inside it, after
// every link on the way is followed. EInvalidOperation "... is outside the set's folder" for an
// absolute path, a "..", or a link that leads out.
std::string ResolveSetPath(const std::string& setFile, const std::string& path);

// Whether a file name is a set file's: it ends in ".glyphset", in any case.
bool IsSetFile(const std::string& fileName);

// "icons.glyphset:16" or "icons.glyphset:16-dark": the set file and the key, when the name is of
// that form and the set file exists; nothing otherwise (an ordinary file name).
std::optional<std::pair<std::string, std::string>> SplitCellStripName(const std::string& name);
// A name as a job that reads a strip takes it: SET:SIZE[-THEME] gives that strip's file
// (TIconSet::StripFile, which refuses a set naming a path outside its folder); any other name
// is given back as it is.
std::string CellStripFile(const std::string& name);

}  // namespace gliffo
