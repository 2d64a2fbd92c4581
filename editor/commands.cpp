// The editor's File and Edit menus, over the editor and the application's dialogs.
#include <optional>

#include "editor/glyph_editor.h"
#include "editor/strings.h"
#include "glyphs/dialogs.h"
#include "glyphs/image_list.h"

namespace gliffo {

namespace {

TOpenFileRequest GlyphOpenRequest() {
  TOpenFileRequest request;
  request.Filter = texts::GlyphFileFilter;
  request.DefaultExtension = texts::GlyphFileExtension;
  return request;
}

TSaveFileRequest GlyphSaveRequest() {
  TSaveFileRequest request;
  request.Filter = texts::GlyphFileFilter;
  request.DefaultExtension = texts::GlyphFileExtension;
  return request;
}

}  // namespace

void TGlyphEditor::Open1Click(IDialogService& dialogs) {
  const std::optional<std::vector<std::string>> names = dialogs.OpenFiles(GlyphOpenRequest());
  if (!names || names->empty()) return;
  OpenGlyphFile(names->front());
}

void TGlyphEditor::OpenGlyphFile(const std::string& fileName) {
  // An unreadable file raises before anything of the editor changed.
  TBitmap opened;
  opened.LoadFromFile(fileName);
  if (opened.Width() != GlyphSize() || opened.Height() != GlyphSize()) return;
  // The glyph takes the file's format and colour table; later reductions are matched to it.
  editor_.Assign(&opened);
  EnlargeGlyph();
  if (view_) view_->GlyphChanged();
}

void TGlyphEditor::SaveAs1Click(IDialogService& dialogs) {
  const std::optional<std::string> name = dialogs.SaveFile(GlyphSaveRequest());
  if (!name) return;
  SaveGlyphFile(*name);
}

void TGlyphEditor::SaveGlyphFile(const std::string& fileName) {
  // The image's own format; the save writes beside the target and renames, so a failure keeps
  // the previous file.
  editor_.SaveToFile(fileName);
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
    SurfaceChanged();
  }
  ReduceSurface();
}

void TGlyphEditor::Clear1Click() {
  TCanvas& glyph = editor_.Canvas();
  glyph.Brush().SetColor(clWhite);
  glyph.FillRect(Rect(0, 0, editor_.Width(), editor_.Height()));
  TCanvas& surface = pic().Canvas();
  surface.Brush().SetColor(clWhite);
  surface.FillRect(Rect(0, 0, SurfaceSize, SurfaceSize));
  SurfaceChanged();
  ReduceSurface();
  CopyToPreview();
}

void TGlyphEditor::Fill1Click() {
  // The glyph's own brush keeps the foreground colour: it fills what a later resize adds. The
  // reduction covers the foreground fill at once with the surface's background colour.
  TCanvas& glyph = editor_.Canvas();
  glyph.Brush().SetColor(ForegroundColor());
  glyph.FillRect(Rect(0, 0, editor_.Width(), editor_.Height()));
  TCanvas& surface = pic().Canvas();
  surface.Brush().SetColor(BackgroundColor());
  surface.FillRect(Rect(0, 0, SurfaceSize, SurfaceSize));
  SurfaceChanged();
  ReduceSurface();
  CopyToPreview();
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

}  // namespace gliffo
