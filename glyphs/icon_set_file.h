#pragma once
// The text of a set file (NAME.glyphset, TOML): what it says, and the same text written again
// with only the values that changed, so a person's comments, layout and keys this program does
// not know all survive a save. toml++ reads the file; it cannot keep comments when it writes
// one, so a save patches the original text at the places toml++ says each value stands.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gliffo {

// What a set file says. Themes hold the default "light" when the file names none.
struct TSetFileData {
  std::string Name;
  std::vector<int> Sizes;
  std::vector<std::string> Themes;
  std::vector<std::string> Icons;
  // Each strip's key ("16", "16-dark") and path as written, in the file's order.
  std::vector<std::pair<std::string, std::string>> Strips;
  // The freedesktop context a build files the icons under ("actions" when the file names none).
  std::string Context;
  // A theme's toolbar background ("#RRGGBB") as the file sets it, for the contrast check.
  std::vector<std::pair<std::string, std::string>> Backgrounds;
  // The cells made from others (a size filled from another, a dark theme from a light one)
  // and not drawn on since: each strip key with its icons' names, in the file's order. A file
  // without them has none.
  std::vector<std::pair<std::string, std::vector<std::string>>> Derived;
  friend bool operator==(const TSetFileData&, const TSetFileData&) = default;
};

// The largest glyph edge a set may name.
inline constexpr int MaxSetSize = 256;

// Icon and theme names: lower-case letters, digits, "-", "_" and "." (the freedesktop icon
// naming rules), not empty, and starting with a letter or a digit so that no name reads as an
// option or a hidden file.
bool ValidIconName(const std::string& name);

// A strip key split into its size and theme ("" for the plain "16"); nothing when it is not
// of the form SIZE or SIZE-THEME.
std::optional<std::pair<int, std::string>> ParseStripKey(const std::string& key);

class TSetFileText {
 public:
  // A file's text as read. A text that is not TOML, or whose keys hold the wrong kinds of
  // values, raises EInvalidOperation naming the line and what is wrong; the set file's name
  // goes in front of it.
  // With anyIconNames, icon names that break the rules or repeat are read as they stand, for
  // a check that reports them; such a set is only looked at, never saved.
  TSetFileText(std::string text, const std::string& fileName, bool anyIconNames = false);
  // A set that has no file yet.
  TSetFileText() = default;

  const TSetFileData& Data() const { return data_; }
  // The text as read ("" for a set that has no file yet).
  const std::string& Text() const { return text_; }
  bool ThemesGiven() const { return themesGiven_; }

  // The text for new contents: the original with the changed values replaced in place, new
  // keys added beside their kin. iconOrigins[k] is the place icon k had in the original list
  // (-1 for a new icon), so an icon keeps the comment lines it had while the list is
  // rewritten around it. Without an original text, a fresh file.
  std::string Render(const TSetFileData& data, const std::vector<int>& iconOrigins) const;

 private:
  struct TSpan {
    std::size_t Begin = 0, End = 0;
  };
  struct TArrayLayout {
    TSpan Whole;
    bool OneLine = true;
    // Each element on a line of its own: element k's lines run from LineStart[k] to the end
    // of its own line; ElementSpan[k] is where its value stands.
    bool PerLine = false;
    std::vector<TSpan> ElementSpan;
    std::vector<std::size_t> BlockStart, BlockEnd;
    std::size_t HeadEnd = 0;    // just past the line holding "["
    std::size_t TailStart = 0;  // the lines after the last element, up to and with "]"
    std::string Indent = "  ";
  };

  std::string text_;
  std::string newline_ = "\n";
  TSetFileData data_;
  bool themesGiven_ = false;
  std::optional<TSpan> nameSpan_, sizesSpan_, themesSpan_;
  std::optional<TArrayLayout> icons_;
  // Where a top-level key that is missing goes: after the last top-level value's line.
  std::size_t topInsert_ = 0;
  bool hasStripsTable_ = false;
  bool stripsInline_ = false;
  bool stripsDotted_ = false;  // written as strips."16" = ... lines
  TSpan stripsInlineSpan_;
  std::size_t stripsInsert_ = 0;
  std::vector<TSpan> stripValueSpans_;  // in data_.Strips order
  // Where the derived cells stand: the whole table, rewritten when they change, or the
  // lines of its dotted keys; nothing when the file has none.
  std::optional<TSpan> derivedSpan_;
  bool derivedInline_ = false;
  std::vector<TSpan> derivedLines_;
};

}  // namespace gliffo
