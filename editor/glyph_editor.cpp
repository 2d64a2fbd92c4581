#include "editor/glyph_editor.h"

#include <algorithm>

#include "editor/strings.h"

namespace gliffo {

namespace {

// The platform's stock default palette: the twenty static colours.
constexpr std::array<TColor, 20> DefaultPaletteEntries = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0, 0xC0DCC0, 0xF0CAA6,
    0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

std::array<TColor, 16> GridColors() {
  std::array<TColor, 16> colors{};
  for (std::size_t i = 0; i < 8; ++i) {
    colors[i] = DefaultPaletteEntries[i];
    colors[i + 8] = DefaultPaletteEntries[i + 12];
  }
  return colors;
}

}  // namespace

const std::array<TColor, 16>& PaletteColors() {
  static const std::array<TColor, 16> colors = GridColors();
  return colors;
}

int PaletteCellAt(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0 || x < 0 || y < 0 || x >= width || y >= height) return -1;
  const int column = static_cast<int>(static_cast<long long>(x) * PaletteColumns / width);
  const int row = static_cast<int>(static_cast<long long>(y) * PaletteRows / height);
  return row * PaletteColumns + column;
}

std::string PaletteMark(int index, int foreground, int background) {
  if (index == foreground && index == background) return texts::MarkBoth;
  if (index == foreground) return texts::MarkForeground;
  if (index == background) return texts::MarkBackground;
  return "";
}

TFontChoice FontChoiceOf(const TFont& font) {
  TFontChoice choice;
  choice.Name = font.Name();
  choice.Size = font.Size();
  choice.Bold = font.Style().contains(TFontStyle::fsBold);
  choice.Italic = font.Style().contains(TFontStyle::fsItalic);
  choice.Underline = font.Style().contains(TFontStyle::fsUnderline);
  choice.StrikeOut = font.Style().contains(TFontStyle::fsStrikeOut);
  choice.Color = font.Color();
  return choice;
}

void AssignFontChoice(TFont& font, const TFontChoice& choice) {
  font.SetName(choice.Name);
  font.SetSize(choice.Size);
  TFontStyles style;
  if (choice.Bold) style.insert(TFontStyle::fsBold);
  if (choice.Italic) style.insert(TFontStyle::fsItalic);
  if (choice.Underline) style.insert(TFontStyle::fsUnderline);
  if (choice.StrikeOut) style.insert(TFontStyle::fsStrikeOut);
  font.SetStyle(style);
  font.SetColor(choice.Color);
}

TGlyphEditor::TGlyphEditor(TGlyphCollection& collection) : collection_(collection) {}

TGlyphEditor::~TGlyphEditor() = default;

int TGlyphEditor::CellScale() const { return std::max(1, SurfaceSize / GlyphSize()); }

TBitmap& TGlyphEditor::pic() {
  if (!surfaceMade_) {
    surfaceMade_ = true;
    surface_.SetWidth(SurfaceSize);
    surface_.SetHeight(SurfaceSize);
  }
  return surface_;
}

void TGlyphEditor::FormCreate(const std::function<void()>& restorePlacement) {
  // 1. The glyph, white.
  TCanvas& glyph = editor_.Canvas();
  glyph.Brush().SetColor(clWhite);
  SetEditorControlSize(GlyphSize(), GlyphSize());
  editor_.SetWidth(GlyphSize());
  editor_.SetHeight(GlyphSize());
  glyph.FillRect(Rect(0, 0, editor_.Width(), editor_.Height()));
  // 2. The surface: a one-cell black pen, a white brush, all white.
  TCanvas& surface = pic().Canvas();
  surface.Pen().SetWidth(CellScale());
  surface.Brush().SetColor(clWhite);
  surface.Pen().SetColor(clBlack);
  surface.FillRect(Rect(0, 0, SurfaceSize, SurfaceSize));
  surface.Pen().SetWidth(CellScale());
  // 3.
  toolName_ = texts::ToolFreehand;
  // 4.
  if (restorePlacement) restorePlacement();
  // 5.
  captionText_ = texts::DefaultCaptionText;
  fontDialogFont_.SetName(texts::DefaultFontName);
  fontDialogFont_.SetSize(texts::DefaultFontSize);
  surface.Font().Assign(fontDialogFont_);
  // 6.
  undo_.Assign(nullptr);
  SurfaceChanged();
  if (view_) view_->GlyphChanged();
}

void TGlyphEditor::FormDestroy(const std::function<void()>& savePlacement) {
  undo_.Assign(nullptr);
  if (savePlacement) savePlacement();
}

// --- Palette ---------------------------------------------------------------------------------

void TGlyphEditor::SetForegroundIndex(int index) {
  if (index < 0 || index >= 16 || index == foreground_) return;
  foreground_ = index;
  if (view_) view_->PaletteChanged();
  ColorGrid1Change();
}

void TGlyphEditor::SetBackgroundIndex(int index) {
  if (index < 0 || index >= 16 || index == background_) return;
  background_ = index;
  if (view_) view_->PaletteChanged();
  ColorGrid1Change();
}

void TGlyphEditor::ColorGrid1Change() {
  TCanvas& surface = pic().Canvas();
  surface.Pen().SetColor(ForegroundColor());
  surface.Brush().SetColor(BackgroundColor());
}

