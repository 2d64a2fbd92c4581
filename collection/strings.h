#pragma once
// Texts of the collection window and the application that the user sees, each kept once so
// tests compare against the same constant the program uses.
#include "glyphs/strings.h"

namespace gliffo::texts {

inline constexpr const char* ApplicationTitle = "Gliffo 2";
inline constexpr const char* ConfirmCaption = "Confirm";
inline constexpr const char* YesButton = "&Yes";
inline constexpr const char* NoButton = "&No";
inline constexpr const char* CancelButton = "Cancel";
// The collection window's title: the application title, then where the list came from, marked
// with a leading "*" while it holds unsaved changes.
inline constexpr const char* TitleSeparator = " - ";
inline constexpr const char* ModifiedMark = "*";
inline constexpr const char* UntitledList = "Untitled";

inline constexpr const char* AboutPrefix = "Gliffo 2 by ";
inline constexpr const char* AuthorCredit = "the Gliffo developers";

inline constexpr const char* HelpFileName = "Gliffo.hlp";
inline constexpr const char* HelpTopic = "Gliffo";
inline constexpr const char* JumpIdMacro = "JumpID(\"\",\"%s\")";
inline constexpr const char* HelpWindowCaption = "Gliffo 2 Help";
inline constexpr const char* HelpFileMissing = "Cannot open the help file %s";
inline constexpr const char* HelpTopicMissing = "The help topic %s does not exist";

// Errors that escape everything else still get a message of their own.
inline constexpr const char* OutOfMemory = "Out of memory";
inline constexpr const char* UnknownError = "An unexpected error occurred";

// The menu of the collection window.
inline constexpr const char* MenuFile = "&File";
inline constexpr const char* MenuOpenCollection = "&Open Collection...";
inline constexpr const char* MenuSaveCollection = "&Save Collection As...";
inline constexpr const char* MenuCombineCollections = "&Combine Collections...";
inline constexpr const char* MenuExportBitmap = "&Export Bitmap...";
inline constexpr const char* MenuClose = "Close";
inline constexpr const char* MenuEdit = "&Edit";
inline constexpr const char* MenuImage = "&Image";
inline constexpr const char* MenuAddFromEditor = "Add from Editor";
inline constexpr const char* MenuSelectAll = "Select &All";
inline constexpr const char* MenuInvertSelection = "In&vert Selection";
inline constexpr const char* MenuTools = "&Tools";
inline constexpr const char* MenuBmpEditor = "BMP &Editor";
inline constexpr const char* Menu16Mode = "16x16 mode";
inline constexpr const char* Menu24Mode = "24x24 mode";
inline constexpr const char* Menu32Mode = "32x32 mode";
inline constexpr const char* MenuOptions = "&Options";
inline constexpr const char* MenuIncludePngFiles = "Include PNG Files";
inline constexpr const char* MenuTransparentKey = "Transparent key colour";
inline constexpr const char* MenuHelp = "&Help";
inline constexpr const char* MenuContents = "&Contents";
inline constexpr const char* MenuAbout = "&About";
// The menu that reshapes the set, beside the classic ones.
inline constexpr const char* MenuGlyphs = "&Set";
inline constexpr const char* MenuUndo = "&Undo";
inline constexpr const char* MenuRedo = "&Redo";
inline constexpr const char* MenuDelete = "&Delete";
inline constexpr const char* MenuMoveLeft = "Move &Left";
inline constexpr const char* MenuMoveRight = "Move &Right";
inline constexpr const char* MenuDuplicate = "D&uplicate";
inline constexpr const char* MenuCopy = "&Copy";
inline constexpr const char* MenuPaste = "&Paste";
inline constexpr const char* MenuSaveBack = "Save &Back to Files";
inline constexpr const char* MenuExportIcon = "Export &Icon...";
inline constexpr const char* MenuExportScaled = "Export &Scaled";
inline constexpr const char* MenuScaled15 = "1.5x...";
inline constexpr const char* MenuScaled2 = "2x...";
inline constexpr const char* MenuScaled3 = "3x...";
// The menu of the window's own keys that have no classic item, beside the classic menus.
inline constexpr const char* MenuWindow = "&Window";
inline constexpr const char* MenuReloadFolder = "&Reload Folder";
inline constexpr const char* MenuQuit = "&Quit";
// Paste refuses an image that is not a strip of the list's glyphs.
inline constexpr const char* ClipboardWrongHeight = "The clipboard image is %d pixels high; the glyphs are %d.";
inline constexpr const char* ClipboardNoImage = "The clipboard holds no image.";

// The icon-set menu and its questions.
inline constexpr const char* MenuIconSet = "&Icon Set";
inline constexpr const char* MenuSaveSet = "&Save Set";
inline constexpr const char* MenuCloseSet = "C&lose Set";
inline constexpr const char* MenuAddIcon = "&Add Icon...";
inline constexpr const char* MenuRenameIcon = "&Rename Icon...";
inline constexpr const char* MenuDeleteIcon = "&Delete Icon";
inline constexpr const char* MenuMoveIconUp = "Move &Up";
inline constexpr const char* MenuMoveIconDown = "Move Do&wn";
inline constexpr const char* MenuEditCell = "&Edit Cell";
inline constexpr const char* MenuCopyCell = "&Copy Cell";
inline constexpr const char* MenuPasteCell = "&Paste Cell";
inline constexpr const char* MenuFillFromSize = "&Fill from Size...";
inline constexpr const char* MenuCheckSet = "C&heck Set";
inline constexpr const char* CheckSetCaption = "Check Set";
inline constexpr const char* CheckSetNoProblems = "No problems found.";
inline constexpr const char* CheckSetFound = "%d problems found";
inline constexpr const char* SetDialogName = "Icon Set";
inline constexpr const char* SaveSetChanges = "Save changes to the icon set?";
inline constexpr const char* AddIconCaption = "Add Icon";
inline constexpr const char* RenameIconCaption = "Rename Icon";
inline constexpr const char* IconNamePrompt = "Icon name:";
inline constexpr const char* FillFromSizeCaption = "Fill from Size";
inline constexpr const char* FillFromSizePrompt = "Fill the empty cells of %s from the size:";
inline constexpr const char* CellsFilled = "%d cells filled from %s";
inline constexpr const char* NoSuchSetSize = "The set has no size %s.";
inline constexpr const char* MenuMakeDarkTheme = "Make Dar&k Theme";
inline constexpr const char* MenuCompareWith = "Co&mpare With...";
inline constexpr const char* CompareWithTitle = "Compare With";
inline constexpr const char* DarkThemeName = "dark";
inline constexpr const char* NoDarkTheme = "The set has no dark theme.";
inline constexpr const char* DarkCellsMade = "%d dark cells made from %s";
inline constexpr const char* CompareSummary = "Against %s: %d changed, %d added, %d removed, %d moved";
inline constexpr const char* ClipboardWrongCellSize = "The clipboard image is %d pixels high; the cell is %d.";

}  // namespace gliffo::texts
