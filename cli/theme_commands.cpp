// A set's dark theme made from its light one, as the window's Make Dark Theme makes it.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/output.h"
#include "glyphs/dark_theme.h"
#include "glyphs/icon_set.h"
#include "platform/errors.h"

namespace gliffo::cli {

namespace {

int Theme(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const std::string make = TakeOption(args, "--make", "");
  std::string from = TakeOption(args, "--from", "");
  TakeOpaqueOption(args, options);
  for (const std::string& a : args)
    if (a.size() > 1 && a[0] == '-' && a[1] == '-') throw UsageError("unknown option " + a);
  if (make.empty()) throw UsageError("needs --make THEME");
  if (args.size() != 1) throw UsageError("needs one set file");
  TIconSet set = TIconSet::Open(args[0], options);
  if (from.empty()) from = set.Themes().front();
  const int filled = AboutFile(args[0], [&] { return MakeDarkTheme(set, make, from); });
  for (const std::string& file : set.Save()) Out() << "saved: " << file << "\n";
  Out() << "filled: " << filled << "\n";
  return 0;
}

const CommandRegistrar themeCommand(
    {"theme", "theme SET --make dark [--from light]",
     "fill a set's empty dark cells from its light ones, each colour's lightness turned over",
     "Every empty cell of the theme --make names takes the cell of the same size in the theme\n"
     "--from names (the set's first theme by default), each colour's lightness turned over in\n"
     "OKLab (L becomes 1 - L; hue and chroma kept, the chroma lessened only where the colour\n"
     "would leave sRGB). Transparent pixels stay transparent, and a colour that already has a\n"
     "contrast of 3:1 against the theme's toolbar (the set file's [background] for it, else\n"
     "#2B2B2B) is kept as it is. Cells already drawn are left alone. The new cells are marked derived in the set file until they are drawn on.\n"
     "Saves the strips that changed and the set file, and prints 'filled: N'.",
     Theme});

}  // namespace

}  // namespace gliffo::cli
