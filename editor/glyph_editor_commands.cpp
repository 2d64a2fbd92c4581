// The editor's File, Edit and Transform menus over the editor and the application's dialogs,
// and what the collection window asks of the editor.
#include <optional>
#include <vector>

#include "editor/glyph_editor.h"
#include "editor/strings.h"
#include "glyphs/dialogs.h"
#include "formats/image_formats.h"
#include "glyphs/image_list.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

TOpenFileRequest GlyphOpenRequest() {
  TOpenFileRequest request;
  request.Filter = GlyphOpenFilter();
  request.DefaultExtension = texts::GlyphFileExtension;
  return request;
}

TSaveFileRequest GlyphSaveRequest() {
  TSaveFileRequest request;
  request.Filter = GlyphSaveFilter();
  request.DefaultExtension = texts::GlyphFileExtension;
  return request;
}

}  // namespace

std::string StepName(const char* caption) {
  std::string name;
  for (const char* c = caption; *c; ++c)
    if (*c != '&') name += *c;
  while (name.size() > 3 && name.ends_with("...")) name.resize(name.size() - 3);
  return name;
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


void TGlyphEditor::Open1Click(IDialogService& dialogs) {
  if (!MayReplaceGlyph(dialogs)) return;
  const std::optional<std::vector<std::string>> names = dialogs.OpenFiles(GlyphOpenRequest());
  if (!names || names->empty()) return;
  OpenGlyphFile(names->front());
}

void TGlyphEditor::OpenGlyphFile(const std::string& fileName) {
  // An unreadable file raises before anything of the editor changed.
  TBitmap opened;
  // An icon holding several sizes gives the one of the glyph's size.
  opened.LoadFromFile(fileName, collection_.Options.DecodeAt(GlyphSize()));
  if (opened.Width() != GlyphSize() || opened.Height() != GlyphSize()) return;
  // The glyph takes the file's format and colour table; later reductions are matched to it.
  editor_.Assign(&opened);
  // An alpha glyph's own pixels are kept whole while it is edited, even when all opaque.
  if (editor_.HasAlpha() && editor_.Image().AlphaPixels.empty()) editor_.SetAlphaPixels(OwnPixels(editor_.Image()));
  EnlargeGlyph();
  if (view_) view_->GlyphChanged();
  CopyToPreview();
  RecordStep(StepName(texts::MenuOpen));
  KeptIn(0, fileName);
}

void TGlyphEditor::PasteGlyph(const TBitmap& picture) {
  if (picture.Width() != GlyphSize() || picture.Height() != GlyphSize())
    throw EInvalidOperation(FormatMessage(FormatMessage(texts::PastedGlyphSize, picture.Width()), GlyphSize()));
  TakeUndoSnapshot();
  picture.Draw(editor_.Canvas(), 0, 0);
  EnlargeGlyph();
  if (view_) view_->GlyphChanged();
  CopyToPreview();
  RecordStep(texts::StepPaste);
}

void TGlyphEditor::SaveAs1Click(IDialogService& dialogs) {
  const TSaveFileRequest request = GlyphSaveRequest();
  const std::optional<std::string> name = dialogs.SaveFile(request);
  if (!name) return;
  SaveGlyphFile(*name, SaveOptionsOf(dialogs, request, collection_.Options.Encode));
}

void TGlyphEditor::SaveGlyphFile(const std::string& fileName) { SaveGlyphFile(fileName, collection_.Options.Encode); }

void TGlyphEditor::SaveGlyphFile(const std::string& fileName, const TEncodeOptions& options) {
  // Through a picture, as the window saves any graphic; the glyph keeps its own format, and the
  // save writes beside the target and renames, so a failure keeps the previous file.
  TPicture picture;
  picture.Bitmap().Assign(&editor_);
  picture.SaveToFile(fileName, options);
  KeptIn(0, fileName);
}

void TGlyphEditor::UpdateCollectionItem1Click() {
  if (collection_.Items.Selected() == nullptr) return;
  if (!collection_.ReplaceSelected()) return;
  if (view_) view_->HideWindow();
}

void TGlyphEditor::Undo1Click() {
  // Before the first press there is no snapshot: the surface stays as it is.
  if (!undo_.Empty()) {
    pic().Assign(&undo_);
    // The glyph's alpha goes back with the surface: the surface holds colours alone.
    if (undoAlpha_.empty()) {
      editor_.SetAlphaPixels({});
    } else if (undoAlpha_.size() == static_cast<std::size_t>(GlyphSize()) * GlyphSize()) {
      SetAlphaGlyph(undoAlpha_);
    }
    SurfaceChanged();
  }
  ReduceSurface();
  // Every command that changes the glyph refreshes everything showing it, the preview too.
  CopyToPreview();
  RecordStep(StepName(texts::MenuUndo));
}

void TGlyphEditor::FillGlyphAndSurface(TColor glyphColor, const TDrawColour& surfaceColour, bool keepAlpha,
                                       const char* stepCaption) {
  // A glyph that keeps alpha, and a fill with a colour that is not opaque, make an alpha glyph:
  // every pixel then takes the surface's colour and alpha, as the reduction gives them.
  const TColor surfaceColor = surfaceColour.Color;
  const bool alpha = (keepAlpha && editor_.HasAlpha()) || surfaceColour.Alpha < 255;
  if (!alpha) editor_.SetAlphaPixels({});
  TCanvas& glyph = editor_.Canvas();
  glyph.Brush().SetColor(glyphColor);
  glyph.FillRect(Rect(0, 0, editor_.Width(), editor_.Height()));
  TCanvas& surface = pic().Canvas();
  surface.Brush().SetColor(surfaceColor);
  surface.FillRect(Rect(0, 0, SurfaceSize, SurfaceSize));
  if (alpha) SetAlphaGlyph(std::vector<std::uint32_t>(static_cast<std::size_t>(GlyphSize()) * GlyphSize(),
                                                      AlphaPixelOf(surfaceColour.Color, surfaceColour.Alpha)));
  SurfaceChanged();
  ReduceSurface();
  CopyToPreview();
  RecordStep(StepName(stepCaption));
}

// Clear starts the glyph afresh: white, without alpha, as the editor starts.
void TGlyphEditor::Clear1Click() { FillGlyphAndSurface(clWhite, TDrawColour{clWhite, 255}, false, texts::MenuClear); }

void TGlyphEditor::Fill1Click() {
  // The glyph's own brush keeps the foreground colour: it fills what a later resize adds. The
  // reduction covers the foreground fill at once with the surface's background colour.
  FillGlyphAndSurface(ForegroundColor(), BackgroundDrawColour(), true, texts::MenuFill);
}

void TGlyphEditor::Text2Click(IDialogService& dialogs) {
  const std::optional<TFontChoice> choice = dialogs.ChooseFont(FontChoiceOf(fontDialogFont_));
  if (!choice) return;
  AssignFontChoice(fontDialogFont_, *choice);
  pic().Canvas().Font().Assign(fontDialogFont_);
}

void TGlyphEditor::TextCaption1Click(IDialogService& dialogs) {
  const std::optional<std::string> text =
      dialogs.InputBox(texts::CaptionBoxCaption, texts::CaptionBoxPrompt, captionText_);
  // Cancelling gives the default back; an empty text is a caption like any other.
  captionText_ = text.value_or(captionText_);
}

void TGlyphEditor::TransformGlyph(TTransform transform) {
  // One step of its own for Undo, as a press takes it.
  TakeUndoSnapshot();
  std::vector<std::uint32_t> own = OwnPixels(editor_.Image());
  TransformImage(editor_, transform);
  if (!own.empty()) {
    TransformValues(own, editor_.Width(), editor_.Height(), transform);
    editor_.SetAlphaPixels(std::move(own));
  }
  EnlargeGlyph();
  if (view_) view_->GlyphChanged();
  CopyToPreview();
  RecordStep(StepName(TransformRowOf(transform).Caption));
}

// --- What the collection window asks ---------------------------------------------------------

void TGlyphEditor::EditGlyph(const TImageList& images, int cellIndex) {
  SetEditorControlSize(GlyphSize(), GlyphSize());
  SetSurfacePenWidth(CellScale());
  images.Draw(editor_.Canvas(), 0, 0, cellIndex);
  // A cell with alpha gives the glyph its own pixels too.
  const std::uint32_t* own = images.CellAlphaPixels(cellIndex);
  if (own && images.Width() == GlyphSize() && images.Height() == GlyphSize() && editor_.Width() == GlyphSize() &&
      editor_.Height() == GlyphSize())
    SetAlphaGlyph(std::vector<std::uint32_t>(own, own + static_cast<std::size_t>(GlyphSize()) * GlyphSize()));
  if (view_) view_->ShowWindow();
  EnlargeGlyph();
  if (view_) view_->GlyphChanged();
  CopyToPreview();
  RecordStep(texts::StepGlyph);
  KeptIn(&images == &collection_.ImageList1 ? collection_.CellKey(cellIndex) : 0, {});
}

void TGlyphEditor::ShowEditor() {
  SetEditorControlSize(GlyphSize(), GlyphSize());
  SetSurfacePenWidth(CellScale());
  if (view_) view_->ShowWindow();
}

}  // namespace gliffo
