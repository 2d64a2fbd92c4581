#pragma once
// Texts of the editor window that the user sees, each kept once so tests compare against the
// same constant the program uses.
namespace gliffo::texts {

inline constexpr const char* EditorCaption = "BMP Editor";

// The tools' identifiers and the captions of the Pen and Symbol menus are rows of the tool
// and pen tables (editor/tools.cpp).
inline constexpr const char* DefaultCaptionText = "B";
inline constexpr const char* DefaultFontName = "arial";
inline constexpr int DefaultFontSize = 144;

// The file dialogs' filters come from the format table (formats/image_formats.h).
inline constexpr const char* GlyphFileExtension = "bmp";
inline constexpr const char* CaptionBoxCaption = "Gliffo Text";
inline constexpr const char* CaptionBoxPrompt = "Enter Caption";

// The palette cell marks.
inline constexpr const char* MarkForeground = "FG";
inline constexpr const char* MarkBackground = "BG";
inline constexpr const char* MarkBoth = "FB";

// The editor's menus.
inline constexpr const char* MenuEditorFile = "&File";
inline constexpr const char* MenuOpen = "&Open...";
inline constexpr const char* MenuSaveAs = "Save &As...";
inline constexpr const char* MenuUpdateCollectionItem = "&Update Collection Item";
inline constexpr const char* MenuEditorEdit = "&Edit";
inline constexpr const char* MenuUndo = "Undo";
inline constexpr const char* MenuClear = "&Clear";
inline constexpr const char* MenuFill = "&Fill";
inline constexpr const char* MenuTextFont = "Text Font...";
inline constexpr const char* MenuTextCaption = "Text Caption...";
inline constexpr const char* MenuBrush = "&Brush";
inline constexpr const char* MenuBrushClear = "&Clear";
inline constexpr const char* MenuBrushSolid = "&Solid";
inline constexpr const char* MenuPen = "&Pen";
inline constexpr const char* MenuSymbol = "&Symbol";

// Beyond the classic menus.
inline constexpr const char* MenuTransform = "&Transform";
inline constexpr const char* MenuFlipHorizontal = "Flip &Horizontal";
inline constexpr const char* MenuFlipVertical = "Flip &Vertical";
inline constexpr const char* MenuRotateRight = "Rotate &Right";
inline constexpr const char* MenuRotateLeft = "Rotate &Left";
inline constexpr const char* MenuShiftLeft = "Shift Left";
inline constexpr const char* MenuShiftRight = "Shift Right";
inline constexpr const char* MenuShiftUp = "Shift Up";
inline constexpr const char* MenuShiftDown = "Shift Down";

// The Colour menu: colours with alpha for the pen (left button) and the brush (right button).
inline constexpr const char* MenuColour = "&Colour";
inline constexpr const char* MenuTransparentLeft = "Transparent &Left";
inline constexpr const char* MenuTransparentRight = "Transparent &Right";
inline constexpr const char* MenuCustomLeft = "Custom L&eft Colour...";
inline constexpr const char* MenuCustomRight = "Custom R&ight Colour...";
// The two current colours, shown as swatches: "Left: #RRGGBBAA".
inline constexpr const char* SwatchLeft = "Left: %s";
inline constexpr const char* SwatchRight = "Right: %s";

inline constexpr const char* MenuView = "&View";
inline constexpr const char* MenuPixelGrid = "Pixel &Grid";
inline constexpr const char* MenuButtonStates = "Button &States";
// The settings entry, in the editor window's section, that remembers the pixel grid.
inline constexpr const char* PixelGridKey = "PixelGrid";
inline constexpr const char* MenuGlyphPixels = "Glyph &Pixels";
inline constexpr const char* GlyphPixelsKey = "GlyphPixels";
inline constexpr const char* MenuCheckerboard = "Transparency &Checkerboard";
inline constexpr const char* CheckerboardKey = "Checkerboard";
inline constexpr const char* MenuHistoryWindow = "&History";
inline constexpr const char* MenuStepBackward = "Step &Backward";
inline constexpr const char* MenuStepForward = "Step &Forward";
inline constexpr const char* HistoryCaption = "History";
inline constexpr const char* MenuClipboard = "C&lipboard";  // Alt+C opens the Colour menu
inline constexpr const char* MenuCopyGlyph = "&Copy";
inline constexpr const char* MenuPasteGlyph = "&Paste";

// The names of steps that are no menu item's caption.
inline constexpr const char* StepStart = "Start";
inline constexpr const char* StepGlyph = "Glyph from Collection";
inline constexpr const char* StepPaste = "Paste";
inline constexpr const char* PastedGlyphSize = "The clipboard image is %d pixels wide; the glyph is %d.";

// Asked before the editor's changed glyph would be replaced (another glyph taken, a file
// opened, the glyph size changed, the program ended); each says what Yes does.
inline constexpr const char* SaveGlyphToFile = "Save the changes to the glyph in %s?";
inline constexpr const char* PutGlyphBack = "Put the changed glyph back into the list as glyph %d?";
inline constexpr const char* AddGlyphToList = "Add the changed glyph to the list?";
inline constexpr const char* SaveGlyphAs = "Save the changed glyph?";

}  // namespace gliffo::texts
