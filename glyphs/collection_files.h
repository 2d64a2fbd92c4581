#pragma once
// Glyph strips on disk: opening one into the glyph list, saving the selected glyphs as one,
// exporting a single glyph, and joining several strip files. A strip is a BMP image of height
// H whose glyph k occupies columns k·H .. (k+1)·H − 1.
//
// Two layers: the operations themselves (file names handed in), and the whole menu-command
// flows with their dialogs and messages, so the window and gliffo-tool run the same code.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/image_options.h"
#include "platform/files/file_io.h"

namespace gliffo {

class TBitmap;
class TGlyphCollection;
class IDialogService;

// --- Operations -----------------------------------------------------------------------------

// Replaces the whole glyph list by the glyphs of the strip and makes its height GlyphSize.
// The file is read and checked before anything changes: a file that cannot be read raises the
// reader's error, an empty image or one narrower than its height raises EInvalidOperation
// "Invalid image size", and either way the list, its selection, GlyphSize and the mode menu
// stay exactly as they were.
void OpenCollection(TGlyphCollection& collection, const std::string& fileName);

// The selected glyphs, in item order, drawn into a new 4-bit system-palette strip of
// (selection count × GlyphSize) × GlyphSize. Returns false and leaves strip alone when nothing
// is selected.
bool MakeSelectionStrip(const TGlyphCollection& collection, TBitmap& strip);
// Writes MakeSelectionStrip's strip to the file (an existing file is replaced without asking).
// Returns false and writes nothing when nothing is selected.
bool SaveCollection(const TGlyphCollection& collection, const std::string& fileName);

// Every glyph of the list, in item order, as one strip, whatever is selected. Returns false
// and leaves strip alone when the list is empty.
bool MakeWholeStrip(const TGlyphCollection& collection, TBitmap& strip);

// The disabled looks of the selected glyphs (glyphs/button_looks.h), as a strip beside the
// one SaveCollection writes, so a program can ship its disabled image list with the normal one.
// Returns false and writes nothing when nothing is selected.
bool SaveDisabledStrip(const TGlyphCollection& collection, const std::string& fileName);
// The same with the options a save dialog's choice gives (32 bits with alpha).
bool SaveDisabledStrip(const TGlyphCollection& collection, const std::string& fileName, const TEncodeOptions& options);

// A new 4-bit image with the 16 system colours, white, sized before its canvas is first used:
// the form of every saved strip and exported glyph.
void MakeSystemPaletteImage(TBitmap& image, int width, int height);

// Cell cellIndex drawn into a new 4-bit system-palette image of GlyphSize × GlyphSize.
void MakeGlyphImage(const TGlyphCollection& collection, int cellIndex, TBitmap& image);
// Writes the selected item's glyph (MakeGlyphImage). When the file exists the user is asked
// "Replace Existing File?" and it is written only on Yes. Returns whether it was written;
// false without asking when nothing is selected.
bool ExportBitmap(const TGlyphCollection& collection, const std::string& fileName, IDialogService& dialogs);
// The same with the options a save dialog's choice gives (32 bits with alpha).
bool ExportBitmap(const TGlyphCollection& collection, const std::string& fileName, IDialogService& dialogs,
                  const TEncodeOptions& options);

// The strips side by side in the given order: the result keeps the pixel format and the height
// of the first file, and is as wide as all files together. Every file is read before anything
// is drawn; a file that cannot be read raises the reader's error. At least one name is needed.
// When any file is an alpha picture the result is one too: the alpha files' own pixels, and
// the others' with each glyph's key at alpha 0 (unless keys asks for every pixel opaque).
void BuildCombinedStrip(const std::vector<std::string>& fileNames, TBitmap& result, const TDecodeOptions& options,
                        const TEncodeOptions& keys = {});

// How a job that judges its inputs itself (gliffo-tool: inputs that may be pipes, headers
// judged in full, warnings) takes part in BuildCombinedStrip, so that each file is still opened
// once and read once. Every member is optional.
struct TCombineInputs {
  // Opens file i. alone: no other file is being read, so anything a person may name (a pipe)
  // can be taken in; otherwise it may open regular files only, and what it raises makes the
  // file be opened again alone, after the others. Its error is the file's.
  std::function<std::unique_ptr<files::TInputFile>(std::size_t i, bool alone)> Open;
  // Judges file i by its first bytes (all of a small file), on any thread, before its pixels
  // are read. What it raises (and what opening the file raised) stops the job before any
  // reader's error, and no file after it need be read.
  std::function<void(std::size_t i, const files::TInputFile& file, std::span<const std::uint8_t> head)> Judge;
  // Hears of each file judged, in order, once every file is and before anything is raised
  // about a later one.
  std::function<void(std::size_t i)> Judged;
};
void BuildCombinedStrip(const std::vector<std::string>& fileNames, TBitmap& result, const TDecodeOptions& options,
                        const TEncodeOptions& keys, const TCombineInputs& inputs);

// Saves an image, asking "Replace Existing File?" first when the file exists; returns whether
// it was written.
bool SaveWithConfirmation(TBitmap& image, const std::string& fileName, IDialogService& dialogs,
                          const TEncodeOptions& options);

// --- Menu commands (dialogs and messages included) ------------------------------------------

// Open dialog (single selection, "Bitmap Collection|*.gbc"); on OK, OpenCollection.
void OpenCollectionCommand(TGlyphCollection& collection, IDialogService& dialogs);
// Only with a selection: save dialog (filter index 1, default extension "gbc", starting at the
// file the list came from); on OK, SaveCollection, asking "Replace Existing File?" first when
// the file exists. A save that took every glyph leaves the list clean, from that file. With
// nothing selected it shows nothing.
void SaveCollectionCommand(TGlyphCollection& collection, IDialogService& dialogs);
// Asked before a command discards the glyph list. A clean (or empty) list asks nothing and
// returns true. A modified one asks "Save changes to the glyph list?" with Yes, No and Cancel:
// No returns true; Cancel returns false; Yes runs the save dialog as Save Collection As does,
// starting at the file the list came from, and writes every glyph (asking before replacing a
// file), leaving the list clean; cancelling either dialog returns false with nothing written.
bool SaveChangesCommand(TGlyphCollection& collection, IDialogService& dialogs);
// Every glyph of the list through the save dialog, as that Yes does; false when a dialog was
// cancelled and nothing was written.
bool SaveWholeListCommand(TGlyphCollection& collection, IDialogService& dialogs);
// The same for SaveDisabledStrip, asking for the file as SaveCollectionCommand does.
void SaveDisabledStripCommand(const TGlyphCollection& collection, IDialogService& dialogs);
// "No bitmap selected!" / "Select only one bitmap!", else save dialog (filter index 2,
// default extension "bmp"); on OK, ExportBitmap.
void ExportBitmapCommand(const TGlyphCollection& collection, IDialogService& dialogs);
// Open dialog with multiple selection; fewer than two files: "Select 2 or more files!".
// Otherwise builds the combined strip, then asks for the output name (filter index 1,
// default extension "gbc") and saves it (asking before replacing a file).
void CombineCollectionsCommand(IDialogService& dialogs, const TImageOptions& options);

}  // namespace gliffo
