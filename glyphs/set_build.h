#pragma once
// Building an icon set into the files other tools take: a freedesktop theme tree, a Qt resource
// file, percent-named PNGs, Windows strips and icons, and a sprite sheet with its map. A build
// remembers what it made (OUTDIR/.gliffo-build), so a build with nothing changed writes no file
// and one changed cell rewrites only the files that hold it.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/image_options.h"

namespace gliffo {

class TIconSet;

enum class TBuildTarget { Hicolor, Qrc, Percent, Strips, Ico, Sheet };

// Every target, in the order a build makes them.
const std::vector<TBuildTarget>& AllBuildTargets();
std::string_view BuildTargetName(TBuildTarget target);
std::optional<TBuildTarget> ParseBuildTarget(std::string_view name);

struct TBuildChoices {
  std::vector<TBuildTarget> Targets;  // empty: all
  // Outputs an earlier build made for icons (or sizes, themes, targets) the set no longer
  // has are removed; without it they stay, and are remembered for a later clean.
  bool Clean = false;
};

struct TBuildResult {
  std::vector<std::string> Written;  // paths under the output folder, in the order saved
  std::vector<std::string> Removed;
  int Unchanged = 0;                 // outputs that already held what this build makes
};

// Builds the set into outDir (made if missing). Every output goes through the safe save; an
// error names the file it is about, and every file saved before it stays whole and is
// remembered. Files are named from the icons' names, which the set keeps to the naming rules;
// the set's own name is kept to letters, digits, "-" and "_" for its files.
TBuildResult BuildIconSet(const TIconSet& set, const std::string& outDir, const TBuildChoices& choices);
// The same from the set file. When the set file, its strips, the choices and every output are
// as the last build left them, nothing is read beyond the set file and nothing is written.
TBuildResult BuildIconSetFile(const std::string& setFile, const std::string& outDir, const TBuildChoices& choices,
                              const TImageOptions& options);

}  // namespace gliffo
