// What the editor shows agrees with the glyph it holds, and the history of steps gives back the
// pictures of shorter sessions.
#include <cstdio>
#include <sstream>

#include "editor/session.h"
#include "editor_fixture.h"
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

struct TPictures {
  std::vector<TColor> Surface, Glyph;
  bool operator==(const TPictures&) const = default;
};

TPictures After(const std::string& script, int size = 16) {
  TEditSession session(size);
  session.Run(Parse(script));
  return {Pixels(session.Editor().pic()), Pixels(session.Editor().Editor())};
}

TEST_F(EditorTest, AtTwentyFourTheGlyphPixelsAreTheCells) {
  Size(24);
  editor.Block1Click();
  editor.SetBackgroundIndex(9);
  for (int cell = 0; cell < 24; ++cell) {
    Stroke({{cell * 10 + 5, 35}});
    for (int x = 0; x < 24; ++x)
      ASSERT_EQ(GlyphAt(x, 3), x <= cell ? clRed : clWhite) << "block in cell " << cell << ", glyph pixel " << x;
  }

  // A glyph from a strip lies on the surface in 10-pixel cells; the margin is not drawn into.
  TempFolder folder;
  TBitmap strip;
  strip.SetWidth(24);
  strip.SetHeight(24);
  strip.Canvas().Brush().SetColor(clBlue);
  strip.Canvas().FillRect(Rect(0, 0, 24, 24));
  strip.Canvas().Brush().SetColor(clLime);
  strip.Canvas().FillRect(Rect(7, 0, 8, 24));
  strip.SaveToFile(folder / "one.gbc");
  TEditSession session(24);
  session.Run(Parse("glyph " + (folder / "one.gbc") + " 0\n"));
  TCanvas& surface = session.Editor().pic().Canvas();
  for (int x = 0; x < 256; ++x) {
    const TColor expected = x >= 240 ? clWhite : x / 10 == 7 ? clLime : clBlue;
    ASSERT_EQ(surface.Pixel(x, 100), expected) << x;
  }

  // A size change enlarges the glyph again, so the surface and the glyph agree.
  editor.SetBackgroundIndex(12);
  Size(16);
  Size(32);
  EXPECT_EQ(editor.Editor().Width(), 32);
  EXPECT_EQ(At(5 * 8 + 3, 3 * 8 + 3), GlyphAt(5, 3));
  EXPECT_EQ(GlyphPixels(), ReductionOfSurface());
}

TEST(EditorHistory, AFigureReleasedAwayFromItsLastMoveLeavesNoBand) {
  for (const char* tool : {"line", "rectangle", "roundrect", "ellipse"}) {
    const std::string start = std::string("bg 10\npen 2\ntool ") + tool + "\ndown 30 40\nmove 60 70\nmove 120 200\n";
    EXPECT_EQ(After(start + "up 200 90\n"), After(start + "move 200 90\nup 200 90\n")) << tool;
  }
}

TEST(EditorHistory, BackAndForwardGiveThePicturesOfShorterSessions) {
  const std::vector<std::string> lines = {
      "bg 11\nfill\n", "fg 4\ntool ellipse\ndown 20 30\nmove 90 100\nup 210 190\n", "flip h\n",
      "tool freehand\npen 3\ndown 10 240\nmove 128 10\nup 250 240\n", "undo\n", "undo\n", "clear\n",
      "tool floodfill\nbg 9\ndown 5 5\nup 5 5\n", "rotate right\n"};
  std::vector<TPictures> prefixes;
  std::string script;
  prefixes.push_back(After(script));
  for (const std::string& line : lines) prefixes.push_back(After(script += line));

  std::string back = script;
  for (std::size_t k = lines.size(); k-- > 0;) {
    back += "back\n";
    ASSERT_EQ(After(back), prefixes[k]) << "back to after line " << k;
  }
  back += "back\n";
  EXPECT_EQ(After(back), prefixes[0]) << "nothing before the start";
  for (std::size_t k = 1; k <= lines.size(); ++k) {
    back += "forward\n";
    ASSERT_EQ(After(back), prefixes[k]) << "forward to after line " << k;
  }
  // Back, then a new change: the steps ahead are gone.
  EXPECT_EQ(After(script + "back\nback\nfill\nforward\n"), After(script + "back\nback\nfill\n"));
  // The classic Undo keeps its rule: twice gives the same picture; Step Backward after it
  // returns to before it.
  EXPECT_EQ(After(script + "undo\nundo\n"), After(script + "undo\n"));
  EXPECT_EQ(After(script + "undo\nback\n"), After(script));
}

