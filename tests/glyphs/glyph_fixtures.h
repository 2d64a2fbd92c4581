#pragma once
// Shared pieces of the glyph-list and collection-file tests: images with known pixels, a
// temporary folder, an editor stand-in and listeners that count what they hear.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <typeinfo>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/colors.h"
#include "glyphs/glyph_list.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"
#include "tests/temp_folder.h"

namespace gliffo::testing {

namespace fs = std::filesystem;

// The colour of pixel (x, y) of a test image; seed tells images apart.
inline raster::ColorRef PaletteColor(int x, int y, int seed) {
  const raster::Rgb e = SystemPalette16()[static_cast<std::size_t>((x / 2 + y * 3 + seed) % 16)];
  return raster::ToColorRef(e);
}
inline raster::ColorRef TrueColor(int x, int y, int seed) {
  return raster::MakeColorRef((x * 7 + seed * 31) & 0xFF, (y * 11 + seed * 5) & 0xFF, (x * y + seed) & 0xFF);
}

// An image of the format and size, each pixel set to colorOf(x, y).
inline void Paint(TBitmap& image, TPixelFormat format, int width, int height,
                  const std::function<raster::ColorRef(int, int)>& colorOf) {
  image.SetPixelFormat(format);
  image.SetWidth(width);
  image.SetHeight(height);
  const raster::Surface s = image.WritableSurface();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) raster::WriteValue(s, x, y, raster::ColorToValue(s, colorOf(x, y)));
}

inline raster::ColorRef PixelOf(const TBitmap& image, int x, int y) {
  return raster::GetPixel(image.Image().Surface(), x, y);
}

// Cell pixels as colours (0x00BBGGRR), like the image's.
inline raster::ColorRef CellPixel(const TImageList& list, int index, int x, int y) {
  return raster::GetPixel(list.Cell(index), x, y);
}

inline std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The class and message of the error a step raises, to compare two ways of doing one thing.
inline std::string FailureOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const Exception& e) {
    return std::string(typeid(e).name()) + ": " + e.Message();
  }
  return "no error";
}

// Stands in for the editor window: records what the glyph list does to it.
class TEditorStandIn : public IGlyphEditorLink {
 public:
  TEditorStandIn() { Resize(16); }
  void SetGlyphImageSize(int size) override {
    ImageSize = size;
    Resize(size);
  }
  void SetSurfacePenWidth(int width) override { PenWidth = width; }
  const TBitmap& GlyphBitmap() override { return Glyph; }
  // Only the collection window's commands ask these; the glyph list never does.
  void EditGlyph(const TImageList&, int) override {}
  void ShowEditor() override {}
  void Fill(int seed) {
    const int size = Glyph.Width();
    Paint(Glyph, TPixelFormat::pfDevice, size, size, [seed](int x, int y) { return TrueColor(x, y, seed); });
  }

  int ImageSize = 0;
  int PenWidth = 0;
  TBitmap Glyph;

 private:
  void Resize(int size) {
    Glyph.SetWidth(size);
    Glyph.SetHeight(size);
  }
};

class TItemsCounter : public IListItemsListener {
 public:
  void ItemsChanged() override { ++Changed; }
  void ItemsRedraw(int first, int last) override { Redraws.push_back({first, last}); }
  void ItemSelectionChanged(int) override { ++SelectionChanges; }
  int Changed = 0;
  int SelectionChanges = 0;
  std::vector<std::pair<int, int>> Redraws;
};

class TImageListRecorder : public IImageListListener {
 public:
  void ImageListChanged(const TImageListChange& change) override { Changes.push_back(change); }
  std::vector<TImageListChange> Changes;
};

// The menu as three "checked/enabled" pairs, for compact expectations: e.g. "C+ -- --".
inline std::string MenuText(const TModeMenu& menu) {
  auto one = [](const TMenuItemState& s) { return std::string(s.Checked ? "C" : "-") + (s.Enabled ? "+" : "-"); };
  return one(menu.bmp16()) + " " + one(menu.bmp24()) + " " + one(menu.bmp32());
}

}  // namespace gliffo::testing