// --- Brush, Pen and Symbol menus -------------------------------------------------------------

void TGlyphEditor::Clear2Click() { pic().Canvas().Brush().SetStyle(TBrushStyle::bsClear); }
void TGlyphEditor::Solid1Click() { pic().Canvas().Brush().SetStyle(TBrushStyle::bsSolid); }

void TGlyphEditor::SetPenCells(int cells, TPenItem item) {
  penItem_ = item;
  pic().Canvas().Pen().SetWidth(CellScale() * cells);
  if (view_) view_->MenusChanged();
}

void TGlyphEditor::N11Click() { SetPenCells(1, TPenItem::N11); }
void TGlyphEditor::N21Click() { SetPenCells(2, TPenItem::N21); }
void TGlyphEditor::N31Click() { SetPenCells(3, TPenItem::N31); }

void TGlyphEditor::SetTool(const char* name, TSymbolItem item) {
  toolName_ = name;
  symbolItem_ = item;
  if (view_) view_->MenusChanged();
}

void TGlyphEditor::Free1Click() { SetTool(texts::ToolFreehand, TSymbolItem::Free1); }
void TGlyphEditor::Block1Click() { SetTool(texts::ToolBlock, TSymbolItem::Block1); }
void TGlyphEditor::Line1Click() { SetTool(texts::ToolLine, TSymbolItem::Line1); }
void TGlyphEditor::Ellipse1Click() { SetTool(texts::ToolEllipse, TSymbolItem::Ellipse1); }
void TGlyphEditor::Rectangle1Click() { SetTool(texts::ToolRectangle, TSymbolItem::Rectangle1); }
void TGlyphEditor::RoundRectangle1Click() { SetTool(texts::ToolRoundRect, TSymbolItem::RoundRectangle1); }
void TGlyphEditor::Flood1Click() { SetTool(texts::ToolFloodFill, TSymbolItem::Flood1); }
void TGlyphEditor::Text1Click() { SetTool(texts::ToolText, TSymbolItem::Text1); }

void TGlyphEditor::SelectSymbol(TSymbolItem item) {
  switch (item) {
    case TSymbolItem::Free1: Free1Click(); return;
    case TSymbolItem::Block1: Block1Click(); return;
    case TSymbolItem::Line1: Line1Click(); return;
    case TSymbolItem::Ellipse1: Ellipse1Click(); return;
    case TSymbolItem::Rectangle1: Rectangle1Click(); return;
    case TSymbolItem::RoundRectangle1: RoundRectangle1Click(); return;
    case TSymbolItem::Flood1: Flood1Click(); return;
    case TSymbolItem::Text1: Text1Click(); return;
  }
}

void TGlyphEditor::SelectPen(TPenItem item) {
  switch (item) {
    case TPenItem::N11: N11Click(); return;
    case TPenItem::N21: N21Click(); return;
    case TPenItem::N31: N31Click(); return;
  }
}

void TGlyphEditor::testbtnClick() {
  if (GlyphSize() == 16) CopyToPreview();
}

// --- Shared steps ----------------------------------------------------------------------------

void TGlyphEditor::SetEditorControlSize(int width, int height) {
  if (width == editorControlWidth_ && height == editorControlHeight_) return;
  editorControlWidth_ = width;
  editorControlHeight_ = height;
  if (view_) view_->GlyphChanged();
}

void TGlyphEditor::ReduceSurface() {
  editor_.Canvas().StretchDraw(Rect(0, 0, GlyphSize(), GlyphSize()), &pic());
  if (view_) view_->GlyphChanged();
}

void TGlyphEditor::EnlargeGlyph() {
  pic().Canvas().StretchDraw(Rect(0, 0, SurfaceSize, SurfaceSize), &editor_);
  SurfaceChanged();
}

void TGlyphEditor::CopyToPreview() {
  preview_.Assign(&editor_);
  if (view_) view_->PreviewChanged();
}

void TGlyphEditor::SurfaceChanged(const TRect& area) {
  if (view_) view_->SurfaceChanged(area);
}

// --- What the collection window asks ---------------------------------------------------------

void TGlyphEditor::SetGlyphImageSize(int size) {
  SetEditorControlSize(size, size);
  editor_.SetWidth(size);
  editor_.SetHeight(size);
  if (view_) view_->GlyphChanged();
}

void TGlyphEditor::SetSurfacePenWidth(int width) { pic().Canvas().Pen().SetWidth(width); }

void TGlyphEditor::EditGlyph(const TImageList& images, int cellIndex) {
  SetEditorControlSize(GlyphSize(), GlyphSize());
  SetSurfacePenWidth(CellScale());
  images.Draw(editor_.Canvas(), 0, 0, cellIndex);
  if (view_) view_->ShowWindow();
  EnlargeGlyph();
  if (view_) view_->GlyphChanged();
  CopyToPreview();
}

void TGlyphEditor::ShowEditor() {
  SetEditorControlSize(GlyphSize(), GlyphSize());
  SetSurfacePenWidth(CellScale());
  if (view_) view_->ShowWindow();
}

}  // namespace gliffo
