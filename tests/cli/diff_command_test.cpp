// gliffo-tool diff on two versions of a set and of its strips: a changed, an added, a removed
// and a moved icon, each reported as such, in text and in JSON.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "formats/image_formats.h"
#include "glyphs/icon_set.h"
#include "tests/cli/run_tool.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

using testing::RunTool;
using testing::TempFolder;
namespace fs = std::filesystem;

constexpr raster::ColorRef Key = raster::MakeColorRef(0xFF, 0x00, 0xFF);

// A glyph of its own for every seed: a few pixels scattered over the key colour, the
// bottom-left one left transparent.
std::shared_ptr<TBitmapImage> Picture(int size, int seed) {
  TBitmapImage d;
  d.Width = size;
  d.Height = size;
  const std::shared_ptr<TBitmapImage> image = NewStore(d);
  const raster::Surface s = image->Surface();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) raster::WriteValue(s, x, y, raster::ColorToValue(s, Key));
  unsigned state = static_cast<unsigned>(seed) * 2654435761u + 1;
  for (int k = 0; k < size; ++k) {
    state = state * 1103515245u + 12345u;
    const int x = 1 + static_cast<int>((state >> 8) % static_cast<unsigned>(size - 1));
    const int y = static_cast<int>((state >> 16) % static_cast<unsigned>(size - 1));
    raster::WriteValue(s, x, y, raster::ColorToValue(s, raster::MakeColorRef(seed * 37 % 200, k * 9 % 250, 40)));
  }
  return image;
}

void Draw(TIconSet& set, int icon, int seed) {
  for (int c = 0; c < set.ColumnCount(); ++c) set.SetCell(icon, c, *Picture(set.Column(c).Size, seed * 10 + c));
}

// Version A: five icons in two sizes and two themes. Version B, a copy of it: "save" changed
// by three pixels in one cell, "copy" removed, "cut" moved to the front, "find" added.
class DiffTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir.Path() / "a");
    TIconSet a = TIconSet::New(dir / "a/icons.glyphset", {16, 24}, {"light", "dark"}, {});
    const std::vector<std::string> names{"open", "save", "copy", "paste", "cut"};
    for (std::size_t k = 0; k < names.size(); ++k) {
      a.Add(names[k], static_cast<int>(k));
      Draw(a, static_cast<int>(k), static_cast<int>(k) + 1);
    }
    a.Save();
    fs::copy(dir.Path() / "a", dir.Path() / "b");
    TIconSet b = TIconSet::Open(dir / "b/icons.glyphset", {});
    const int column = b.ColumnOf("24-dark");
    const std::shared_ptr<TBitmapImage> changed = b.CellImage(1, column);
    // Drawn on as the editor draws: a key-colour picture from then on.
    changed->AlphaPixels.clear();
    changed->OpaqueAlpha = false;
    for (int x = 3; x < 6; ++x)
      raster::WriteValue(changed->Surface(), x, 2, raster::ColorToValue(changed->Surface(), raster::MakeColorRef(1, 2, 3)));
    b.SetCell(1, column, *changed);
    b.Remove(2);
    b.Move(3, 0);
    b.Add("find", b.IconCount());
    Draw(b, b.IconCount() - 1, 9);
    b.Save();
  }
  TempFolder dir;
};

TEST_F(DiffTest, SetsReportEachIconByNameInTextAndJson) {
  const auto text = RunTool({"diff", dir / "a/icons.glyphset", dir / "b/icons.glyphset"}, dir.Path());
  EXPECT_EQ(text.Status, 1) << text.Err;
  EXPECT_EQ(text.Out,
            "cut: moved from 4\nopen: same\nsave: changed 3 pixels\ncopy: removed\npaste: same\nfind: added\n");

  const auto json = RunTool({"diff", dir / "a/icons.glyphset", dir / "b/icons.glyphset", "--json"}, dir.Path());
  EXPECT_EQ(json.Status, 1) << json.Err;
  const nlohmann::json report = nlohmann::json::parse(json.Out);
  EXPECT_EQ(report["kind"], "set");
  EXPECT_TRUE(report["differs"]);
  std::vector<std::string> seen;
  for (const auto& icon : report["icons"]) seen.push_back(icon["icon"].get<std::string>() + " " + icon["status"].get<std::string>());
  EXPECT_EQ(seen, (std::vector<std::string>{"cut moved", "open same", "save changed", "copy removed", "paste same",
                                            "find added"}));
  EXPECT_EQ(report["icons"][0]["from"], 4);
  EXPECT_EQ(report["icons"][2]["pixels"], 3);
  EXPECT_EQ(report["icons"][2]["columns"], nlohmann::json::array({"24-dark"}));

  const auto same = RunTool({"diff", dir / "b/icons.glyphset", dir / "b/icons.glyphset"}, dir.Path());
  EXPECT_EQ(same.Status, 0) << same.Err;
}

