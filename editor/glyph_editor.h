#pragma once
// The glyph editor as plain C++: the 256 × 256 drawing surface pic, the real-size glyph Editor,
// the preview button's glyph, the editor state, the palette and the radio groups of the Pen and
// Symbol menus, and every handler of the editor window. The window (editor/gliff_edit_form.h)
// and gliffo-tool edit drive this same object; neither adds any drawing of its own.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/history.h"
#include "editor/tools.h"
#include "editor/transforms.h"
#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "glyphs/colors.h"
#include "glyphs/dialogs.h"
#include "glyphs/glyph_geometry.h"
#include "glyphs/glyph_list.h"
#include "glyphs/types.h"

namespace gliffo {

class TImageList;

// What the editor tells the window showing it. Every change of what a person sees is reported
// here, so the window repaints exactly that and keeps no state of its own.
class IEditorView {
 public:
  virtual ~IEditorView() = default;
  // Surface pixels inside the area (half-open, may reach beyond the surface) changed.
  virtual void SurfaceChanged(const TRect& area) = 0;
  // The Editor image or its control's size changed.
  virtual void GlyphChanged() = 0;
  virtual void PreviewChanged() = 0;
  // A check mark of the Pen or Symbol menu moved.
  virtual void MenusChanged() = 0;
  // The palette's foreground or background index changed.
  virtual void PaletteChanged() = 0;
  // Show the window and bring it to the front; hide it.
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  // A step was recorded, or the editor moved to another one.
  virtual void HistoryChanged() {}
  // Where the glyph is kept (the list's glyph, a file, nowhere) changed.
  virtual void KeptPlaceChanged() {}
};

// The 16 palette colours in the grid's order (silver at 7, gray at 8): entries 0-7 and 12-19 of
// the platform's 20-entry default palette.
const std::array<TColor, 16>& PaletteColors();
inline constexpr int PaletteColumns = 8;
inline constexpr int PaletteRows = 2;
// The palette cell under (x, y) of a grid width × height pixels, -1 outside it.
int PaletteCellAt(int x, int y, int width, int height);
// The mark a cell carries: "FG", "BG", "FB" (both) or "".
std::string PaletteMark(int index, int foreground, int background);

// A colour the editor draws with: a palette colour (opaque), or any RGB with an alpha. Drawing
// writes it with its alpha into the pixel, replacing what was there; Transparent erases.
struct TDrawColour {
  TColor Color = clBlack;  // 0x00BBGGRR
  int Alpha = 255;
  friend bool operator==(const TDrawColour&, const TDrawColour&) = default;
};
inline constexpr TDrawColour Transparent{0x000000, 0};

class TGlyphEditor : public IGlyphEditorLink {
 public:
  // The collection window's glyph list: its GlyphSize, its image list and its selection.
  explicit TGlyphEditor(TGlyphCollection& collection);
  ~TGlyphEditor() override;
  TGlyphEditor(const TGlyphEditor&) = delete;
  TGlyphEditor& operator=(const TGlyphEditor&) = delete;

  void SetView(IEditorView* view) { view_ = view; }

  // The window's creation handler. The window's placement is the window's business and comes
  // back through restorePlacement, after the tool is set and before the text tool's font is.
  void FormCreate(const std::function<void()>& restorePlacement = {});
  // The destruction handler: the undo snapshot goes, then savePlacement runs.
  void FormDestroy(const std::function<void()>& savePlacement = {});

  // --- Images ---------------------------------------------------------------------------------
  // The drawing surface, 256 × 256 in the device-dependent format, made on first use.
  TBitmap& pic();
  // The glyph at real size: what is saved, added to and written back into the collection.
  TBitmap& Editor() { return editor_; }
  const TBitmap& Editor() const { return editor_; }
  // The size of the control showing Editor (the image is drawn at its top-left, clipped).
  int EditorControlWidth() const { return editorControlWidth_; }
  int EditorControlHeight() const { return editorControlHeight_; }
  // The preview button's glyph.
  const TBitmap& PreviewGlyph() const { return preview_; }

