#include "glyphs/set_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

#include "glyphs/icon_set.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

// An alpha picture of size x size: pixel(x, y) gives 0xAARRGGBB.
std::shared_ptr<TBitmapImage> Picture(int size, const std::function<std::uint32_t(int, int)>& pixel) {
  TBitmapImage d;
  d.DeviceDependent = false;
  d.BitCount = 24;
  d.Width = size;
  d.Height = -size;
  std::shared_ptr<TBitmapImage> image = NewStore(d);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) image->AlphaPixels.push_back(pixel(x, y));
  return image;
}

// Dark ink, centred, hard-edged: a glyph with nothing to report on a light toolbar.
std::uint32_t Plain(int size, int x, int y, int seed) {
  const int m = size / 4;
  const bool in = x >= m && x < size - m && y >= m && y < size - m && ((x + y + seed) % 3 != 0 || x == m || y == m);
  return in ? MakeAlphaPixel(0x30, 0x30, 0x30 + seed, 255) : 0;
}

std::set<std::pair<std::string, std::string>> Found(const TIconSet& set) {
  std::set<std::pair<std::string, std::string>> found;
  for (const TSetProblem& p : CheckIconSet(set)) found.emplace(p.Name, std::string(ProblemKindName(p.Kind)));
  return found;
}

// What the heuristics must tell apart: a soft edge from a stray soft pixel, a glyph drawn to one
// side at every size from an off-centre one, and two icons drawn alike.
TEST(SetCheckTest, TellsSlipsFromDrawingChoices) {
  testing::TempFolder folder;
  TIconSet set = TIconSet::New(folder / "icons.glyphset", {16, 32}, {}, {});
  const char* names[] = {"smooth", "left", "twin", "twin-2", "keyed"};
  for (int k = 0; k < 5; ++k) set.Add(names[k], k);
  for (int c = 0; c < 2; ++c) {
    const int size = set.Column(c).Size;
    // A disc with an anti-aliased rim: soft pixels all round, none of them a slip.
    set.SetCell(0, c, *Picture(size, [&](int x, int y) {
      const double dx = x + 0.5 - size / 2.0, dy = y + 0.5 - size / 2.0, r = size / 3.0, d = std::sqrt(dx * dx + dy * dy);
      const int a = d <= r - 1 ? 255 : d >= r ? 0 : static_cast<int>((r - d) * 255);
      return a ? MakeAlphaPixel(0x20, 0x20, 0x20, a) : 0u;
    }));
    // Drawn in the left half at every size: a choice, not a slip.
    set.SetCell(1, c, *Picture(size, [&](int x, int y) { return x < size / 2 && y > 1 && y < size - 2 ? MakeAlphaPixel(0x40, 0, 0, 255) : 0u; }));
    set.SetCell(2, c, *Picture(size, [&](int x, int y) { return Plain(size, x, y, 1); }));
    set.SetCell(3, c, *Picture(size, [&](int x, int y) { return Plain(size, x, y, 1); }));
    // The key colour left opaque inside an alpha glyph, at one size.
    set.SetCell(4, c, *Picture(size, [&](int x, int y) {
      return c == 1 && x == size / 2 && y == size / 2 ? MakeAlphaPixel(0xFF, 0, 0xFF, 255) : Plain(size, x, y, 2);
    }));
  }
  EXPECT_EQ(Found(set), (std::set<std::pair<std::string, std::string>>{{"twin-2", "same-pictures"}, {"keyed", "key-colour"}}));
}

}  // namespace
}  // namespace gliffo
