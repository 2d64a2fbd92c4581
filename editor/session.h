#pragma once
// Editing sessions: a script of editor events and menu commands, one a line, replayed on the
// editor model through the same handlers the window calls. A whole script is parsed before
// anything runs, so a typo on line 40 costs nothing; a command that fails as the window would
// show an error box stops the session there.
#include <any>
#include <functional>
#include <istream>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "editor/glyph_editor.h"
#include "glyphs/dialogs.h"
#include "glyphs/glyph_list.h"

namespace gliffo {

class TSessionLine;
struct TSessionContext;

// One verb of the script language. The table of verbs (SessionVerbs) is the language: parsing,
// running and --help all read it, so a new verb is one row and its own parse and run.
struct TSessionVerb {
  const char* Name;
  // The verb's line as --help shows it.
  std::string Usage;
  // Its explanation in --help; empty when the verb shares the next verb's (their usages are
  // then listed together). Lines after the first are indented under the first.
  std::string Help;
  // The words after the verb as the verb's own typed arguments; throws TSessionError.
  std::function<std::any(const TSessionLine&)> Parse;
  // The verb on the editor and the collection, with what Parse produced.
  std::function<void(TSessionContext&, const std::any&)> Run;
};

// Every verb, in the order --help lists them.
std::span<const TSessionVerb> SessionVerbs();
// The verb of that name (exactly), nullptr for any other word.
const TSessionVerb* FindSessionVerb(std::string_view name);

// What a glyph line names: a strip file and the index of a glyph in it.
struct TGlyphChoice {
  std::string Strip;
  int Index = 0;
};

// What an fg or bg line names: a palette cell (Index 0-15), or a colour with its alpha
// (Index -1): #RRGGBB, #RRGGBBAA or transparent.
struct TColourChoice {
  int Index = -1;
  TDrawColour Colour;
};

struct TSessionCommand {
  const TSessionVerb* Verb = nullptr;
  int Line = 0;  // 1-based line of the script
  // What the verb's Parse produced: TSymbolItem (tool), TPenItem (pen), TBrushStyle (brush),
  // TColourChoice (fg, bg), int (size: glyph size), TPoint (down, move, up), nothing (undo,
  // clear, fill, back, forward), std::string (caption: the text; open, save: the file name), TFontChoice
  // (font), TGlyphChoice (glyph), TTransform (flip, rotate, shift).
  std::any Arguments;
  // The arguments as the verb's type; std::bad_any_cast for any other type.
  template <class T>
  const T& Args() const {
    return std::any_cast<const T&>(Arguments);
  }
};

// A script that cannot be parsed, or a command that failed while running: the line and what is
// wrong, without the line in front (what() holds the bare message too).
class TSessionError : public std::runtime_error {
 public:
  TSessionError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// Lines longer than this are refused rather than read on without end.
inline constexpr std::size_t MaxSessionLineLength = 4096;

// Parses one line (without its end-of-line); false for a blank line or a comment. Throws
// TSessionError naming `line` for anything it cannot read.
bool ParseSessionLine(const std::string& text, int line, TSessionCommand& command);
// The whole script; throws TSessionError at the first line that cannot be parsed.
std::vector<TSessionCommand> ParseSession(std::istream& script);

// The command lines a script understands, for --help; the verbs' lines come from the table.
const char* SessionCommandHelp();

class TScriptAnswers;

// The editor and the collection window's glyph list as the program starts them, with the glyph
// size applied as the mode of an empty list applies it.
class TEditSession {
 public:
  explicit TEditSession(int glyphSize = 16);
  ~TEditSession();
  TEditSession(const TEditSession&) = delete;
  TEditSession& operator=(const TEditSession&) = delete;

  // Runs the commands in order; a program error stops at its command and is rethrown as
  // TSessionError naming the line. Commands before it keep their effect (files saved by a
  // save line stay saved).
  void Run(const std::vector<TSessionCommand>& commands);
  void Run(const TSessionCommand& command);

  TGlyphEditor& Editor() { return editor_; }
  TGlyphCollection& Collection() { return collection_; }

 private:
  TGlyphCollection collection_;
  TGlyphEditor editor_{collection_};
  std::unique_ptr<TScriptAnswers> answers_;
};

}  // namespace gliffo
