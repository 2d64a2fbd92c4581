#pragma once
// Making an icon set from what a project keeps today: a freedesktop theme tree, a Qt folder of
// NAME.png and NAME@2x.png, a folder of NAME.png, NAME_150.png and NAME_200.png, or strips
// with a file of names. Names come from the file names; a name present at one size and not at
// another is an empty cell.
#include <optional>
#include <string>
#include <vector>

#include "formats/image_options.h"
#include "glyphs/icon_set.h"

namespace gliffo {

enum class TSetLayout { Hicolor, Qt, Percent, Strips };
// "hicolor", "qt", "percent", "strips"; nothing for any other word.
std::optional<TSetLayout> ParseSetLayout(const std::string& text);

struct TSetImport {
  TSetLayout Layout = TSetLayout::Hicolor;
  std::string Source;                // the folder (every layout but strips)
  std::vector<std::string> Strips;   // strips: the strip files, each as high as its size
  std::string NamesFile;             // strips: one name a line, blank lines and # comments skipped
};

// The new set, its cells filled from the files, not yet saved. Files that cannot give a cell
// (a name against the naming rules, a picture of another size than its folder says) are left
// out with a line in warnings. EInvalidOperation when nothing is found.
TIconSet ImportIconSet(const std::string& setFile, const TSetImport& import, const TImageOptions& options,
                       std::vector<std::string>& warnings);

}  // namespace gliffo
