// Decoding and encoding a few photographs and screenshots with our codec and with libpng, and a
// 12-megapixel photo-like test card. The small images are made with ImageMagick when the program
// starts, the test card is written by libpng. Encoding writes a file on disk on both sides.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/test_card_pixels.h"
#include "control/formats/png/png_image.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
  std::string name;
  std::string magick;  // ImageMagick arguments that draw it
};

const Sample kSamples[] = {
    {"photo_plasma_1024x768", "-size 1024x768 -seed 11 plasma:fractal -blur 0x1"},
    {"photo_rose_800x526", "rose: -resize 800x"},
    {"screenshot_ui_1280x800",
     "-size 1280x800 xc:#ececec -fill '#2b5797' -draw 'rectangle 0,0 1280,32' "
     "-fill white -draw 'rectangle 16,48 900,784' -fill '#d0d0d0' "
     "-draw 'rectangle 916,48 1264,784' -fill black "
     "-draw \"text 24,70 'File  Edit  View  Image  Help'\" "
     "-draw \"text 24,100 'The quick brown fox jumps over the lazy dog 0123456789'\" "
     "-fill '#3c78d8' -draw 'roundrectangle 930,60 1250,90 6,6'"},
    {"screenshot_logo_640x480", "logo:"},
};

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes MakeSample(const Sample& s, const std::filesystem::path& dir) {
  std::string path = (dir / (s.name + ".png")).string();
  std::string command = "convert " + s.magick + " -depth 8 -type TrueColor '" + path + "'";
  if (std::system(command.c_str()) != 0) return {};
  return ReadFile(path);
}

// The 4000 x 3000 test card as libpng writes it with its defaults.
Bytes TestCardPng() {
  constexpr int kWidth = 4000, kHeight = 3000;
  const Bytes pixels = velmora_bench::TestCardPixels(kWidth, kHeight);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = kHeight;
  image.format = PNG_FORMAT_BGR;
  Bytes out(PNG_IMAGE_PNG_SIZE_MAX(image));
  png_alloc_size_t written = out.size();
  if (!png_image_write_to_memory(&image, out.data(), &written, 0, pixels.data(), 0, nullptr))
    return {};
  out.resize(written);
  return out;
}

// A file in the temporary folder that a case writes over; removed when the case ends.
struct TScratchFile {
  std::string path;
  explicit TScratchFile(const std::string& side)
      : path((std::filesystem::temp_directory_path() /
              ("pngbench-" + std::to_string(getpid()) + "-" + side + ".png"))
                 .string()) {}
  ~TScratchFile() { std::filesystem::remove(path); }
  double Bytes() const { return static_cast<double>(std::filesystem::file_size(path)); }
};

void OursDecode(benchmark::State& state, const Bytes* file) {
  for (auto _ : state) {
    plat::TReadOnlyMemoryStream in(file->data(), static_cast<int64_t>(file->size()));
    pictavo::TPNGImage png;
    png.LoadFromStream(in);
    benchmark::DoNotOptimize(png.ScanLine(0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file->size()));
}

void LibpngDecode(benchmark::State& state, const Bytes* file) {
  Bytes pixels;
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, file->data(), file->size());
    image.format = PNG_FORMAT_BGR;
    pixels.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file->size()));
}

void OursEncode(benchmark::State& state, const Bytes* file) {
  plat::TReadOnlyMemoryStream in(file->data(), static_cast<int64_t>(file->size()));
  pictavo::TPNGImage source;
  source.LoadFromStream(in);
  TScratchFile written("ours");
  for (auto _ : state) {
    pictavo::TPNGImage png;
    png.Assign(static_cast<const plat::TBitmap&>(source));
    png.SaveToFile(written.path);
  }
  state.counters["file_bytes"] = written.Bytes();
}

void LibpngEncode(benchmark::State& state, const Bytes* file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  png_image_begin_read_from_memory(&image, file->data(), file->size());
  image.format = PNG_FORMAT_BGR;
  Bytes pixels(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  TScratchFile written("libpng");
  for (auto _ : state)
    png_image_write_to_file(&image, written.path.c_str(), 0, pixels.data(), 0, nullptr);
  state.counters["file_bytes"] = written.Bytes();
}

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "pngbench-XXXXXX").string();
  std::filesystem::path dir = mkdtemp(pattern.data());
  std::vector<std::pair<std::string, Bytes>> files;
  for (const Sample& s : kSamples) {
    Bytes file = MakeSample(s, dir);
    if (file.empty()) {
      std::fprintf(stderr, "could not make %s with ImageMagick\n", s.name.c_str());
      return 1;
    }
    files.emplace_back(s.name, std::move(file));
  }
  std::filesystem::remove_all(dir);
  files.emplace_back("photo_test_card_4000x3000", TestCardPng());
  if (files.back().second.empty()) {
    std::fprintf(stderr, "could not write the test card with libpng\n");
    return 1;
  }

  for (const auto& [name, file] : files) {
    benchmark::RegisterBenchmark(("Decode/ours/" + name).c_str(), OursDecode, &file);
    benchmark::RegisterBenchmark(("Decode/libpng/" + name).c_str(), LibpngDecode, &file);
    benchmark::RegisterBenchmark(("Encode/ours/" + name).c_str(), OursEncode, &file);
    benchmark::RegisterBenchmark(("Encode/libpng/" + name).c_str(), LibpngEncode, &file);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
