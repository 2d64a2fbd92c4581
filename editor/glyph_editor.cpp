#include "editor/glyph_editor.h"

#include <utility>

#include "editor/strings.h"
#include "formats/transparency.h"
#include "platform/errors.h"

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

TGlyphEditor::TGlyphEditor(TGlyphCollection& collection) : collection_(collection) {}

TGlyphEditor::~TGlyphEditor() = default;

TBitmap& TGlyphEditor::pic() {
  if (!surfaceMade_) {
    surfaceMade_ = true;
    surface_.SetWidth(SurfaceSize);
    surface_.SetHeight(SurfaceSize);
  }
  return surface_;
}

void TGlyphEditor::FormCreate(const std::function<void()>& restorePlacement) {
  // The glyph starts white at the collection's size, with a white brush of its own for what a
  // later resize adds.
  TCanvas& glyph = editor_.Canvas();
  glyph.Brush().SetColor(clWhite);
  SetEditorControlSize(GlyphSize(), GlyphSize());
  editor_.SetWidth(GlyphSize());
  editor_.SetHeight(GlyphSize());
  glyph.FillRect(Rect(0, 0, editor_.Width(), editor_.Height()));
  // The surface matches the palette's starting choice (black on white) and draws one glyph
  // pixel wide, so the first stroke looks like what the menus show checked.
  TCanvas& surface = pic().Canvas();
  surface.Pen().SetWidth(CellScale());
  surface.Brush().SetColor(clWhite);
  surface.Pen().SetColor(clBlack);
  surface.FillRect(Rect(0, 0, SurfaceSize, SurfaceSize));
  toolName_ = ToolRowOf(TSymbolItem::Free1).Name;
  if (restorePlacement) restorePlacement();
  // The font dialog keeps a font of its own to start from; the surface takes a copy, so the
  // dialog's next answer replaces the surface's font rather than editing it.
  captionText_ = texts::DefaultCaptionText;
  fontDialogFont_.SetName(texts::DefaultFontName);
  fontDialogFont_.SetSize(texts::DefaultFontSize);
  surface.Font().Assign(fontDialogFont_);
  // Undo before the first press finds no snapshot and leaves the surface alone.
  undo_.Assign(nullptr);
  SurfaceChanged();
  if (view_) view_->GlyphChanged();
  history_.Reset(texts::StepStart, pic(), editor_);
  if (view_) view_->HistoryChanged();
}

void TGlyphEditor::FormDestroy(const std::function<void()>& savePlacement) {
  undo_.Assign(nullptr);
  if (savePlacement) savePlacement();
}

// --- Palette ---------------------------------------------------------------------------------

TDrawColour TGlyphEditor::ForegroundDrawColour() const {
  return foregroundCustom_ ? *foregroundCustom_ : TDrawColour{PaletteColors()[static_cast<std::size_t>(foreground_)], 255};
}

TDrawColour TGlyphEditor::BackgroundDrawColour() const {
  return backgroundCustom_ ? *backgroundCustom_ : TDrawColour{PaletteColors()[static_cast<std::size_t>(background_)], 255};
}

void TGlyphEditor::SetForegroundIndex(int index) {
  if (index < 0 || index >= 16 || index == ForegroundIndex()) return;
  foreground_ = index;
  foregroundCustom_.reset();
  if (view_) view_->PaletteChanged();
  ColorGrid1Change();
}

void TGlyphEditor::SetBackgroundIndex(int index) {
  if (index < 0 || index >= 16 || index == BackgroundIndex()) return;
  background_ = index;
  backgroundCustom_.reset();
  if (view_) view_->PaletteChanged();
  ColorGrid1Change();
}

void TGlyphEditor::SetForegroundColour(const TDrawColour& colour) {
  foregroundCustom_ = TDrawColour{colour.Color & 0xFFFFFF, colour.Alpha < 0 ? 0 : colour.Alpha > 255 ? 255 : colour.Alpha};
  if (view_) view_->PaletteChanged();
  ColorGrid1Change();
}

