#include "editor/session.h"

#include <array>
#include <cstdint>
#include <optional>
#include <streambuf>
#include <utility>

#include "editor/strings.h"
#include "glyphs/collection_files.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

// Surface coordinates as a mouse message carries them: the window passes on positions outside
// the surface while a button is held, so a script may too.
constexpr int MinCoordinate = -32768;
constexpr int MaxCoordinate = 32767;
constexpr int MaxFontSize = 1000;
constexpr int MaxGlyphIndex = 999999999;

struct TToolName {
  const char* Name;
  TSymbolItem Item;
};

constexpr std::array<TToolName, 8> ToolNames = {{{texts::ToolFreehand, TSymbolItem::Free1},
                                                 {texts::ToolBlock, TSymbolItem::Block1},
                                                 {texts::ToolLine, TSymbolItem::Line1},
                                                 {texts::ToolEllipse, TSymbolItem::Ellipse1},
                                                 {texts::ToolRectangle, TSymbolItem::Rectangle1},
                                                 {texts::ToolRoundRect, TSymbolItem::RoundRectangle1},
                                                 {texts::ToolFloodFill, TSymbolItem::Flood1},
                                                 {texts::ToolText, TSymbolItem::Text1}}};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A word of the script as it may appear in a message: cut short, so a line of garbage gives a
// readable error.
std::string Quoted(const std::string& word) {
  constexpr std::size_t limit = 40;
  if (word.size() <= limit) return "\"" + word + "\"";
  return "\"" + word.substr(0, limit) + "...\"";
}

class TLine {
 public:
  TLine(const std::string& text, int line) : text_(text), line_(line) {
    for (std::size_t i = 0; i < text_.size();) {
      while (i < text_.size() && IsBlank(text_[i])) ++i;
      if (i >= text_.size()) break;
      const std::size_t start = i;
      while (i < text_.size() && !IsBlank(text_[i])) ++i;
      words_.push_back({start, text_.substr(start, i - start)});
    }
  }

  [[noreturn]] void Fail(const std::string& message) const { throw TSessionError(line_, message); }

  bool Empty() const { return words_.empty(); }
  std::size_t Count() const { return words_.size(); }
  const std::string& Word(std::size_t i) const { return words_[i].Text; }
  const std::string& Name() const { return words_[0].Text; }

  // Everything after the command word and the one blank that ends it, kept as written.
  std::string RawRest() const {
    std::size_t at = words_[0].Start + words_[0].Text.size();
    if (at < text_.size()) ++at;
    return text_.substr(at);
  }
  // Everything from word i on, without blanks at either end.
  std::string RestFrom(std::size_t i) const {
    if (i >= words_.size()) return "";
    std::size_t end = text_.size();
    while (end > 0 && IsBlank(text_[end - 1])) --end;
    return text_.substr(words_[i].Start, end - words_[i].Start);
  }
  // Words 1 .. n-1 joined as written, so names with blanks survive.
  std::string Between(std::size_t first, std::size_t last) const {
    const std::size_t end = words_[last].Start + words_[last].Text.size();
    return text_.substr(words_[first].Start, end - words_[first].Start);
  }

  void NeedCount(std::size_t arguments, const char* shape) const {
    if (words_.size() != arguments + 1) Fail(Name() + " needs " + shape);
  }

