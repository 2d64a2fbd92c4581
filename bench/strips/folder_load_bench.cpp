// The folder browser's load of the strip bench's glyph folder (10,000 files of 16 × 16), against
// the floor of merely listing, sorting and reading those files, measured in the same run:
//   - Floor: readdir, a case-blind sort, every file read in full; nothing decoded.
//   - LoadImages1Click: the browser moves from an empty folder into the glyph folder, so the
//     folder list rebuilds, the file list re-reads and the folder load fills the glyph list;
//     no window is shown, nothing paints.
//   - FirstPaint: the same change in the collection window shown on the offscreen platform,
//     up to the glyph view's first paint after it.
// Each row carries "x_floor", its time per run over the floor's.
//
//   folder_load_bench [--benchmark_...] (the folder: $GLIFFO_GLYPH_FOLDER, default the strip
//   bench's data, made by bench/strips/run.sh)
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
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

double floorSeconds = 0;

void SetRatio(benchmark::State& state, double seconds) {
  if (state.iterations() == 0) return;
  const double perRun = seconds / static_cast<double>(state.iterations());
  if (floorSeconds > 0) state.counters["x_floor"] = perRun / floorSeconds;
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
  double seconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    benchmark::DoNotOptimize(ListSortRead(folder));
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  floorSeconds = seconds / static_cast<double>(state.iterations());
  state.counters["x_floor"] = 1.0;
}

void FailOnError(const std::function<void()>& handler) { handler(); }

void LoadImages1Click(benchmark::State& state) {
  const std::string folder = GlyphFolder();
  gliffo::TGlyphCollection glyphs;
  gliffo::TFolderBrowser browser(glyphs, FailOnError);
  browser.Start({});
  double seconds = 0;
  for (auto _ : state) {
    browser.RzDirectoryListBox1->ChangeDirectory(EmptyFolder());  // no files: nothing loads
    auto start = Clock::now();
    browser.RzDirectoryListBox1->ChangeDirectory(folder);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.counters["glyphs"] = glyphs.ImageList1.Count();
  SetRatio(state, seconds);
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
  double seconds = 0;
  for (auto _ : state) {
    browser->RzDirectoryListBox1->ChangeDirectory(EmptyFolder());
    QApplication::processEvents();
    const int before = paints.Paints;
    auto start = Clock::now();
    browser->RzDirectoryListBox1->ChangeDirectory(folder);
    while (paints.Paints == before) QApplication::processEvents(QEventLoop::AllEvents, 5);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.counters["glyphs"] = form.Collection().ImageList1.Count();
  SetRatio(state, seconds);
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
