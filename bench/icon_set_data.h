#pragma once
// The icon set the set benchmarks open: 200 icons at 16, 24 and 32 pixels in two themes, six
// PNG strips and the set file, made once in a scratch folder.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/image_formats.h"
#include "platform/raster/pixels.h"

namespace gliffo::bench {

namespace fs = std::filesystem;

inline constexpr int Icons = 200;
// Each benchmark is run this many times and its median taken, as the reporter names it.
inline constexpr int Repetitions = 5;
inline const std::string Repeats = "/repeats:" + std::to_string(Repetitions);
inline const int Sizes[] = {16, 24, 32};
inline const char* Themes[] = {"light", "dark"};

struct TSetFiles {
  fs::path Folder;
  std::string SetFile;
  std::vector<std::string> Files;  // the strips, then the set file
};

// Each glyph a few strokes of its own colours on the key, as drawn glyphs are.
inline void WriteStrip(const std::string& file, int size, int seed) {
  TBitmapImage d;
  d.Width = size * Icons;
  d.Height = size;
  const auto image = NewStore(d);
  const raster::Surface s = image->Surface();
  const raster::ColorRef key = raster::MakeColorRef(255, 0, 255);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < d.Width; ++x) {
      const int g = x / size, gx = x % size;
      const bool ink = gx > 1 && gx < size - 2 && y > 1 && y < size - 2 && ((gx + y + g) % 5 == 0 || gx == y);
      raster::WriteValue(s, x, y, raster::ColorToValue(s, ink ? raster::MakeColorRef(g, (gx * 9 + seed) & 255, y * 7) : key));
    }
  TEncodeOptions glyphs;
  glyphs.GlyphSize = size;
  SaveImageFile(*image, file, glyphs);
}

inline const TSetFiles& TheSet() {
  static TSetFiles set = [] {
    TSetFiles f;
    f.Folder = fs::temp_directory_path() / "gliffo-icon-set-bench";
    fs::remove_all(f.Folder);
    fs::create_directories(f.Folder / "dark");
    std::string text = "# A toolbar set of 200 icons\nname = \"bench\"\nsizes = [16, 24, 32]\nthemes = [\"light\", \"dark\"]\nicons = [\n";
    for (int i = 0; i < Icons; ++i) text += "  \"icon-" + std::to_string(i) + "\",\n";
    text += "]\n\n[strips]\n";
    for (int t = 0; t < 2; ++t)
      for (const int size : Sizes) {
        const std::string key = std::to_string(size) + (t == 0 ? "" : std::string("-") + Themes[t]);
        const std::string path = (t == 0 ? "" : "dark/") + std::string("strip") + std::to_string(size) + ".png";
        WriteStrip((f.Folder / path).string(), size, t * 100 + size);
        f.Files.push_back((f.Folder / path).string());
        text += "\"" + key + "\" = \"" + path + "\"\n";
      }
    f.SetFile = (f.Folder / "bench.glyphset").string();
    std::ofstream(f.SetFile) << text;
    f.Files.push_back(f.SetFile);
    return f;
  }();
  return set;
}

}  // namespace gliffo::bench
