#pragma once
// Save Back to Files: the glyphs of a list loaded from a folder go back into the files they came
// from, each at its own place in its file's strip.
#include <string>

namespace gliffo {

class TGlyphCollection;
class IDialogService;

struct TSaveBackResult {
  int FilesWritten = 0;
  int GlyphsWritten = 0;
  int GlyphsWithoutFile = 0;  // added, pasted or duplicated glyphs: nowhere to go back to
  // Glyphs from files were moved or deleted: the files cannot keep that.
  bool OrderLost = false;
};

// Every file that a glyph of the list came from is read again; a glyph whose pixels differ from
// its place in the file is drawn there, matched to the file's own pixel format and colour table,
// and only files with such a glyph are written, each through the safe save. Every file is read
// and checked before any is written: a file that cannot be read, or no longer has the glyph's
// place, raises an error and nothing is written. The list is clean afterwards unless it holds
// glyphs that belong to no file, or glyphs from files were moved or deleted since the load (a
// file keeps each glyph at its own place, so neither can be written back).
TSaveBackResult SaveBackToFiles(TGlyphCollection& collection);

// The menu command: a list with no glyph from a file is told so; otherwise SaveBackToFiles.
// When the files could not take the list's order, the user is told so and offered Save
// Collection As for the whole list; otherwise a message says when some glyphs belong to no file.
void SaveBackCommand(TGlyphCollection& collection, IDialogService& dialogs);

}  // namespace gliffo
