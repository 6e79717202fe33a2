// One fireworks tick on a 1920 x 1080 picture (every spark of a burst moved, the clean picture
// blended back onto the layer), beside Qt's own constant-opacity drawing of the same picture,
// which is the tick's largest part. The tick must stay well inside its 10 ms period.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "app/output/players/fireworks/fireworks_engine.h"

namespace {

using namespace players::fireworks;

QImage Photo() {
  QImage image(1920, 1080, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      line[x] = qRgb(x * 255 / 1920, y * 255 / 1080, (x ^ y) & 0xFF);
  }
  return image;
}

void BM_FireworksTick_Ours(benchmark::State& state) {
  SeededRandom random(1);
  FireworksEngine engine(Photo(), {1920, 1080}, 50, 30, random, GreetingKind);
  engine.Rockets().emplace_back();
  FireworkRocket& rocket = engine.Rockets().front();
  for (auto _ : state) {
    if (!rocket.Exploded || rocket.Y == kFinished) {
      rocket = FireworkRocket{960, 700, 1080, 0x40A0FF, false, std::move(rocket.Particles)};
      engine.Tick();  // the burst
    }
    engine.Tick();
    benchmark::DoNotOptimize(engine.Layer().constBits());
  }
}
BENCHMARK(BM_FireworksTick_Ours)->Unit(benchmark::kMillisecond);

void BM_FireworksTick_QPainter(benchmark::State& state) {
  const QImage picture = Photo();
  QImage layer = picture.copy();
  for (auto _ : state) {
    QPainter painter(&layer);
    painter.setOpacity(30 / 255.0);
    painter.drawImage(0, 0, picture);
    painter.end();
    benchmark::DoNotOptimize(layer.constBits());
  }
}
BENCHMARK(BM_FireworksTick_QPainter)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
