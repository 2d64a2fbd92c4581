#include "editor/tools.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "editor/glyph_editor.h"
#include "editor/strings.h"

namespace gliffo {

// The tools' door into the editor's state.
class TEditorTools {
 public:
  static TCanvas& Surface(TGlyphEditor& e) { return e.pic().Canvas(); }
  static TPoint StartPoint(const TGlyphEditor& e) { return e.startPoint_; }
  static TPoint LastPoint(const TGlyphEditor& e) { return e.lastPoint_; }
  static void SetLastPoint(TGlyphEditor& e, TPoint p) { e.lastPoint_ = p; }
  static const std::string& CaptionText(const TGlyphEditor& e) { return e.captionText_; }
};

namespace {

// The pixels a figure or line between two corners may paint with a pen of this width: the
// rectangle itself and the pen's reach beyond it on every side (round ends included).
TRect Reach(TPoint a, TPoint b, int penWidth) {
  const int reach = std::max(penWidth, 1) / 2 + 2;
  return Rect(std::min(a.X, b.X) - reach, std::min(a.Y, b.Y) - reach, std::max(a.X, b.X) + reach + 1,
              std::max(a.Y, b.Y) + reach + 1);
}

const TRect WholeSurface = Rect(0, 0, SurfaceSize, SurfaceSize);

// Shows a rubber band while the pointer moves and draws the figure on release. Under not-xor a
// second drawing of the same figure restores what the first changed, so each move takes back
// the previous band and draws the next one.
class TRubberBandTool : public TTool {
 public:
  void Move(TToolContext& context, TPoint point) const override {
    TGlyphEditor& e = context.Editor;
    TCanvas& c = TEditorTools::Surface(e);
    const TPoint start = TEditorTools::StartPoint(e);
    const TPoint last = TEditorTools::LastPoint(e);
    c.Pen().SetMode(TPenMode::pmNotXor);
    Figure(c, start, last);
    Figure(c, start, point);
    TEditorTools::SetLastPoint(e, point);
    context.Changed = Union(context.Changed, Union(Reach(start, last, c.Pen().Width()), Reach(start, point, c.Pen().Width())));
  }
  void Release(TToolContext& context, TPoint point) const override {
    TGlyphEditor& e = context.Editor;
    TCanvas& c = TEditorTools::Surface(e);
    const TPoint start = TEditorTools::StartPoint(e);
    c.Pen().SetMode(TPenMode::pmCopy);
    Figure(c, start, point);
    context.Changed = Union(context.Changed, Reach(start, point, c.Pen().Width()));
  }

