#include "editor/tools.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "glyphs/canvas.h"
#include "glyphs/glyph_geometry.h"

namespace gliffo {

namespace {

// The pixels a figure or line between two corners may paint with a pen of this width: the
// rectangle itself and the pen's reach beyond it on every side (round ends included).
TRect Reach(TPoint a, TPoint b, int penWidth) {
  const int reach = std::max(penWidth, 1) / 2 + 2;
  return Rect(std::min(a.X, b.X) - reach, std::min(a.Y, b.Y) - reach, std::max(a.X, b.X) + reach + 1,
              std::max(a.Y, b.Y) + reach + 1);
}

const TRect WholeSurface = Rect(0, 0, SurfaceSize, SurfaceSize);

// Draws on the surface and, while a stroke writes alpha, the same on the coverage surface.
template <typename Draw>
void ForEachCanvas(TToolContext& context, Draw draw) {
  draw(context.Surface);
  if (context.Coverage) draw(*context.Coverage);
}

// Shows a rubber band while the pointer moves and draws the figure on release. Under not-xor a
// second drawing of the same figure restores what the first changed, so each move takes back
// the previous band and draws the next one.
class TRubberBandTool : public TTool {
 public:
  void Move(TToolContext& context, TPoint point) const override {
    TCanvas& c = context.Surface;
    const TPoint start = context.StartPoint;
    const TPoint last = context.LastPoint;
    ForEachCanvas(context, [&](TCanvas& on) {
      on.Pen().SetMode(TPenMode::pmNotXor);
      Figure(on, start, last);
      Figure(on, start, point);
    });
    context.LastPoint = point;
    context.Changed = Union(context.Changed, Union(Reach(start, last, c.Pen().Width()), Reach(start, point, c.Pen().Width())));
  }
  // The last band goes first: a release away from the last move (a fast drag) would otherwise
  // leave a piece of it beside the figure.
  void Release(TToolContext& context, TPoint point) const override {
    TCanvas& c = context.Surface;
    const TPoint start = context.StartPoint;
    ForEachCanvas(context, [&](TCanvas& on) {
      if (context.BandShown) {
        on.Pen().SetMode(TPenMode::pmNotXor);
        Figure(on, start, context.LastPoint);
      }
      on.Pen().SetMode(TPenMode::pmCopy);
      Figure(on, start, point);
    });
    if (context.BandShown) context.Changed = Union(context.Changed, Reach(start, context.LastPoint, c.Pen().Width()));
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
    TCanvas& c = context.Surface;
    const TPoint from = c.PenPos();
    ForEachCanvas(context, [&](TCanvas& on) {
      on.Pen().SetMode(TPenMode::pmCopy);
      on.LineTo(point.X, point.Y);
    });
    context.Changed = Union(context.Changed, Reach(from, point, c.Pen().Width()));
  }
};

// One glyph pixel in the brush, in the cell where the button comes up.
class TBlockTool : public TTool {
 public:
  void Release(TToolContext& context, TPoint point) const override {
    const int scale = context.CellScale;
    const int cx = scale * (point.X / scale);
    const int cy = scale * (point.Y / scale);
    const TRect cell = Rect(cx, cy, cx + scale, cy + scale);
    ForEachCanvas(context, [&](TCanvas& on) { on.FillRect(cell); });
    context.Changed = Union(context.Changed, cell);
  }
};

class TFloodFillTool : public TTool {
 public:
  void Release(TToolContext& context, TPoint point) const override {
    TCanvas& c = context.Surface;
    if (context.Coverage && context.SurfaceAlpha) {
      FillOneColourAndAlpha(context, point);
    } else {
      c.FloodFill(point.X, point.Y, c.Pixel(point.X, point.Y), TFillStyle::fsSurface);
    }
    context.Changed = WholeSurface;
  }

