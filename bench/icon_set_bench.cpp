// Opening an icon set of 200 icons at 16, 24 and 32 pixels in two themes (six PNG strips)
// against two floors measured in the same run: reading every byte of its files, and decoding
// the six strips without the set (what any program that shows them must do). The ratio to the
// decode floor is what the set itself costs: parsing the set file, judging the paths and
// cutting the strips into cells.
// The recovery copy of the same set: what the keeper does on the window's thread (a look at
// Modified every half second, a snapshot after a change) and what its helper thread does (the
// whole set written into a new folder), against encoding the six strips alone as it does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/icon_set_data.h"
#include "bench/ratio_reporter.h"
#include "formats/image_formats.h"
#include "glyphs/icon_set.h"
#include "platform/files/file_io.h"
#include "platform/raster/pixels.h"

namespace {

using namespace gliffo;
using namespace gliffo::bench;

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

void BM_SetModified(benchmark::State& state) {
  const TIconSet set = TIconSet::Open(TheSet().SetFile, {});
  for (auto _ : state) benchmark::DoNotOptimize(set.Modified());
}

void BM_SnapshotSet(benchmark::State& state) {
  const TIconSet set = TIconSet::Open(TheSet().SetFile, {});
  for (auto _ : state) benchmark::DoNotOptimize(set.Snapshot());
}

void BM_EncodeStrips(benchmark::State& state) {
  const TIconSet set = TIconSet::Open(TheSet().SetFile, {});
  for (auto _ : state)
    for (int c = 0; c < set.ColumnCount(); ++c)
      benchmark::DoNotOptimize(EncodeImage(*set.StripImage(c), "strip.bmp", OpaqueEncodeOptions()));
}

void BM_WriteSetCopy(benchmark::State& state) {
  const TIconSet set = TIconSet::Open(TheSet().SetFile, {});
  const fs::path folder = fs::path(TheSet().Folder) / "copy";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(folder);
    fs::create_directory(folder);
    state.ResumeTiming();
    benchmark::DoNotOptimize(set.Snapshot()->WriteCopy(folder.string()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("ReadFiles/200x3x2", BM_ReadFiles)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("DecodeStrips/200x3x2", BM_DecodeStrips)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("OpenSet/200x3x2", BM_OpenSet)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("SetModified/200x3x2", BM_SetModified)->Unit(benchmark::kMicrosecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("SnapshotSet/200x3x2", BM_SnapshotSet)->Unit(benchmark::kMicrosecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("EncodeStrips/200x3x2", BM_EncodeStrips)->Unit(benchmark::kMicrosecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("WriteSetCopy/200x3x2", BM_WriteSetCopy)->Unit(benchmark::kMicrosecond)->Repetitions(Repetitions);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheSet();
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // Each pair in one unit: the set's loads in ms, its recovery copy in us.
  const auto ratio = [&](const std::string& what, const std::string& floor, const char* unit = "ms") {
    const auto a = reporter.Times.find(what + Repeats), b = reporter.Times.find(floor + Repeats);
    if (a == reporter.Times.end() || b == reporter.Times.end() || b->second <= 0) return;
    std::printf("%-22s %9.3f %s  %6.3fx  %s\n", what.c_str(), a->second, unit, a->second / b->second, floor.c_str());
  };
  std::printf("\nRatios (median time / floor, same run):\n");
  ratio("OpenSet/200x3x2", "ReadFiles/200x3x2");
  ratio("OpenSet/200x3x2", "DecodeStrips/200x3x2");
  ratio("WriteSetCopy/200x3x2", "EncodeStrips/200x3x2", "us");
  ratio("SnapshotSet/200x3x2", "EncodeStrips/200x3x2", "us");
  ratio("SetModified/200x3x2", "EncodeStrips/200x3x2", "us");
  fs::remove_all(TheSet().Folder);
  benchmark::Shutdown();
  return 0;
}
