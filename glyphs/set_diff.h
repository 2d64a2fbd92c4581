#pragma once
// Two versions of a strip or an icon set, compared glyph by glyph: which icons are the same,
// which changed (and by how many pixels), which were added, removed or moved. A set's icons
// are known by their names, a strip's glyphs by their places; a glyph that left its place is
// found again by its pixels. The window's Compare With and gliffo-tool diff both read this.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/bitmap_image.h"

namespace gliffo {

class TIconSet;

// A glyph as a person sees it: size × size pixels, top row first, each 0xAARRGGBB with
// straight alpha; every fully transparent pixel is 0 whatever colour it stored, so two glyphs
// that look the same compare equal.
using TGlyphPixels = std::vector<std::uint32_t>;

// The glyph of `size` at `left` of a picture: an alpha picture's own pixels, else the
// key-colour rule of a speed button (the glyph's bottom-left colour is transparent).
TGlyphPixels SeenGlyph(const TBitmapImage& picture, int left, int size);

// One side of a comparison: its icons and, for each, a glyph per column ("16", "24-dark").
struct TDiffSide {
  bool Named = false;                  // a set: icons known by name; a strip: by place
  std::vector<std::string> Columns;    // keys; a strip has one, its glyph size
  std::vector<int> ColumnSizes;
  std::vector<std::string> Names;      // a set's icon names (empty for a strip)
  std::vector<std::vector<TGlyphPixels>> Glyphs;  // [icon][column]; empty: no glyph there
  int IconCount() const { return static_cast<int>(Glyphs.size()); }
};

TDiffSide DiffSideOf(const TIconSet& set);
// Refuses (EInvalidOperation naming the strip) a set read from a file whose strips are not all
// beside it, as a set file copied away alone is: it would compare as a set of empty cells.
void CheckStripsPresent(const TIconSet& set);
// A strip cut into square glyphs of its height (or of `size` when given).
TDiffSide DiffSideOf(const TBitmapImage& strip, int size = 0);

enum class TDiffStatus { Same, Changed, Added, Removed, Moved };

struct TIconDiff {
  TDiffStatus Status = TDiffStatus::Same;
  std::string Name;   // a set's icon; empty for a strip
  int Index = -1;     // in the second version (the first for a removed icon)
  int From = -1;      // in the first version (-1 for an added icon)
  int Pixels = 0;     // pixels that differ, over every column (a moved icon may have changed too)
  std::vector<std::string> ChangedColumns;
};

struct TSideDiff {
  bool Named = false;
  std::vector<std::string> Columns;  // every column of either side, the second's order first
  std::vector<TIconDiff> Icons;      // the second version's order, each removed icon after its
                                     // predecessor
  bool Differs() const;
};

// Compares two sides of one kind (two sets, or two strips of one glyph size): EInvalidOperation
// otherwise. A column only one side has counts each drawn pixel there as changed.
TSideDiff DiffSides(const TDiffSide& before, const TDiffSide& after);

// The words of a status line: "same", "changed 12 pixels", "added", "removed", "moved from 3"
// (and ", changed N pixels" after a move that changed the icon too).
std::string StatusText(const TIconDiff& icon);
// How an icon is named in a report: its name, or its place in the strip.
std::string IconLabel(const TIconDiff& icon);

// Before, after and the changed pixels marked, side by side, one row per icon that is not the
// same, each column's glyphs magnified to about 64 pixels; nullptr when nothing differs. A
// 32-bit store, every pixel opaque: transparent pixels are a grey check.
std::shared_ptr<TBitmapImage> DiffPicture(const TDiffSide& before, const TDiffSide& after, const TSideDiff& diff);

}  // namespace gliffo