// The strips hold no names: glyphs are known by place, a moved one by its pixels. In the 24
// strip "save" changed in place too; the picture has a row for every glyph that differs.
TEST_F(DiffTest, StripsReportGlyphsByPlaceAndFindMovedOnesByPixels) {
  const std::string a = dir / "a/icons.glyphset:24-dark", b = dir / "b/icons.glyphset:24-dark";
  const auto text = RunTool({"diff", a, b, "--picture", dir / "changes.png"}, dir.Path());
  EXPECT_EQ(text.Status, 1) << text.Err;
  EXPECT_EQ(text.Out, "0: moved from 4\n1: moved from 0\n2: changed 3 pixels\n2: removed\n3: same\n4: added\n");
  const std::shared_ptr<TBitmapImage> picture = LoadImageFile(dir / "changes.png", {});
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->AbsHeight(), 5 * (72 + 4) + 4);  // 24-pixel glyphs magnified 3 times

  const auto json = RunTool({"diff", a, b, "--json"}, dir.Path());
  const nlohmann::json report = nlohmann::json::parse(json.Out);
  EXPECT_EQ(report["kind"], "strip");
  EXPECT_EQ(report["icons"][2]["from"], 1);
  EXPECT_EQ(report["icons"][3]["status"], "removed");
  EXPECT_EQ(report["icons"][3]["from"], 2);

  // A strip that is new to git is compared with /dev/null: every glyph added.
  const auto added = RunTool({"diff", "/dev/null", b}, dir.Path());
  EXPECT_EQ(added.Status, 1) << added.Err;
  EXPECT_EQ(added.Out, "0: added\n1: added\n2: added\n3: added\n4: added\n");
}

// Alpha is part of what a pixel shows: the same colour a little more transparent has changed,
// and a transparent pixel is transparent whatever colour it keeps.
TEST(DiffAlphaTest, AlphaAloneChangesAPixel) {
  TempFolder dir;
  const auto write = [&](const std::string& name, int faintAlpha, std::uint32_t clear) {
    TBitmapImage d;
    d.Width = d.Height = 16;
    const std::shared_ptr<TBitmapImage> image = NewStore(d);
    image->AlphaPixels.assign(16 * 16, clear);
    image->AlphaPixels[5 * 16 + 5] = MakeAlphaPixel(10, 20, 30, 255);
    image->AlphaPixels[6 * 16 + 6] = MakeAlphaPixel(10, 20, 30, faintAlpha);
    SaveImageFile(*image, dir / name, {});
  };
  // Both faint pixels below half: the key-colour world sees neither, a diff sees both.
  write("a.png", 60, MakeAlphaPixel(0, 0, 0, 0));
  write("b.png", 100, MakeAlphaPixel(0xFF, 0xFF, 0xFF, 0));
  write("c.png", 60, MakeAlphaPixel(0xFF, 0xFF, 0xFF, 0));
  const auto changed = RunTool({"diff", dir / "a.png", dir / "b.png"}, dir.Path());
  EXPECT_EQ(changed.Status, 1) << changed.Err;
  EXPECT_EQ(changed.Out, "0: changed 1 pixel\n");
  const auto same = RunTool({"diff", dir / "a.png", dir / "c.png"}, dir.Path());
  EXPECT_EQ(same.Status, 0) << same.Err;
  EXPECT_EQ(same.Out, "0: same\n");
}

}  // namespace
}  // namespace gliffo
