// Loading and saving BMP files against the floor of merely reading or writing the same bytes,
// measured in the same run so a busy machine still gives a fair ratio.
//
//   bmp_bench [benchmark options]       files go to $GLIFFO_BENCH_DIR or a folder under /tmp
//
// Loads: 4096 × 4096 files of 24, 8 and 4 bits per pixel and RLE8 and RLE4, read and decoded into
// the store (TBitmap::LoadFromFile), next to a plain read of the whole file into memory.
// Save: a 4-bit strip of 1,000 glyphs of 16 × 16 encoded and saved (TBitmap::SaveToFile: temporary
// file, fsync, rename), next to a plain write of the same bytes with and without fsync.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "glyphs/bitmap.h"
#include "formats/bmp_file.h"
#include "glyphs/canvas.h"
#include "glyphs/colors.h"
#include "platform/files/file_io.h"

namespace {

using namespace gliffo;
namespace fs = std::filesystem;

constexpr int Side = 4096;
constexpr int GlyphCount = 1000;
constexpr int GlyphSide = 16;

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Indexes that look like toolbar art: runs of 1 to 12 equal pixels, mostly short.
std::vector<std::uint8_t> ArtIndexes(int colours, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(Side) * Side);
  std::size_t at = 0;
  while (at < pixels.size()) {
    const std::size_t run = 1 + random() % 12;
    const auto value = static_cast<std::uint8_t>(random() % static_cast<std::uint32_t>(colours));
    for (std::size_t i = 0; i < run && at < pixels.size(); ++i) pixels[at++] = value;
  }
  return pixels;
}

std::vector<std::uint8_t> FileBytes(int bits, std::uint32_t compression, const std::vector<std::uint8_t>& data) {
  const int entries = bits <= 8 ? 1 << bits : 0;
  const std::size_t offBits = 14 + 40 + 4 * static_cast<std::size_t>(entries);
  std::vector<std::uint8_t> f(offBits, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 2, static_cast<std::uint32_t>(offBits + data.size()));
  Put32(f, 10, static_cast<std::uint32_t>(offBits));
  Put32(f, 14, 40);
  Put32(f, 18, Side);
  Put32(f, 22, Side);
  Put16(f, 26, 1);
  Put16(f, 28, static_cast<std::uint32_t>(bits));
  Put32(f, 30, compression);
  Put32(f, 34, static_cast<std::uint32_t>(data.size()));
  Put32(f, 46, static_cast<std::uint32_t>(entries));
  for (int i = 0; i < entries; ++i) {
    const std::size_t e = 54 + 4 * static_cast<std::size_t>(i);
    f[e] = static_cast<std::uint8_t>(i * 7);
    f[e + 1] = static_cast<std::uint8_t>(i * 13);
    f[e + 2] = static_cast<std::uint8_t>(i * 29);
  }
  // resize and copy rather than insert: GCC 12 at -O3 warns falsely about the insert.
  f.resize(offBits + data.size());
  if (!data.empty()) std::memcpy(f.data() + offBits, data.data(), data.size());
  return f;
}

