#pragma once
// The glyph state of the collection window as plain C++: the image list ImageList1, the items
// of the glyph view, GlyphSize, the mode menu, and the window operations on them. The window
// turns menu commands into these calls and paints what they leave behind.
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "formats/image_options.h"
#include "glyphs/glyph_geometry.h"
#include "glyphs/image_list.h"
#include "glyphs/list_items.h"

namespace gliffo {

class TBitmap;
class IDialogService;

// What the glyph list and the collection window do to the editor. The editor implements it and
// start-up attaches it; until then the collection window leaves its editor commands disabled.
// Tests use a stand-in. Every call may assume a size of at least 1.
class IGlyphEditorLink {
 public:
  virtual ~IGlyphEditorLink() = default;
  // The Editor image control to size × size, then its bitmap to size × size.
  virtual void SetGlyphImageSize(int size) = 0;
  // The pen width of the drawing surface pic.
  virtual void SetSurfacePenWidth(int width) = 0;
  // The real-size glyph (the bitmap of the Editor image).
  virtual const TBitmap& GlyphBitmap() = 0;
  // "&Image": the cell drawn into the editor's glyph, the editor shown and brought to the front.
  virtual void EditGlyph(const TImageList& images, int cellIndex) = 0;
  // "BMP &Editor": the editor shown with its current content at the current glyph size.
  virtual void ShowEditor() = 0;
  // Asked before something replaces the editor's glyph (another glyph taken, the program
  // ending): false when the user chose to keep things as they are. An editor holding changes
  // that were neither saved nor put into the list asks the user first.
  virtual bool MayReplaceGlyph(IDialogService& /*dialogs*/) { return true; }
  // The editor's glyph was just written into cell `cell` of the list: it is kept there now.
  virtual void GlyphKept(int /*cell*/) {}
};

struct TMenuItemState {
  bool Checked = false;
  bool Enabled = true;
  friend bool operator==(const TMenuItemState&, const TMenuItemState&) = default;
};

// The three radio items "16x16 mode", "24x24 mode", "32x32 mode" under Tools.
class TModeMenu {
 public:
  TModeMenu();
  const TMenuItemState& bmp16() const { return items_[0]; }
  const TMenuItemState& bmp24() const { return items_[1]; }
  const TMenuItemState& bmp32() const { return items_[2]; }
  // The item of a size (16, 24 or 32); nullptr for any other size.
  const TMenuItemState* ItemFor(int size) const;

  // Checks the item of the size and unchecks the other two; other sizes change nothing.
  void Check(int size);
  void SetEnabled(int size, bool enabled);

  // Raised after every change of a checked or enabled state, so the window mirrors it.
  std::function<void()> OnChange;

 private:
  static int Slot(int size);
  TMenuItemState items_[3];
};

// Where the glyphs of the list came from: nowhere yet, a collection file, or a folder.
enum class TListSourceKind { None, File, Folder };
struct TListSource {
  TListSourceKind Kind = TListSourceKind::None;
  std::string Path;
  // The last part of the path ("icons.gbc", the folder's name, "/" for the root); "" for none.
  std::string Name() const;
  friend bool operator==(const TListSource&, const TListSource&) = default;
};

// Where a glyph came from: the file and its place in that file's strip. A glyph added, pasted
// or duplicated belongs to no file (File empty).
struct TGlyphOrigin {
  std::string File;
  int Position = -1;
  bool HasFile() const { return !File.empty(); }
  friend bool operator==(const TGlyphOrigin&, const TGlyphOrigin&) = default;
};

// The whole list as its history keeps it: the cells one after the other, where each came from,
// and which items were selected.
struct TListState {
  int GlyphSize = 16;
  int Count = 0;
  std::vector<std::uint32_t> Pixels;
  // Each cell's own pixels with alpha (empty for a key-colour cell; no entries at all when
  // no cell has any).
  std::vector<std::vector<std::uint32_t>> AlphaCells;
  std::vector<TGlyphOrigin> Origins;
  std::vector<bool> Selected;
  // Each glyph's key (see TGlyphCollection::CellKey); 0 for a glyph new to the list.
  std::vector<std::uint64_t> Keys;
};

class TGlyphCollection {
 public:
  TGlyphCollection();
  TGlyphCollection(const TGlyphCollection&) = delete;
  TGlyphCollection& operator=(const TGlyphCollection&) = delete;

  TImageList ImageList1;
  TListItems Items;  // the items of the glyph view
  TModeMenu ModeMenu;
  // The run's choices for every file the list and its editor load and save (the Options menu,
  // gliffo-tool's --key, --matte and --opaque).
  TImageOptions Options;

  int GlyphSize() const { return glyphSize_; }
  // Sets the value alone (as the window's creation and opening a collection do); values below
  // 1 raise EInvalidOperation "Invalid image size".
  void SetGlyphSize(int value);
  // The editor's size of one glyph pixel.
  int CellScale() const { return CellScaleFor(glyphSize_); }

  // The editor, or nullptr before it exists (then the operations leave it out).
  void SetEditor(IGlyphEditorLink* editor) { editor_ = editor; }
  IGlyphEditorLink* Editor() const { return editor_; }

