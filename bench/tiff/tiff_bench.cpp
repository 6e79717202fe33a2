// Group 4 and LZW strips of a fax-sized page, and whole 12-megapixel colour photos in each
// coding: our decoders and encoders beside libtiff's.
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/rgb_tiff.h"
#include "bench/scratch_file.h"
#include "bench/test_card_pixels.h"
#include "control/formats/tiff/ccitt.h"
#include "control/formats/tiff/tif_image.h"
#include "control/formats/tiff/tiff_lzw.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"

namespace {

constexpr int kWidth = 2560;
constexpr int kHeight = 3300;

// A page of "text": short black runs in lines, blank margins and gaps between lines.
plat::TBitmap FaxPage() {
  plat::TBitmap bmp(kWidth, kHeight, plat::TPixelFormat::pf1bit);
  bmp.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = bmp.ScanLine(y);
    std::memset(row, 0xFF, (kWidth + 7) / 8);
    if (y < 200 || y > kHeight - 200 || (y / 30) % 2 == 1) continue;
    for (int x = 200; x < kWidth - 200; ++x)
      if (((x * 7 + y * 3) / 5) % 4 == 0 && (x / 40) % 6 != 5)
        row[x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
  }
  return bmp;
}

// A TIFF held in memory, for libtiff's client interface.
struct TMemoryFile {
  std::vector<uint8_t> bytes;
  toff_t position = 0;
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t size) {
  auto* f = static_cast<TMemoryFile*>(h);
  tmsize_t n = std::min<tmsize_t>(size, static_cast<tmsize_t>(f->bytes.size() - f->position));
  std::memcpy(buf, f->bytes.data() + f->position, static_cast<size_t>(n));
  f->position += static_cast<toff_t>(n);
  return n;
}
tmsize_t MemWrite(thandle_t h, void* buf, tmsize_t size) {
  auto* f = static_cast<TMemoryFile*>(h);
  if (f->position + size > f->bytes.size()) f->bytes.resize(f->position + size);
  std::memcpy(f->bytes.data() + f->position, buf, static_cast<size_t>(size));
  f->position += static_cast<toff_t>(size);
  return size;
}
toff_t MemSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<TMemoryFile*>(h);
  f->position = whence == SEEK_SET   ? off
                : whence == SEEK_CUR ? f->position + off
                                     : f->bytes.size() + off;
  return f->position;
}
int MemClose(thandle_t) {
  return 0;
}
toff_t MemSize(thandle_t h) {
  return static_cast<TMemoryFile*>(h)->bytes.size();
}
int NoMap(thandle_t, void**, toff_t*) {
  return 0;
}
void NoUnmap(thandle_t, void*, toff_t) {}

TIFF* Open(TMemoryFile& file, const char* mode) {
  file.position = 0;
  return TIFFClientOpen("memory", mode, &file, MemRead, MemWrite, MemSeek, MemClose, MemSize, NoMap,
                        NoUnmap);
}

// The page as one strip of a single-page file written by libtiff with the given compression,
// and that strip's raw bytes.
struct TStrip {
  TMemoryFile file;
  std::vector<uint8_t> raw;
};

// The page's packed rows, as libtiff takes them.
std::vector<uint8_t> PackedRows(const plat::TBitmap& bmp) {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < kHeight; ++y)
    pixels.insert(pixels.end(), bmp.ScanLine(y), bmp.ScanLine(y) + (kWidth + 7) / 8);
  return pixels;
}

