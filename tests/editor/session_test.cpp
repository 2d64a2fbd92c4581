// Editing sessions on the model alone: a script gives exactly what the same handler calls give,
// its dialog lines answer the window's dialogs, and the collection lines open and size as the
// collection window does.
#include <filesystem>
#include <sstream>

#include "editor/session.h"
#include "editor_fixture.h"
#include "formats/png_codec.h"
#include "platform/files/file_io.h"
#include "tests/scripted_dialogs.h"
#include "tests/temp_folder.h"

namespace gliffo::testing {
namespace {

std::vector<TSessionCommand> Parse(const std::string& text) {
  std::istringstream in(text);
  return ParseSession(in);
}

std::vector<TColor> Pixels(TBitmap& image) {
  std::vector<TColor> out;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) out.push_back(image.Canvas().Pixel(x, y));
  return out;
}

TEST_F(EditorTest, ASessionDoesWhatTheSameHandlerCallsDo) {
  TEditSession session;
  session.Run(Parse("# every drawing line kind\n"
                    "bg 11\nfill\nfg 4\npen 2\ntool ellipse\ndown 20 30\nmove 90 100\nmove 200 180\nup 210 190\n"
                    "brush clear\ntool roundrect\ndown 40 40\nmove 60 60\nup 120 90\nbrush solid\n"
                    "pen 3\ntool freehand\ndown 10 240\nmove 128 10\nmove 250 240\nup 250 240\n"
                    "tool line\npen 1\ndown -40 300\nmove 5 5\nup 300 -20\nundo\ndown 0 128\nup 255 128\n"
                    "tool block\nbg 2\ndown 1 1\nup 250 3\ntool floodfill\nbg 13\ndown 128 200\nup 128 200\n"
                    "caption Hi\nfont \"Liberation Sans\" 40 bold colour 00FF00\ntool text\ndown 60 60\nup 60 60\n"));

  editor.SetBackgroundIndex(11);
  editor.Fill1Click();
  editor.SetForegroundIndex(4);
  editor.N21Click();
  editor.Ellipse1Click();
  editor.picMouseDown(20, 30);
  editor.picMouseMove(90, 100);
  editor.picMouseMove(200, 180);
  editor.picMouseUp(210, 190);
  editor.Clear2Click();
  editor.RoundRectangle1Click();
  editor.picMouseDown(40, 40);
  editor.picMouseMove(60, 60);
  editor.picMouseUp(120, 90);
  editor.Solid1Click();
  editor.N31Click();
  editor.Free1Click();
  Stroke({{10, 240}, {128, 10}, {250, 240}});
  editor.Line1Click();
  editor.N11Click();
  editor.picMouseDown(-40, 300);
  editor.picMouseMove(5, 5);
  editor.picMouseUp(300, -20);
  editor.Undo1Click();
  Stroke({{0, 128}, {255, 128}});
  editor.Block1Click();
  editor.SetBackgroundIndex(2);
  editor.picMouseDown(1, 1);
  editor.picMouseUp(250, 3);
  editor.Flood1Click();
  editor.SetBackgroundIndex(13);
  Stroke({{128, 200}});
  TScriptedDialogs dialogs;
  dialogs.InputAnswers.push_back("Hi");
  TFontChoice font;
  font.Name = "Liberation Sans";
  font.Size = 40;
  font.Bold = true;
  font.Color = 0x00FF00;
  dialogs.FontAnswers.push_back(font);
  editor.TextCaption1Click(dialogs);
  editor.Text2Click(dialogs);
  editor.Text1Click();
  Stroke({{60, 60}});

  EXPECT_EQ(Pixels(session.Editor().pic()), SurfacePixels());
  EXPECT_EQ(Pixels(session.Editor().Editor()), GlyphPixels());
  EXPECT_EQ(session.Editor().CaptionText(), "Hi");
  EXPECT_EQ(FontChoiceOf(session.Editor().FontDialogFont()).Name, "Liberation Sans");
  EXPECT_EQ(session.Editor().pic().Canvas().Font().Color(), 0x00FF00) << "RRGGBB turned round into a colour";
  EXPECT_EQ(session.Editor().SymbolItem(), TSymbolItem::Text1);
  EXPECT_EQ(session.Editor().PenItem(), TPenItem::N11);
}

TEST(SessionParse, LinesAndWhatTheyHoldAsWritten) {
  const std::vector<TSessionCommand> commands =
      Parse("\n  # indented comment\r\ncaption  two  spaces \r\ncaption\n\t\nsave my glyph.bmp  \n"
            "glyph  strips/a b.gbc  7\nfont \"DejaVu Sans Mono\" 12 italic underline strikeout colour 123456\n"
            "font arial 9");
  ASSERT_EQ(commands.size(), 6u);
  EXPECT_EQ(commands[0].Line, 3);
  EXPECT_EQ(commands[0].Args<std::string>(), " two  spaces ") << "the caption is the rest of the line";
  EXPECT_EQ(commands[1].Verb, FindSessionVerb("caption"));
  EXPECT_EQ(commands[1].Args<std::string>(), "");
  EXPECT_EQ(commands[2].Line, 6);
  EXPECT_EQ(commands[2].Args<std::string>(), "my glyph.bmp");
  EXPECT_EQ(commands[3].Args<TGlyphChoice>().Strip, "strips/a b.gbc");
  EXPECT_EQ(commands[3].Args<TGlyphChoice>().Index, 7);
  const TFontChoice& font = commands[4].Args<TFontChoice>();
  EXPECT_EQ(font.Name, "DejaVu Sans Mono");
  EXPECT_EQ(font.Size, 12);
  EXPECT_TRUE(font.Italic && font.Underline && font.StrikeOut && !font.Bold);
  EXPECT_EQ(font.Color, 0x563412);
  EXPECT_EQ(commands[5].Line, 9) << "a last line without its end of line counts";
  EXPECT_EQ(commands[5].Args<TFontChoice>().Color, 0);

  for (const char* bad : {"font \"Liberation Sans 12", "font \" 12", "font arial 0", "font arial 1001",
                          "font arial 12 heavy", "glyph 3", "glyph a.gbc -1", "open", "brush dotted", "move -32769 0"}) {
    EXPECT_THROW(Parse(bad), TSessionError) << bad;
  }
  try {
    Parse("fg 1\n\n" + std::string(100000, 'x'));
    ADD_FAILURE() << "an overlong line is refused";
  } catch (const TSessionError& e) {
    EXPECT_EQ(e.Line(), 3);
  }
}

// The session reaches each transform by the line its row gives, and no two rows share a line.
TEST(SessionParse, EveryTransformIsTheLineOfItsRow) {
  for (const TTransformRow& row : TransformTable()) {
    const std::string line = std::string(row.Verb) + " " + row.Way;
    const std::vector<TSessionCommand> commands = Parse(line);
    ASSERT_EQ(commands.size(), 1u) << line;
    EXPECT_EQ(commands[0].Verb, FindSessionVerb(row.Verb)) << line;
    EXPECT_EQ(commands[0].Args<TTransform>(), row.Transform) << line;
  }
}

TEST_F(EditorTest, CollectionLinesOpenSelectAndSizeAsTheCollectionWindowDoes) {
  TempFolder folder;
  TBitmap strip;
  strip.SetWidth(48);
  strip.SetHeight(16);
  for (int k = 0; k < 3; ++k) {
    strip.Canvas().Brush().SetColor(PaletteColors()[static_cast<std::size_t>(k + 1)]);
    strip.Canvas().FillRect(Rect(16 * k, 0, 16 * k + 16, 16));
  }
  strip.SaveToFile(folder / "three.gbc");

  TEditSession session;
  session.Run(Parse("glyph " + (folder / "three.gbc") + " 2\n"));
  EXPECT_EQ(session.Collection().ImageList1.Count(), 3);
  EXPECT_EQ(session.Collection().Items.SelectedIndex(), 2);
  EXPECT_EQ(session.Editor().Editor().Canvas().Pixel(7, 7), PaletteColors()[3]);
  EXPECT_EQ(session.Editor().pic().Canvas().Pixel(255, 0), PaletteColors()[3]);

  // "Clear Viewer?" is answered Yes: the size is taken and the strip's glyphs leave the list.
  session.Run(Parse("size 32\n"));
  EXPECT_EQ(session.Collection().GlyphSize(), 32);
  EXPECT_EQ(session.Collection().ImageList1.Count(), 0);
  EXPECT_EQ(session.Editor().Editor().Width(), 32);
  EXPECT_EQ(session.Editor().pic().Canvas().Pen().Width(), 8);

  try {
    session.Run(Parse("\n\nglyph " + (folder / "three.gbc") + " 3\n"));
    ADD_FAILURE() << "no glyph 3 in a strip of three";
  } catch (const TSessionError& e) {
    EXPECT_EQ(e.Line(), 3);
    EXPECT_NE(std::string(e.what()).find("holds 3 glyphs"), std::string::npos) << e.what();
  }

  // The failed line had opened the strip already: the session is at 16 again. A save line
  // writes at once, an open line reads it back into a fresh session of that size and, as in
  // the window, passes over a file of another size.
  session.Run(Parse("bg 9\nfill\nsave " + (folder / "red.bmp") + "\n"));
  TEditSession other;
  other.Run(Parse("open " + (folder / "red.bmp") + "\n"));
  EXPECT_EQ(Pixels(other.Editor().Editor()), Pixels(session.Editor().Editor()));
  EXPECT_EQ(other.Editor().pic().Canvas().Pixel(100, 100), PaletteColors()[9]);
  TEditSession larger(32);
  larger.Run(Parse("open " + (folder / "red.bmp") + "\n"));
  EXPECT_EQ(larger.Editor().pic().Canvas().Pixel(100, 100), clWhite);
}

// A 32 x 32 glyph with soft edges: a disc whose rim fades out over a few pixels, in colours
// that change across it, on a transparent ground whose colour is not black.
std::vector<std::uint8_t> SoftGlyph() {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const int d2 = (2 * x - 31) * (2 * x - 31) + (2 * y - 31) * (2 * y - 31);  // 4 x distance² from the centre
      const int alpha = d2 <= 24 * 24 ? 255 : d2 >= 30 * 30 ? 0 : 255 * (30 * 30 - d2) / (30 * 30 - 24 * 24);
      rgba.insert(rgba.end(), {static_cast<std::uint8_t>(8 * x), static_cast<std::uint8_t>(255 - 8 * y), 40,
                               static_cast<std::uint8_t>(alpha)});
    }
  return png::EncodeRgba(32, 32, rgba);
}