  int GlyphSize() const { return collection_.GlyphSize(); }
  // Surface pixels per glyph pixel.
  int CellScale() const { return CellScaleFor(GlyphSize()); }
  // The edge of the square of surface pixels that the glyph's cells cover: glyph pixel (x, y)
  // is the cell from (x, y) × CellScale. Where 256 is no multiple of the glyph size, the rest of
  // the surface belongs to no glyph pixel.
  int CellArea() const;

  // --- State ----------------------------------------------------------------------------------
  const std::string& ToolName() const { return toolName_; }
  bool Drawing() const { return drawing_; }
  TPoint StartPoint() const { return startPoint_; }
  TPoint LastPoint() const { return lastPoint_; }
  const std::string& CaptionText() const { return captionText_; }
  const TBitmap& UndoBitmap() const { return undo_; }
  TSymbolItem SymbolItem() const { return symbolItem_; }
  TPenItem PenItem() const { return penItem_; }
  // The font dialog's own font: where "Text Font..." starts.
  const TFont& FontDialogFont() const { return fontDialogFont_; }

  // --- Palette --------------------------------------------------------------------------------
  // The palette cells chosen; -1 while a colour of the Colour menu is chosen instead.
  int ForegroundIndex() const { return foregroundCustom_ ? -1 : foreground_; }
  int BackgroundIndex() const { return backgroundCustom_ ? -1 : background_; }
  TColor ForegroundColor() const { return ForegroundDrawColour().Color; }
  TColor BackgroundColor() const { return BackgroundDrawColour().Color; }
  // The pen's and the brush's colour with their alpha.
  TDrawColour ForegroundDrawColour() const;
  TDrawColour BackgroundDrawColour() const;
  // A press on a cell with the left button, and with the right or middle one. Each change of
  // an index raises ColorGrid1Change once; an index out of 0..15 changes nothing.
  void SetForegroundIndex(int index);
  void SetBackgroundIndex(int index);
  // The Colour menu: Transparent, Custom Colour... and Pick Colour choose any colour and alpha
  // for the pen or the brush; the palette grid then marks no cell for it.
  void SetForegroundColour(const TDrawColour& colour);
  void SetBackgroundColour(const TDrawColour& colour);
  // Custom Colour...: the colour dialog, starting from the current colour, for the pen or the
  // brush; cancelling changes nothing.
  void CustomColourClick(IDialogService& dialogs, bool brush);
  void PickColour1Click() { SelectSymbol(TSymbolItem::Picker1); }
  void ColorGrid1Change();

  // --- Brush, Pen and Symbol menus ------------------------------------------------------------
  void Clear2Click();  // the clear brush ("&Clear" of the Brush menu)
  void Solid1Click();
  // Checks the item and makes the pen that many cells wide.
  void SelectPen(TPenItem item);
  void N11Click() { SelectPen(TPenItem::N11); }  // pen "&1"
  void N21Click() { SelectPen(TPenItem::N21); }  // pen "&2"
  void N31Click() { SelectPen(TPenItem::N31); }  // pen "&3"
  // Checks the item and makes its tool the one the mouse draws with.
  void SelectSymbol(TSymbolItem item);
  void Free1Click() { SelectSymbol(TSymbolItem::Free1); }
  void Block1Click() { SelectSymbol(TSymbolItem::Block1); }
  void Line1Click() { SelectSymbol(TSymbolItem::Line1); }
  void Ellipse1Click() { SelectSymbol(TSymbolItem::Ellipse1); }
  void Rectangle1Click() { SelectSymbol(TSymbolItem::Rectangle1); }
  void RoundRectangle1Click() { SelectSymbol(TSymbolItem::RoundRectangle1); }
  void Flood1Click() { SelectSymbol(TSymbolItem::Flood1); }  // flood fill
  void Text1Click() { SelectSymbol(TSymbolItem::Text1); }    // the text tool
  // A click on the preview button: it takes the glyph again.
  void testbtnClick();