// Run-length encoding as a careful writer does it: runs of two or more equal pixels as encoded
// runs, the rest as absolute runs (three or more pixels) padded to a 16-bit boundary.
std::vector<std::uint8_t> RleEncode(const std::vector<std::uint8_t>& indexes, bool fourBit) {
  std::vector<std::uint8_t> out;
  for (int row = Side - 1; row >= 0; --row) {  // bottom row first
    const std::uint8_t* p = indexes.data() + static_cast<std::size_t>(row) * Side;
    int x = 0;
    while (x < Side) {
      int run = 1;
      const int limit = fourBit ? 254 : 255;
      while (x + run < Side && run < limit && p[x + run] == p[x]) ++run;
      if (run >= 2) {
        out.push_back(static_cast<std::uint8_t>(run));
        out.push_back(fourBit ? static_cast<std::uint8_t>((p[x] << 4) | p[x]) : p[x]);
        x += run;
        continue;
      }
      // Gather singles until the next pair.
      int end = x + 1;
      while (end < Side && end - x < limit && !(end + 1 < Side && p[end] == p[end + 1])) ++end;
      const int count = end - x;
      if (count < 3) {
        for (int i = 0; i < count; ++i) {
          out.push_back(1);
          out.push_back(fourBit ? static_cast<std::uint8_t>(p[x + i] << 4) : p[x + i]);
        }
      } else {
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(count));
        std::size_t bytes = 0;
        for (int i = 0; i < count; ++i) {
          if (!fourBit) {
            out.push_back(p[x + i]);
            ++bytes;
          } else if (i % 2 == 0) {
            out.push_back(static_cast<std::uint8_t>(p[x + i] << 4));
            ++bytes;
          } else {
            out.back() = static_cast<std::uint8_t>(out.back() | p[x + i]);
          }
        }
        if (bytes % 2) out.push_back(0);
      }
      x = end;
    }
    out.push_back(0);
    out.push_back(row == 0 ? 1 : 0);
  }
  return out;
}

std::vector<std::uint8_t> Packed(const std::vector<std::uint8_t>& indexes, int bits) {
  const std::size_t stride = static_cast<std::size_t>(((Side * bits + 31) / 32) * 4);
  std::vector<std::uint8_t> out(stride * Side, 0);
  for (int row = 0; row < Side; ++row) {
    const std::uint8_t* p = indexes.data() + static_cast<std::size_t>(Side - 1 - row) * Side;
    std::uint8_t* o = out.data() + static_cast<std::size_t>(row) * stride;
    for (int x = 0; x < Side; ++x) {
      if (bits == 8) o[x] = p[x];
      else if (bits == 4) o[x / 2] = static_cast<std::uint8_t>(o[x / 2] | (x % 2 ? p[x] : p[x] << 4));
      else {
        o[3 * x] = static_cast<std::uint8_t>(p[x] * 7);
        o[3 * x + 1] = static_cast<std::uint8_t>(p[x] * 13);
        o[3 * x + 2] = static_cast<std::uint8_t>(p[x] * 29);
      }
    }
  }
  return out;
}

struct Files {
  fs::path Dir;
  std::map<std::string, std::string> Paths;
  ~Files() {
    std::error_code ignored;
    fs::remove_all(Dir, ignored);
  }
};

Files& TheFiles() {
  static Files files = [] {
    Files f;
    const char* base = std::getenv("GLIFFO_BENCH_DIR");
    std::string pattern = std::string(base ? base : "/tmp") + "/gliffo-bmp-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    f.Dir = pattern;
    const std::vector<std::uint8_t> art256 = ArtIndexes(256, 1), art16 = ArtIndexes(16, 2);
    const std::map<std::string, std::vector<std::uint8_t>> contents = {
        {"24bit", FileBytes(24, BI_RGB, Packed(art256, 24))},
        {"8bit", FileBytes(8, BI_RGB, Packed(art256, 8))},
        {"4bit", FileBytes(4, BI_RGB, Packed(art16, 4))},
        {"rle8", FileBytes(8, BI_RLE8, RleEncode(art256, false))},
        {"rle4", FileBytes(4, BI_RLE4, RleEncode(art16, true))},
    };
    for (const auto& [name, bytes] : contents) {
      f.Paths[name] = (f.Dir / (name + ".bmp")).string();
      files::WriteWholeFile(f.Paths[name], bytes);
      // The loader must agree with the bytes it was given, or the figures mean nothing.
      TBitmap check;
      check.LoadFromFile(f.Paths[name]);
      if (check.Width() != Side || check.Height() != Side) std::abort();
    }
    return f;
  }();
  return files;
}

std::vector<std::uint8_t> PlainRead(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) std::abort();
  struct stat info {};
  ::fstat(fd, &info);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (got <= 0) std::abort();
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  return bytes;
}

void BM_Read(benchmark::State& state, const std::string& kind) {
  const std::string& path = TheFiles().Paths.at(kind);
  std::size_t size = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes = PlainRead(path);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}

