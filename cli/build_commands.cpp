// An icon set to every target other tools take (build), and the set's problems found before
// they ship (check).
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/output.h"
#include "glyphs/icon_set.h"
#include "glyphs/set_build.h"
#include "glyphs/set_check.h"
#include "platform/errors.h"

namespace gliffo::cli {

namespace {

int Build(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const std::string targets = TakeOption(args, "--target", "");
  TBuildChoices choices;
  choices.Clean = TakeFlag(args, "--clean");
  TakeOpaqueOption(args, options);
  RejectOptions(args);
  if (args.size() != 2) throw UsageError("needs the set file and an output folder");
  if (!targets.empty()) {
    std::size_t from = 0;
    while (from <= targets.size()) {
      const std::size_t comma = targets.find(',', from);
      const std::string name = targets.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
      const std::optional<TBuildTarget> target = ParseBuildTarget(name);
      if (!target) throw UsageError("unknown target '" + name + "': hicolor, qrc, percent, strips, ico or sheet");
      choices.Targets.push_back(*target);
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
  }
  const TBuildResult result = BuildIconSetFile(args[0], args[1], choices, options);
  const std::string folder = args[1].ends_with('/') ? args[1] : args[1] + "/";
  for (const std::string& path : result.Written) Out() << "written: " << folder << path << "\n";
  for (const std::string& path : result.Removed) Out() << "removed: " << folder << path << "\n";
  Out() << "unchanged: " << result.Unchanged << "\n";
  return 0;
}

int Check(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const bool json = TakeFlag(args, "--json");
  RejectOptions(args);
  if (args.size() != 1) throw UsageError("needs the set file");
  // Names that break the rules are read as they stand, to be reported with the rest.
  const TIconSet set = TIconSet::Open(args[0], options, true);
  const std::vector<TSetProblem> problems = CheckIconSet(set);
  if (json)
    Out() << ProblemsJson(problems);
  else
    for (const TSetProblem& p : problems) Out() << ProblemLine(p) << "\n";
  return problems.empty() ? 0 : 1;
}

const CommandRegistrar buildCommand(
    {"build", "build SET OUTDIR [--target hicolor,qrc,percent,strips,ico,sheet] [--clean] [--opaque]",
     "write an icon set as a theme tree, a Qt resource, percent PNGs, strips, icons and sprite sheets",
     "Every target named (all by default), from the set's cells, into OUTDIR:\n"
     "  hicolor  hicolor/16x16/CONTEXT/NAME.png per size, hicolor/16x16@2/... where the set has\n"
     "           twice the size, and index.theme; a further theme as hicolor-THEME, which inherits\n"
     "           hicolor. CONTEXT is the set file's context = \"...\", actions by default.\n"
     "  qrc      qt/NAME.png and qt/NAME@2x.png (from twice the smallest size, when the set has it),\n"
     "           a further theme under qt/THEME/, and SET.qrc with a resource prefix per theme.\n"
     "  percent  percent/NAME.png, NAME_150.png, NAME_200.png (the set's own cells where it has\n"
     "           those sizes, else the smallest scaled as 'scale' does); further themes below.\n"
     "  strips   strips/SET-16.bmp per size and theme, 4-bit where every cell is in the 16 system\n"
     "           colours without alpha, 32-bit with alpha otherwise; strips/NAMES.txt.\n"
     "  ico      ico/NAME.ico holding every size the icon is drawn at; further themes below.\n"
     "  sheet    SET-16.png per size and theme, the cells in a grid, and SET-16.json with each\n"
     "           icon's rectangle as Aseprite's --data writes it (frames by name, meta).\n"
     "Empty cells give no file. OUTDIR/.gliffo-build remembers what was made: a build with nothing\n"
     "changed writes no file, and after a cell changes only the files holding it are written.\n"
     "--clean removes the files an earlier build made that this one does not. Every file goes\n"
     "through the safe save; a failure names the file, and the files saved before it stay whole.\n"
     "Nothing is written over the set's own files or through a link in OUTDIR.",
     Build});

const CommandRegistrar checkCommand(
    {"check", "check SET [--json]", "list the problems of an icon set: status 1 if any, 0 if none",
     "One problem a line, ICON SIZE THEME: what (- where a problem is about no one size or theme).\n"
     "Checked: empty cells; names that break the naming rules or repeat; two icons with the same\n"
     "pictures at every size; a semi-transparent pixel in a glyph otherwise fully opaque or fully\n"
     "transparent; the key colour drawn inside a glyph with alpha; a glyph whose drawing is more\n"
     "than a pixel off the cell's centre where the icon's other sizes are centred; a drawing whose\n"
     "average luminance has less than 3:1 contrast with its theme's toolbar background (light\n"
     "#EFEFEF, dark #2B2B2B, or as the set file's [background] table sets them). --json prints the\n"
     "same as an array of objects with icon, size, theme, problem and message.",
     Check});

}  // namespace

}  // namespace gliffo::cli
