// A folder of 1,000 JPEGs of 1600 x 1200 (20 distinct pictures under 1,000 names, made once)
// listed in the thumbnail view, beside ImageMagick's convert making the same 40 x 40 thumbnails
// one process per file, serially and on as many processes as the browser has workers. The
// listing also reports the longest gap between two ticks of a 5 ms GUI timer: the GUI must keep
// painting while the workers load.
//
//     QT_QPA_PLATFORM=offscreen bench/browse/bench_browse [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/browse/folder_browser.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "platform/base/workers.h"

namespace {

constexpr int kFiles = 1000;
constexpr int kDistinct = 20;

std::string BenchFolder() {
  return (std::filesystem::temp_directory_path() / "velmora-bench-browse").string();
}

std::string FileName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "photo%04d.jpg", i);
  return name;
}

// Made once and kept: 20 plasma pictures, copied to 1,000 names.
const std::string& Folder() {
  static const std::string folder = [] {
    const std::string path = BenchFolder();
    std::filesystem::create_directories(path);
    for (int i = 0; i < kFiles; ++i) {
      const std::string target = path + "/" + FileName(i);
      if (std::filesystem::exists(target)) continue;
      if (i < kDistinct) {
        const std::string command = "convert -seed " + std::to_string(i + 1) +
                                    " -size 1600x1200 plasma:fractal -quality 85 '" + target + "'";
        if (std::system(command.c_str()) != 0) std::abort();
      } else {
        std::filesystem::copy_file(path + "/" + FileName(i % kDistinct), target);
      }
    }
    return path;
  }();
  return folder;
}

void BM_ListFolderOurs(benchmark::State& state) {
  shell::gSetup.FolderListOptions.View = browse::kThumbnailView;
  shell::glThumbWidth = 40;
  shell::glThumbHeight = 40;
  QTreeWidget list;
  list.setColumnCount(8);
  QLabel panel;
  QProgressBar bar;
  QPushButton cancel;
  browse::FolderBrowser browser({&list, &panel, &bar, &cancel}, {});
  const QString folder = QString::fromStdString(Folder());
  double longestGap = 0;
  for (auto _ : state) {
    QEventLoop loop;
    QObject::connect(&browser, &browse::FolderBrowser::ListingEnded, &loop, &QEventLoop::quit);
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
      longestGap = std::max(longestGap, static_cast<double>(sinceTick.restart()));
    });
    sinceTick.start();
    ticks.start();
    browser.subShowFilesInFolder(folder);
    loop.exec();
    ticks.stop();
    if (list.topLevelItemCount() != kFiles) state.SkipWithError("not every file was listed");
  }
  state.counters["longest_gui_gap_ms"] = longestGap;
  state.counters["files"] = kFiles;
}

// One convert process per file, `processes` at a time.
void RunConvert(int processes) {
  const std::string out = BenchFolder() + "-out";
  std::filesystem::create_directories(out);
  const std::string command = "cd '" + Folder() + "' && ls | xargs -P " +
                              std::to_string(processes) + " -I{} convert {} -thumbnail 40x40 '" +
                              out + "/{}.png'";
  if (std::system(command.c_str()) != 0) std::abort();
}

void BM_ListFolderMagick(benchmark::State& state) {
  for (auto _ : state) RunConvert(1);
  state.counters["files"] = kFiles;
}

void BM_ListFolderMagickParallel(benchmark::State& state) {
  for (auto _ : state) RunConvert(plat::WorkerCount());
  state.counters["files"] = kFiles;
}

BENCHMARK(BM_ListFolderOurs)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ListFolderMagick)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ListFolderMagickParallel)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