  int Number(std::size_t i, int low, int high, const std::string& what) const {
    const std::string& word = Word(i);
    std::size_t at = 0;
    const bool negative = !word.empty() && word[0] == '-' && low < 0;
    if (negative) at = 1;
    if (at >= word.size() || word.find_first_not_of("0123456789", at) != std::string::npos)
      Fail(what + " must be a whole number, not " + Quoted(word));
    // Digits beyond what any range here needs are out of range, however many there are.
    std::int64_t value = 0;
    for (; at < word.size(); ++at) {
      value = value * 10 + (word[at] - '0');
      if (value > 10'000'000'000LL) break;
    }
    if (negative) value = -value;
    if (value < low || value > high)
      Fail(what + " must be from " + std::to_string(low) + " to " + std::to_string(high) + ", not " + Quoted(word));
    return static_cast<int>(value);
  }

 private:
  struct TWord {
    std::size_t Start;
    std::string Text;
  };
  const std::string& text_;
  int line_;
  std::vector<TWord> words_;
};

void ParseFont(const TLine& line, TSessionCommand& command) {
  if (line.Count() < 3) line.Fail("font needs a face name and a size");
  command.Font.Name = line.Word(1);
  std::size_t next = 2;
  if (line.Word(1).front() == '"') {
    // A quoted face name may hold blanks: "Liberation Sans".
    std::size_t last = 1;
    while (last < line.Count()) {
      const std::string& word = line.Word(last);
      if (word.back() == '"' && !(last == 1 && word.size() == 1)) break;
      ++last;
    }
    if (last >= line.Count()) line.Fail("the face name's closing quote is missing");
    const std::string quoted = line.Between(1, last);
    command.Font.Name = quoted.substr(1, quoted.size() - 2);
    next = last + 1;
    if (next >= line.Count()) line.Fail("font needs a face name and a size");
  }
  if (command.Font.Name.empty()) line.Fail("the face name is empty");
  command.Font.Size = line.Number(next, 1, MaxFontSize, "the font size");
  for (std::size_t i = next + 1; i < line.Count(); ++i) {
    const std::string& word = line.Word(i);
    if (word == "bold") {
      command.Font.Bold = true;
    } else if (word == "italic") {
      command.Font.Italic = true;
    } else if (word == "underline") {
      command.Font.Underline = true;
    } else if (word == "strikeout") {
      command.Font.StrikeOut = true;
    } else if (word == "colour") {
      if (i + 1 >= line.Count()) line.Fail("colour needs RRGGBB");
      const std::string& hex = line.Word(++i);
      if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        line.Fail("colour must be six hex digits RRGGBB, not " + Quoted(hex));
      const unsigned long rgb = std::stoul(hex, nullptr, 16);
      // Scripts write colours as people do (red first); the program keeps blue in the high byte.
      command.Font.Color = static_cast<int>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    } else {
      line.Fail("unknown font word " + Quoted(word) + " (bold, italic, underline, strikeout, colour RRGGBB)");
    }
  }
}

}  // namespace

// The answers of one command's dialogs. Each command hands over what its line says; any other
// question is cancelled, as a person would cancel a dialog the script did not ask for.

class TEditSession::TAnswers : public IDialogService {
 public:
  std::optional<std::string> File;
  std::optional<TFontChoice> Font;
  std::optional<std::string> Text;

  void Reset() {
    File.reset();
    Font.reset();
    Text.reset();
  }

  // The window shows these when a command did not happen; a session cannot go on past one.
  void ShowMessage(const std::string& text) override { throw Exception(text); }
  void ShowError(const std::string& text) override { throw Exception(text); }
  // The only confirmation on the way is "Clear Viewer?" of the mode command: the script asked
  // for the size, and the list it clears only holds what a glyph line opened from a file.
  TDialogAnswer Confirm(const std::string&) override { return TDialogAnswer::Yes; }
  std::optional<std::vector<std::string>> OpenFiles(const TOpenFileRequest&) override {
    if (!File) return std::nullopt;
    return std::vector<std::string>{*std::exchange(File, std::nullopt)};
  }
  std::optional<std::string> SaveFile(const TSaveFileRequest&) override { return std::exchange(File, std::nullopt); }
  std::optional<TFontChoice> ChooseFont(const TFontChoice&) override { return std::exchange(Font, std::nullopt); }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::exchange(Text, std::nullopt);
  }
};

