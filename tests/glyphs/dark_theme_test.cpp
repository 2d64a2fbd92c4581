#include "glyphs/dark_theme.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "formats/image_formats.h"
#include "glyphs/icon_set.h"
#include "platform/errors.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

using testing::TempFolder;

constexpr raster::ColorRef Key = raster::MakeColorRef(0xFF, 0x00, 0xFF);
constexpr raster::ColorRef Black = raster::MakeColorRef(0, 0, 0);
constexpr raster::ColorRef Signal = raster::MakeColorRef(0xF0, 0xC0, 0x20);  // bright on dark already
constexpr raster::ColorRef Navy = raster::MakeColorRef(0x20, 0x30, 0x80);

TEST(DarkColorTest, DarkColoursTurnLightAndColoursThatStandOutStay) {
  const raster::ColorRef white = DarkColor(Black);
  EXPECT_EQ(white, raster::MakeColorRef(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(DarkColor(Signal), Signal);
  // Navy turns light and stays blue: blue still its largest part, and now readable.
  const raster::ColorRef light = DarkColor(Navy);
  EXPECT_GE(ContrastRatio(light, DarkToolbar), KeptContrast);
  EXPECT_GT(raster::BlueOf(light), raster::RedOf(light));
  EXPECT_GT(raster::BlueOf(light), raster::GreenOf(light));
  // Teal is of middle lightness: turned over it would stay as dim, so it is lifted to 3:1.
  const raster::ColorRef teal = raster::MakeColorRef(0, 0x80, 0x80);
  ASSERT_LT(ContrastRatio(teal, DarkToolbar), KeptContrast);
  EXPECT_GE(ContrastRatio(DarkColor(teal), DarkToolbar), KeptContrast);
  EXPECT_LT(ContrastRatio(DarkColor(teal), DarkToolbar), KeptContrast + 0.1);
}

std::shared_ptr<TBitmapImage> Glyph(int size, raster::ColorRef ink) {
  TBitmapImage d;
  d.Width = d.Height = size;
  const std::shared_ptr<TBitmapImage> image = NewStore(d);
  const raster::Surface s = image->Surface();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) raster::WriteValue(s, x, y, raster::ColorToValue(s, x > 2 && y < 10 ? ink : Key));
  return image;
}

std::string ReadText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The dark cells made are marked derived, and the set file says so across a save and a
// reopen, until a cell is drawn on; a drawn dark cell is never written over.
TEST(DarkThemeTest, FillsEmptyDarkCellsMarkedDerivedUntilDrawnOn) {
  TempFolder dir;
  TIconSet set = TIconSet::New(dir / "icons.glyphset", {16, 24}, {"light", "dark"}, {});
  set.Add("open", 0);
  set.Add("save", 1);
  for (int icon = 0; icon < 2; ++icon)
    for (const int size : {16, 24}) set.SetCell(icon, set.ColumnOf(size, 0), *Glyph(size, Black));
  set.SetCell(1, set.ColumnOf("16-dark"), *Glyph(16, Signal));  // drawn by hand

  EXPECT_EQ(MakeDarkTheme(set, "dark", "light"), 3);
  const int dark16 = set.ColumnOf("16-dark"), dark24 = set.ColumnOf("24-dark");
  EXPECT_TRUE(set.Cell(0, dark16)->Derived);
  EXPECT_FALSE(set.Cell(1, dark16)->Derived);
  const std::shared_ptr<TBitmapImage> image = set.CellImage(0, dark24);  // the surface's owner
  const raster::Surface made = image->Surface();
  EXPECT_EQ(raster::GetPixel(made, 5, 5), raster::MakeColorRef(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(raster::GetPixel(made, 0, 23), Key);
  EXPECT_EQ(raster::GetPixel(set.CellImage(1, dark16)->Surface(), 5, 5), Signal);
  EXPECT_EQ(MakeDarkTheme(set, "dark", "light"), 0);
  set.Save();

  TIconSet reopened = TIconSet::Open(dir / "icons.glyphset", {});
  EXPECT_TRUE(reopened.Cell(0, dark16)->Derived);
  EXPECT_TRUE(reopened.Cell(1, dark24)->Derived);
  EXPECT_FALSE(reopened.Cell(1, dark16)->Derived);
  EXPECT_FALSE(reopened.Cell(0, 0)->Derived);
  reopened.SetCell(0, dark16, *Glyph(16, Navy));
  reopened.Save();
  const std::string text = ReadText(dir / "icons.glyphset");
  EXPECT_NE(text.find("\"24-dark\" = [\"open\", \"save\"]"), std::string::npos) << text;
  EXPECT_EQ(text.find("\"16-dark\" = ["), std::string::npos) << text;
  EXPECT_FALSE(TIconSet::Open(dir / "icons.glyphset", {}).Cell(0, dark16)->Derived);

  EXPECT_THROW(MakeDarkTheme(reopened, "dusk", "light"), EInvalidOperation);
}

// A theme whose toolbar the set file names is made against that toolbar: a colour that stands
// out on the usual dark grey is turned when it would not on this one.
TEST(DarkThemeTest, TheSetFilesToolbarDecidesWhatIsKept) {
  TempFolder dir;
  {
    TIconSet set = TIconSet::New(dir / "icons.glyphset", {16}, {"light", "dark"}, {});
    set.Add("warn", 0);
    set.SetCell(0, 0, *Glyph(16, Signal));
    set.Save();
  }
  std::ofstream(dir / "icons.glyphset", std::ios::app) << "\n[background]\ndark = \"#E8E8E8\"\n";
  TIconSet set = TIconSet::Open(dir / "icons.glyphset", {});
  ASSERT_EQ(MakeDarkTheme(set, "dark", "light"), 1);
  const raster::ColorRef made = raster::GetPixel(set.CellImage(0, 1)->Surface(), 5, 5);
  const raster::ColorRef toolbar = raster::MakeColorRef(0xE8, 0xE8, 0xE8);
  EXPECT_NE(made, Signal);
  EXPECT_GE(ContrastRatio(made, toolbar), KeptContrast);
}

// A light cell with alpha gives a dark cell with the same alpha in every pixel.
TEST(DarkThemeTest, EachPixelKeepsItsAlpha) {
  TempFolder dir;
  TIconSet set = TIconSet::New(dir / "icons.glyphset", {16}, {"light", "dark"}, {});
  set.Add("soft", 0);
  const std::shared_ptr<TBitmapImage> light = Glyph(16, Black);
  light->AlphaPixels.assign(16 * 16, MakeAlphaPixel(0, 0, 0, 0));
  for (int k = 0; k < 16; ++k) light->AlphaPixels[static_cast<std::size_t>(k * 17)] = MakeAlphaPixel(0, 0, 0, 16 * k + 15);
  set.SetCell(0, 0, *light);
  ASSERT_EQ(MakeDarkTheme(set, "dark", "light"), 1);
  const std::vector<std::uint32_t> dark = OwnPixels(*set.CellImage(0, 1));
  ASSERT_EQ(dark.size(), 256u);
  for (std::size_t p = 0; p < dark.size(); ++p) {
    EXPECT_EQ(AlphaOf(dark[p]), AlphaOf(light->AlphaPixels[p])) << p;
    if (AlphaOf(dark[p]) > 0) {
      EXPECT_EQ(ColorOfAlphaPixel(dark[p]), raster::MakeColorRef(0xFF, 0xFF, 0xFF)) << p;
    }
  }
}

}  // namespace
}  // namespace gliffo
