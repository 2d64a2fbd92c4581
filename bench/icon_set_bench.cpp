// Opening an icon set of 200 icons at 16, 24 and 32 pixels in two themes (six PNG strips)
// against two floors measured in the same run: reading every byte of its files, and decoding
// the six strips without the set (what any program that shows them must do). The ratio to the
// decode floor is what the set itself costs: parsing the set file, judging the paths and
// cutting the strips into cells.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "formats/image_formats.h"
#include "glyphs/icon_set.h"
#include "platform/files/file_io.h"
#include "platform/raster/pixels.h"

namespace {

using namespace gliffo;
namespace fs = std::filesystem;

constexpr int Icons = 200;
// Each benchmark is run this many times and its median taken, as the reporter names it.
constexpr int Repetitions = 5;
const std::string Repeats = "/repeats:" + std::to_string(Repetitions);
const int Sizes[] = {16, 24, 32};
const char* Themes[] = {"light", "dark"};

struct TSetFiles {
  fs::path Folder;
  std::string SetFile;
  std::vector<std::string> Files;  // the strips, then the set file
};

// Each glyph a few strokes of its own colours on the key, as drawn glyphs are.
void WriteStrip(const std::string& file, int size, int seed) {
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

const TSetFiles& TheSet() {
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

void BM_ReadFiles(benchmark::State& state) {
  for (auto _ : state)
    for (const std::string& file : TheSet().Files) benchmark::DoNotOptimize(files::ReadWholeFile(file));
}

void BM_DecodeStrips(benchmark::State& state) {
  const TSetFiles& set = TheSet();
  for (auto _ : state)
    for (std::size_t i = 0; i + 1 < set.Files.size(); ++i) benchmark::DoNotOptimize(LoadImageFile(set.Files[i], {}));
}

void BM_OpenSet(benchmark::State& state) {
  for (auto _ : state) {
    TIconSet set = TIconSet::Open(TheSet().SetFile, {});
    benchmark::DoNotOptimize(set.IconCount());
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("ReadFiles/200x3x2", BM_ReadFiles)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("DecodeStrips/200x3x2", BM_DecodeStrips)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("OpenSet/200x3x2", BM_OpenSet)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheSet();
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto ratio = [&](const std::string& what, const std::string& floor) {
    const auto a = reporter.Times.find(what + Repeats), b = reporter.Times.find(floor + Repeats);
    if (a == reporter.Times.end() || b == reporter.Times.end() || b->second <= 0) return;
    std::printf("%-22s %7.3f ms  %6.2fx  %s\n", what.c_str(), a->second, a->second / b->second, floor.c_str());
  };
  std::printf("\nRatios (median time / floor, same run):\n");
  ratio("OpenSet/200x3x2", "ReadFiles/200x3x2");
  ratio("OpenSet/200x3x2", "DecodeStrips/200x3x2");
  fs::remove_all(TheSet().Folder);
  benchmark::Shutdown();
  return 0;
}
