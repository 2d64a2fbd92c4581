#include "editor/session.h"

#include <cstdint>
#include <optional>
#include <streambuf>
#include <utility>

#include "glyphs/collection_files.h"
#include "platform/raster/pixels.h"
#include "glyphs/icon_set.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

// Surface coordinates as a mouse message carries them: the window passes on positions outside
// the surface while a button is held, so a script may too.
constexpr int MinCoordinate = -32768;
constexpr int MaxCoordinate = 32767;
constexpr int MaxFontSize = 1000;
constexpr int MaxGlyphIndex = 999999999;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A word of the script as it may appear in a message: cut short, so a line of garbage gives a
// readable error.
std::string Quoted(const std::string& word) {
  constexpr std::size_t limit = 40;
  if (word.size() <= limit) return "\"" + word + "\"";
  return "\"" + word.substr(0, limit) + "...\"";
}

}  // namespace

// The words of one script line.
class TSessionLine {
 public:
  TSessionLine(const std::string& text, int line) : text_(text), line_(line) {
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

// The answers of one command's dialogs. Each command hands over what its line says; any other
// question is cancelled, as a person would cancel a dialog the script did not ask for.

class TScriptAnswers : public IDialogService {
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
  // Whether to keep a changed glyph before the next is opened: a script says what it keeps
  // with its own save lines, so it goes on without.
  TDialogAnswer ConfirmWithCancel(const std::string&) override { return TDialogAnswer::No; }
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


namespace {

TFontChoice ParseFont(const TSessionLine& line) {
  TFontChoice font;
  if (line.Count() < 3) line.Fail("font needs a face name and a size");
  font.Name = line.Word(1);
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
    font.Name = quoted.substr(1, quoted.size() - 2);
    next = last + 1;
    if (next >= line.Count()) line.Fail("font needs a face name and a size");
  }
  if (font.Name.empty()) line.Fail("the face name is empty");
  font.Size = line.Number(next, 1, MaxFontSize, "the font size");
  for (std::size_t i = next + 1; i < line.Count(); ++i) {
    const std::string& word = line.Word(i);
    if (word == "bold") {
      font.Bold = true;
    } else if (word == "italic") {
      font.Italic = true;
    } else if (word == "underline") {
      font.Underline = true;
    } else if (word == "strikeout") {
      font.StrikeOut = true;
    } else if (word == "colour") {
      if (i + 1 >= line.Count()) line.Fail("colour needs RRGGBB");
      const std::string& hex = line.Word(++i);
      if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        line.Fail("colour must be six hex digits RRGGBB, not " + Quoted(hex));
      const unsigned long rgb = std::stoul(hex, nullptr, 16);
      // Scripts write colours as people do (red first); the program keeps blue in the high byte.
      font.Color = static_cast<int>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    } else {
      line.Fail("unknown font word " + Quoted(word) + " (bold, italic, underline, strikeout, colour RRGGBB)");
    }
  }
  return font;
}

// The verb lines of --help: the usage in a column of its own, the explanation beside it, or
// under it when the usage is too wide.
constexpr std::size_t HelpColumn = 23;
constexpr std::size_t HelpWidth = 79;

// "Symbol menu: " and every tool identifier, broken into lines that fit beside the usages;
// the tools of the Colour menu after them.
std::string ToolHelp() {
  std::string help;
  std::string line = "Symbol menu:";
  const std::span<const TToolRow> tools = ToolTable();
  for (std::size_t k = 0; k < tools.size(); ++k) {
    const bool firstOfColour = tools[k].Menu == TToolMenu::Colour && (k == 0 || tools[k - 1].Menu != TToolMenu::Colour);
    const std::string word = std::string(firstOfColour ? "Colour menu: " : "") + tools[k].Name +
                             (k + 1 < tools.size() ? (tools[k + 1].Menu != tools[k].Menu ? ";" : ",") : "");
    if (HelpColumn + line.size() + 1 + word.size() > HelpWidth) {
      help += line + "\n";
      line = word;
    } else {
      line += " " + word;
    }
  }
  return help + line;
}

std::string ToolList() {
  std::string list;
  for (const TToolRow& row : ToolTable()) list += (list.empty() ? "" : ", ") + std::string(row.Name);
  return list;
}

}  // namespace

// What a verb's run reaches: the editor, the collection window's glyph list, and the answers
// of the dialogs its command opens.
struct TSessionContext {
  TGlyphEditor& Editor;
  TGlyphCollection& Collection;
  TScriptAnswers& Answers;
};

namespace {

// A row whose parse gives Args and whose run takes them.
template <class Args, class ParseFn, class RunFn>
TSessionVerb Verb(const char* name, std::string usage, std::string help, ParseFn parse, RunFn run) {
  return {name, std::move(usage), std::move(help),
          [parse](const TSessionLine& line) { return std::any(Args(parse(line))); },
          [run](TSessionContext& context, const std::any& args) { run(context, std::any_cast<const Args&>(args)); }};
}

// A row of a verb that takes nothing after it.
template <class RunFn>
TSessionVerb Verb(const char* name, std::string usage, std::string help, RunFn run) {
  return {name, std::move(usage), std::move(help),
          [](const TSessionLine& line) {
            line.NeedCount(0, "nothing after it");
            return std::any();
          },
          [run](TSessionContext& context, const std::any&) { run(context); }};
}

TPoint ParsePoint(const TSessionLine& line) {
  line.NeedCount(2, "X and Y");
  const int x = line.Number(1, MinCoordinate, MaxCoordinate, "X");
  return TPoint{x, line.Number(2, MinCoordinate, MaxCoordinate, "Y")};
}

TColourChoice ParseColourChoice(const TSessionLine& line) {
  line.NeedCount(1, "a palette index, #RRGGBB, #RRGGBBAA or transparent");
  const std::string& word = line.Word(1);
  TColourChoice choice;
  if (word == "transparent") {
    choice.Colour = Transparent;
    return choice;
  }
  if (word.starts_with('#')) {
    const std::string hex = word.substr(1);
    if ((hex.size() != 6 && hex.size() != 8) || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      line.Fail("a colour is #RRGGBB or #RRGGBBAA, not " + Quoted(word));
    const auto byte = [&](std::size_t at) { return static_cast<int>(std::stoul(hex.substr(at, 2), nullptr, 16)); };
    // Scripts write colours red first; the program keeps blue in the high byte.
    choice.Colour.Color = raster::MakeColorRef(byte(0), byte(2), byte(4));
    choice.Colour.Alpha = hex.size() == 8 ? byte(6) : 255;
    return choice;
  }
  choice.Index = line.Number(1, 0, 15, "the palette index");
  return choice;
}

void SetColour(TSessionContext& c, const TColourChoice& choice, bool brush) {
  if (choice.Index >= 0) {
    if (brush) c.Editor.SetBackgroundIndex(choice.Index);
    else c.Editor.SetForegroundIndex(choice.Index);
  } else {
    if (brush) c.Editor.SetBackgroundColour(choice.Colour);
    else c.Editor.SetForegroundColour(choice.Colour);
  }
}

std::string ParseFileName(const TSessionLine& line) {
  if (line.Count() < 2) line.Fail(line.Name() + " needs a file name");
  return line.RestFrom(1);
}

void RunTransform(TSessionContext& c, const TTransform& transform) { c.Editor.TransformGlyph(transform); }

// The Transform menu's rows under their verbs: one verb for each run of rows sharing it
// (flip h|v, rotate right|left, shift ...), the word after it naming the row. The help goes
// with the last of them, so --help lists their usages together above it.
void AddTransformVerbs(std::vector<TSessionVerb>& verbs, const std::string& help) {
  const std::span<const TTransformRow> rows = TransformTable();
  for (std::size_t first = 0; first < rows.size();) {
    const std::string_view name = rows[first].Verb;
    std::size_t end = first + 1;
    while (end < rows.size() && rows[end].Verb == name) ++end;
    const std::span<const TTransformRow> ways = rows.subspan(first, end - first);
    // "h|v" for the usage, "h or v" for the line that gives no word.
    std::string usage = std::string(name) + " ";
    std::string shape;
    for (std::size_t k = 0; k < ways.size(); ++k) {
      usage += (k ? "|" : "") + std::string(ways[k].Way);
      shape += (k == 0 ? "" : k + 1 < ways.size() ? ", " : " or ") + std::string(ways[k].Way);
    }
    verbs.push_back(Verb<TTransform>(
        rows[first].Verb, usage, end == rows.size() ? help : "",
        [ways, shape](const TSessionLine& line) {
          line.NeedCount(1, shape.c_str());
          const std::string& how = line.Word(1);
          for (const TTransformRow& way : ways)
            if (how == way.Way) return way.Transform;
          line.Fail("cannot " + line.Name() + " " + Quoted(how));
        },
        RunTransform));
    first = end;
  }
}

std::vector<TSessionVerb> MakeVerbs() {
  std::vector<TSessionVerb> verbs;
  verbs.push_back(Verb<TSymbolItem>(
      "tool", "tool NAME", ToolHelp(),
      [](const TSessionLine& line) {
        line.NeedCount(1, "a tool name");
        const TToolRow* row = FindToolRow(line.Word(1));
        if (!row) line.Fail("unknown tool " + Quoted(line.Word(1)) + " (" + ToolList() + ")");
        return row->Item;
      },
      [](TSessionContext& c, const TSymbolItem& item) { c.Editor.SelectSymbol(item); }));
  verbs.push_back(Verb<TPenItem>(
      "pen", "pen 1|2|3", "Pen menu",
      [](const TSessionLine& line) {
        line.NeedCount(1, "a width of 1, 2 or 3");
        const int cells = line.Number(1, 1, 3, "the pen width");
        for (const TPenRow& row : PenTable())
          if (row.Cells == cells) return row.Item;
        line.Fail("no pen is " + std::to_string(cells) + " cells wide");
      },
      [](TSessionContext& c, const TPenItem& item) { c.Editor.SelectPen(item); }));
  verbs.push_back(Verb<TBrushStyle>(
      "brush", "brush clear|solid", "Brush menu",
      [](const TSessionLine& line) {
        line.NeedCount(1, "clear or solid");
        if (line.Word(1) == "solid") return TBrushStyle::bsSolid;
        if (line.Word(1) != "clear") line.Fail("brush must be clear or solid, not " + Quoted(line.Word(1)));
        return TBrushStyle::bsClear;
      },
      [](TSessionContext& c, const TBrushStyle& style) {
        if (style == TBrushStyle::bsSolid) {
          c.Editor.Solid1Click();
        } else {
          c.Editor.Clear2Click();
        }
      }));
  verbs.push_back(Verb<TColourChoice>("fg", "fg I|#RRGGBB[AA]|transparent", "", ParseColourChoice,
                                      [](TSessionContext& c, const TColourChoice& choice) { SetColour(c, choice, false); }));
  verbs.push_back(Verb<TColourChoice>("bg", "bg I|#RRGGBB[AA]|transparent",
                                      "the pen / brush colour: a left / right press on palette cell I\n"
                                      "(0-15, top row first), or a colour and alpha of the Colour menu\n"
                                      "(replaces a pixel's colour and alpha; transparent erases)",
                                      ParseColourChoice,
                                      [](TSessionContext& c, const TColourChoice& choice) { SetColour(c, choice, true); }));
  verbs.push_back(Verb<TPoint>("down", "down X Y", "", ParsePoint,
                               [](TSessionContext& c, const TPoint& p) { c.Editor.picMouseDown(p.X, p.Y); }));
  verbs.push_back(Verb<TPoint>("move", "move X Y", "", ParsePoint,
                               [](TSessionContext& c, const TPoint& p) { c.Editor.picMouseMove(p.X, p.Y); }));
  verbs.push_back(Verb<TPoint>("up", "up X Y", "mouse on the 256 x 256 surface at pixel (X, Y)", ParsePoint,
                               [](TSessionContext& c, const TPoint& p) { c.Editor.picMouseUp(p.X, p.Y); }));
  verbs.push_back(Verb("undo", "undo", "", [](TSessionContext& c) { c.Editor.Undo1Click(); }));
  verbs.push_back(Verb("clear", "clear", "", [](TSessionContext& c) { c.Editor.Clear1Click(); }));
  verbs.push_back(Verb("fill", "fill", "Edit menu", [](TSessionContext& c) { c.Editor.Fill1Click(); }));
  verbs.push_back(Verb<std::string>(
      "caption", "caption TEXT", "Text Caption..., answered with the rest of the line",
      [](const TSessionLine& line) { return line.RawRest(); },
      [](TSessionContext& c, const std::string& text) {
        c.Answers.Text = text;
        c.Editor.TextCaption1Click(c.Answers);
      }));
  verbs.push_back(Verb<TFontChoice>(
      "font", "font FACE SIZE [bold] [italic] [underline] [strikeout] [colour RRGGBB]",
      "Text Font..., answered with that font (\"quote\" a FACE with blanks)", ParseFont,
      [](TSessionContext& c, const TFontChoice& font) {
        c.Answers.Font = font;
        c.Editor.Text2Click(c.Answers);
      }));
  verbs.push_back(Verb<std::string>("open", "open FILE", "File > Open..., answered with FILE", ParseFileName,
                                    [](TSessionContext& c, const std::string& file) {
                                      c.Answers.File = CellStripFile(file);
                                      c.Editor.Open1Click(c.Answers);
                                    }));
  verbs.push_back(Verb<std::string>("save", "save FILE", "File > Save As..., answered with FILE", ParseFileName,
                                    [](TSessionContext& c, const std::string& file) {
                                      c.Answers.File = file;
                                      c.Editor.SaveAs1Click(c.Answers);
                                    }));
  verbs.push_back(Verb<TGlyphChoice>(
      "glyph", "glyph STRIP INDEX", "open STRIP as a collection, select glyph INDEX (from 0), Image",
      [](const TSessionLine& line) {
        if (line.Count() < 3) line.Fail("glyph needs a strip file and an index");
        TGlyphChoice choice;
        choice.Strip = line.Between(1, line.Count() - 2);
        choice.Index = line.Number(line.Count() - 1, 0, MaxGlyphIndex, "the glyph index");
        return choice;
      },
      [](TSessionContext& c, const TGlyphChoice& choice) {
        c.Answers.File = CellStripFile(choice.Strip);  // a set's strip as SET:SIZE[-THEME] too
        OpenCollectionCommand(c.Collection, c.Answers);
        TListItems& items = c.Collection.Items;
        if (choice.Index >= items.Count()) {
          throw EInvalidOperation("\"" + choice.Strip + "\" holds " + std::to_string(items.Count()) +
                                  (items.Count() == 1 ? " glyph" : " glyphs") + "; there is no glyph " +
                                  std::to_string(choice.Index));
        }
        // A click on the item: it alone is selected, then "&Image".
        for (int i = 0; i < items.Count(); ++i) items.Item(i).SetSelected(i == choice.Index);
        c.Editor.EditGlyph(c.Collection.ImageList1, items.Selected()->ImageIndex());
      }));
  verbs.push_back(Verb<int>(
      "size", "size 16|24|32", "the collection window's mode command (clears its list if needed)",
      [](const TSessionLine& line) {
        line.NeedCount(1, "16, 24 or 32");
        if (line.Word(1) != "16" && line.Word(1) != "24" && line.Word(1) != "32")
          line.Fail("the size must be 16, 24 or 32, not " + Quoted(line.Word(1)));
        return line.Number(1, 16, 32, "the size");
      },
      [](TSessionContext& c, const int& size) { c.Collection.Mode(size, c.Answers); }));
  // Beyond the classic menus: the Transform menu.
  AddTransformVerbs(verbs, "Transform menu: mirror, turn a quarter, move one pixel round");
  // Beyond the classic one-level Undo: the history of steps.
  verbs.push_back(Verb("back", "back", "", [](TSessionContext& c) { c.Editor.StepBackward(); }));
  verbs.push_back(Verb("forward", "forward",
                       "Step Backward, Step Forward through the steps\n"
                       "(a new change drops the steps ahead)",
                       [](TSessionContext& c) { c.Editor.StepForward(); }));
  return verbs;
}

}  // namespace

std::span<const TSessionVerb> SessionVerbs() {
  static const std::vector<TSessionVerb> verbs = MakeVerbs();
  return verbs;
}

const TSessionVerb* FindSessionVerb(std::string_view name) {
  for (const TSessionVerb& verb : SessionVerbs())
    if (name == verb.Name) return &verb;
  return nullptr;
}

bool ParseSessionLine(const std::string& text, int lineNumber, TSessionCommand& command) {
  if (text.size() > MaxSessionLineLength)
    throw TSessionError(lineNumber, "line is longer than " + std::to_string(MaxSessionLineLength) + " characters");
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) throw TSessionError(lineNumber, "line holds a control character");
  }
  const TSessionLine line(text, lineNumber);
  if (line.Empty() || line.Name()[0] == '#') return false;
  const TSessionVerb* verb = FindSessionVerb(line.Name());
  if (!verb) line.Fail("unknown command " + Quoted(line.Name()));
  command = TSessionCommand{verb, lineNumber, verb->Parse(line)};
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
  static const std::string help = [] {
    std::string text =
        "SCRIPT is a file, or - for standard input: one command a line; blank lines and\n"
        "lines starting with # are ignored. Each line is one event or menu command of the\n"
        "editor window, run through the same code:\n";
    std::string usages;
    for (const TSessionVerb& verb : SessionVerbs()) {
      usages += (usages.empty() ? "" : ", ") + verb.Usage;
      if (verb.Help.empty()) continue;
      text += "  " + usages;
      if (usages.size() + 3 <= HelpColumn) {
        text += std::string(HelpColumn - 2 - usages.size(), ' ');
      } else {
        text += "\n" + std::string(HelpColumn, ' ');
      }
      for (char c : verb.Help) text += c == '\n' ? "\n" + std::string(HelpColumn, ' ') : std::string(1, c);
      text += "\n";
      usages.clear();
    }
    return text +
           "\n"
           "The session starts as the editor starts (white glyph, freehand, pen 1, black on\n"
           "white, solid brush, caption B, font arial 144) at glyph size N (default 16). At the\n"
           "end the glyph is saved to OUT.bmp in its own format, and with --surface the surface\n"
           "as a 32-bit BMP. A line that cannot be read stops before anything runs (status 2);\n"
           "a command that fails stops the session (status 1). Either way OUT.bmp and\n"
           "SURFACE.bmp are not written; files of earlier save lines stay written.";
  }();
  return help.c_str();
}

TEditSession::TEditSession(int glyphSize) : answers_(std::make_unique<TScriptAnswers>()) {
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
  if (!command.Verb) return;
  try {
    answers_->Reset();
    TSessionContext context{editor_, collection_, *answers_};
    command.Verb->Run(context, command.Arguments);
  } catch (const TSessionError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw TSessionError(command.Line, "Out of system resources");
  } catch (const std::exception& e) {
    throw TSessionError(command.Line, e.what());
  }
}

}  // namespace gliffo
