// Two versions of a strip or an icon set compared: a line per icon, or JSON, and a picture of
// what changed. Made to stand behind git: an empty file or /dev/null (what git hands over for
// a file that is new or deleted) is a version with no glyphs.
#include <sys/stat.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/output.h"
#include "formats/image_formats.h"
#include "glyphs/icon_set.h"
#include "glyphs/icon_set_file.h"
#include "glyphs/set_diff.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo::cli {

namespace {

// One version: a set (by its file's name), a strip, or nothing at all. No side is given for
// nothing; it takes the kind of the other version.
struct Version {
  std::string Name;
  bool Nothing = false;
  TDiffSide Side;
};

// What git hands over for the side of a file that does not exist.
bool IsNothing(const std::string& fileName) {
  if (fileName == "/dev/null") return true;
  struct stat info {};
  return fileName != "-" && ::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0;
}

Version Load(const std::string& fileName, const TImageOptions& options, int size) {
  Version v;
  v.Name = fileName;
  if (IsSetFile(fileName) && !SplitCellStripName(fileName)) {
    if (IsNothing(fileName)) {
      v.Nothing = true;
      return v;
    }
    const TIconSet set = TIconSet::Open(fileName, options);
    // A set file copied away from its strips, as git hands one to a diff tool.
    AboutFile(fileName, [&] { CheckStripsPresent(set); });
    v.Side = DiffSideOf(set);
    return v;
  }
  if (IsNothing(fileName)) {
    v.Nothing = true;
    return v;
  }
  const std::string path = InputPath(fileName);
  const std::shared_ptr<TBitmapImage> image =
      AboutFile(fileName, [&] { return LoadImageFile(path, options.DecodeAt(size)); });
  if (!image || !image->HasPixels()) {
    v.Nothing = true;
    return v;
  }
  v.Side = AboutFile(fileName, [&] { return DiffSideOf(*image, size); });
  return v;
}

// The other version's kind and columns, without its icons.
TDiffSide NothingLike(const TDiffSide& other) {
  TDiffSide side = other;
  side.Names.clear();
  side.Glyphs.clear();
  return side;
}

nlohmann::json AsJson(const Version& a, const Version& b, const TSideDiff& diff) {
  nlohmann::json icons = nlohmann::json::array();
  for (const TIconDiff& icon : diff.Icons) {
    static const char* const words[] = {"same", "changed", "added", "removed", "moved"};
    nlohmann::json entry;
    if (diff.Named)
      entry["icon"] = icon.Name;
    else
      entry["icon"] = icon.Index;
    entry["status"] = words[static_cast<int>(icon.Status)];
    entry["index"] = icon.Index;
    if (icon.Status != TDiffStatus::Added) entry["from"] = icon.From;
    if (icon.Status == TDiffStatus::Changed || icon.Status == TDiffStatus::Moved) {
      entry["pixels"] = icon.Pixels;
      entry["columns"] = icon.ChangedColumns;
    }
    entry["text"] = StatusText(icon);
    icons.push_back(std::move(entry));
  }
  return nlohmann::json{{"before", a.Name},
                        {"after", b.Name},
                        {"kind", diff.Named ? "set" : "strip"},
                        {"columns", diff.Columns},
                        {"differs", diff.Differs()},
                        {"icons", std::move(icons)}};
}

// Prints one line per glyph of one version: its place or name, and for each column a digest of
// its pixels and how many are drawn, so that git's textual diff names the glyphs that changed.
int PrintText(const std::string& fileName, const TImageOptions& options, int size) {
  if (IsSetFile(fileName) && !SplitCellStripName(fileName) && !IsNothing(fileName)) {
    // What the set file says, its strips unread: git hands a diff.textconv the file alone, and
    // each strip gets a textconv of its own.
    const std::vector<std::uint8_t> bytes = AboutFile(fileName, [&] { return files::ReadWholeFile(fileName); });
    const TSetFileData data =
        AboutFile(fileName, [&] { return TSetFileText(std::string(bytes.begin(), bytes.end()), fileName).Data(); });
    Out() << "name " << data.Name << "\nsizes";
    for (const int s : data.Sizes) Out() << " " << s;
    Out() << "\nthemes";
    for (const std::string& t : data.Themes) Out() << " " << t;
    Out() << "\n";
    for (std::size_t k = 0; k < data.Icons.size(); ++k) Out() << k << " " << data.Icons[k] << "\n";
    for (const auto& [key, path] : data.Strips) Out() << "strip " << key << " " << path << "\n";
    for (const auto& [key, names] : data.Derived)
      for (const std::string& name : names) Out() << "derived " << key << " " << name << "\n";
    return 0;
  }
  const Version v = Load(fileName, options, size);
  if (v.Nothing) return 0;
  for (int icon = 0; icon < v.Side.IconCount(); ++icon) {
    Out() << (v.Side.Named ? v.Side.Names[static_cast<std::size_t>(icon)] : std::to_string(icon));
    for (std::size_t c = 0; c < v.Side.Columns.size(); ++c) {
      const TGlyphPixels& g = v.Side.Glyphs[static_cast<std::size_t>(icon)][c];
      std::uint64_t h = 1469598103934665603ull;
      int drawn = 0;
      for (const std::uint32_t p : g) {
        h = (h ^ p) * 1099511628211ull;
        drawn += p != 0;
      }
      char digest[17];
      std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(h));
      Out() << " " << v.Side.Columns[c] << ":" << (drawn ? std::string(digest, 12) : "empty");
      if (drawn) Out() << "/" << drawn;
    }
    Out() << "\n";
  }
  return 0;
}