void TGlyphEditor::SetBackgroundColour(const TDrawColour& colour) {
  backgroundCustom_ = TDrawColour{colour.Color & 0xFFFFFF, colour.Alpha < 0 ? 0 : colour.Alpha > 255 ? 255 : colour.Alpha};
  if (view_) view_->PaletteChanged();
  ColorGrid1Change();
}

void TGlyphEditor::CustomColourClick(IDialogService& dialogs, bool brush) {
  const TDrawColour now = brush ? BackgroundDrawColour() : ForegroundDrawColour();
  const std::optional<TColourWithAlpha> chosen = dialogs.ChooseColour(TColourWithAlpha{now.Color, now.Alpha});
  if (!chosen) return;
  const TDrawColour colour{chosen->Color, chosen->Alpha};
  if (brush) SetBackgroundColour(colour);
  else SetForegroundColour(colour);
}

void TGlyphEditor::ColorGrid1Change() {
  TCanvas& surface = pic().Canvas();
  surface.Pen().SetColor(ForegroundColor());
  surface.Brush().SetColor(BackgroundColor());
}

// --- Brush, Pen and Symbol menus -------------------------------------------------------------

void TGlyphEditor::Clear2Click() { pic().Canvas().Brush().SetStyle(TBrushStyle::bsClear); }
void TGlyphEditor::Solid1Click() { pic().Canvas().Brush().SetStyle(TBrushStyle::bsSolid); }

void TGlyphEditor::SelectPen(TPenItem item) {
  penItem_ = item;
  pic().Canvas().Pen().SetWidth(CellScale() * PenRowOf(item).Cells);
  if (view_) view_->MenusChanged();
}

void TGlyphEditor::SelectSymbol(TSymbolItem item) {
  toolName_ = ToolRowOf(item).Name;
  symbolItem_ = item;
  if (view_) view_->MenusChanged();
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

int TGlyphEditor::CellArea() const {
  const long long cover = static_cast<long long>(CellScale()) * GlyphSize();
  return cover < SurfaceSize ? static_cast<int>(cover) : SurfaceSize;
}

void TGlyphEditor::ReduceSurface() {
  if (editor_.HasAlpha()) {
    ReduceAlphaGlyph();
  } else {
    const int area = CellArea();
    editor_.Canvas().StretchDraw(Rect(0, 0, GlyphSize(), GlyphSize()), &pic(), Rect(0, 0, area, area));
  }
  if (view_) view_->GlyphChanged();
}

namespace {

// A device-dependent image of the size.
void MakeDeviceImage(TBitmap& image, int width, int height) {
  image.SetPixelFormat(TPixelFormat::pfDevice);
  image.SetWidth(width);
  image.SetHeight(height);
}

// The colours of alpha pixels, as a device-dependent image of that size.
void ColoursOf(const std::vector<std::uint32_t>& pixels, int size, TBitmap& image) {
  MakeDeviceImage(image, size, size);
  const raster::Surface s = image.WritableSurface();
  for (int y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(s.Row(y));
    for (int x = 0; x < size; ++x) row[x] = pixels[static_cast<std::size_t>(y) * size + x] & 0x00FFFFFFu;
  }
}

}  // namespace

void TGlyphEditor::EnlargeGlyph() {
  const int area = CellArea();
  if (editor_.HasAlpha()) {
    // The surface shows an alpha glyph's colours as they are, not the key-colour picture.
    TBitmap colours;
    ColoursOf(editor_.Image().AlphaPixels, GlyphSize(), colours);
    pic().Canvas().StretchDraw(Rect(0, 0, area, area), &colours);
  } else {
    pic().Canvas().StretchDraw(Rect(0, 0, area, area), &editor_);
  }
  SurfaceChanged();
}

void TGlyphEditor::ReduceAlphaGlyph() {
  const int size = GlyphSize(), area = CellArea();
  // Each glyph pixel samples the surface where the plain reduction does.
  TBitmap colours, cover;
  MakeDeviceImage(colours, size, size);
  colours.Canvas().StretchDraw(Rect(0, 0, size, size), &pic(), Rect(0, 0, area, area));
  if (alphaStroke_) {
    MakeDeviceImage(cover, size, size);
    cover.Canvas().StretchDraw(Rect(0, 0, size, size), &coverage_, Rect(0, 0, area, area));
  }
  const std::vector<std::uint32_t>& before = alphaStroke_ ? strokeAlpha_ : editor_.Image().AlphaPixels;
  const int penAlpha = ForegroundDrawColour().Alpha, brushAlpha = BackgroundDrawColour().Alpha;
  const raster::Surface c = colours.Image().Surface();
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * size + x;
      int alpha = before.size() == pixels.size() ? AlphaOf(before[i]) : 255;
      if (alphaStroke_) {
        const raster::ColorRef marker = raster::GetPixel(cover.Image().Surface(), x, y);
        alpha = marker == CoveragePen ? penAlpha : marker == CoverageBrush ? brushAlpha : marker == CoverageFont ? 255 : alpha;
      }
      pixels[i] = AlphaPixelOf(raster::GetPixel(c, x, y), alpha);
    }
  SetAlphaGlyph(std::move(pixels));
}

