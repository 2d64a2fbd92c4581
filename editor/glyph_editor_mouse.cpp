// The surface's mouse events: the press is the same for every tool, moves and releases go to
// the tool that ToolName names, read anew at every event.
#include "editor/glyph_editor.h"

namespace gliffo {

void TGlyphEditor::picMouseDown(int x, int y) {
  TCanvas& surface = pic().Canvas();
  undo_.Assign(&surface_);
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
  if (const TTool* tool = FindTool(toolName_)) tool->Move(context, TPoint{x, y});
  moved_ = true;
  ReduceSurface();
  if (changed.Width() > 0) SurfaceChanged(changed);
}

void TGlyphEditor::picMouseUp(int x, int y) {
  TRect changed;
  const bool stroke = drawing_;
  if (drawing_) {
    TToolContext context{pic().Canvas(), startPoint_, lastPoint_, captionText_, CellScale(), changed, moved_};
    if (const TTool* tool = FindTool(toolName_)) tool->Release(context, TPoint{x, y});
  }
  drawing_ = false;
  moved_ = false;
  pic().Canvas().Pen().SetMode(TPenMode::pmCopy);
  ReduceSurface();
  if (GlyphSize() == 16) CopyToPreview();
  if (changed.Width() > 0) SurfaceChanged(changed);
  if (stroke) {
    const TToolRow* row = FindToolRow(toolName_);
    RecordStep(row ? StepName(row->Caption) : toolName_);
  }
}

}  // namespace gliffo
