// Our JPEG 2000 encoder against opj_compress on the same 12 MP image, lossy at the default rate
// 20 (ratio 5, 9/7 wavelet, 6 levels, 64 x 64 blocks, LRCP, one tile), with the same thread
// counts. Both run the same library, so the ratio printed at the end should be near 1.0: what is
// ours is the pixel copy out of the bitmap. opj_compress also reads an uncompressed TIFF and
// starts a process; that is its share of the same job.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include "app/output/jpeg2000_encoder.h"
#include "bench/rgb_tiff.h"
#include "platform/base/workers.h"
#include "platform/graphics/bitmap.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRate = 20;

// Smooth shading with fine grain, so the coder has photo-like work to do.
const plat::TBitmap& Photo() {
  static const plat::TBitmap bitmap = [] {
    plat::TBitmap made(kWidth, kHeight, plat::TPixelFormat::pf24bit);
    uint32_t state = 1;
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = made.ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        state = state * 1103515245u + 12345u;
        const int grain = static_cast<int>(state >> 28);
        row[3 * x] = static_cast<uint8_t>(120 + 100 * std::sin(x / 300.0) + grain);
        row[3 * x + 1] = static_cast<uint8_t>(120 + 100 * std::cos(y / 200.0) + grain);
        row[3 * x + 2] = static_cast<uint8_t>(120 + 100 * std::sin((x + y) / 500.0) + grain);
      }
    }
    return made;
  }();
  return bitmap;
}

fs::path Folder() {
  static const fs::path folder = [] {
    fs::path made = fs::temp_directory_path() / "velmora-bench-jpeg2000";
    fs::create_directories(made);
    return made;
  }();
  return folder;
}

// The same pixels as an uncompressed RGB TIFF, for opj_compress.
const std::string& TiffOfPhoto() {
  static const std::string path = [] {
    const std::string made = (Folder() / "photo.tif").string();
    velmora::bench::WriteRgbTiff(made, kWidth, kHeight, [](int y, uint8_t* rgb) {
      const uint8_t* bgr = Photo().ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        rgb[3 * x] = bgr[3 * x + 2];
        rgb[3 * x + 1] = bgr[3 * x + 1];
        rgb[3 * x + 2] = bgr[3 * x];
      }
    });
    return made;
  }();
  return path;
}

void EncodeWithOurs(benchmark::State& state) {
  const plat::TBitmap& photo = Photo();
  const std::string out = (Folder() / "ours.jp2").string();
  for (auto _ : state) {
    velmora::TJpeg2000Encoder encoder;
    encoder.SetThreads(static_cast<int>(state.range(0)));
    plat::THandle handle = plat::NewBitmapHandle(photo);
    encoder.SetBitmap(handle);
    plat::DeleteBitmapHandle(handle);
    encoder.SetRate(kRate);
    int32_t format = velmora::kJp2Format;
    encoder.SaveFile(format, out);
  }
  state.counters["bytes"] = static_cast<double>(fs::file_size(out));
}

void EncodeWithOpjCompress(benchmark::State& state) {
  const std::string in = TiffOfPhoto();
  const std::string out = (Folder() / "opj.jp2").string();
  const std::string command = std::string(OPJ_COMPRESS) + " -i '" + in + "' -o '" + out +
                              "' -I -r " + std::to_string(100.0 / kRate) + " -n 6 -b 64,64" +
                              " -p LRCP -threads " + std::to_string(state.range(0)) +
                              " > /dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("opj_compress failed");
      return;
    }
  }
  state.counters["bytes"] = static_cast<double>(fs::file_size(out));
}

void ThreadCounts(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1);
  if (plat::WorkerCount() > 1) benchmark->Arg(plat::WorkerCount());
}

BENCHMARK(EncodeWithOurs)->Apply(ThreadCounts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EncodeWithOpjCompress)->Apply(ThreadCounts)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints, after the table, our time over opj_compress's for each thread count.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string name = run.benchmark_name();
      const std::string::size_type first = name.find('/');
      if (first == std::string::npos || run.error_occurred) continue;
      const std::string threads = name.substr(first + 1, name.find('/', first + 1) - first - 1);
      (name.rfind("EncodeWithOurs", 0) == 0 ? ours_ : reference_)[threads] =
          run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    for (const auto& [threads, time] : ours_)
      if (reference_.count(threads))
        std::printf("ours / opj_compress, %s threads: %.3f\n", threads.c_str(),
                    time / reference_[threads]);
    ConsoleReporter::Finalize();
  }

 private:
  std::map<std::string, double> ours_;
  std::map<std::string, double> reference_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