int Compare(const std::vector<std::string>& args, bool json, const std::string& picture, int size,
            const TImageOptions& options);

int Diff(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const bool json = TakeFlag(args, "--json");
  const bool text = TakeFlag(args, "--text");
  const std::string picture = TakeOption(args, "--picture", "");
  const std::string sizeText = TakeOption(args, "--size", "");
  RejectOptions(args);
  const int size = sizeText.empty() ? 0 : ParsePositive(sizeText, "--size");
  if (text) {
    if (args.size() != 1 || json || !picture.empty()) throw UsageError("--text takes one strip or set alone");
    return PrintText(args[0], options, size);
  }
  if (args.size() != 2) throw UsageError("needs two versions: A and B");
  try {
    return Compare(args, json, picture, size, options);
  } catch (const gliffo::Exception& e) {
    // Status 1 says the versions differ; a version that cannot be read is trouble, as diff(1)
    // has it.
    Err() << "gliffo-tool: " << (e.FileName().empty() ? "" : ShownName(e.FileName()) + ": ") << e.what() << "\n";
    return 2;
  }
}

int Compare(const std::vector<std::string>& args, bool json, const std::string& picture, int size,
            const TImageOptions& options) {

  Version a = Load(args[0], options, size), b = Load(args[1], options, size);
  if (a.Nothing && b.Nothing) {
    if (json) Out() << AsJson(a, b, TSideDiff{}).dump(2) << "\n";
    return 0;
  }
  if (a.Nothing) a.Side = NothingLike(b.Side);
  if (b.Nothing) b.Side = NothingLike(a.Side);
  const TSideDiff diff = AboutFile(args[1], [&] { return DiffSides(a.Side, b.Side); });

  if (json) {
    Out() << AsJson(a, b, diff).dump(2) << "\n";
  } else {
    for (const TIconDiff& icon : diff.Icons) Out() << IconLabel(icon) << ": " << StatusText(icon) << "\n";
  }
  if (!picture.empty()) {
    const std::shared_ptr<TBitmapImage> image = DiffPicture(a.Side, b.Side, diff);
    if (image) {
      AboutFile(picture, [&] { SaveImageFile(*image, OutputPath(picture), OpaqueEncodeOptions()); });
    } else {
      // Said aside, so the report on standard output stays one line per icon.
      Err() << "gliffo-tool: no picture written: nothing differs\n";
    }
  }
  return diff.Differs() ? 1 : 0;
}

const CommandRegistrar diffCommand(
    {"diff", "diff A B [--json] [--picture OUT.png] [--size N] | diff --text FILE",
     "compare two versions of a strip or an icon set, glyph by glyph",
     "A and B are two strips (any picture format; SET:SIZE[-THEME] names a set's strip) or two\n"
     "set files (NAME.glyphset). Prints one line per icon, 'ICON: STATUS', in B's order, each\n"
     "removed icon after the one it followed: same, changed N pixels, added, removed, or moved\n"
     "from K (its index in A; ', changed N pixels' after it when it changed too). A set's icons\n"
     "are known by their names; a strip's glyphs by their places, and one that left its place is\n"
     "found again by its pixels. A pixel differs when what shows differs: its colour or its\n"
     "alpha, every fully transparent pixel alike. Sets compare every size and theme; a size or\n"
     "theme only one of them has counts its drawn pixels as changed. An empty file (git's\n"
     "/dev/null) is a version with no icons. --json prints the same as one object (before,\n"
     "after, kind, columns, differs, and icons: icon, status, index, from, pixels, columns).\n"
     "--picture writes before, after and the changed pixels in red, side by side, one row per\n"
     "icon that is not the same (in the order of the lines), every size magnified to about 64\n"
     "pixels. --text FILE prints, for git's diff.textconv, one line per glyph of a strip: its\n"
     "index and a digest of its pixels and how many are drawn; for a set file, what the file\n"
     "says (its icons in order, its strips, its derived cells), the strips left unread. Two set\n"
     "files are compared with their strips beside them: a set whose strip is missing is refused.\n"
     "Exit status: 0 when nothing differs, 1 when something does, 2 on wrong usage or a version\n"
     "that cannot be read.",
     Diff});

}  // namespace

}  // namespace gliffo::cli
