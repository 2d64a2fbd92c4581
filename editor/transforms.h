#pragma once
// Mirroring, turning and shifting a glyph by whole pixels. The stored values move, not the
// colours, so an indexed glyph keeps its format, its colour table and its exact indices.
// Each transform is one row of a table that the Transform menu, the names of its steps and
// the session's flip, rotate and shift verbs all read.
#include <cstdint>
#include <span>
#include <vector>
#include <string_view>

namespace gliffo {

class TBitmap;

// The Transform menu's items, in menu order.
enum class TTransform { FlipHorizontal, FlipVertical, RotateRight, RotateLeft, ShiftLeft, ShiftRight, ShiftUp, ShiftDown };

struct TTransformRow {
  TTransform Transform;
  // The menu item's caption; without its '&' it names the step in the History window.
  const char* Caption;
  const char* ObjectName;  // the menu item's name
  // The item's shortcut in portable key text ("Ctrl+Shift+Left"); empty for none.
  const char* Keys;
  bool SeparatorBefore;  // a separator line above the item
  // The session line that runs it: the verb, and the word after it. Rows sharing a verb are
  // next to each other; the verb takes their words in table order.
  const char* Verb;
  const char* Way;
};

// Every transform, in menu order (row k holds transform k).
std::span<const TTransformRow> TransformTable();
const TTransformRow& TransformRowOf(TTransform transform);

// Applies the transform to the whole image. Shifts move by one pixel and wrap around; turns
// are a quarter clockwise (right) or anticlockwise (left) and need a square image (anything
// else is left as it is). An empty image stays empty.
void TransformImage(TBitmap& image, TTransform transform);
// The same over values of a width × height picture, top row first (an alpha picture's own
// pixels, which move with its store).
void TransformValues(std::vector<std::uint32_t>& values, int width, int height, TTransform transform);

}  // namespace gliffo