std::vector<std::uint32_t> PixelsOfFile(const std::string& file) {
  const auto image = png::Decode(files::ReadWholeFile(file));
  return image ? OwnPixels(*image) : std::vector<std::uint32_t>{};
}

// Drawing writes colour and alpha into exactly the pixels it covers, Transparent erases, the
// eyedropper takes a pixel's colour and alpha for the next stroke, and the saved PNG keeps
// every other pixel as the file had it.
TEST_F(EditorTest, ASessionOnASoftGlyphWritesColourAndAlphaIntoThePixelsItDraws) {
  TempFolder folder;
  files::WriteWholeFile(folder / "soft.png", SoftGlyph());
  const std::vector<std::uint32_t> original = PixelsOfFile(folder / "soft.png");
  ASSERT_EQ(original.size(), 32u * 32u);
  // Glyph pixel (x, y) is the surface's cell from (8x, 8y); (2, 12) lies on the fading rim,
  // (10, 10) inside the disc.
  const auto at = [](int x, int y) { return static_cast<std::size_t>(y) * 32 + static_cast<std::size_t>(x); };
  ASSERT_GT(AlphaOf(original[at(2, 12)]), 0);
  ASSERT_LT(AlphaOf(original[at(2, 12)]), 255);
  ASSERT_EQ(AlphaOf(original[at(10, 10)]), 255);

  TEditSession session(32);
  session.Run(Parse("open " + (folder / "soft.png") + "\ntool block\nbg #FF000080\ndown 100 60\nup 100 60\nsave " +
                    (folder / "red.png") + "\n"));
  std::vector<std::uint32_t> expected = original;
  expected[at(12, 7)] = MakeAlphaPixel(255, 0, 0, 128);
  EXPECT_EQ(PixelsOfFile(folder / "red.png"), expected);

  session.Run(Parse("bg transparent\ndown 84 84\nup 84 84\nsave " + (folder / "erased.png") + "\n"));
  const std::vector<std::uint32_t> erased = PixelsOfFile(folder / "erased.png");
  ASSERT_EQ(erased.size(), expected.size());
  EXPECT_EQ(AlphaOf(erased[at(10, 10)]), 0);
  expected[at(10, 10)] = erased[at(10, 10)];
  EXPECT_EQ(erased, expected);

  // The rim pixel's colour and alpha, picked, drawn with the pen into the middle pixel.
  session.Run(Parse("tool picker\ndown 20 100\nup 20 100\ntool freehand\ndown 132 132\nmove 133 132\nup 133 132\nsave " +
                    (folder / "picked.png") + "\n"));
  EXPECT_EQ(session.Editor().ForegroundDrawColour().Alpha, AlphaOf(original[at(2, 12)]));
  expected[at(16, 16)] = original[at(2, 12)];
  EXPECT_EQ(PixelsOfFile(folder / "picked.png"), expected);
  // The picker changed nothing: no step of its own.
  EXPECT_EQ(session.Editor().History().Name(session.Editor().History().Count() - 2), "Block");
}

}  // namespace
}  // namespace gliffo::testing
