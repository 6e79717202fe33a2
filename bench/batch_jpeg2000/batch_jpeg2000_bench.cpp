// A basket of photo-like 4000 x 3000 images (uncompressed TIFF) converted to JPEG 2000 three
// ways, lossy at ratio 5 with 6 levels, 64 x 64 code blocks and one layer:
//   (a) opj_compress, one image after another, with as many threads as cores;
//   (b) our batch (replay off, rate 20), in a process of its own;
//   (c) opj_compress single-threaded, as many processes at once as cores: the encoder's limit.
// Beside them our batch lossless and over JPEG input. Each case runs in a fresh child process so
// its peak memory is its own. VELMORA_BENCH_IMAGES sets the number of images (default 20).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QProgressBar>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/browse/basket_item.h"
#include "app/output/batch_jpeg2000.h"
#include "app/shell/settings.h"
#include "app/shell/ui_service.h"
#include "app/tasks/task_list.h"
#include "bench/rgb_tiff.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/workers.h"
#include "platform/com/control_host.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRate = 20;  // ratio 100 / 20 = 5

int ImageCount() {
  const char* text = std::getenv("VELMORA_BENCH_IMAGES");
  const int count = text != nullptr ? std::atoi(text) : 0;
  return count > 0 ? count : 20;
}

fs::path Folder() {
  static const fs::path folder = fs::temp_directory_path() / "velmora-bench-batch-jpeg2000";
  return folder;
}

std::string InputPath(int index, const char* ext) {
  return (Folder() / "in" / ("photo" + std::to_string(index) + "." + ext)).string();
}

// Smooth shading with fine grain, different for every image.
void WritePhoto(int index) {
  const std::string path = InputPath(index, "tif");
  uint32_t state = 1 + static_cast<uint32_t>(index);
  const double phase = index * 0.7;
  velmora::bench::WriteRgbTiff(path, kWidth, kHeight, [&](int y, uint8_t* rgb) {
    for (int x = 0; x < kWidth; ++x) {
      state = state * 1103515245u + 12345u;
      const int grain = static_cast<int>(state >> 28);
      rgb[3 * x] = static_cast<uint8_t>(120 + 100 * std::sin(x / 300.0 + phase) + grain);
      rgb[3 * x + 1] = static_cast<uint8_t>(120 + 100 * std::cos(y / 200.0 - phase) + grain);
      rgb[3 * x + 2] = static_cast<uint8_t>(120 + 100 * std::sin((x + y) / 500.0) + grain);
    }
  });
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error(command + " failed");
}

void PrepareInputs() {
  fs::create_directories(Folder() / "in");
  for (int i = 0; i < ImageCount(); ++i) {
    if (fs::exists(InputPath(i, "jpg"))) continue;
    WritePhoto(i);
    Run(std::string(MAGICK_CONVERT) + " '" + InputPath(i, "tif") + "' -quality 90 '" +
        InputPath(i, "jpg") + "'");
  }
  Run(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY + " > /dev/null");
}

fs::path FreshOutput() {
  const fs::path out = Folder() / "out";
  fs::remove_all(out);
  fs::create_directories(out);
  return out;
}

std::string OpjCommand(const std::string& in, int threads) {
  const std::string out = (Folder() / "out" / fs::path(in).stem()).string() + ".jp2";
  return std::string(OPJ_COMPRESS) + " -i '" + in + "' -o '" + out + "' -I -r " +
         std::to_string(100.0 / kRate) + " -n 6 -b 64,64 -p LRCP -threads " +
         std::to_string(threads) + " > /dev/null 2>&1";
}

// Runs body in a child process; the wall time it took and the peak memory of the child or of
// its largest descendant.
struct Measured {
  double seconds = 0;
  double peakMegabytes = 0;
  bool ok = false;
};

Measured InChild(const std::function<bool()>& body) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    bool ok = false;
    try {
      ok = body();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
    std::fflush(nullptr);
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  Measured measured;
  measured.seconds = std::chrono::duration<double>(end - start).count();
  measured.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
  measured.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return measured;
}

// The largest opj_compress process the child waited for.
double LargestChildMegabytes() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Report(benchmark::State& state, const Measured& measured) {
  if (!measured.ok) {
    state.SkipWithError("the run failed");
    return;
  }
  state.SetIterationTime(measured.seconds);
  state.counters["images"] = ImageCount();
  state.counters["peak_MB"] = measured.peakMegabytes;
}

void OpjThreadedOneAfterAnother(benchmark::State& state) {
  for (auto _ : state) {
    FreshOutput();
    Report(state, InChild([] {
             for (int i = 0; i < ImageCount(); ++i)
               Run(OpjCommand(InputPath(i, "tif"), plat::WorkerCount()));
             std::printf("opj_compress largest process: %.0f MB\n", LargestChildMegabytes());
             return true;
           }));
  }
}