  // Appends one item per cell, item k showing cell k captioned "k". The caller has emptied
  // the items inside an open bracket.
  void RebuildNumberedItems();
  // "Add from Editor": appends the editor's glyph as a new cell and item.
  void AddfromEditor();
  // The list half of "Update Collection Item": the selected item's cell takes the editor's
  // glyph. Returns false (and does nothing) when no item is selected.
  bool ReplaceSelected();
  // The same for any cell; false (and nothing done) for a cell the list does not hold.
  bool ReplaceCell(int cell);
  void SelectAll();
  void InvertSelection();
  // "Close" after the user said Yes: empties the list, back to size 16, menu open.
  void ClearGlyphList();
  void ApplyGlyphSize();
  // bmp16Click, bmp24Click, bmp32Click (size 16, 24 or 32). When the list holds glyphs of
  // another cell size, taking the new size would empty it: the user is asked "Clear Viewer?"
  // first; No changes nothing, Yes clears the list and then takes the size. Returns whether
  // the size was taken.
  bool Mode(int size, IDialogService& dialogs);

  // The list is modified once a glyph was written into it or added (by the editor, or any later
  // command that changes glyphs) and clean again once it was loaded or saved whole; commands
  // that would discard a modified list ask first.
  // The list's history knows where it was last loaded or saved: undoing or redoing back to
  // there makes it clean again.
  bool Modified() const { return modified_; }
  void SetModified(bool modified);
  const TListSource& Source() const { return source_; }
  // The list now holds exactly what is at the source (loaded from it, or saved whole to it).
  void MarkLoaded(TListSource source);
  // Raised after the modified state or the source changed, so the window mirrors them.
  std::function<void()> OnStateChange;
  // Goes up with every change of the list, its state or its source, so a watcher can tell
  // cheaply whether anything happened since it last looked.
  std::uint64_t Changes() const { return changes_; }
  // Where the glyphs were when the list was loaded.
  const std::vector<TGlyphOrigin>& LoadedOrigins() const { return loadedOrigins_; }
  // Work brought back from a recovery copy: the glyphs and their origins, where the list came
  // from and whether it was modified; no history.
  void RestoreRecovered(const TListState& state, std::vector<TGlyphOrigin> loadedOrigins, TListSource source,
                        bool modified);

  // "Glyph 3 of icons.gbc": a glyph by its number and where the list came from.
  std::string DescribeGlyph(int index) const;

  // --- Reshaping the set (glyphs/list_edits.cpp) ---------------------------------------------
  // Every command below keeps the items numbered 0..n-1 with item k showing cell k, marks the
  // list modified and can be taken back with Undo. Each returns whether it changed anything.

  // Removes the selected glyphs; the item now at the first removed place is selected.
  bool DeleteSelected();
  // Moves the selected glyphs one place left (step -1) or right (step +1); a block already at
  // that end stays, the others still move.
  bool MoveSelected(int step);
  // Moves the selected glyphs, in their order, to just before the item that was at `before`
  // (Count() for the end), as dragging them there does.
  bool MoveSelectedTo(int before);
  // Puts a copy of each selected glyph right after it; the copies become the selection.
  bool DuplicateSelected();
  // Cuts the strip into glyphs and inserts them before item `before` (Count() appends); they
  // become the selection. An empty list takes the strip's height as its glyph size; otherwise a
  // strip of another height raises EInvalidOperation saying both heights, and nothing changes.
  int InsertStrip(const TBitmap& strip, int before);
  // Several strips in one step, in their order; each must have the height of the first (or of
  // the list's glyphs).
  int InsertStrips(std::span<const TBitmap* const> strips, int before);
  // The selected glyphs side by side, unchanged, as one 24-bit strip; false with none selected.
  bool SelectedStrip(TBitmap& strip) const;
  // Where pasted glyphs go: after the last selected item, or at the end.
  int InsertionPoint() const;

  // The list's own history. Loading a list, or clearing it, starts it afresh.
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  bool Undo();
  bool Redo();
  // Called before a change: the current state becomes a step to go back to.
  void RecordStep();

  // The file and place a cell came from (no file for cells added since the load).
  TGlyphOrigin Origin(int cell) const;
  // A key that stays with a glyph while the list is reshaped (moved, others deleted or
  // inserted, undone and redone), and is never given to another glyph: so the editor can say
  // where the glyph it took is now. Keys of a loaded list are new ones.
  std::uint64_t CellKey(int cell) const;
  // The cell holding the glyph of that key, or -1 when it is no longer in the list.
  int CellWithKey(std::uint64_t key) const;

  // After a load: the cells' origins, in cell order, and no history.
  void StartFresh(std::vector<TGlyphOrigin> origins);
  // Whether the glyphs that came from files are all still in the list, in the order they were
  // loaded in: files keep each glyph at its own place, so only then does writing the glyphs
  // back to their files keep everything the list holds.
  bool FileOrderKept() const;
  TListState CaptureState() const;
  void RestoreState(const TListState& state);

  // True when the cells have GlyphSize (always so while the list holds glyphs).
  bool CellsMatchGlyphSize() const { return CellsMatchSize(glyphSize_); }
  bool CellsMatchSize(int size) const { return ImageList1.Width() == size && ImageList1.Height() == size; }

 private:
  void SizeEditor(int size);

  void StateChanged();
  // A command's result: the state before it becomes the step to go back to.
  void Commit(const TListState& before, const TListState& after);
  void PushStep(TListState state);

  int glyphSize_ = 16;
  IGlyphEditorLink* editor_ = nullptr;
  bool modified_ = false;
  std::uint64_t changes_ = 0;
  // How many steps back the list held what was last loaded or saved; -1 when no step does.
  int savedDepth_ = 0;
  TListSource source_;
  std::vector<TGlyphOrigin> origins_;
  std::vector<TGlyphOrigin> loadedOrigins_;  // the origins as the last load left them
  // Cells appended since the keys were last set get theirs when first asked for.
  void EnsureKeys() const;
  mutable std::vector<std::uint64_t> keys_;
  mutable std::uint64_t lastKey_ = 0;
  std::deque<TListState> undo_;
  std::deque<TListState> redo_;
};

}  // namespace gliffo
