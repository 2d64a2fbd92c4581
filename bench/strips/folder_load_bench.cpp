// The folder browser's load of the strip bench's glyph folder (10,000 files of 16 × 16), against
// the floor of merely listing, sorting and reading those files, measured in the same run:
//   - Floor: readdir, a case-blind sort, every file read in full; nothing decoded.
//   - LoadImages1Click: the browser moves from an empty folder into the glyph folder, so the
//     folder list rebuilds, the file list re-reads and the folder load fills the glyph list;
//     no window is shown, nothing paints.
//   - FirstPaint: the same change in the collection window shown on the offscreen platform,
//     up to the glyph view's first paint after it.
// Other programs share the machine, so every run of a measured job is paired with a run of the
// floor right before it, and each row carries "x_floor" (wall clock) and "x_floor_cpu" (this
// thread's processor time): the job's total over the floor's total across the same runs.
//
//   folder_load_bench [--benchmark_...] (the folder: $GLIFFO_GLYPH_FOLDER, default the strip
//   bench's data, made by bench/strips/run.sh)
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QListView>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "collection/folder_browser.h"
#include "collection/gliffo_form.h"
#include "collection/viewer.h"
#include "glyphs/dialogs.h"
#include "glyphs/glyph_list.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string GlyphFolder() {
  const char* folder = std::getenv("GLIFFO_GLYPH_FOLDER");
  if (folder != nullptr && *folder != '\0') return folder;
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/gliffo-strips-data/glyphs";
}

std::string EmptyFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/gliffo-bench-empty-XXXXXX";
    return std::string(::mkdtemp(pattern));
  }();
  return folder;
}

struct Stopwatch {
  Clock::time_point Wall;
  double Cpu;
  static double ThreadCpu() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
  }
  Stopwatch() : Wall(Clock::now()), Cpu(ThreadCpu()) {}
  double WallSeconds() const { return std::chrono::duration<double>(Clock::now() - Wall).count(); }
  double CpuSeconds() const { return ThreadCpu() - Cpu; }
};

// Sums of a job's runs and of the floor runs paired with them.
struct Totals {
  double Wall = 0, Cpu = 0, FloorWall = 0, FloorCpu = 0;
  void Report(benchmark::State& state) const {
    if (FloorWall > 0) state.counters["x_floor"] = Wall / FloorWall;
    if (FloorCpu > 0) state.counters["x_floor_cpu"] = Cpu / FloorCpu;
  }
};

size_t ListSortRead(const std::string& folder);

// Runs the floor outside the benchmark's own timing and adds it to the totals.
void PairedFloor(benchmark::State& state, Totals& totals, const std::string& folder) {
  state.PauseTiming();
  Stopwatch watch;
  benchmark::DoNotOptimize(ListSortRead(folder));
  totals.FloorWall += watch.WallSeconds();
  totals.FloorCpu += watch.CpuSeconds();
  state.ResumeTiming();
}

// Same work as bench/strips_floor.cpp, in this process.
size_t ListSortRead(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name[0] == '.' || name.size() < 4 || strcasecmp(name.c_str() + name.size() - 4, ".bmp") != 0) continue;
    names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; });
  std::vector<char> buffer(1 << 16);
  size_t total = 0;
  for (const auto& name : names) {
    const int fd = ::open((folder + "/" + name).c_str(), O_RDONLY);
    if (fd < 0) continue;
    ssize_t got;
    while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) total += static_cast<size_t>(got);
    ::close(fd);
  }
  return total;
}

void Floor(benchmark::State& state) {
  const std::string folder = GlyphFolder();
  for (auto _ : state) benchmark::DoNotOptimize(ListSortRead(folder));
}

void FailOnError(const std::function<void()>& handler) { handler(); }

void LoadImages1Click(benchmark::State& state) {
  const std::string folder = GlyphFolder();
  gliffo::TGlyphCollection glyphs;
  gliffo::TFolderBrowser browser(glyphs, FailOnError);
  browser.Start({});
  Totals totals;
  for (auto _ : state) {
    state.PauseTiming();
    browser.RzDirectoryListBox1->ChangeDirectory(EmptyFolder());  // no files: nothing loads
    state.ResumeTiming();
    PairedFloor(state, totals, folder);
    Stopwatch watch;
    browser.RzDirectoryListBox1->ChangeDirectory(folder);
    totals.Wall += watch.WallSeconds();
    totals.Cpu += watch.CpuSeconds();
  }
  state.counters["glyphs"] = glyphs.ImageList1.Count();
  totals.Report(state);
}

// Dialogs are never asked for during the bench; any question is a fault.
class NoDialogs : public gliffo::IDialogService {
 public:
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  void ShowError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
  gliffo::TDialogAnswer Confirm(const std::string&) override { return gliffo::TDialogAnswer::No; }
  std::optional<std::vector<std::string>> OpenFiles(const gliffo::TOpenFileRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const gliffo::TSaveFileRequest&) override { return {}; }
  std::optional<gliffo::TFontChoice> ChooseFont(const gliffo::TFontChoice&) override { return {}; }
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

void FirstPaint(benchmark::State& state) {
  const std::string folder = GlyphFolder();
  const std::string exe = (std::filesystem::temp_directory_path() / "gliffo-bench" / "Gliffo").string();
  gliffo::TApplication application(std::make_unique<NoDialogs>(), exe);
  gliffo::TGliffoF form(application);
  form.show();
  auto* browser = form.findChild<gliffo::TFolderBrowser*>();
  if (browser == nullptr) {
    state.SkipWithError("the window has no folder browser");
    return;
  }
  PaintCounter paints;
  form.viewer->viewport()->installEventFilter(&paints);
  QApplication::processEvents();
  Totals totals;
  for (auto _ : state) {
    state.PauseTiming();
    browser->RzDirectoryListBox1->ChangeDirectory(EmptyFolder());
    QApplication::processEvents();
    state.ResumeTiming();
    PairedFloor(state, totals, folder);
    const int before = paints.Paints;
    Stopwatch watch;
    browser->RzDirectoryListBox1->ChangeDirectory(folder);
    while (paints.Paints == before) QApplication::processEvents(QEventLoop::AllEvents, 5);
    totals.Wall += watch.WallSeconds();
    totals.Cpu += watch.CpuSeconds();
  }
  state.counters["glyphs"] = form.Collection().ImageList1.Count();
  totals.Report(state);
}

}  // namespace

BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(LoadImages1Click)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(FirstPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (!std::filesystem::is_directory(GlyphFolder())) {
    std::fprintf(stderr, "no glyph folder at %s; run bench/strips/run.sh first or set GLIFFO_GLYPH_FOLDER\n",
                 GlyphFolder().c_str());
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(EmptyFolder());
  return 0;
}