// Context for the run-length figures: a 4096 × 4096 device store is 64 MiB that must be
// allocated and zeroed before a single pixel is decoded into it.
void BM_ZeroStore(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::uint8_t> store(static_cast<std::size_t>(Side) * Side * 4);
    benchmark::DoNotOptimize(store.data());
  }
}

// Decoding alone, from bytes already in memory: what the load costs beyond reading.
void BM_Decode(benchmark::State& state, const std::string& kind) {
  const std::vector<std::uint8_t> bytes = PlainRead(TheFiles().Paths.at(kind));
  for (auto _ : state) {
    const auto image = bmp::Decode(bytes);
    benchmark::DoNotOptimize(image->Bits.data());
  }
}

void BM_Load(benchmark::State& state, const std::string& kind) {
  const std::string& path = TheFiles().Paths.at(kind);
  for (auto _ : state) {
    TBitmap image;
    image.LoadFromFile(path);
    benchmark::DoNotOptimize(image.Image().Bits.data());
  }
}

std::unique_ptr<TBitmap> MakeStrip() {
  auto strip = std::make_unique<TBitmap>();
  strip->SetPixelFormat(TPixelFormat::pf4bit);
  strip->SetWidth(GlyphCount * GlyphSide);
  strip->SetHeight(GlyphSide);
  TCanvas& c = strip->Canvas();
  for (int g = 0; g < GlyphCount; ++g) {
    const int x = g * GlyphSide;
    c.Brush().SetColor(static_cast<TColor>(raster::ToColorRef(SystemPalette16()[static_cast<std::size_t>(g % 16)])));
    c.FillRect(Rect(x + 2, 2, x + 14, 14));
    c.Brush().SetColor(clBlack);
    c.FillRect(Rect(x + 5, 5, x + 11, 11));
  }
  return strip;
}

void PlainWrite(const std::string& path, const std::vector<std::uint8_t>& bytes, bool sync) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) std::abort();
  if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
  if (sync) ::fsync(fd);
  ::close(fd);
}

void BM_SaveStrip(benchmark::State& state) {
  const auto strip = MakeStrip();
  const std::string path = (TheFiles().Dir / "strip.bmp").string();
  for (auto _ : state) strip->SaveToFile(path);
  state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
}

void BM_WriteStrip(benchmark::State& state, bool sync) {
  const std::vector<std::uint8_t> bytes = MakeStrip()->SaveToBytes();
  const std::string path = (TheFiles().Dir / "plain.bmp").string();
  for (auto _ : state) PlainWrite(path, bytes, sync);
}

}  // namespace

int main(int argc, char** argv) {
  for (const char* kind : {"24bit", "8bit", "4bit", "rle8", "rle4"}) {
    benchmark::RegisterBenchmark((std::string("Read/") + kind).c_str(), BM_Read, std::string(kind))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("Load/") + kind).c_str(), BM_Load, std::string(kind))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("Decode/") + kind).c_str(), BM_Decode, std::string(kind))
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("ZeroStore/4096x4096x32", BM_ZeroStore)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Write/strip", BM_WriteStrip, false)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("WriteSync/strip", BM_WriteStrip, true)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Save/strip", BM_SaveStrip)->Unit(benchmark::kMillisecond);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheFiles();
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  auto ratio = [&](const std::string& what, const std::string& floor) {
    const auto a = reporter.Times.find(what), b = reporter.Times.find(floor);
    if (a == reporter.Times.end() || b == reporter.Times.end() || b->second <= 0) return;
    std::printf("%-16s %6.2fx  %s\n", what.c_str(), a->second / b->second, floor.c_str());
  };
  std::printf("\nRatios (time / floor, same run):\n");
  for (const char* kind : {"24bit", "8bit", "4bit", "rle8", "rle4"})
    ratio(std::string("Load/") + kind, std::string("Read/") + kind);
  ratio("Save/strip", "Write/strip");
  ratio("Save/strip", "WriteSync/strip");
  benchmark::Shutdown();
  return 0;
}