  // --- The surface's mouse events (any button; buttons and modifiers are not looked at) -------
  // The drawing tools draw with any button; the eyedropper's second button (secondButton)
  // takes the brush colour instead of the pen colour.
  void picMouseDown(int x, int y, bool secondButton = false);
  void picMouseMove(int x, int y);
  void picMouseUp(int x, int y);

  // --- File and Edit menus --------------------------------------------------------------------
  void Open1Click(IDialogService& dialogs);
  void SaveAs1Click(IDialogService& dialogs);
  void UpdateCollectionItem1Click();
  void Undo1Click();
  void Clear1Click();  // clears the glyph and the surface to white ("&Clear" of the Edit menu)
  void Fill1Click();
  void Text2Click(IDialogService& dialogs);  // "Text Font...": the text tool's font
  void TextCaption1Click(IDialogService& dialogs);
  // What the dialogs of Open and Save As hand over, without a dialog.
  void OpenGlyphFile(const std::string& fileName);
  // A picture of the glyph size (from the clipboard) becomes the glyph, as one step; any other
  // size raises EInvalidOperation saying both sizes and changes nothing.
  void PasteGlyph(const TBitmap& picture);
  void SaveGlyphFile(const std::string& fileName);
  // The same with the options a save dialog's choice gives (32 bits with alpha).
  void SaveGlyphFile(const std::string& fileName, const TEncodeOptions& options);

  // --- Transform menu ------------------------------------------------------------------------
  // The glyph mirrored, turned or shifted by one pixel, enlarged back over the whole surface,
  // and the preview refreshed; Undo takes back exactly this step.
  void TransformGlyph(TTransform transform);

  // --- History (beyond the classic one-level Undo) -------------------------------------------
  // Every change (a stroke, Undo, Clear, Fill, Open, a transform, a glyph from the collection)
  // is a step; going back and forward is not. Nothing happens while a button is held.
  const TEditHistory& History() const { return history_; }
  void StepBackward();
  void StepForward();
  // Goes to entry `index` of the history (0 is where it starts).
  void GoToStep(int index);

  // --- Where the glyph is kept ---------------------------------------------------------------
  // The glyph holds changes since it was last kept: saved to a file, put into the list, or
  // taken as it is from either. Stepping back to that point in the history counts as unchanged.
  bool GlyphModified() const { return !history_.AtSaved(); }
  // The list's key (TGlyphCollection::CellKey) of the glyph it was taken from or put into, 0
  // for none; the file it was opened from or saved to, "" for none. One of them at most.
  std::uint64_t KeptCellKey() const { return keptKey_; }
  const std::string& KeptFile() const { return keptFile_; }
  // Before the glyph is replaced or the program ends: a modified glyph asks whether to keep
  // it, with Yes, No and Cancel. Yes saves it to the file it came from, or puts it back into
  // the list over the glyph it came from (added at the end when that glyph is gone). Returns
  // false for Cancel: nothing may replace the glyph.
  bool MayReplaceGlyph(IDialogService& dialogs) override;
  // The list took the glyph into this cell (Update, Add from Editor).
  void GlyphKept(int cell) override;
  // Work brought back from a recovery copy: the glyph (of the glyph size; another is left out)
  // with a fresh history, unsaved when it was, kept where it was kept.
  void RestoreGlyph(const TBitmap& glyph, bool modified, std::uint64_t cellKey, const std::string& file);

  // --- What the collection window asks -------------------------------------------------------
  // "&Image" once a glyph is selected: the cell into Editor, the window shown, the surface.
  void EditGlyph(const TImageList& images, int cellIndex) override;
  // "BMP &Editor".
  void ShowEditor() override;
  void SetGlyphImageSize(int size) override;
  void SetSurfacePenWidth(int width) override;
  const TBitmap& GlyphBitmap() override { return editor_; }