 protected:
  virtual void Figure(TCanvas& c, TPoint a, TPoint b) const = 0;
};

class TLineTool : public TRubberBandTool {
 protected:
  void Figure(TCanvas& c, TPoint a, TPoint b) const override {
    c.MoveTo(a.X, a.Y);
    c.LineTo(b.X, b.Y);
  }
};

class TRectangleTool : public TRubberBandTool {
 protected:
  void Figure(TCanvas& c, TPoint a, TPoint b) const override { c.Rectangle(a.X, a.Y, b.X, b.Y); }
};

class TRoundRectTool : public TRubberBandTool {
 protected:
  static constexpr int Corner = 10;
  void Figure(TCanvas& c, TPoint a, TPoint b) const override { c.RoundRect(a.X, a.Y, b.X, b.Y, Corner, Corner); }
};

class TEllipseTool : public TRubberBandTool {
 protected:
  void Figure(TCanvas& c, TPoint a, TPoint b) const override { c.Ellipse(a.X, a.Y, b.X, b.Y); }
};

// Draws while the pointer moves, from wherever the pen stands.
class TFreehandTool : public TTool {
 public:
  void Move(TToolContext& context, TPoint point) const override {
    TCanvas& c = TEditorTools::Surface(context.Editor);
    const TPoint from = c.PenPos();
    c.Pen().SetMode(TPenMode::pmCopy);
    c.LineTo(point.X, point.Y);
    context.Changed = Union(context.Changed, Reach(from, point, c.Pen().Width()));
  }
};

// One glyph pixel in the brush, in the cell where the button comes up.
class TBlockTool : public TTool {
 public:
  void Release(TToolContext& context, TPoint point) const override {
    const int scale = context.Editor.CellScale();
    const int cx = scale * (point.X / scale);
    const int cy = scale * (point.Y / scale);
    const TRect cell = Rect(cx, cy, cx + scale, cy + scale);
    TEditorTools::Surface(context.Editor).FillRect(cell);
    context.Changed = Union(context.Changed, cell);
  }
};

class TFloodFillTool : public TTool {
 public:
  void Release(TToolContext& context, TPoint point) const override {
    TCanvas& c = TEditorTools::Surface(context.Editor);
    c.FloodFill(point.X, point.Y, c.Pixel(point.X, point.Y), TFillStyle::fsSurface);
    context.Changed = WholeSurface;
  }
};

// Writes the caption so that the click point lies a seventh of its width in and a fifth of its
// height down, in the font's own colour on a transparent background. Clearing the brush for
// the text makes it white (the brush's coupling rule); restoring the style keeps that colour.
class TTextTool : public TTool {
 public:
  void Release(TToolContext& context, TPoint point) const override {
    TGlyphEditor& e = context.Editor;
    TCanvas& c = TEditorTools::Surface(e);
    const std::string& caption = TEditorTools::CaptionText(e);
    const TBrushStyle style = c.Brush().Style();
    c.Brush().SetStyle(TBrushStyle::bsClear);
    const int h = c.TextHeight(caption);
    const int w = c.TextWidth(caption);
    c.TextOut(point.X - w / 7, point.Y - h / 5, caption);
    c.Brush().SetStyle(style);
    context.Changed = WholeSurface;
  }
};

}  // namespace

void TTool::Move(TToolContext&, TPoint) const {}
void TTool::Release(TToolContext&, TPoint) const {}

TRect Union(const TRect& a, const TRect& b) {
  if (a.Width() <= 0 || a.Height() <= 0) return b;
  if (b.Width() <= 0 || b.Height() <= 0) return a;
  return Rect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom));
}

const TTool* FindTool(std::string_view toolName) {
  static const TFreehandTool freehand;
  static const TLineTool line;
  static const TRectangleTool rectangle;
  static const TRoundRectTool roundRect;
  static const TEllipseTool ellipse;
  static const TBlockTool block;
  static const TFloodFillTool floodFill;
  static const TTextTool text;
  static const std::array<std::pair<std::string_view, const TTool*>, 8> tools = {{
      {texts::ToolFreehand, &freehand},
      {texts::ToolLine, &line},
      {texts::ToolRectangle, &rectangle},
      {texts::ToolRoundRect, &roundRect},
      {texts::ToolEllipse, &ellipse},
      {texts::ToolBlock, &block},
      {texts::ToolFloodFill, &floodFill},
      {texts::ToolText, &text},
  }};
  for (const auto& [name, tool] : tools)
    if (name == toolName) return tool;
  return nullptr;
}

// --- The surface's mouse events --------------------------------------------------------------

void TGlyphEditor::picMouseDown(int x, int y) {
  TCanvas& surface = pic().Canvas();
  undo_.Assign(&surface_);
  startPoint_ = TPoint{x, y};
  lastPoint_ = TPoint{x, y};
  surface.MoveTo(x, y);
  drawing_ = true;
}

void TGlyphEditor::picMouseMove(int x, int y) {
  if (!drawing_) return;
  TRect changed;
  TToolContext context{*this, changed};
  if (const TTool* tool = FindTool(toolName_)) tool->Move(context, TPoint{x, y});
  ReduceSurface();
  if (changed.Width() > 0) SurfaceChanged(changed);
}

void TGlyphEditor::picMouseUp(int x, int y) {
  TRect changed;
  if (drawing_) {
    TToolContext context{*this, changed};
    if (const TTool* tool = FindTool(toolName_)) tool->Release(context, TPoint{x, y});
  }
  drawing_ = false;
  pic().Canvas().Pen().SetMode(TPenMode::pmCopy);
  ReduceSurface();
  if (GlyphSize() == 16) CopyToPreview();
  if (changed.Width() > 0) SurfaceChanged(changed);
}

}  // namespace gliffo
