#pragma once
// The folder load: every BMP file of a folder is read in order, and those that consist of
// whole glyphs of the current GlyphSize replace the contents of the glyph list. Shared by the
// folder browser of the collection window and by gliffo-tool gather.
#include <string>
#include <vector>

#include "formats/image_options.h"

namespace gliffo {

class TBitmap;
class TGlyphCollection;

struct TFolderLoadResult {
  bool Ran = false;   // false when the name list was empty and nothing changed
  int FilesRead = 0;  // files read before the load ended
  int FilesAccepted = 0;
  int GlyphsAdded = 0;
};

// The path of a folder entry: folder, one separator, name. A folder that already ends in a
// separator (the root "/") gives two in a row, which the file system reads as one.
std::string FolderEntryPath(const std::string& folder, const std::string& name);

// Loads the named files of the folder (names already listed and sorted) into the glyph list.
// An empty name list changes nothing. Otherwise the list is cleared and each file is read in
// order; a file is kept when its height equals GlyphSize and its width is a multiple of it,
// and is then cut into glyphs from the left; a file whose header gives another height is
// passed over on that header alone, however large it says it is. Items are numbered 0, 1,
// 2, … and ApplyGlyphSize runs at the end.
//
// A file that cannot be read stops the load there with the reader's error. The view is left
// truthful and usable first: the glyphs accepted before that file are numbered and shown, the
// update bracket is closed and ApplyGlyphSize has run, just as if the folder had ended before
// the failing file.
TFolderLoadResult LoadFolder(TGlyphCollection& collection, const std::string& folder,
                             const std::vector<std::string>& names);

// What LoadFolder of the same names into a list of glyphs of the given size, followed by
// selecting every glyph and Save Collection, writes: the 4-bit strip of all the glyphs the
// files hold, in order. It is made without the glyph list, each file's pixels matched to the
// strip's colours as they are read. A file that cannot be read raises the same error and the
// strip stays as it was; a folder without glyphs leaves it empty.
// Given keepAlpha, and any file is an alpha picture, the strip is one too: the alpha files'
// glyphs with their own pixels, the others' with each glyph's key at alpha 0 (unless the
// options ask for every pixel opaque); the 4-bit strip is the same either way.
TFolderLoadResult GatherFolderStrip(const std::string& folder, const std::vector<std::string>& names, int size,
                                    const TDecodeOptions& options, TBitmap& strip, const TEncodeOptions* keepAlpha = nullptr);

}  // namespace gliffo