TEST(EditorHistory, TwoHundredStepsOfAThirtyTwoGlyphAreKeptInAFewMegabytes) {
  TEditSession session(32);
  std::string script = "tool freehand\n";
  for (int k = 0; k < 200; ++k) {
    const int x = (k * 37) % 240, y = (k * 53) % 240;
    script += "fg " + std::to_string(k % 16) + "\ndown " + std::to_string(x) + " " + std::to_string(y) + "\nmove " +
              std::to_string(255 - y) + " " + std::to_string(x) + "\nup " + std::to_string(255 - y) + " " +
              std::to_string(x) + "\n";
    if (k % 50 == 49) script += "flip v\n";
  }
  session.Run(Parse(script));
  const TEditHistory& history = session.Editor().History();
  EXPECT_EQ(history.Count(), 205);
  std::printf("200 strokes and 4 flips at 32 x 32: %zu bytes held\n", history.BytesHeld());
  EXPECT_LT(history.BytesHeld(), std::size_t{4} << 20);

  const TPictures last{Pixels(session.Editor().pic()), Pixels(session.Editor().Editor())};
  for (int k = 0; k < 204; ++k) session.Editor().StepBackward();
  EXPECT_EQ(Pixels(session.Editor().Editor()), std::vector<TColor>(32 * 32, clWhite));
  EXPECT_EQ(Pixels(session.Editor().pic()), std::vector<TColor>(256 * 256, clWhite));
  for (int k = 0; k < 204; ++k) session.Editor().StepForward();
  EXPECT_EQ((TPictures{Pixels(session.Editor().pic()), Pixels(session.Editor().Editor())}), last);
}

// The history knows where the glyph was last kept: stepping back (or forward) to there makes
// it unmodified again, until a change made elsewhere drops that point.
TEST(EditorHistory, SteppingBackToWhereTheGlyphWasKeptMakesItUnmodified) {
  TEditSession session(16);
  TGlyphEditor& editor = session.Editor();
  EXPECT_FALSE(editor.GlyphModified()) << "a fresh editor has nothing to lose";
  const std::string stroke = "tool freehand\ndown 20 20\nmove 80 80\nup 80 80\n";
  session.Run(Parse(stroke));
  EXPECT_TRUE(editor.GlyphModified());
  editor.StepBackward();
  EXPECT_FALSE(editor.GlyphModified());
  editor.StepForward();
  EXPECT_TRUE(editor.GlyphModified());

  TempFolder folder;
  editor.SaveGlyphFile(folder / "kept.bmp");
  EXPECT_FALSE(editor.GlyphModified());
  EXPECT_EQ(editor.KeptFile(), folder / "kept.bmp");
  session.Run(Parse("flip h\nflip v\n"));
  EXPECT_TRUE(editor.GlyphModified());
  editor.StepBackward();
  editor.StepBackward();
  EXPECT_FALSE(editor.GlyphModified());
  // Back before the save and a new change: the saved picture is gone from the history.
  editor.StepBackward();
  session.Run(Parse("shift left\n"));
  for (int k = 0; k < 5; ++k) {
    EXPECT_TRUE(editor.GlyphModified()) << k;
    editor.StepBackward();
  }
}

}  // namespace
}  // namespace gliffo::testing