void TGlyphEditor::SetAlphaGlyph(std::vector<std::uint32_t> pixels) {
  const int size = GlyphSize();
  // The key-colour picture into the glyph's own format, as the reduction would draw it.
  const TAlphaRule rule(collection_.Options.Decode);
  TBitmap flat;
  MakeDeviceImage(flat, size, size);
  const raster::Surface s = flat.WritableSurface();
  for (int y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(s.Row(y));
    for (int x = 0; x < size; ++x) {
      const raster::ColorRef c = rule.Flatten(pixels[static_cast<std::size_t>(y) * size + x]);
      row[x] = static_cast<std::uint32_t>(raster::BlueOf(c) | (raster::GreenOf(c) << 8) | (raster::RedOf(c) << 16));
    }
  }
  editor_.Canvas().Draw(0, 0, &flat);
  editor_.SetAlphaPixels(std::move(pixels));
}

void TGlyphEditor::MakeAlphaGlyph() {
  if (editor_.HasAlpha() || editor_.Empty()) return;
  SetAlphaGlyph(KeyPixelsWithAlpha(editor_.Image().Surface(), TEncodeOptions{}));
}

int TGlyphEditor::SurfaceAlphaAt(int x, int y) const {
  const int scale = CellScale(), size = GlyphSize();
  if (!editor_.HasAlpha() || x < 0 || y < 0 || x >= scale * size || y >= scale * size) return 255;
  const std::vector<std::uint32_t>& pixels = alphaStroke_ ? strokeAlpha_ : editor_.Image().AlphaPixels;
  const std::size_t i = static_cast<std::size_t>(y / scale) * size + static_cast<std::size_t>(x / scale);
  return i < pixels.size() ? AlphaOf(pixels[i]) : 255;
}

void TGlyphEditor::PickColourAt(TPoint point) {
  const int scale = CellScale(), size = GlyphSize();
  if (point.X < 0 || point.Y < 0 || point.X >= scale * size || point.Y >= scale * size) return;
  const int x = point.X / scale, y = point.Y / scale;
  if (x >= editor_.Width() || y >= editor_.Height()) return;
  TDrawColour picked;
  if (editor_.HasAlpha()) {
    const std::uint32_t p = editor_.Image().AlphaPixels[static_cast<std::size_t>(y) * editor_.Width() + x];
    picked = TDrawColour{static_cast<TColor>(ColorOfAlphaPixel(p)), AlphaOf(p)};
  } else {
    picked = TDrawColour{static_cast<TColor>(raster::GetPixel(editor_.Image().Surface(), x, y)), 255};
  }
  if (pickToBrush_) SetBackgroundColour(picked);
  else SetForegroundColour(picked);
}

void TGlyphEditor::TakeUndoSnapshot() {
  undo_.Assign(&pic());
  undoAlpha_ = OwnPixels(editor_.Image());
}

void TGlyphEditor::CopyToPreview() {
  preview_.Assign(&editor_);
  if (view_) view_->PreviewChanged();
}

void TGlyphEditor::SurfaceChanged(const TRect& area) {
  if (view_) view_->SurfaceChanged(area);
}

