// The surface's mouse events: the press is the same for every tool, moves and releases go to
// the tool that ToolName names, read anew at every event.
#include "editor/glyph_editor.h"

namespace gliffo {

void TGlyphEditor::picMouseDown(int x, int y, bool secondButton) {
  TCanvas& surface = pic().Canvas();
  const TToolRow* row = FindToolRow(toolName_);
  pickToBrush_ = secondButton;
  alphaStroke_ = false;
  // A tool that only looks (the eyedropper) leaves the snapshot for Undo as it was.
  if (!row || row->Draws) {
    TakeUndoSnapshot();
    // A stroke writes alpha when the glyph has it or a colour it draws with is not opaque.
    alphaStroke_ = row && (editor_.HasAlpha() || ForegroundDrawColour().Alpha < 255 || BackgroundDrawColour().Alpha < 255);
    if (alphaStroke_) {
      MakeAlphaGlyph();
      strokeAlpha_ = OwnPixels(editor_.Image());
      // The coverage surface starts untouched, with the surface's pens and fonts in markers.
      if (coverage_.Empty()) {
        coverage_.SetPixelFormat(TPixelFormat::pfDevice);
        coverage_.SetWidth(SurfaceSize);
        coverage_.SetHeight(SurfaceSize);
      }
      TCanvas& cover = coverage_.Canvas();
      cover.Pen().Assign(surface.Pen());
      cover.Pen().SetColor(static_cast<TColor>(CoveragePen));
      cover.Pen().SetMode(TPenMode::pmCopy);
      cover.Brush().SetColor(0);
      cover.Brush().SetStyle(TBrushStyle::bsSolid);
      cover.FillRect(Rect(0, 0, SurfaceSize, SurfaceSize));
      cover.Brush().SetColor(static_cast<TColor>(CoverageBrush));
      cover.Brush().SetStyle(surface.Brush().Style());
      cover.Font().Assign(surface.Font());
      cover.Font().SetColor(static_cast<TColor>(CoverageFont));
      cover.MoveTo(x, y);
    }
  }
  startPoint_ = TPoint{x, y};
  lastPoint_ = TPoint{x, y};
  surface.MoveTo(x, y);
  drawing_ = true;
  moved_ = false;
}

void TGlyphEditor::picMouseMove(int x, int y) {
  if (!drawing_) return;
  TRect changed;
  TToolContext context{pic().Canvas(), startPoint_, lastPoint_, captionText_, CellScale(), changed};
  if (alphaStroke_) {
    context.Coverage = &coverage_.Canvas();
    context.SurfaceAlpha = [this](int px, int py) { return SurfaceAlphaAt(px, py); };
  }
  if (const TTool* tool = FindTool(toolName_)) tool->Move(context, TPoint{x, y});
  moved_ = true;
  ReduceSurface();
  if (changed.Width() > 0) SurfaceChanged(changed);
}

void TGlyphEditor::picMouseUp(int x, int y) {
  TRect changed;
  const bool stroke = drawing_;
  const TToolRow* row = FindToolRow(toolName_);
  if (drawing_) {
    TToolContext context{pic().Canvas(), startPoint_, lastPoint_, captionText_, CellScale(), changed, moved_};
    if (alphaStroke_) {
      context.Coverage = &coverage_.Canvas();
      context.SurfaceAlpha = [this](int px, int py) { return SurfaceAlphaAt(px, py); };
    }
    context.PickColour = [this](TPoint point) { PickColourAt(point); };
    if (const TTool* tool = FindTool(toolName_)) tool->Release(context, TPoint{x, y});
  }
  drawing_ = false;
  moved_ = false;
  pic().Canvas().Pen().SetMode(TPenMode::pmCopy);
  if (row && !row->Draws) return;  // nothing on the surface or the glyph changed
  ReduceSurface();
  alphaStroke_ = false;
  strokeAlpha_.clear();
  if (GlyphSize() == 16) CopyToPreview();
  if (changed.Width() > 0) SurfaceChanged(changed);
  if (stroke) RecordStep(row ? StepName(row->Caption) : toolName_);
}

}  // namespace gliffo
