#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/strings.h"
#include "platform/text/face_match.h"
#include "platform/text/font.h"

namespace gliffo::text {
namespace {

using raster::ColorRef;
using raster::MakeColorRef;

constexpr ColorRef Red = MakeColorRef(255, 0, 0);
constexpr ColorRef Blue = MakeColorRef(0, 0, 255);
constexpr ColorRef White = MakeColorRef(255, 255, 255);

// A 32-bit top-down surface filled with one colour.
struct Image {
  Image(int w, int h, ColorRef fill) : Pixels(static_cast<std::size_t>(w) * h * 4) {
    S.Bits = Pixels.data();
    S.Width = w;
    S.Height = h;
    S.Stride = w * 4;
    S.BitCount = 32;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) raster::WriteValue(S, x, y, raster::ColorToValue(S, fill));
  }
  ColorRef At(int x, int y) const { return raster::GetPixel(S, x, y); }
  std::vector<std::uint8_t> Pixels;
  raster::Surface S;
};

bool Installed(const std::string& family) { return MatchFace(family, 400, false, Pitch::Default).Family == family; }

FontRequest Request(const std::string& face, int height) {
  FontRequest r;
  r.FaceName = face;
  r.Height = height;
  return r;
}

TEST(AnsiText, HighControlRangeFollowsWindows1252AndTheRestIsLatin1) {
  EXPECT_EQ(AnsiToUnicode('A'), U'A');
  EXPECT_EQ(AnsiToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(AnsiToUnicode(0x99), U'\u2122');
  EXPECT_EQ(AnsiToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(AnsiToUnicode(0x81), char32_t{0x81});  // unassigned in the code page
  EXPECT_EQ(AnsiToUnicode(0xE9), U'\u00E9');
  EXPECT_EQ(AnsiToUnicode(0xFF), U'\u00FF');
}

TEST(FaceMatching, ArialFindsLiberationSansWhenInstalled) {
  if (!Installed("Liberation Sans")) GTEST_SKIP() << "Liberation Sans is not installed";
  EXPECT_EQ(MatchFace("arial", 400, false, Pitch::Default).Family, "Liberation Sans");
  const FaceMatch bold = MatchFace("Arial", 700, false, Pitch::Default);
  EXPECT_EQ(bold.Family, "Liberation Sans");
  EXPECT_TRUE(bold.Bold);
  EXPECT_NE(bold.File, MatchFace("Arial", 400, false, Pitch::Default).File);
  EXPECT_TRUE(MatchFace("Arial", 400, true, Pitch::Default).Italic);
}

TEST(FaceMatching, DefaultInAnyCaseIsMsSansSerif) {
  EXPECT_EQ(PlatformFaceName("Default"), "MS Sans Serif");
  EXPECT_EQ(PlatformFaceName("DEFAULT"), "MS Sans Serif");
  EXPECT_EQ(PlatformFaceName("Defaults"), "Defaults");
  const std::string expected = MatchFace("MS Sans Serif", 400, false, Pitch::Default).File;
  EXPECT_EQ(MatchFace("Default", 400, false, Pitch::Default).File, expected);
  EXPECT_EQ(MatchFace("dEfAuLt", 400, false, Pitch::Default).File, expected);
}

TEST(FaceMatching, UnknownAndEmptyNamesStillFindAnInstalledFace) {
  for (const char* name : {"No Such Face 1234", "", "\xE9\xFF"}) {
    const FaceMatch m = MatchFace(name, 400, false, Pitch::Default);
    EXPECT_TRUE(std::filesystem::exists(m.File)) << name;
    EXPECT_NO_THROW(GetFont(Request(name, -12))) << name;
  }
}

TEST(FaceMatching, FixedPitchPicksAMonospacedStandIn) {
  FontRequest r = Request("No Such Face 1234", -20);
  r.PitchRequest = Pitch::Fixed;
  const auto font = GetFont(r);
  if (font->Extent("i").Width != font->Extent("W").Width) GTEST_SKIP() << "no monospaced face installed";
  EXPECT_EQ(font->Extent("iiii").Width, font->Extent("WWWW").Width);
}

TEST(FontHeight, NegativeHeightIsTheEmAndPositiveHeightIsTheCell) {
  for (int h : {1, 8, 11, 13, 16, 24, 37, 192, 240}) {
    const auto em = GetFont(Request("Liberation Sans", -h));
    EXPECT_EQ(em->EmPixels(), h);
    EXPECT_GE(em->CellHeight(), h) << "internal leading is added to the em";
    EXPECT_EQ(em->Extent("Hg").Height, em->CellHeight());

    const auto cell = GetFont(Request("Liberation Sans", h));
    EXPECT_EQ(cell->CellHeight(), h);
    EXPECT_EQ(cell->Ascent() + cell->Descent(), h);
    EXPECT_LE(cell->EmPixels(), h);
  }
  // The em of a cell request follows the face's proportions: a cell asked for as the cell
  // height of an em request gives that em back.
  const auto byEm = GetFont(Request("Liberation Sans", -192));
  const auto byCell = GetFont(Request("Liberation Sans", byEm->CellHeight()));
  EXPECT_EQ(byCell->EmPixels(), 192);
  EXPECT_EQ(byCell->Ascent(), byEm->Ascent());
}

TEST(FontHeight, ZeroMeansTheDefaultCellAndHugeHeightsAreBounded) {
  EXPECT_EQ(GetFont(Request("Liberation Sans", 0))->CellHeight(), DefaultCellHeight);
  EXPECT_EQ(GetFont(Request("Liberation Sans", INT_MIN))->EmPixels(), MaxFontPixels);
  EXPECT_EQ(GetFont(Request("Liberation Sans", INT_MAX))->CellHeight(), MaxFontPixels);
}

TEST(TextExtent, IsTheSumOfWholePixelAdvancesWithoutKerning) {
  const auto font = GetFont(Request("arial", -24));
  EXPECT_EQ(font->Extent("").Width, 0);
  EXPECT_EQ(font->Extent("").Height, font->CellHeight());
  EXPECT_GT(font->Extent("H").Width, 0);
  EXPECT_EQ(font->Extent("HH").Width, 2 * font->Extent("H").Width);
  EXPECT_EQ(font->Extent("AVAV").Width, 2 * (font->Extent("A").Width + font->Extent("V").Width));
  // A character the face lacks still takes the width of the missing-glyph box.
  EXPECT_GT(font->Extent("\x81").Width, 0);
}

TEST(TextExtent, BoldIsWiderThanRegularWhetherRealOrSyntheticAndSlantingKeepsTheWidth) {
  FontRequest regular = Request("arial", -20);
  FontRequest bold = regular;
  bold.Weight = 700;
  const std::string text = "Hello World";
  EXPECT_GT(GetFont(bold)->Extent(text).Width, GetFont(regular)->Extent(text).Width);

  const std::string file = MatchFace("arial", 400, false, Pitch::Default).File;
  const auto synthetic = OpenFontFile(file, 0, bold);
  EXPECT_TRUE(synthetic->SyntheticBold());
  const auto plain = OpenFontFile(file, 0, regular);
  EXPECT_EQ(synthetic->Extent(text).Width, plain->Extent(text).Width + static_cast<int>(text.size()));

  FontRequest italic = regular;
  italic.Italic = true;
  const auto slanted = OpenFontFile(file, 0, italic);
  EXPECT_TRUE(slanted->SyntheticItalic());
  EXPECT_EQ(slanted->Extent(text).Width, plain->Extent(text).Width) << "slanting keeps the advances";
}

TEST(TextDraw, GlyphPixelsAreEitherTheTextColourOrUntouched) {
  for (const char* face : {"arial", "Default"}) {
    FontRequest r = Request(face, -17);
    r.Italic = true;
    const auto font = GetFont(r);
    Image img(120, 30, White);
    font->Draw(img.S, 3, 2, "Quick g\xE9\x80", Red, false, Blue);
    int red = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 120; ++x) {
        const ColorRef c = img.At(x, y);
        ASSERT_TRUE(c == Red || c == White) << face << " at " << x << "," << y;
        red += c == Red;
      }
    EXPECT_GT(red, 40) << face;
  }
}

TEST(TextDraw, UnderlineAndStrikeOutRunAcrossTheWholeWidth) {
  FontRequest r = Request("arial", -24);
  const auto plainFont = GetFont(r);
  r.Underline = true;
  r.StrikeOut = true;
  const auto lined = GetFont(r);
  ASSERT_GT(lined->UnderlineTop(), lined->Ascent()) << "below the baseline";
  ASSERT_LE(lined->UnderlineTop() + lined->UnderlineThickness(), lined->CellHeight());
  ASSERT_LT(lined->StrikeOutTop(), lined->Ascent()) << "above the baseline";
  ASSERT_GT(lined->StrikeOutTop(), 0);

  const std::string text = "a  m";  // spaces: the lines cross the gaps too
  const int w = lined->Extent(text).Width;
  Image plain(80, 40, White), img(80, 40, White);
  plainFont->Draw(plain.S, 4, 4, text, Red, false, 0);
  lined->Draw(img.S, 4, 4, text, Red, false, 0);
  auto fullRow = [&](const Image& im, int row) {
    for (int x = 4; x < 4 + w; ++x)
      if (im.At(x, 4 + row) != Red) return false;
    return im.At(3, 4 + row) == White && im.At(4 + w, 4 + row) == White;
  };
  for (int t = 0; t < lined->UnderlineThickness(); ++t) {
    EXPECT_TRUE(fullRow(img, lined->UnderlineTop() + t));
    EXPECT_FALSE(fullRow(plain, lined->UnderlineTop() + t));
  }
  for (int t = 0; t < lined->StrikeOutThickness(); ++t) {
    EXPECT_TRUE(fullRow(img, lined->StrikeOutTop() + t));
    EXPECT_FALSE(fullRow(plain, lined->StrikeOutTop() + t));
  }
}

TEST(TextDraw, ClipsAtEveryEdgeWithoutTouchingOutsideMemory) {
  const auto font = GetFont(Request("arial", -30));
  Image img(10, 10, White);
  for (int x : {-25, -5, 0, 5, 9, 10, INT_MIN, INT_MAX - 5})
    for (int y : {-25, -5, 0, 5, 9, INT_MIN, INT_MAX - 5}) font->Draw(img.S, x, y, "WgW", Red, true, Blue);
  EXPECT_EQ(img.Pixels.size(), 400u);
  // A text left of the surface still reports its width.
  EXPECT_EQ(font->Draw(img.S, -1000, 0, "W", Red, false, 0), font->Extent("W").Width);
}

TEST(FontCache, RequestsForTheSameFaceShareItAndItsGlyphs) {
  FontRequest r = Request("arial", -33);
  const auto first = GetFont(r);
  first->Extent("cache");
  const TextStatistics before = Statistics();
  EXPECT_EQ(GetFont(r), first);
  // Lines are drawn over the glyphs, so an underlined font shares the face and its glyphs.
  r.Underline = true;
  GetFont(r)->Extent("cache");
  TextStatistics after = Statistics();
  EXPECT_EQ(after.FontsCreated, before.FontsCreated + 1);
  EXPECT_EQ(after.FacesCreated, before.FacesCreated);
  EXPECT_EQ(after.GlyphsRendered, before.GlyphsRendered);
  // "Default" and "MS Sans Serif" are different requests for the same face.
  GetFont(Request("MS Sans Serif", -33));
  const TextStatistics named = Statistics();
  GetFont(Request("Default", -33));
  EXPECT_EQ(Statistics().FacesCreated, named.FacesCreated);
}

TEST(FontErrors, AFaceThatCannotBeOpenedIsOutOfResources) {
  try {
    OpenFontFile("/nonexistent/face.ttf", 0, Request("", -12));
    FAIL() << "no error raised";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), texts::OutOfSystemResources);
  }
  const auto notAFont = std::filesystem::temp_directory_path() / "gliffo_not_a_font.ttf";
  { std::FILE* f = std::fopen(notAFont.c_str(), "wb"); ASSERT_NE(f, nullptr); std::fputs("not a font", f); std::fclose(f); }
  EXPECT_THROW(OpenFontFile(notAFont.string(), 0, Request("", -12)), EOutOfResources);
  std::filesystem::remove(notAFont);
}

}  // namespace
}  // namespace gliffo::text