 private:
  // Clear and Fill: the glyph in one colour, the surface in another, then reduced, shown and
  // recorded as one step; keepAlpha keeps an alpha glyph one.
  void FillGlyphAndSurface(TColor glyphColor, const TDrawColour& surfaceColour, bool keepAlpha, const char* stepCaption);
  void SetEditorControlSize(int width, int height);
  // The whole surface stretched onto the glyph's 0, 0, GlyphSize, GlyphSize.
  void ReduceSurface();
  // The glyph stretched over the whole surface.
  void EnlargeGlyph();
  // An alpha glyph (formats/bitmap_image.h): the surface holds its colours as they are, the
  // glyph's own pixels hold colour and alpha, and its store the key-colour picture of them.
  void ReduceAlphaGlyph();
  // Makes the glyph an alpha glyph with these pixels, its store their key-colour picture.
  void SetAlphaGlyph(std::vector<std::uint32_t> pixels);
  // A key-colour glyph becomes an alpha glyph, its transparent colour (the bottom-left
  // pixel's) at alpha 0, before a stroke or a fill writes alpha into it.
  void MakeAlphaGlyph();
  // The alpha of the glyph pixel a surface pixel belongs to (255 outside the glyph's cells).
  int SurfaceAlphaAt(int x, int y) const;
  // The eyedropper: the glyph pixel under a surface point becomes the pen's (or brush's) colour.
  void PickColourAt(TPoint point);
  // The surface and, for an alpha glyph, its pixels as a step before it changes, for Undo.
  void TakeUndoSnapshot();
  void CopyToPreview();
  void SurfaceChanged(const TRect& area);
  void SurfaceChanged() { SurfaceChanged(Rect(0, 0, SurfaceSize, SurfaceSize)); }
  void RecordStep(const std::string& name);
  // The glyph as it is now is kept in the list's glyph of that key, or in the file.
  void KeptIn(std::uint64_t cellKey, const std::string& file);

  TGlyphCollection& collection_;
  IEditorView* view_ = nullptr;
  TBitmap surface_;
  bool surfaceMade_ = false;
  TBitmap editor_;
  int editorControlWidth_ = 0;
  int editorControlHeight_ = 0;
  TBitmap preview_;
  TBitmap undo_;
  TEditHistory history_;
  std::uint64_t keptKey_ = 0;
  std::string keptFile_;
  // A move of the current stroke drew a rubber band.
  bool moved_ = false;

  std::string toolName_ = "freehand";
  bool drawing_ = false;
  TPoint startPoint_;
  TPoint lastPoint_;
  std::string captionText_ = "B";
  TSymbolItem symbolItem_ = TSymbolItem::Free1;
  TPenItem penItem_ = TPenItem::N11;
  TFont fontDialogFont_;
  int foreground_ = 0;
  int background_ = 15;
  std::optional<TDrawColour> foregroundCustom_, backgroundCustom_;
  // The glyph's own pixels at the last snapshot for Undo (empty for a key-colour glyph).
  std::vector<std::uint32_t> undoAlpha_;
  // A stroke that writes alpha: what the glyph's pixels were at its press, and the coverage
  // surface its tools draw on beside the surface.
  bool alphaStroke_ = false;
  std::vector<std::uint32_t> strokeAlpha_;
  TBitmap coverage_;
  bool pickToBrush_ = false;
};

// A menu caption as the History window names its step: without the accelerator's ampersand
// and the dots of a dialog.
std::string StepName(const char* caption);

// The font a font dialog answer describes, and back; colours and styles included.
TFontChoice FontChoiceOf(const TFont& font);
void AssignFontChoice(TFont& font, const TFontChoice& choice);

}  // namespace gliffo
