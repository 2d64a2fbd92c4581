// Opening the 200-icon set of bench/icon_set_data.h in the collection window, shown on the
// offscreen platform, up to the set view's first paint, against decoding its six strips alone
// in the same run (what any program that shows them must do at least).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/application.h"
#include "bench/icon_set_data.h"
#include "bench/ratio_reporter.h"
#include "collection/gliffo_form.h"
#include "collection/set_view.h"
#include "glyphs/dialogs.h"

namespace {

using namespace gliffo;
using namespace gliffo::bench;

// No question is asked while the set is unchanged; one would be a fault.
class NoDialogs : public IDialogService {
 public:
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  void ShowError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
  TDialogAnswer Confirm(const std::string&) override { return TDialogAnswer::No; }
  std::optional<std::vector<std::string>> OpenFiles(const TOpenFileRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const TSaveFileRequest&) override { return {}; }
  std::optional<TFontChoice> ChooseFont(const TFontChoice&) override { return {}; }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
};

class PaintCounter : public QObject {
 public:
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

void BM_DecodeStrips(benchmark::State& state) {
  const TSetFiles& set = TheSet();
  for (auto _ : state)
    for (std::size_t i = 0; i + 1 < set.Files.size(); ++i) benchmark::DoNotOptimize(LoadImageFile(set.Files[i], {}));
}

void BM_ShowSet(benchmark::State& state) {
  const std::string exe = (TheSet().Folder / "Gliffo").string();
  TApplication application(std::make_unique<NoDialogs>(), exe);
  TGliffoF form(application);
  form.show();
  PaintCounter paints;
  form.SetView1->installEventFilter(&paints);
  QApplication::processEvents();
  for (auto _ : state) {
    const int before = paints.Paints;
    form.OpenSet(TheSet().SetFile, false);
    while (paints.Paints == before) QApplication::processEvents(QEventLoop::AllEvents, 5);
    state.PauseTiming();
    if (!form.SetShown()) {
      state.SkipWithError("the set did not open");
      break;
    }
    form.CloseSet1Click();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::RegisterBenchmark("DecodeStrips/200x3x2", BM_DecodeStrips)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
  benchmark::RegisterBenchmark("ShowSet/200x3x2", BM_ShowSet)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheSet();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto a = reporter.Times.find("ShowSet/200x3x2" + Repeats), b = reporter.Times.find("DecodeStrips/200x3x2" + Repeats);
  if (a != reporter.Times.end() && b != reporter.Times.end() && b->second > 0)
    std::printf("\nShowSet/200x3x2  %7.3f ms  %6.2fx  DecodeStrips/200x3x2 (median, same run)\n", a->second,
                a->second / b->second);
  fs::remove_all(TheSet().Folder);
  benchmark::Shutdown();
  return 0;
}
