// Editing sessions of 100 strokes, against the same strokes called on the editor model by hand,
// in the same run, so the ratio is the price of the script layer (reading the text, the dialog
// answers, the line guard) on top of the drawing itself:
//   Direct   a fresh editor, the 100 strokes as direct handler calls, the glyph saved;
//   Session  the script's text parsed, a fresh session run, the glyph saved;
//   Parse    the parse alone.
// Each stroke is a press, four moves and a release; tools, pens and colours change as they go.
//
//   edit_session_bench [benchmark options]    files go to $GLIFFO_BENCH_DIR or /tmp
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "editor/glyph_editor.h"
#include "editor/session.h"
#include "glyphs/glyph_list.h"

namespace {

using namespace gliffo;

constexpr int Strokes = 100;
constexpr int MovesPerStroke = 4;

struct Stroke {
  TSymbolItem Tool;
  TPenItem Pen;
  int Foreground, Background;
  int X[MovesPerStroke + 1], Y[MovesPerStroke + 1];
};

std::vector<Stroke> MakeStrokes() {
  const TSymbolItem tools[] = {TSymbolItem::Free1,    TSymbolItem::Line1,           TSymbolItem::Rectangle1,
                               TSymbolItem::Ellipse1, TSymbolItem::RoundRectangle1, TSymbolItem::Block1};
  std::vector<Stroke> strokes;
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % 256);
  };
  for (int i = 0; i < Strokes; ++i) {
    Stroke s{};
    s.Tool = tools[i % 6];
    s.Pen = static_cast<TPenItem>(i / 6 % 3);
    s.Foreground = i % 16;
    s.Background = (i * 5 + 3) % 16;
    for (int k = 0; k <= MovesPerStroke; ++k) {
      s.X[k] = next();
      s.Y[k] = next();
    }
    strokes.push_back(s);
  }
  return strokes;
}

const char* ToolWord(TSymbolItem item) {
  switch (item) {
    case TSymbolItem::Free1: return "freehand";
    case TSymbolItem::Line1: return "line";
    case TSymbolItem::Rectangle1: return "rectangle";
    case TSymbolItem::Ellipse1: return "ellipse";
    case TSymbolItem::RoundRectangle1: return "roundrect";
    default: return "block";
  }
}

std::string Script(const std::vector<Stroke>& strokes) {
  std::ostringstream out;
  out << "# " << strokes.size() << " strokes\n";
  for (const Stroke& s : strokes) {
    out << "tool " << ToolWord(s.Tool) << "\npen " << static_cast<int>(s.Pen) + 1 << "\nfg " << s.Foreground
        << "\nbg " << s.Background << "\ndown " << s.X[0] << " " << s.Y[0] << "\n";
    for (int k = 1; k <= MovesPerStroke; ++k) out << "move " << s.X[k] << " " << s.Y[k] << "\n";
    out << "up " << s.X[MovesPerStroke] << " " << s.Y[MovesPerStroke] << "\n";
  }
  return out.str();
}

std::string OutFile() {
  const char* dir = std::getenv("GLIFFO_BENCH_DIR");
  const std::filesystem::path base = dir ? dir : std::filesystem::temp_directory_path();
  return (base / ("gliffo_edit_bench_" + std::to_string(::getpid()) + ".bmp")).string();
}

const std::vector<Stroke>& TheStrokes() {
  static const std::vector<Stroke> strokes = MakeStrokes();
  return strokes;
}

void BM_Direct(benchmark::State& state) {
  const std::string out = OutFile();
  for (auto _ : state) {
    TGlyphCollection collection;
    TGlyphEditor editor(collection);
    editor.FormCreate();
    collection.SetEditor(&editor);
    collection.SetGlyphSize(16);
    collection.ApplyGlyphSize();
    for (const Stroke& s : TheStrokes()) {
      editor.SelectSymbol(s.Tool);
      editor.SelectPen(s.Pen);
      editor.SetForegroundIndex(s.Foreground);
      editor.SetBackgroundIndex(s.Background);
      editor.picMouseDown(s.X[0], s.Y[0]);
      for (int k = 1; k <= MovesPerStroke; ++k) editor.picMouseMove(s.X[k], s.Y[k]);
      editor.picMouseUp(s.X[MovesPerStroke], s.Y[MovesPerStroke]);
    }
    editor.SaveGlyphFile(out);
    collection.SetEditor(nullptr);
  }
  state.counters["sessions/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  std::filesystem::remove(out);
}

void BM_Session(benchmark::State& state) {
  const std::string out = OutFile();
  const std::string script = Script(TheStrokes());
  for (auto _ : state) {
    std::istringstream in(script);
    const std::vector<TSessionCommand> commands = ParseSession(in);
    TEditSession session(16);
    session.Run(commands);
    session.Editor().SaveGlyphFile(out);
  }
  state.counters["sessions/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  std::filesystem::remove(out);
}

void BM_Parse(benchmark::State& state) {
  const std::string script = Script(TheStrokes());
  for (auto _ : state) {
    std::istringstream in(script);
    benchmark::DoNotOptimize(ParseSession(in));
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("Direct/100strokes", BM_Direct)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Session/100strokes", BM_Session)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Parse/100strokes", BM_Parse)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto session = reporter.Times.find("Session/100strokes"), direct = reporter.Times.find("Direct/100strokes");
  if (session != reporter.Times.end() && direct != reporter.Times.end() && direct->second > 0 && session->second > 0) {
    // Times are in the benchmarks' unit, milliseconds.
    std::printf("\nSession: %.1f sessions/s; direct model calls: %.1f/s; session / direct time %.3fx (same run)\n",
                1000.0 / session->second, 1000.0 / direct->second, session->second / direct->second);
  }
  benchmark::Shutdown();
  return 0;
}
