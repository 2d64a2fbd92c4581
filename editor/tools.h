#pragma once
// The eight drawing tools and the three pen widths, each one row of a table that the editor's
// Symbol and Pen menus, their check marks, the tool look-up and the session's tool verb all read.
// A tool is a small object that acts on a move and on a release of the mouse over the surface;
// the press is the same for all of them and belongs to the editor. The four rubber-band figures
// share one base and differ only in the figure they draw.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "glyphs/types.h"

namespace gliffo {

class TCanvas;

// What a tool sees of the editor while it works.
struct TToolContext {
  TCanvas& Surface;
  TPoint StartPoint;
  // Where the rubber band stands; a move of a rubber-band tool carries it along.
  TPoint& LastPoint;
  const std::string& CaptionText;
  int CellScale;
  // Grows the area of the surface that this step changed.
  TRect& Changed;
  // A rubber band stands on the surface: a move of this stroke drew one at LastPoint.
  bool BandShown = false;
  // While a stroke writes alpha: a second surface the same size on which every tool draws the
  // same figures in marker colours (the pen's, the brush's, the font's), so the editor knows
  // which pixels the stroke wrote and with which of its colours. Nothing otherwise.
  TCanvas* Coverage = nullptr;
  // With Coverage: the alpha of a surface pixel, for a fill that keeps to pixels of one colour
  // and one alpha.
  std::function<int(int x, int y)> SurfaceAlpha = {};
  // The eyedropper's way back to the editor: takes the colour under a surface point.
  std::function<void(TPoint)> PickColour = {};
};

// The marker colours of the coverage surface (0x00BBGGRR): what the pen, the brush and the
// font drew there; black is untouched.
inline constexpr std::uint32_t CoveragePen = 0x0000FF;
inline constexpr std::uint32_t CoverageBrush = 0x00FF00;
inline constexpr std::uint32_t CoverageFont = 0xFF0000;

class TTool {
 public:
  virtual ~TTool() = default;
  virtual void Move(TToolContext& context, TPoint point) const;
  virtual void Release(TToolContext& context, TPoint point) const;
};

// The Symbol menu's items, in menu order, then the tools of the Colour menu.
enum class TSymbolItem { Free1, Block1, Line1, Ellipse1, Rectangle1, RoundRectangle1, Flood1, Text1, Picker1 };

// The menu a tool is an item of.
enum class TToolMenu { Symbol, Colour };

struct TToolRow {
  TSymbolItem Item;
  // The tool identifier ToolName holds, compared exactly (with regard to case).
  const char* Name;
  const char* Caption;     // the menu item's caption
  const char* ObjectName;  // the menu item's name; its handler is this name and "Click"
  const TTool* Tool;
  TToolMenu Menu;
  // Whether a stroke with it changes the picture (a step of its own, a snapshot for Undo).
  bool Draws;
};

// Every tool, in menu order (row k holds item k).
std::span<const TToolRow> ToolTable();
const TToolRow& ToolRowOf(TSymbolItem item);
// The row of a tool identifier; nullptr for any other text.
const TToolRow* FindToolRow(std::string_view toolName);
// The tool named by a tool identifier; nullptr for any other text.
const TTool* FindTool(std::string_view toolName);

// The Pen menu's items, in menu order.
enum class TPenItem { N11, N21, N31 };

struct TPenRow {
  TPenItem Item;
  int Cells;  // the pen width in cells
  const char* Caption;
  const char* ObjectName;
};

// Every pen width, in menu order (row k holds item k).
std::span<const TPenRow> PenTable();
const TPenRow& PenRowOf(TPenItem item);

// The smallest rectangle holding both, for accumulating changed areas; an empty rectangle
// (no width or no height) counts as nothing.
TRect Union(const TRect& a, const TRect& b);

}  // namespace gliffo
