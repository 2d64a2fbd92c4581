#pragma once
// The eight drawing tools and the three pen widths, each one row of a table that the editor's
// Symbol and Pen menus, their check marks, the tool look-up and the session's tool verb all read.
// A tool is a small object that acts on a move and on a release of the mouse over the surface;
// the press is the same for all of them and belongs to the editor. The four rubber-band figures
// share one base and differ only in the figure they draw.
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
};

class TTool {
 public:
  virtual ~TTool() = default;
  virtual void Move(TToolContext& context, TPoint point) const;
  virtual void Release(TToolContext& context, TPoint point) const;
};

// The Symbol menu's items, in menu order.
enum class TSymbolItem { Free1, Block1, Line1, Ellipse1, Rectangle1, RoundRectangle1, Flood1, Text1 };

struct TToolRow {
  TSymbolItem Item;
  // The tool identifier ToolName holds, compared exactly (with regard to case).
  const char* Name;
  const char* Caption;     // the menu item's caption
  const char* ObjectName;  // the menu item's name; its handler is this name and "Click"
  const TTool* Tool;
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
