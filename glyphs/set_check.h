#pragma once
// The problems of an icon set that a maintainer wants to hear of before a build ships it:
// empty cells, bad or repeated names, icons drawn twice, stray soft pixels, a key colour left
// in an alpha glyph, off-centre glyphs and glyphs that vanish on their toolbar.
#include <string>
#include <string_view>
#include <vector>

namespace gliffo {

class TIconSet;

enum class TProblemKind { EmptyCell, BadName, RepeatedName, SamePictures, SoftPixel, KeyInAlpha, OffCentre, LowContrast };

struct TSetProblem {
  TProblemKind Kind = TProblemKind::EmptyCell;
  int Icon = 0;      // the icon's index in the set
  int Column = -1;   // the cell's column; -1 for a problem of the icon as a whole
  std::string Name;  // the icon's name, as the set file writes it
  int Size = 0;      // 0 with Column -1
  std::string Theme;  // "" with Column -1
  std::string Message;
};

// Every problem, icon by icon, each icon's own (names, pictures) before its cells'.
std::vector<TSetProblem> CheckIconSet(const TIconSet& set);

// "ICON SIZE THEME: message", "-" for the size and theme of a problem of the whole icon.
std::string ProblemLine(const TSetProblem& problem);
// The same problems as a JSON array of objects: icon, size and theme (null for a whole icon),
// problem (a short word for the kind) and message.
std::string ProblemsJson(const std::vector<TSetProblem>& problems);
std::string_view ProblemKindName(TProblemKind kind);

// WCAG: the contrast ratio of two relative luminances (1 to 21), and a colour's luminance.
double ContrastRatio(double luminanceA, double luminanceB);
double RelativeLuminance(int red, int green, int blue);

}  // namespace gliffo