void WriteLibtiffStrip(TMemoryFile& file, std::vector<uint8_t>& pixels, uint16_t compression) {
  TIFF* out = Open(file, "w");
  TIFFSetField(out, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(out, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, kHeight);
  TIFFSetField(out, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFWriteEncodedStrip(out, 0, pixels.data(), static_cast<tmsize_t>(pixels.size()));
  TIFFClose(out);
}

TStrip LibtiffStrip(const plat::TBitmap& bmp, uint16_t compression) {
  TStrip s;
  std::vector<uint8_t> pixels = PackedRows(bmp);
  WriteLibtiffStrip(s.file, pixels, compression);
  TIFF* in = Open(s.file, "r");
  s.raw.resize(static_cast<size_t>(TIFFRawStripSize(in, 0)));
  TIFFReadRawStrip(in, 0, s.raw.data(), static_cast<tmsize_t>(s.raw.size()));
  TIFFClose(in);
  return s;
}

void LibtiffDecode(benchmark::State& state, uint16_t compression) {
  TStrip s = LibtiffStrip(FaxPage(), compression);
  std::vector<uint8_t> out(static_cast<size_t>(kHeight) * ((kWidth + 7) / 8));
  for (auto _ : state) {
    TIFF* in = Open(s.file, "r");
    benchmark::DoNotOptimize(TIFFReadEncodedStrip(in, 0, out.data(), -1));
    TIFFClose(in);
  }
}

// Both sides decode the strips below into a buffer taken once, before timing, as libtiff's
// caller does.
void BM_Group4Decode_Ours(benchmark::State& state) {
  TStrip s = LibtiffStrip(FaxPage(), COMPRESSION_CCITTFAX4);
  std::vector<uint8_t> out;
  for (auto _ : state) {
    out.clear();
    pictavo::DecodeGroup4(out, s.raw, kHeight, pictavo::TFaxPage{kWidth, 1, false});
    benchmark::DoNotOptimize(out.data());
  }
}
void BM_Group4Decode_Libtiff(benchmark::State& state) {
  LibtiffDecode(state, COMPRESSION_CCITTFAX4);
}

void BM_LzwDecode_Ours(benchmark::State& state) {
  TStrip s = LibtiffStrip(FaxPage(), COMPRESSION_LZW);
  const size_t size = static_cast<size_t>(kHeight) * ((kWidth + 7) / 8);
  std::vector<uint8_t> out;
  for (auto _ : state) {
    out.clear();
    pictavo::DecodeLZW(out, s.raw, size);
    benchmark::DoNotOptimize(out.data());
  }
}
void BM_LzwDecode_Libtiff(benchmark::State& state) {
  LibtiffDecode(state, COMPRESSION_LZW);
}

void BM_Group4Encode_Ours(benchmark::State& state) {
  plat::TBitmap page = FaxPage();
  for (auto _ : state) {
    plat::TMemoryStream out;
    pictavo::EncodeGroup4(page, out);
    benchmark::DoNotOptimize(out.Memory());
  }
}
// libtiff codes the strip into a file in memory whose room was taken once, as our stream's is
// by the first iteration.
void BM_Group4Encode_Libtiff(benchmark::State& state) {
  std::vector<uint8_t> pixels = PackedRows(FaxPage());
  TMemoryFile file;
  file.bytes.reserve(pixels.size());
  for (auto _ : state) {
    file.bytes.clear();
    WriteLibtiffStrip(file, pixels, COMPRESSION_CCITTFAX4);
    benchmark::DoNotOptimize(file.bytes.data());
  }
}

// ---- whole colour photos

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;

struct TCoding {
  const char* name;
  uint16_t compression;
  uint16_t predictor;  // 1: none, 2: horizontal differencing
};

constexpr TCoding kCodings[] = {{"rgb_uncompressed", COMPRESSION_NONE, 1},
                                {"rgb_packbits", COMPRESSION_PACKBITS, 1},
                                {"rgb_lzw", COMPRESSION_LZW, 1},
                                {"rgb_lzw_predictor", COMPRESSION_LZW, 2}};

// The test card as red-green-blue rows, the order a TIFF file stores.
std::vector<uint8_t> PhotoRgb() {
  std::vector<uint8_t> rgb = velmora_bench::TestCardPixels(kPhotoWidth, kPhotoHeight);
  for (size_t i = 0; i < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  return rgb;
}

// The photo written by libtiff with its default strip size.
TMemoryFile LibtiffPhoto(const std::vector<uint8_t>& rgb, const TCoding& coding) {
  TMemoryFile file;
  TIFF* out = Open(file, "w");
  velmora::bench::SetRgbLayout(out, kPhotoWidth, kPhotoHeight, coding.compression,
                               coding.predictor);
  const size_t rowBytes = size_t{kPhotoWidth} * 3;
  for (int y = 0; y < kPhotoHeight; ++y)
    TIFFWriteScanline(out, const_cast<uint8_t*>(rgb.data() + y * rowBytes),
                      static_cast<uint32_t>(y), 0);
  TIFFClose(out);
  return file;
}

// Every strip decoded by libtiff into rgb, a buffer of red-green-blue rows.
void ReadLibtiffPixels(TMemoryFile& file, std::vector<uint8_t>& rgb) {
  TIFF* in = Open(file, "r");
  const tmsize_t stripSize = TIFFStripSize(in);
  for (uint32_t s = 0, n = TIFFNumberOfStrips(in); s < n; ++s)
    TIFFReadEncodedStrip(in, s, rgb.data() + s * stripSize, -1);
  TIFFClose(in);
}

std::vector<uint8_t> LibtiffPixels(TMemoryFile& file) {
  std::vector<uint8_t> rgb(size_t{kPhotoWidth} * kPhotoHeight * 3);
  ReadLibtiffPixels(file, rgb);
  return rgb;
}

plat::TBitmap OurPixels(const TMemoryFile& file) {
  plat::TReadOnlyMemoryStream in(file.bytes.data(), static_cast<int64_t>(file.bytes.size()));
  pictavo::TTIFImage tif;
  tif.LoadFromStream(in);
  plat::TBitmap bmp;
  bmp.Assign(tif);
  return bmp;
}

// Times are only worth comparing when both sides decoded the same pixels.
bool SamePixels(const plat::TBitmap& ours, const std::vector<uint8_t>& rgb) {
  if (ours.Width() != kPhotoWidth || ours.Height() != kPhotoHeight) return false;
  for (int y = 0; y < kPhotoHeight; ++y) {
    const uint8_t* line = ours.ScanLine(y);
    const uint8_t* theirs = rgb.data() + size_t(y) * kPhotoWidth * 3;
    for (int i = 0; i < kPhotoWidth * 3; i += 3)
      if (line[i] != theirs[i + 2] || line[i + 1] != theirs[i + 1] || line[i + 2] != theirs[i])
        return false;
  }
  return true;
}

void PhotoDecodeOurs(benchmark::State& state, const TCoding* coding) {
  TMemoryFile file = LibtiffPhoto(PhotoRgb(), *coding);
  if (!SamePixels(OurPixels(file), LibtiffPixels(file))) state.SkipWithError("pixels differ");
  for (auto _ : state) benchmark::DoNotOptimize(OurPixels(file).ScanLine(0));
  state.counters["file_bytes"] = static_cast<double>(file.bytes.size());
}

// libtiff decodes into one buffer taken before timing; ours takes its bitmap each time, from a
// block its allocator keeps between images.
void PhotoDecodeLibtiff(benchmark::State& state, const TCoding* coding) {
  TMemoryFile file = LibtiffPhoto(PhotoRgb(), *coding);
  std::vector<uint8_t> rgb(size_t{kPhotoWidth} * kPhotoHeight * 3);
  for (auto _ : state) {
    ReadLibtiffPixels(file, rgb);
    benchmark::DoNotOptimize(rgb.data());
  }
  state.counters["file_bytes"] = static_cast<double>(file.bytes.size());
}

// Encoding from the bitmap (ours) and from red-green-blue rows (libtiff's own input) into a
// single-page file on disk, each side through its ordinary file call, made to survive a power loss
// (scratch_file.h).
void PhotoEncodeOurs(benchmark::State& state, const TCoding* coding) {
  const plat::TBitmap bitmap = velmora_bench::BitmapOf(
      velmora_bench::TestCardPixels(kPhotoWidth, kPhotoHeight), kPhotoWidth, kPhotoHeight);
  velmora_bench::TScratchFile file("ours", ".tif");
  for (auto _ : state) {
    pictavo::TTIFImage page;
    page.Compression = coding->compression;
    page.Assign(bitmap);
    page.SaveToFile(file.path);
  }
  state.counters["file_bytes"] = file.Bytes();
}

void PhotoEncodeLibtiff(benchmark::State& state, const TCoding* coding) {
  const std::vector<uint8_t> rgb = PhotoRgb();
  velmora_bench::TScratchFile file("libtiff", ".tif");
  const size_t rowBytes = size_t{kPhotoWidth} * 3;
  for (auto _ : state) {
    velmora_bench::SaveDurably(file.path, [&](const std::string& path) {
      TIFF* out = TIFFOpen(path.c_str(), "w");
      velmora::bench::SetRgbLayout(out, kPhotoWidth, kPhotoHeight, coding->compression,
                                   coding->predictor);
      for (int y = 0; y < kPhotoHeight; ++y)
        TIFFWriteScanline(out, const_cast<uint8_t*>(rgb.data() + y * rowBytes),
                          static_cast<uint32_t>(y), 0);
      TIFFClose(out);
    });
  }
  state.counters["file_bytes"] = file.Bytes();
}

}  // namespace

BENCHMARK(BM_Group4Decode_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Group4Decode_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzwDecode_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzwDecode_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Group4Encode_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Group4Encode_Libtiff)->Unit(benchmark::kMillisecond);

using TPhotoBench = void (*)(benchmark::State&, const TCoding*);

void RegisterPhoto(const char* what, const TCoding& coding, TPhotoBench ours, TPhotoBench theirs) {
  for (auto [side, fn] : {std::pair<const char*, TPhotoBench>{"Ours", ours}, {"Libtiff", theirs}})
    benchmark::RegisterBenchmark(
        (std::string("BM_Photo") + what + "_" + side + "/" + coding.name).c_str(), fn, &coding)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

int main(int argc, char** argv) {
  for (const TCoding& c : kCodings) {
    RegisterPhoto("Decode", c, PhotoDecodeOurs, PhotoDecodeLibtiff);
    // Our writer codes colour pages uncompressed or with PackBits only.
    if (c.compression != COMPRESSION_LZW)
      RegisterPhoto("Encode", c, PhotoEncodeOurs, PhotoEncodeLibtiff);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
