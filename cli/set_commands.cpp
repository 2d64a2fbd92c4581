// Icon sets from the command line: making one, listing it, and adding, renaming, moving and
// removing icons with every strip kept in step; importing a set from a theme tree or a folder.
// Each job saves as the window's Save Set does.
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/output.h"
#include "glyphs/icon_set.h"
#include "glyphs/icon_set_import.h"
#include "platform/errors.h"

namespace gliffo::cli {

namespace {

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::size_t from = 0;
  while (from <= text.size()) {
    const std::size_t comma = text.find(',', from);
    items.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return items;
}

int IconIndex(const TIconSet& set, const std::string& name) {
  const int index = set.IndexOf(name);
  if (index < 0) ThrowAboutFile(set.FileName(), EInvalidOperation("the set has no icon named " + name));
  return index;
}

// Saves and says which files were written, the set file last; a job that changed nothing
// writes nothing.
void SaveAndReport(TIconSet& set) {
  for (const std::string& file : set.Save()) Out() << "saved: " << file << "\n";
}

int SetNew(std::vector<std::string>& args, TImageOptions& options) {
  const std::string sizesText = TakeOption(args, "--sizes", "");
  const std::string themesText = TakeOption(args, "--themes", "");
  RejectOptions(args);
  if (args.size() != 1) throw UsageError("needs the set file");
  if (sizesText.empty()) throw UsageError("needs --sizes, as 16,24,32");
  std::vector<int> sizes;
  for (const std::string& s : SplitList(sizesText)) sizes.push_back(ParsePositive(s, "--sizes"));
  const std::vector<std::string> themes = themesText.empty() ? std::vector<std::string>{} : SplitList(themesText);
  struct stat info {};
  if (::lstat(args[0].c_str(), &info) == 0)
    ThrowAboutFile(args[0], EFCreateError("the file exists; a new set is not written over it"));
  TIconSet set = AboutFile(args[0], [&] { return TIconSet::New(args[0], sizes, themes, options); });
  SaveAndReport(set);
  return 0;
}

int SetList(std::vector<std::string>& args, TImageOptions& options) {
  RejectOptions(args);
  if (args.size() != 1) throw UsageError("needs the set file");
  const TIconSet set = TIconSet::Open(args[0], options);
  for (int icon = 0; icon < set.IconCount(); ++icon) {
    Out() << icon << " " << set.Icons()[static_cast<std::size_t>(icon)];
    for (int c = 0; c < set.ColumnCount(); ++c)
      Out() << " " << set.Column(c).Key << ":" << (set.CellEmpty(icon, c) ? '-' : '+');
    Out() << "\n";
  }
  return 0;
}

int SetAdd(std::vector<std::string>& args, TImageOptions& options) {
  const std::string after = TakeOption(args, "--after", "");
  RejectOptions(args);
  if (args.size() != 2) throw UsageError("needs the set file and a name");
  TIconSet set = TIconSet::Open(args[0], options);
  const int at = after.empty() ? set.IconCount() : IconIndex(set, after) + 1;
  AboutFile(args[0], [&] { set.Add(args[1], at); });
  SaveAndReport(set);
  return 0;
}

int SetRename(std::vector<std::string>& args, TImageOptions& options) {
  RejectOptions(args);
  if (args.size() != 3) throw UsageError("needs the set file, the old name and the new one");
  TIconSet set = TIconSet::Open(args[0], options);
  const int icon = IconIndex(set, args[1]);
  AboutFile(args[0], [&] { set.Rename(icon, args[2]); });
  SaveAndReport(set);
  return 0;
}

int SetMove(std::vector<std::string>& args, TImageOptions& options) {
  RejectOptions(args);
  if (args.size() != 3) throw UsageError("needs the set file, a name and the new index");
  TIconSet set = TIconSet::Open(args[0], options);
  const int icon = IconIndex(set, args[1]);
  const std::string& place = args[2];
  if (place.empty() || place.size() > 9 || place.find_first_not_of("0123456789") != std::string::npos)
    throw UsageError("INDEX must be a whole number from 0");
  AboutFile(args[0], [&] { set.Move(icon, std::stoi(place)); });
  SaveAndReport(set);
  return 0;
}

int SetRemove(std::vector<std::string>& args, TImageOptions& options) {
  RejectOptions(args);
  if (args.size() != 2) throw UsageError("needs the set file and a name");
  TIconSet set = TIconSet::Open(args[0], options);
  set.Remove(IconIndex(set, args[1]));
  SaveAndReport(set);
  return 0;
}

int Set(const std::vector<std::string>& arguments, TImageOptions& options) {
  if (arguments.empty()) throw UsageError("needs new, list, add, rename, move or remove");
  std::vector<std::string> args(arguments.begin() + 1, arguments.end());
  TakeOpaqueOption(args, options);
  const std::string& verb = arguments[0];
  if (verb == "new") return SetNew(args, options);
  if (verb == "list") return SetList(args, options);
  if (verb == "add") return SetAdd(args, options);
  if (verb == "rename") return SetRename(args, options);
  if (verb == "move") return SetMove(args, options);
  if (verb == "remove") return SetRemove(args, options);
  throw UsageError("unknown set job " + verb);
}

int Import(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const std::string layoutText = TakeOption(args, "--layout", "");
  const std::string names = TakeOption(args, "--names", "");
  TakeOpaqueOption(args, options);
  RejectOptions(args);
  const std::optional<TSetLayout> layout = ParseSetLayout(layoutText);
  if (!layout) throw UsageError("--layout must be hicolor, qt, percent or strips");
  TSetImport import;
  import.Layout = *layout;
  if (*layout == TSetLayout::Strips) {
    if (names.empty()) throw UsageError("--layout strips needs --names NAMES.txt");
    if (args.size() < 2) throw UsageError("needs the set file and at least one strip");
    import.NamesFile = names;
    import.Strips.assign(args.begin() + 1, args.end());
  } else {
    if (!names.empty()) throw UsageError("--names goes with --layout strips");
    if (args.size() != 2) throw UsageError("needs the set file and the source folder");
    import.Source = args[1];
  }
  struct stat info {};
  if (::lstat(args[0].c_str(), &info) == 0)
    ThrowAboutFile(args[0], EFCreateError("the file exists; an import is not written over it"));
  std::vector<std::string> warnings;
  TIconSet set = ImportIconSet(args[0], import, options, warnings);
  for (const std::string& warning : warnings) Err() << "gliffo-tool: warning: " << warning << "\n";
  SaveAndReport(set);
  Out() << "icons: " << set.IconCount() << "\nsizes:";
  for (const int size : set.Sizes()) Out() << " " << size;
  Out() << "\n";
  return 0;
}

const CommandRegistrar setCommand(
    {"set", "set new|list|add|rename|move|remove SET [ARGS]",
     "make, list and change an icon set: named icons in strips of several sizes and themes",
     "  set new SET --sizes 16,24,32 [--themes light,dark]\n"
     "  set list SET\n"
     "  set add SET NAME [--after NAME]\n"
     "  set rename SET OLD NEW\n"
     "  set move SET NAME INDEX\n"
     "  set remove SET NAME\n\n"
     "SET is a set file (NAME.glyphset, TOML) beside the strips it names; glyph k of every strip is\n"
     "icon k. 'list' prints one line per icon: its index, its name, and for each size and theme\n"
     "KEY:+ for a drawn cell or KEY:- for an empty one. add, rename, move and remove change every\n"
     "strip in step and save the strips that changed and the set file, each through the safe save;\n"
     "a failed save leaves every file as it was. A new icon is a row of empty cells, after the icon\n"
     "--after names or at the end. Names are lower-case letters, digits, -, _ and ., unique.\n"
     "A set whose strips name a path outside its folder (absolute, '..', or a link leading out) is\n"
     "refused, and nothing is written. Every job that reads a strip takes a set's strip as\n"
     "SET:SIZE or SET:SIZE-THEME (icons.glyphset:16, icons.glyphset:24-dark).",
     Set});

const CommandRegistrar importCommand(
    {"import", "import SET SOURCE --layout hicolor|qt|percent | import SET --layout strips --names NAMES.txt STRIP...",
     "make an icon set from a theme tree, a Qt or percent folder, or strips and a names file",
     "hicolor: SOURCE/16x16/actions/NAME.png, ... and SOURCE/16x16@2/... (32 pixels; a 32x32 folder\n"
     "comes first). qt: SOURCE/NAME.png at the folder's size and NAME@2x.png, NAME@3x.png. percent:\n"
     "SOURCE/NAME.png, NAME_150.png, NAME_200.png. strips: each STRIP as high as its size, glyph k\n"
     "named by line k of NAMES.txt. Names come from the file names; a name missing at a size is\n"
     "an empty cell. The strips are written beside SET as NAME-16.png, ...; SET must not exist.",
     Import});

}  // namespace

}  // namespace gliffo::cli
