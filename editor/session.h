#pragma once
// Editing sessions: a script of editor events and menu commands, one a line, replayed on the
// editor model through the same handlers the window calls. A whole script is parsed before
// anything runs, so a typo on line 40 costs nothing; a command that fails as the window would
// show an error box stops the session there.
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/glyph_editor.h"
#include "glyphs/dialogs.h"
#include "glyphs/glyph_list.h"

namespace gliffo {

enum class TSessionOp {
  Tool, Pen, Brush, Foreground, Background, Down, Move, Up, Undo, Clear, Fill, Caption, Font, Open, Save, Glyph, Size,
  Transform
};

struct TSessionCommand {
  TSessionOp Op = TSessionOp::Undo;
  int Line = 0;       // 1-based line of the script
  int A = 0, B = 0;   // tool item, pen cells, brush (1 solid, 0 clear), palette index, x y, glyph index, size,
                      // transform
  std::string Text;   // caption, file name, strip name
  TFontChoice Font;   // the font dialog's answer
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

// The command lines a script understands, for --help.
const char* SessionCommandHelp();

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
  // `save` line stay saved).
  void Run(const std::vector<TSessionCommand>& commands);
  void Run(const TSessionCommand& command);

  TGlyphEditor& Editor() { return editor_; }
  TGlyphCollection& Collection() { return collection_; }

 private:
  class TAnswers;
  void Execute(const TSessionCommand& command);

  TGlyphCollection collection_;
  TGlyphEditor editor_{collection_};
  std::unique_ptr<TAnswers> answers_;
};

}  // namespace gliffo