 private:
  // The area of the pixel's colour and alpha joined to it side by side (the surface fill
  // joins them the same way), painted a row run at a time with the brush on both surfaces.
  static void FillOneColourAndAlpha(TToolContext& context, TPoint point) {
    TCanvas& c = context.Surface;
    if (point.X < 0 || point.Y < 0 || point.X >= SurfaceSize || point.Y >= SurfaceSize) return;
    if (c.Brush().Style() == TBrushStyle::bsClear) return;
    const TColor colour = c.Pixel(point.X, point.Y);
    const int alpha = context.SurfaceAlpha(point.X, point.Y);
    std::vector<std::uint8_t> in(static_cast<std::size_t>(SurfaceSize) * SurfaceSize, 0);
    const auto at = [](int x, int y) { return static_cast<std::size_t>(y) * SurfaceSize + static_cast<std::size_t>(x); };
    std::vector<TPoint> todo{point};
    in[at(point.X, point.Y)] = 1;
    while (!todo.empty()) {
      const TPoint p = todo.back();
      todo.pop_back();
      const TPoint next[4] = {{p.X - 1, p.Y}, {p.X + 1, p.Y}, {p.X, p.Y - 1}, {p.X, p.Y + 1}};
      for (const TPoint& n : next) {
        if (n.X < 0 || n.Y < 0 || n.X >= SurfaceSize || n.Y >= SurfaceSize || in[at(n.X, n.Y)]) continue;
        if (c.Pixel(n.X, n.Y) != colour || context.SurfaceAlpha(n.X, n.Y) != alpha) continue;
        in[at(n.X, n.Y)] = 1;
        todo.push_back(n);
      }
    }
    for (int y = 0; y < SurfaceSize; ++y)
      for (int x = 0; x < SurfaceSize;) {
        if (!in[at(x, y)]) {
          ++x;
          continue;
        }
        int end = x;
        while (end < SurfaceSize && in[at(end, y)]) ++end;
        ForEachCanvas(context, [&](TCanvas& on) { on.FillRect(Rect(x, y, end, y + 1)); });
        x = end;
      }
  }
};

// The eyedropper: the colour and alpha of the glyph pixel where the button comes up.
class TPickerTool : public TTool {
 public:
  void Release(TToolContext& context, TPoint point) const override {
    if (context.PickColour) context.PickColour(point);
  }
};

// Writes the caption so that the click point lies a seventh of its width in and a fifth of its
// height down, in the font's own colour on a transparent background. Clearing the brush for
// the text makes it white (the brush's coupling rule); restoring the style keeps that colour.
class TTextTool : public TTool {
 public:
  void Release(TToolContext& context, TPoint point) const override {
    TCanvas& c = context.Surface;
    const std::string& caption = context.CaptionText;
    const int h = c.TextHeight(caption);
    const int w = c.TextWidth(caption);
    ForEachCanvas(context, [&](TCanvas& on) {
      const TBrushStyle style = on.Brush().Style();
      on.Brush().SetStyle(TBrushStyle::bsClear);
      on.TextOut(point.X - w / 7, point.Y - h / 5, caption);
      on.Brush().SetStyle(style);
    });
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

namespace {

const TFreehandTool Freehand;
const TBlockTool Block;
const TLineTool Line;
const TEllipseTool Ellipse;
const TRectangleTool Rectangle;
const TRoundRectTool RoundRect;
const TFloodFillTool FloodFill;
const TTextTool Text;
const TPickerTool Picker;

constexpr std::array<TToolRow, 9> Tools = {{
    {TSymbolItem::Free1, "freehand", "&Freehand", "Free1", &Freehand, TToolMenu::Symbol, true},
    {TSymbolItem::Block1, "block", "&Block", "Block1", &Block, TToolMenu::Symbol, true},
    {TSymbolItem::Line1, "line", "&Line", "Line1", &Line, TToolMenu::Symbol, true},
    {TSymbolItem::Ellipse1, "ellipse", "&Ellipse", "Ellipse1", &Ellipse, TToolMenu::Symbol, true},
    {TSymbolItem::Rectangle1, "rectangle", "&Rectangle", "Rectangle1", &Rectangle, TToolMenu::Symbol, true},
    {TSymbolItem::RoundRectangle1, "roundrect", "Round Rectangle", "RoundRectangle1", &RoundRect, TToolMenu::Symbol, true},
    {TSymbolItem::Flood1, "floodfill", "FloodFill", "Flood1", &FloodFill, TToolMenu::Symbol, true},
    {TSymbolItem::Text1, "text", "Text", "Text1", &Text, TToolMenu::Symbol, true},
    {TSymbolItem::Picker1, "picker", "&Pick Colour", "PickColour1", &Picker, TToolMenu::Colour, false},
}};

constexpr std::array<TPenRow, 3> Pens = {{
    {TPenItem::N11, 1, "&1", "N11"},
    {TPenItem::N21, 2, "&2", "N21"},
    {TPenItem::N31, 3, "&3", "N31"},
}};

// Row k holds item k, so an item finds its row by position.
constexpr bool InItemOrder() {
  for (std::size_t k = 0; k < Tools.size(); ++k)
    if (static_cast<std::size_t>(Tools[k].Item) != k) return false;
  for (std::size_t k = 0; k < Pens.size(); ++k)
    if (static_cast<std::size_t>(Pens[k].Item) != k) return false;
  return true;
}
static_assert(InItemOrder());

}  // namespace

std::span<const TToolRow> ToolTable() { return Tools; }

const TToolRow& ToolRowOf(TSymbolItem item) { return Tools.at(static_cast<std::size_t>(item)); }

const TToolRow* FindToolRow(std::string_view toolName) {
  for (const TToolRow& row : Tools)
    if (row.Name == toolName) return &row;
  return nullptr;
}

const TTool* FindTool(std::string_view toolName) {
  const TToolRow* row = FindToolRow(toolName);
  return row ? row->Tool : nullptr;
}

std::span<const TPenRow> PenTable() { return Pens; }

const TPenRow& PenRowOf(TPenItem item) { return Pens.at(static_cast<std::size_t>(item)); }

}  // namespace gliffo
