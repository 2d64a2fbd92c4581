#pragma once
// Exports for other sizes and toolkits: the selected glyph as a Windows icon (with its 2x and
// 3x variants on request) and the selected glyphs scaled as a strip to retouch.
#include <string>

#include "formats/image_options.h"
#include "glyphs/scaling.h"

namespace gliffo {

class TGlyphCollection;
class IDialogService;

// The selected glyph as an ICO of its own size and, withVariants, its Scale2x and Scale3x
// enlargements, written through the safe save. Returns false and writes nothing when not
// exactly one glyph is selected.
bool ExportIcon(const TGlyphCollection& collection, const std::string& fileName, bool withVariants);
// The selected glyphs, each scaled on its own by the factor's usual method, as one strip.
// Raises EInvalidOperation when the factor does not fit the glyph size (1.5 of an odd size).
// Returns false and writes nothing when nothing is selected.
bool ExportScaled(const TGlyphCollection& collection, const std::string& fileName, TScaleFactor factor,
                  IDialogService& dialogs);
// The same with the options a save dialog's choice gives (32 bits with alpha).
bool ExportScaled(const TGlyphCollection& collection, const std::string& fileName, TScaleFactor factor,
                  IDialogService& dialogs, const TEncodeOptions& options);

// The menu commands: the selection checked as Export Bitmap checks it (Export Scaled takes any
// number of glyphs), the save dialog, a question before replacing a file, and for the icon
// whether to include the larger sizes.
void ExportIconCommand(const TGlyphCollection& collection, IDialogService& dialogs);
void ExportScaledCommand(const TGlyphCollection& collection, TScaleFactor factor, IDialogService& dialogs);

}  // namespace gliffo
