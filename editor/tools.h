#pragma once
// The eight drawing tools. Each is a small object that acts on a move and on a release of the
// mouse over the surface; the press is the same for all of them and belongs to the editor.
// The four rubber-band figures share one base and differ only in the figure they draw.
#include <string_view>

#include "glyphs/types.h"

namespace gliffo {

class TGlyphEditor;

// What a tool sees of the editor while it works.
struct TToolContext {
  TGlyphEditor& Editor;
  // Grows the area of the surface that this step changed.
  TRect& Changed;
};

class TTool {
 public:
  virtual ~TTool() = default;
  virtual void Move(TToolContext& context, TPoint point) const;
  virtual void Release(TToolContext& context, TPoint point) const;
};

// The tool named by a tool identifier, compared exactly (with regard to case); nullptr for any
// other text.
const TTool* FindTool(std::string_view toolName);

// The smallest rectangle holding both, for accumulating changed areas; an empty rectangle
// (no width or no height) counts as nothing.
TRect Union(const TRect& a, const TRect& b);

}  // namespace gliffo