bool ParseSessionLine(const std::string& text, int lineNumber, TSessionCommand& command) {
  if (text.size() > MaxSessionLineLength)
    throw TSessionError(lineNumber, "line is longer than " + std::to_string(MaxSessionLineLength) + " characters");
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) throw TSessionError(lineNumber, "line holds a control character");
  }
  const TLine line(text, lineNumber);
  if (line.Empty() || line.Name()[0] == '#') return false;

  command = TSessionCommand{};
  command.Line = lineNumber;
  const std::string& name = line.Name();
  if (name == "tool") {
    command.Op = TSessionOp::Tool;
    line.NeedCount(1, "a tool name");
    for (const TToolName& tool : ToolNames) {
      if (line.Word(1) == tool.Name) {
        command.A = static_cast<int>(tool.Item);
        return true;
      }
    }
    line.Fail("unknown tool " + Quoted(line.Word(1)) +
              " (freehand, block, line, ellipse, rectangle, roundrect, floodfill, text)");
  } else if (name == "pen") {
    command.Op = TSessionOp::Pen;
    line.NeedCount(1, "a width of 1, 2 or 3");
    command.A = line.Number(1, 1, 3, "the pen width");
  } else if (name == "brush") {
    command.Op = TSessionOp::Brush;
    line.NeedCount(1, "clear or solid");
    if (line.Word(1) == "solid") {
      command.A = 1;
    } else if (line.Word(1) != "clear") {
      line.Fail("brush must be clear or solid, not " + Quoted(line.Word(1)));
    }
  } else if (name == "fg" || name == "bg") {
    command.Op = name == "fg" ? TSessionOp::Foreground : TSessionOp::Background;
    line.NeedCount(1, "a palette index");
    command.A = line.Number(1, 0, 15, "the palette index");
  } else if (name == "down" || name == "move" || name == "up") {
    command.Op = name == "down" ? TSessionOp::Down : name == "move" ? TSessionOp::Move : TSessionOp::Up;
    line.NeedCount(2, "X and Y");
    command.A = line.Number(1, MinCoordinate, MaxCoordinate, "X");
    command.B = line.Number(2, MinCoordinate, MaxCoordinate, "Y");
  } else if (name == "undo" || name == "clear" || name == "fill") {
    command.Op = name == "undo" ? TSessionOp::Undo : name == "clear" ? TSessionOp::Clear : TSessionOp::Fill;
    line.NeedCount(0, "nothing after it");
  } else if (name == "flip" || name == "rotate" || name == "shift") {
    // The Transform menu: flip h|v, rotate right|left, shift left|right|up|down.
    command.Op = TSessionOp::Transform;
    line.NeedCount(1, name == "flip" ? "h or v" : name == "rotate" ? "right or left" : "left, right, up or down");
    const std::string& how = line.Word(1);
    struct TWay {
      const char* Name;
      const char* How;
      TTransform Transform;
    };
    static constexpr TWay Ways[] = {
        {"flip", "h", TTransform::FlipHorizontal},     {"flip", "v", TTransform::FlipVertical},
        {"rotate", "right", TTransform::RotateRight},  {"rotate", "left", TTransform::RotateLeft},
        {"shift", "left", TTransform::ShiftLeft},      {"shift", "right", TTransform::ShiftRight},
        {"shift", "up", TTransform::ShiftUp},          {"shift", "down", TTransform::ShiftDown}};
    bool found = false;
    for (const TWay& way : Ways) {
      if (name == way.Name && how == way.How) {
        command.A = static_cast<int>(way.Transform);
        found = true;
      }
    }
    if (!found) line.Fail("cannot " + name + " " + Quoted(how));
  } else if (name == "caption") {
    command.Op = TSessionOp::Caption;
    command.Text = line.RawRest();
  } else if (name == "font") {
    command.Op = TSessionOp::Font;
    ParseFont(line, command);
  } else if (name == "open" || name == "save") {
    command.Op = name == "open" ? TSessionOp::Open : TSessionOp::Save;
    if (line.Count() < 2) line.Fail(name + " needs a file name");
    command.Text = line.RestFrom(1);
  } else if (name == "glyph") {
    command.Op = TSessionOp::Glyph;
    if (line.Count() < 3) line.Fail("glyph needs a strip file and an index");
    command.Text = line.Between(1, line.Count() - 2);
    command.A = line.Number(line.Count() - 1, 0, MaxGlyphIndex, "the glyph index");
  } else if (name == "size") {
    command.Op = TSessionOp::Size;
    line.NeedCount(1, "16, 24 or 32");
    if (line.Word(1) != "16" && line.Word(1) != "24" && line.Word(1) != "32")
      line.Fail("the size must be 16, 24 or 32, not " + Quoted(line.Word(1)));
    command.A = line.Number(1, 16, 32, "the size");
  } else {
    line.Fail("unknown command " + Quoted(name));
  }
  return true;
}

std::vector<TSessionCommand> ParseSession(std::istream& script) {
  std::vector<TSessionCommand> commands;
  std::streambuf* in = script.rdbuf();
  if (in == nullptr) return commands;
  std::string text;
  int lineNumber = 1;
  auto finish = [&] {
    // Scripts written on other systems end their lines with a carriage return too.
    if (!text.empty() && text.back() == '\r') text.pop_back();
    TSessionCommand command;
    if (ParseSessionLine(text, lineNumber, command)) commands.push_back(std::move(command));
    text.clear();
  };
  for (int c = in->sbumpc(); c != std::char_traits<char>::eof(); c = in->sbumpc()) {
    if (c == '\n') {
      finish();
      ++lineNumber;
      continue;
    }
    // One character beyond the limit is enough to refuse the line; the rest is not read.
    if (text.size() > MaxSessionLineLength + 1) {
      throw TSessionError(lineNumber, "line is longer than " + std::to_string(MaxSessionLineLength) + " characters");
    }
    text.push_back(static_cast<char>(c));
  }
  if (!text.empty()) finish();
  return commands;
}