void TGlyphEditor::RecordStep(const std::string& name) {
  history_.Record(name, pic(), editor_);
  if (view_) view_->HistoryChanged();
}

void TGlyphEditor::StepBackward() { GoToStep(history_.Position() - 1); }
void TGlyphEditor::StepForward() { GoToStep(history_.Position() + 1); }

void TGlyphEditor::GoToStep(int index) {
  if (drawing_) return;
  const TRect changed = history_.GoTo(index, pic(), editor_);
  if (changed.Right > changed.Left) SurfaceChanged(changed);
  if (view_) view_->GlyphChanged();
  CopyToPreview();
  if (view_) view_->HistoryChanged();
}

// --- What the collection window asks ---------------------------------------------------------

void TGlyphEditor::SetGlyphImageSize(int size) {
  const bool resized = size != editor_.Width() || size != editor_.Height();
  SetEditorControlSize(size, size);
  editor_.SetWidth(size);
  editor_.SetHeight(size);
  if (view_) view_->GlyphChanged();
  if (!resized || GlyphSize() != size) return;
  // The surface shows the glyph as it now is, in cells of the new size; steps of the old size
  // cannot come back into glyphs of this one, so the history starts again here. A glyph of
  // another size is no longer the one kept anywhere.
  EnlargeGlyph();
  history_.Reset(texts::StepStart, pic(), editor_);
  if (view_) view_->HistoryChanged();
  KeptIn(0, {});
}

void TGlyphEditor::KeptIn(std::uint64_t cellKey, const std::string& file) {
  history_.MarkSaved();
  keptKey_ = cellKey;
  keptFile_ = file;
  if (view_) view_->KeptPlaceChanged();
}

void TGlyphEditor::GlyphKept(int cell) { KeptIn(collection_.CellKey(cell), {}); }

void TGlyphEditor::RestoreGlyph(const TBitmap& glyph, bool modified, std::uint64_t cellKey, const std::string& file) {
  if (glyph.Width() != GlyphSize() || glyph.Height() != GlyphSize()) return;
  SetEditorControlSize(GlyphSize(), GlyphSize());
  editor_.Assign(&glyph);
  EnlargeGlyph();
  if (view_) view_->GlyphChanged();
  CopyToPreview();
  history_.Reset(texts::StepStart, pic(), editor_);
  KeptIn(cellKey, file);
  if (modified) history_.MarkUnsaved();
  if (view_) view_->HistoryChanged();
}

bool TGlyphEditor::MayReplaceGlyph(IDialogService& dialogs) {
  if (drawing_ || !GlyphModified()) return true;
  const int cell = collection_.CellWithKey(keptKey_);
  // The list can take the glyph when the editor is attached to it and the sizes agree.
  const bool listTakes = collection_.Editor() != nullptr && editor_.Width() == GlyphSize() &&
                         editor_.Height() == GlyphSize() &&
                         (collection_.ImageList1.Count() == 0 || collection_.CellsMatchGlyphSize());
  std::string question;
  if (!keptFile_.empty())
    question = FormatMessage(texts::SaveGlyphToFile, keptFile_);
  else if (listTakes && cell >= 0)
    question = FormatMessage(texts::PutGlyphBack, cell);
  else if (listTakes)
    question = texts::AddGlyphToList;
  else
    question = texts::SaveGlyphAs;
  switch (dialogs.ConfirmWithCancel(question)) {
    case TDialogAnswer::No: return true;
    case TDialogAnswer::Cancel: return false;
    case TDialogAnswer::Yes: break;
  }
  if (!keptFile_.empty()) {
    SaveGlyphFile(keptFile_);
  } else if (listTakes && cell >= 0) {
    collection_.ReplaceCell(cell);
  } else if (listTakes) {
    collection_.AddfromEditor();
  } else {
    SaveAs1Click(dialogs);
  }
  // A save dialog cancelled keeps the glyph and the question's answer open.
  return !GlyphModified();
}

void TGlyphEditor::SetSurfacePenWidth(int width) { pic().Canvas().Pen().SetWidth(width); }

}  // namespace gliffo
