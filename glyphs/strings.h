#pragma once
// Texts of the glyph core that the user sees. Each text lives here once, so tests compare
// against the same constant the program uses.
#include "formats/strings.h"

namespace gliffo::texts {

inline constexpr const char* InvalidPixelFormat = "Invalid pixel format";
inline constexpr const char* Win32Error = "Win32 Error.  Code: %d.\n%s";

inline constexpr const char* InvalidImageSize = "Invalid image size";
inline constexpr const char* UnableToReplaceImage = "Unable to Replace Image";

inline constexpr const char* NoBitmapSelected = "No bitmap selected!";
inline constexpr const char* SelectOnlyOneBitmap = "Select only one bitmap!";
inline constexpr const char* SelectTwoOrMoreFiles = "Select 2 or more files!";
inline constexpr const char* ReplaceExistingFile = "Replace Existing File?";
inline constexpr const char* ClearViewer = "Clear Viewer?";

// Asked before a command discards a modified glyph list.
inline constexpr const char* SaveChanges = "Save changes to the glyph list?";
// The file a failed folder load stopped at, under the error's own message.
inline constexpr const char* FolderLoadStopped = "%s\nThe files after it in the folder were not read.";
// Which glyph the editor holds.
inline constexpr const char* GlyphNumber = "Glyph %d";
inline constexpr const char* GlyphOfSource = "Glyph %d of %s";
inline constexpr const char* GlyphNotInList = "The glyph is no longer in the list";
// Save Back to Files.
inline constexpr const char* SaveBackNeedsFolder =
    "None of these glyphs came from a file of a folder; save them with Save Collection As.";
inline constexpr const char* SaveBackWithoutFile =
    "%d glyphs belong to no file and were not written; save them with Save Collection As.";
inline constexpr const char* SaveBackOneWithoutFile =
    "1 glyph belongs to no file and was not written; save it with Save Collection As.";
inline constexpr const char* SaveBackOrderLost =
    "Each file keeps its glyphs at their own places, so the new order and the deleted glyphs "
    "were not written to the files, and the list stays unsaved.\n\nSave the whole list with Save "
    "Collection As?";
inline constexpr const char* SaveBackFileChanged =
    "%s no longer holds the glyphs that were loaded from it; no file was written.";
// The recovery copy, offered at start when a program left one behind.
inline constexpr const char* RecoveryFound =
    "Gliffo 2 did not end properly on %s. This work was not saved:\n%s\n\nRestore it? (No discards it.)";
inline constexpr const char* RecoveryGlyphs = "%d glyphs";
inline constexpr const char* RecoveryOneGlyph = "1 glyph";
inline constexpr const char* RecoveryListOf = "the list of %s from %s";
inline constexpr const char* RecoveryListUntitled = "an untitled list of %s";
inline constexpr const char* RecoveryEditorGlyph = "the glyph in the editor";
inline constexpr const char* RecoveryEditorGlyphOf = "the glyph in the editor, from %s";
inline constexpr const char* RecoverySetOf = "%s and %s of the icon set %s";
inline constexpr const char* RecoveryNewSetOf = "%s and %s of the new icon set %s";
inline constexpr const char* RecoveryIcons = "%d icons";
inline constexpr const char* RecoveryOneIcon = "1 icon";
inline constexpr const char* RecoveryCells = "%d cells";
inline constexpr const char* RecoveryOneCell = "1 cell";
inline constexpr const char* RecoveryUnreadable = "%s holds no readable recovery copy";
// Glyphs inserted into the list must have its glyph size as their height.
inline constexpr const char* WrongStripHeight = "The image is %d pixels high; the glyphs are %d.";

// Export Icon.
inline constexpr const char* IconExtension = "ico";
inline constexpr const char* IncludeLargerSizes = "Include the 2x and 3x sizes in the icon?";
// The titles of the file dialogs of the commands beyond the classic ones.
inline constexpr const char* ExportIconTitle = "Export Icon";
inline constexpr const char* ExportScaledTitle = "Export Scaled";
inline constexpr const char* CombineOpenTitle = "Combine Collections";
inline constexpr const char* CombineSaveTitle = "Save Combined Collection";
inline constexpr const char* CollectionExtension = "gbc";
inline constexpr const char* BitmapExtension = "bmp";

// Icon sets.
inline constexpr const char* SetExtension = "glyphset";
inline constexpr const char* SetExtensionDot = ".glyphset";
inline constexpr const char* SetPathOutside = "%s is outside the set's folder";
inline constexpr const char* InvalidIconName =
    "\"%s\" is not a valid icon name: lower-case letters, digits, -, _ and ., from a letter or digit";
inline constexpr const char* IconNameTaken = "The set already has an icon named %s";
inline constexpr const char* CannotFillSize = "No scaling leads from %d to %d pixels: only 1.5, 2, 3 or 4 times";

}  // namespace gliffo::texts