const char* SessionCommandHelp() {
  return "SCRIPT is a file, or - for standard input: one command a line; blank lines and\n"
         "lines starting with # are ignored. Each line is one event or menu command of the\n"
         "editor window, run through the same code:\n"
         "  tool NAME            Symbol menu: freehand, block, line, ellipse, rectangle,\n"
         "                       roundrect, floodfill, text\n"
         "  pen 1|2|3            Pen menu\n"
         "  brush clear|solid    Brush menu\n"
         "  fg I, bg I           left / right press on palette cell I (0-15, top row first)\n"
         "  down X Y, move X Y, up X Y\n"
         "                       mouse on the 256 x 256 surface at pixel (X, Y)\n"
         "  undo, clear, fill    Edit menu\n"
         "  caption TEXT         Text Caption..., answered with the rest of the line\n"
         "  font FACE SIZE [bold] [italic] [underline] [strikeout] [colour RRGGBB]\n"
         "                       Text Font..., answered with that font (\"quote\" a FACE with blanks)\n"
         "  open FILE            File > Open..., answered with FILE\n"
         "  save FILE            File > Save As..., answered with FILE\n"
         "  glyph STRIP INDEX    open STRIP as a collection, select glyph INDEX (from 0), Image\n"
         "  size 16|24|32        the collection window's mode command (clears its list if needed)\n"
         "  flip h|v, rotate right|left, shift left|right|up|down\n"
         "                       Transform menu: mirror, turn a quarter, move one pixel round\n"
         "\n"
         "The session starts as the editor starts (white glyph, freehand, pen 1, black on\n"
         "white, solid brush, caption B, font arial 144) at glyph size N (default 16). At the\n"
         "end the glyph is saved to OUT.bmp in its own format, and with --surface the surface\n"
         "as a 32-bit BMP. A line that cannot be read stops before anything runs (status 2);\n"
         "a command that fails stops the session (status 1). Either way OUT.bmp and\n"
         "SURFACE.bmp are not written; files of earlier save lines stay written.";
}

TEditSession::TEditSession(int glyphSize) : answers_(std::make_unique<TAnswers>()) {
  editor_.FormCreate();
  collection_.SetEditor(&editor_);
  collection_.SetGlyphSize(glyphSize);
  collection_.ApplyGlyphSize();
}

TEditSession::~TEditSession() { collection_.SetEditor(nullptr); }

void TEditSession::Run(const std::vector<TSessionCommand>& commands) {
  for (const TSessionCommand& command : commands) Run(command);
}

void TEditSession::Run(const TSessionCommand& command) {
  try {
    Execute(command);
  } catch (const TSessionError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw TSessionError(command.Line, "Out of system resources");
  } catch (const std::exception& e) {
    throw TSessionError(command.Line, e.what());
  }
}

void TEditSession::Execute(const TSessionCommand& command) {
  answers_->Reset();
  switch (command.Op) {
    case TSessionOp::Tool: editor_.SelectSymbol(static_cast<TSymbolItem>(command.A)); return;
    case TSessionOp::Pen: editor_.SelectPen(static_cast<TPenItem>(command.A - 1)); return;
    case TSessionOp::Brush:
      if (command.A) {
        editor_.Solid1Click();
      } else {
        editor_.Clear2Click();
      }
      return;
    case TSessionOp::Foreground: editor_.SetForegroundIndex(command.A); return;
    case TSessionOp::Background: editor_.SetBackgroundIndex(command.A); return;
    case TSessionOp::Down: editor_.picMouseDown(command.A, command.B); return;
    case TSessionOp::Move: editor_.picMouseMove(command.A, command.B); return;
    case TSessionOp::Up: editor_.picMouseUp(command.A, command.B); return;
    case TSessionOp::Undo: editor_.Undo1Click(); return;
    case TSessionOp::Clear: editor_.Clear1Click(); return;
    case TSessionOp::Fill: editor_.Fill1Click(); return;
    case TSessionOp::Caption:
      answers_->Text = command.Text;
      editor_.TextCaption1Click(*answers_);
      return;
    case TSessionOp::Font:
      answers_->Font = command.Font;
      editor_.Text2Click(*answers_);
      return;
    case TSessionOp::Open:
      answers_->File = command.Text;
      editor_.Open1Click(*answers_);
      return;
    case TSessionOp::Save:
      answers_->File = command.Text;
      editor_.SaveAs1Click(*answers_);
      return;
    case TSessionOp::Glyph: {
      answers_->File = command.Text;
      OpenCollectionCommand(collection_, *answers_);
      TListItems& items = collection_.Items;
      if (command.A >= items.Count()) {
        throw EInvalidOperation("\"" + command.Text + "\" holds " + std::to_string(items.Count()) +
                                (items.Count() == 1 ? " glyph" : " glyphs") + "; there is no glyph " +
                                std::to_string(command.A));
      }
      // A click on the item: it alone is selected, then "&Image".
      for (int i = 0; i < items.Count(); ++i) items.Item(i).SetSelected(i == command.A);
      editor_.EditGlyph(collection_.ImageList1, items.Selected()->ImageIndex());
      return;
    }
    case TSessionOp::Size: collection_.Mode(command.A, *answers_); return;
    case TSessionOp::Transform: editor_.TransformGlyph(static_cast<TTransform>(command.A)); return;
  }
}

}  // namespace gliffo
