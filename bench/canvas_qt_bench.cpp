// The canvas work of one editor mouse step on the 256 × 256 surface, and a flood fill of the
// whole surface, each against QPainter doing the nearest equivalent on a 256 × 256 QImage in
// the same run. Prints the ratio of our time to Qt's for each pair at the end, on processor time,
// which a busy machine disturbs less than wall-clock time.
//
// One mouse step of the shape tools erases the rubber band and draws the next one (a not-xor
// rectangle, twice); one step of the freehand tool draws a segment; after every step the surface
// is reduced to the glyph (16 × 16 here). QPainter has no flood fill: its reference is a fill of
// the whole image, which is the least a flood fill of the whole surface has to do.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <map>
#include <string>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"

namespace {

using namespace gliffo;

constexpr int Size = 256;
constexpr int PenWidth = 48;

void PrepareSurface(TBitmap& b) {
  b.SetWidth(Size);
  b.SetHeight(Size);
  b.Canvas().Brush().SetColor(clWhite);
  b.Canvas().FillRect(Rect(0, 0, Size, Size));
}

// The rectangle follows the mouse a little further each step.
void OurRubberBand(TCanvas& c, int step) {
  const int x2 = 180 + step % 40, y2 = 200 - step % 30;
  c.Pen().SetMode(TPenMode::pmNotXor);
  c.Pen().SetWidth(PenWidth);
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(clSilver);
  c.Rectangle(40, 30, x2, y2);
  c.Rectangle(40, 30, x2, y2);
}

void OurFreehand(TCanvas& c, int step) {
  c.Pen().SetMode(TPenMode::pmCopy);
  c.Pen().SetWidth(PenWidth);
  c.Pen().SetColor(step % 2 ? clRed : clNavy);
  const int x = 60 + step % 120;
  c.MoveTo(x, 100);
  c.LineTo(x + 6, 104);
}

void OurReduce(TBitmap& glyph, const TBitmap& surface) { glyph.Canvas().StretchDraw(Rect(0, 0, 16, 16), &surface); }

void QtRubberBand(QPainter& p, int step) {
  const int x2 = 180 + step % 40, y2 = 200 - step % 30;
  p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  p.setPen(QPen(QBrush(Qt::black), PenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(0xC0, 0xC0, 0xC0));
  p.drawRect(QRect(QPoint(40, 30), QPoint(x2 - 1, y2 - 1)));
  p.drawRect(QRect(QPoint(40, 30), QPoint(x2 - 1, y2 - 1)));
}

void QtFreehand(QPainter& p, int step) {
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setPen(QPen(QBrush(step % 2 ? Qt::red : Qt::darkBlue), PenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  const int x = 60 + step % 120;
  p.drawLine(x, 100, x + 6, 104);
}

void QtReduce(QImage& glyph, const QImage& surface) {
  QPainter p(&glyph);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRect(0, 0, 16, 16), surface);
}

QImage QtSurface() {
  QImage image(Size, Size, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

void BM_OurRubberBand(benchmark::State& state) {
  TBitmap surface;
  PrepareSurface(surface);
  int step = 0;
  for (auto _ : state) OurRubberBand(surface.Canvas(), step++);
  benchmark::DoNotOptimize(surface.Image().Bits.data());
}

void BM_QtRubberBand(benchmark::State& state) {
  QImage surface = QtSurface();
  QPainter p(&surface);
  int step = 0;
  for (auto _ : state) QtRubberBand(p, step++);
  benchmark::DoNotOptimize(surface.constBits());
}

void BM_OurFreehand(benchmark::State& state) {
  TBitmap surface;
  PrepareSurface(surface);
  int step = 0;
  for (auto _ : state) OurFreehand(surface.Canvas(), step++);
  benchmark::DoNotOptimize(surface.Image().Bits.data());
}

void BM_QtFreehand(benchmark::State& state) {
  QImage surface = QtSurface();
  QPainter p(&surface);
  int step = 0;
  for (auto _ : state) QtFreehand(p, step++);
  benchmark::DoNotOptimize(surface.constBits());
}

void BM_OurReduce(benchmark::State& state) {
  TBitmap surface;
  PrepareSurface(surface);
  OurFreehand(surface.Canvas(), 1);
  TBitmap glyph;
  glyph.SetWidth(16);
  glyph.SetHeight(16);
  for (auto _ : state) OurReduce(glyph, surface);
  benchmark::DoNotOptimize(glyph.Image().Bits.data());
}

void BM_QtReduce(benchmark::State& state) {
  QImage surface = QtSurface();
  QImage glyph(16, 16, QImage::Format_RGB32);
  for (auto _ : state) QtReduce(glyph, surface);
  benchmark::DoNotOptimize(glyph.constBits());
}

// The whole step: a shape tool's rubber band, the freehand tool's segment and the reduction.
void BM_OurEditorStep(benchmark::State& state) {
  TBitmap surface;
  PrepareSurface(surface);
  TBitmap glyph;
  glyph.SetWidth(16);
  glyph.SetHeight(16);
  int step = 0;
  for (auto _ : state) {
    OurRubberBand(surface.Canvas(), step);
    OurFreehand(surface.Canvas(), step++);
    OurReduce(glyph, surface);
  }
  benchmark::DoNotOptimize(glyph.Image().Bits.data());
}

void BM_QtEditorStep(benchmark::State& state) {
  QImage surface = QtSurface();
  QImage glyph(16, 16, QImage::Format_RGB32);
  int step = 0;
  for (auto _ : state) {
    {
      QPainter p(&surface);
      QtRubberBand(p, step);
      QtFreehand(p, step++);
    }
    QtReduce(glyph, surface);
  }
  benchmark::DoNotOptimize(glyph.constBits());
}

void BM_OurFloodFill(benchmark::State& state) {
  TBitmap surface;
  PrepareSurface(surface);
  TCanvas& c = surface.Canvas();
  int step = 0;
  for (auto _ : state) {
    c.Brush().SetColor(step++ % 2 ? clWhite : clRed);
    c.FloodFill(128, 128, c.Pixel(128, 128), TFillStyle::fsSurface);
  }
  benchmark::DoNotOptimize(surface.Image().Bits.data());
}

void BM_QtFillWhole(benchmark::State& state) {
  QImage surface = QtSurface();
  QPainter p(&surface);
  int step = 0;
  for (auto _ : state) p.fillRect(QRect(0, 0, Size, Size), step++ % 2 ? Qt::white : Qt::red);
  benchmark::DoNotOptimize(surface.constBits());
}

BENCHMARK(BM_OurRubberBand)->Name("ours/rubber_band")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtRubberBand)->Name("qt/rubber_band")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OurFreehand)->Name("ours/freehand")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtFreehand)->Name("qt/freehand")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OurReduce)->Name("ours/reduce_to_16")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtReduce)->Name("qt/reduce_to_16")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OurEditorStep)->Name("ours/editor_step")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtEditorStep)->Name("qt/editor_step")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OurFloodFill)->Name("ours/flood_fill")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtFillWhole)->Name("qt/flood_fill")->Unit(benchmark::kMicrosecond);

// Keeps each run's time so the pairs can be compared at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\n%-14s %12s %12s %8s\n", "work", "ours (us cpu)", "qt (us cpu)", "ratio");
    for (const auto& [name, ours] : times_) {
      if (name.rfind("ours/", 0) != 0) continue;
      const std::string work = name.substr(5);
      const auto qt = times_.find("qt/" + work);
      if (qt == times_.end()) continue;
      std::printf("%-14s %12.2f %12.2f %8.2f\n", work.c_str(), ours, qt->second, ours / qt->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