void OpjSingleThreadedProcessesAtOnce(benchmark::State& state) {
  for (auto _ : state) {
    FreshOutput();
    Report(state, InChild([] {
             std::string list;
             for (int i = 0; i < ImageCount(); ++i) list += InputPath(i, "tif") + "\n";
             const std::string listPath = (Folder() / "list.txt").string();
             std::FILE* file = std::fopen(listPath.c_str(), "w");
             std::fputs(list.c_str(), file);
             std::fclose(file);
             Run("xargs -P " + std::to_string(plat::WorkerCount()) + " -I{} sh -c \"" +
                 std::string(OPJ_COMPRESS) + " -i {} -o " + (Folder() / "out").string() +
                 "/\\$(basename {} .tif).jp2 -I -r " + std::to_string(100.0 / kRate) +
                 " -n 6 -b 64,64 -p LRCP -threads 1 > /dev/null 2>&1\" < " + listPath);
             return true;
           }));
  }
}

// The batch ends with its summary in a message box, which nobody would close here: print it.
class PrintedMessages : public shell::UiService {
 public:
  void Message(const QString& text, const QString&, shell::MessageIcon) override {
    std::printf("%s\n", qPrintable(text));
  }
  bool Ask(const QString& text, const QString& caption, shell::MessageIcon icon) override {
    Message(text, caption, icon);
    return true;
  }
  shell::Answer AskYesNoCancel(const QString& text, const QString& caption,
                               shell::MessageIcon icon) override {
    Message(text, caption, icon);
    return shell::Answer::Yes;
  }
  void OpenWithShell(const QString&) override {}
};

// Our batch over the basket of ext files, lossy at kRate or lossless.
void OurBatch(benchmark::State& state, const char* ext, bool lossless) {
  for (auto _ : state) {
    const fs::path out = FreshOutput();
    Report(state, InChild([&] {
             int argc = 1;
             char name[] = "bench_batch_jpeg2000";
             char* argv[] = {name, nullptr};
             QApplication app(argc, argv);
             PrintedMessages messages;
             shell::SetUiService(&messages);
             plat::com::ControlHost control;
             control.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
             QList<browse::BasketItem> basket;
             for (int i = 0; i < ImageCount(); ++i) {
               browse::BasketItem row;
               row.Text = QStringLiteral("photo%1").arg(i);
               row.Tag = QString::fromStdString(InputPath(i, ext));
               basket.append(row);
             }
             auto& options = shell::gSetup.BatchNamingOptions;
             options = shell::DefaultSetupRecord().BatchNamingOptions;
             options.DestinationMode = 1;
             options.DestinationFolder = QString::fromStdString(out.string());
             options.ProcessTaskBasket = 0;
             options.Jpeg2000.Compression = lossless ? 0 : 1;
             options.Jpeg2000.Rate = kRate;
             QProgressBar progress;
             QImage picture;
             return modJPEG2000Common::fncSaveSinglePage(basket, tasks::TaskList(), control,
                                                         progress, picture);
           }));
  }
}

void ApplyOnce(benchmark::internal::Benchmark* benchmark) {
  benchmark->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
}

BENCHMARK(OpjThreadedOneAfterAnother)->Apply(ApplyOnce);
BENCHMARK_CAPTURE(OurBatch, lossy_tiff, "tif", false)->Apply(ApplyOnce);
BENCHMARK(OpjSingleThreadedProcessesAtOnce)->Apply(ApplyOnce);
BENCHMARK_CAPTURE(OurBatch, lossless_tiff, "tif", true)->Apply(ApplyOnce);
BENCHMARK_CAPTURE(OurBatch, lossy_jpeg, "jpg", false)->Apply(ApplyOnce);

// Prints, after the table, our lossy batch over each opj_compress way.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred)
        failed_ = true;
      else
        times_[run.benchmark_name()] = run.GetAdjustedRealTime();
      const auto peak = run.counters.find("peak_MB");
      if (!run.error_occurred && peak != run.counters.end() &&
          run.benchmark_name().rfind("OurBatch", 0) == 0)
        peaks_[run.benchmark_name().substr(0, run.benchmark_name().find("/iterations"))] =
            peak->second;
    }
  }
  void Finalize() override {
    const double ours = Time("OurBatch/lossy_tiff");
    const double threaded = Time("OpjThreadedOneAfterAnother");
    const double processes = Time("OpjSingleThreadedProcessesAtOnce");
    if (ours > 0 && threaded > 0 && processes > 0)
      std::printf(
          "(b)/(a) ours / opj_compress one after another: %.3f\n"
          "(b)/(c) ours / opj_compress processes at once: %.3f (goal <= 1.1)\n",
          ours / threaded, ours / processes);
    for (const auto& [name, megabytes] : peaks_)
      std::printf("%s peak memory: %.0f MB (goal < 1500)\n", name.c_str(), megabytes.value);
    ConsoleReporter::Finalize();
  }

 private:
  double Time(const std::string& prefix) const {
    for (const auto& [name, time] : times_)
      if (name.rfind(prefix, 0) == 0) return time;
    return 0;
  }
  std::map<std::string, double> times_;
  std::map<std::string, benchmark::Counter> peaks_;
  bool failed_ = false;

 public:
  bool Failed() const { return failed_; }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  PrepareInputs();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.Failed() ? 1 : 0;
}
