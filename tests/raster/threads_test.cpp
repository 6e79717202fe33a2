// The pixel operations split their rows over the worker pool: the result must not depend on how
// many threads took part. Each operation runs with the pool at one thread and at four, on images
// large enough to be split, and the two results are compared byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "control/engine/raster/colorformat.h"
#include "control/engine/raster/convolve.h"
#include "control/engine/raster/geometry.h"
#include "control/engine/raster/pixels.h"
#include "control/engine/raster/resample.h"
#include "control/engine/raster/selection.h"
#include "control/engine/raster/tone.h"
#include "platform/base/workers.h"
#include "raster_images.h"

namespace pictavo {
namespace {

using testing::ColourRamp;
using testing::MakeRandom24;

constexpr int kWidth = 700, kHeight = 500;

// Every stored byte of the image (padding left out) and its palette.
std::vector<uint8_t> Contents(const plat::TBitmap& bmp) {
  std::vector<uint8_t> bytes = {static_cast<uint8_t>(bmp.PixelFormat())};
  const int64_t rowBytes = DataBytesPerRow(bmp.Width(), plat::BitsPerPixel(bmp.PixelFormat()));
  for (int y = 0; y < bmp.Height(); ++y)
    bytes.insert(bytes.end(), bmp.ScanLine(y), bmp.ScanLine(y) + rowBytes);
  for (const plat::TRGBQuad& q : bmp.Palette())
    bytes.insert(bytes.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed});
  return bytes;
}

// A random image in the given format: 24-bit noise, or noise indices over a colour ramp.
void MakeSource(TicBitmap& bmp, plat::TPixelFormat format) {
  MakeRandom24(bmp, kWidth, kHeight, 7);
  if (format == plat::TPixelFormat::pf24bit) return;
  plat::TBitmap indexed(kWidth, kHeight, format);
  indexed.SetColorTable(ColourRamp(plat::PaletteSizeOf(format)));
  const int bits = plat::BitsPerPixel(format);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      plat::SetIndexAt(indexed.ScanLine(y), x, bits,
                       static_cast<uint8_t>(bmp.ScanLine(y)[x] % plat::PaletteSizeOf(format)));
  bmp.Assign(indexed);
  bmp.UpdateColorFormat();
}

std::vector<uint8_t> RunWithWorkers(const char* workers, plat::TPixelFormat format,
                                    const std::function<void(TicBitmap&)>& operation) {
  ::setenv(plat::kWorkersVariable, workers, 1);
  TicBitmap bmp;
  MakeSource(bmp, format);
  operation(bmp);
  ::unsetenv(plat::kWorkersVariable);
  return Contents(bmp);
}

struct Case {
  std::string name;
  plat::TPixelFormat format;
  std::function<void(TicBitmap&)> operation;
};

std::vector<Case> Cases() {
  using plat::TPixelFormat;
  std::vector<Case> cases;
  for (int filter = 0; filter < kFilterCount; ++filter) {
    cases.push_back({"shrink filter " + std::to_string(filter), TPixelFormat::pf24bit,
                     [filter](TicBitmap& b) { Resize(b, 150, 107, filter, true); }});
    cases.push_back({"enlarge filter " + std::to_string(filter), TPixelFormat::pf24bit,
                     [filter](TicBitmap& b) { Resize(b, 900, 600, filter, true); }});
  }
  cases.push_back({"area average", TPixelFormat::pf24bit,
                   [](TicBitmap& b) { Resize(b, 1200, 700, 1, false); }});
  cases.push_back({"nearest pixel stretch", TPixelFormat::pf4bit,
                   [](TicBitmap& b) { Resize(b, 1200, 700, 1, false); }});
  for (TPixelFormat f :
       {TPixelFormat::pf24bit, TPixelFormat::pf8bit, TPixelFormat::pf4bit, TPixelFormat::pf1bit})
    for (float angle : {90.0f, 270.0f, 30.0f})
      cases.push_back({"rotate " + std::to_string(angle) + " at " +
                           std::to_string(plat::BitsPerPixel(f)) + " bits",
                       f, [angle](TicBitmap& b) { Rotate(b, true, plat::RGB(9, 8, 7), angle); }});
  cases.push_back({"sharpen", TPixelFormat::pf24bit, [](TicBitmap& b) { Sharpen(b, 3); }});
  // New pixels come cleared by the workers in blocks: this canvas takes several.
  cases.push_back({"canvas enlarged", TPixelFormat::pf24bit,
                   [](TicBitmap& b) { b.SetSize(2 * kWidth, 2 * kHeight); }});
  cases.push_back({"blur inside an ellipse", TPixelFormat::pf24bit, [](TicBitmap& b) {
                     SelectEllipse(b, 50, 40, 600, 450);
                     SetUseSelection(b, true);
                     Blur(b, 5);
                   }});
  for (uint8_t mode = tmBrightness; mode <= tmContrast; ++mode)
    cases.push_back({"tone curve " + std::to_string(mode), TPixelFormat::pf24bit,
                     [mode](TicBitmap& b) { ApplyToneCurve(b, 70, true, false, true, mode); }});
  for (uint8_t code = cf256Color; code <= cfMonoBW; ++code)
    for (int mode : {0, 1})
      cases.push_back({"colour format " + std::to_string(code) + " mode " + std::to_string(mode),
                       TPixelFormat::pf24bit,
                       [code, mode](TicBitmap& b) { ConvertColorFormat(b, code, mode, 100); }});
  cases.push_back({"16 colours from 256", TPixelFormat::pf8bit,
                   [](TicBitmap& b) { ConvertColorFormat(b, cf16Color, 2, 0); }});
  return cases;
}

TEST(Threads, EveryOperationGivesTheSameBytesOnOneAndOnFourThreads) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> one = RunWithWorkers("1", c.format, c.operation);
    const std::vector<uint8_t> four = RunWithWorkers("4", c.format, c.operation);
    ASSERT_GT(one.size(), 1u);
    EXPECT_TRUE(one == four);
  }
}

}  // namespace
}  // namespace pictavo
