// The fireworks engine with a scripted random source: spark counts and lives, the burst shapes,
// the screensaver's kind switches, and the blend that wipes trails (pixel probes).
#include <gtest/gtest.h>

#include <cmath>

#include "app/output/players/fireworks/fireworks_engine.h"
#include "scripted_random.h"

namespace players::fireworks {
namespace {

constexpr uint32_t kOrange = 0x0040A0FF;  // 0x00BBGGRR

QImage Grey(QSize size = {640, 480}) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(100, 100, 100));
  return image;
}

// A rocket rising from (x, y) towards `target`.
FireworkRocket Rocket(float x, float y, int16_t target, uint32_t colour = kOrange) {
  FireworkRocket rocket;
  rocket.X = x;
  rocket.Y = y;
  rocket.TargetY = target;
  rocket.Color = colour;
  return rocket;
}

KindChooser Always(BurstKind kind) {
  return [kind](RandomSource&) { return kind; };
}

struct Bed {
  explicit Bed(KindChooser choose, uint8_t alpha = 30, std::deque<double> script = {})
      : random(std::move(script)),
        engine(Grey(), {640, 480}, 50, alpha, random, std::move(choose)) {}
  ScriptedRandom random;
  FireworksEngine engine;
};

TEST(FireworksEngine, MonoBurstOfHundredAndOneSparksEndsWhenHundredAreDead) {
  // Kind mono (0.2), n = 100 (0.0); spark 0 lives 39 ticks (0.95), the others 20 (0.0).
  Bed bed(GreetingKind, 30, {0.2, 0.0, 0.95, 0.5, 0.25});
  for (int i = 1; i <= 100; ++i) bed.random.Add({0.0, 0.5, 0.25});
  bed.engine.Rockets().push_back(Rocket(100, 200, 480));
  bed.engine.Tick();
  FireworkRocket& rocket = bed.engine.Rockets()[0];
  ASSERT_TRUE(rocket.Exploded);
  ASSERT_EQ(rocket.Particles.size(), 101u);
  for (const FireworkParticle& spark : rocket.Particles) {
    EXPECT_EQ(spark.Color, kOrange);
    EXPECT_FLOAT_EQ(spark.X, 100);
    EXPECT_FLOAT_EQ(spark.Y, 150);
  }
  EXPECT_EQ(rocket.Particles[0].Life, 39);
  EXPECT_EQ(rocket.Particles[1].Life, 20);
  // 20 bright ticks, 40 fading, then dead: at the 61st tick the hundred short sparks are dead.
  for (int tick = 1; tick <= 60; ++tick) {
    bed.engine.Tick();
    ASSERT_NE(rocket.Y, kFinished) << tick;
  }
  bed.engine.Tick();
  EXPECT_EQ(rocket.Y, kFinished);
  EXPECT_FALSE(rocket.Particles[0].Dead);
  EXPECT_TRUE(rocket.Particles[100].Dead);
}

TEST(FireworksEngine, SparksAreBrightForTheirLifeAndFadeFortyTicksMore) {
  for (const int16_t life : {20, 39}) {
    SCOPED_TRACE(life);
    ScriptedRandom random;
    FireworksEngine engine(Grey(), {640, 480}, 50, 30, random, Always(BurstKind::kMono));
    FireworkRocket rocket = Rocket(300, 200, 0);
    rocket.Exploded = true;
    rocket.Particles.push_back({300, 200, 1, 0, life, false, kOrange});
    rocket.Particles.push_back({300, 200, 0, 0, 1000, false, kOrange});  // keeps the rocket on
    engine.Rockets().push_back(rocket);
    int bright = 0, fading = 0, ticks = 0;
    const FireworkParticle& spark = engine.Rockets()[0].Particles[0];
    while (!spark.Dead && ticks < 500) {
      const int16_t before = spark.Life;
      engine.Tick();
      ++ticks;
      if (spark.Dead) break;
      (before > 0 ? bright : fading)++;
      // Only the second spark and, while bright, the first are on the window surface.
      EXPECT_EQ(engine.BrightPoints().size(), before > 0 ? 2u : 1u);
    }
    EXPECT_EQ(bright, life);
    EXPECT_EQ(fading, 40);
    EXPECT_EQ(bright + fading, life + 40);
  }
}

TEST(FireworksEngine, SmileySparksAfterOneTick) {
  Bed bed(Always(BurstKind::kSmiley));
  bed.engine.Rockets().push_back(Rocket(320, 300, 400));
  bed.engine.Tick();
  FireworkRocket& rocket = bed.engine.Rockets()[0];
  ASSERT_EQ(rocket.Particles.size(), 53u);
  bed.engine.Tick();
  // (index, angle in degrees, speed)
  const struct {
    int i;
    double angle, speed;
  } expected[] = {{0, 360.0 / 35, 3},
                  {35, 36 * 360.0 / 35, 3},
                  {36, 36 * 360.0 / 35 + 15, 2},
                  {50, 50 * 360.0 / 35 + 15, 2},
                  {51, -55, 2},
                  {52, -125, 2}};
  for (const auto& e : expected) {
    const FireworkParticle& spark = rocket.Particles[static_cast<size_t>(e.i)];
    EXPECT_NEAR(spark.X, 320 + e.speed * std::cos(e.angle / 57.3), 1e-4) << e.i;
    EXPECT_NEAR(spark.Y, 250 + e.speed * std::sin(e.angle / 57.3), 1e-4) << e.i;
    EXPECT_EQ(spark.Life, 49);
    EXPECT_EQ(spark.Color, kOrange);
  }
}

TEST(FireworksEngine, StarRoundsItsBaseAngleAndSpiralKeepsTheFraction) {
  const double base = 0.5001;  // 180.036 degrees
  ScriptedRandom star_random({base}), spiral_random({base});
  FireworkRocket star = Rocket(0, 0, 0), spiral = Rocket(0, 0, 0);
  Burst(star, BurstKind::kStar, star_random);
  Burst(spiral, BurstKind::kSpiral, spiral_random);
  ASSERT_EQ(star.Particles.size(), 51u);
  ASSERT_EQ(spiral.Particles.size(), 51u);
  for (int i : {1, 10, 50}) {
    const FireworkParticle& s = star.Particles[static_cast<size_t>(i)];
    const FireworkParticle& p = spiral.Particles[static_cast<size_t>(i)];
    EXPECT_NEAR(s.VX, 0.1 * i * std::cos(((i + 1) * 72 + 180) / 57.3), 1e-5) << i;
    EXPECT_NEAR(s.VY, 0.1 * i * std::sin(((i + 1) * 72 + 180) / 57.3), 1e-5) << i;
    EXPECT_NEAR(p.VX, 0.1 * i * std::cos(((i + 1) * 14.4 + 180.036) / 57.3), 1e-5) << i;
    EXPECT_NEAR(p.VY, 0.1 * i * std::sin(((i + 1) * 14.4 + 180.036) / 57.3), 1e-5) << i;
  }
  EXPECT_EQ(star.Particles[0].VX, 0);
  EXPECT_EQ(star.Particles[0].VY, 0);
}

TEST(FireworksEngine, FirstStarSparkKeepsItsColumnWhileBrightThenOnlyDrifts) {
  Bed bed(Always(BurstKind::kStar), 30, {0.1});
  bed.engine.Rockets().push_back(Rocket(200, 300, 400));
  bed.engine.Tick();
  const FireworkParticle& first = bed.engine.Rockets()[0].Particles[0];
  float last_y = first.Y;
  for (int tick = 1; tick <= 50; ++tick) {  // bright: no sideways speed, only the pull down
    bed.engine.Tick();
    EXPECT_EQ(first.X, 200) << tick;
    EXPECT_GE(first.Y, last_y) << tick;
    last_y = first.Y;
  }
  EXPECT_GT(last_y, 250);  // pulled down from the burst centre
  // Fading: 0.5 - r to the side, 0.1 more down; the other 50 sparks draw after the first.
  bed.random.Add({0.9});
  for (int i = 0; i < 50; ++i) bed.random.Add({0.5});
  bed.random.Add({0.1});
  bed.engine.Tick();
  EXPECT_NEAR(first.X, 200 - 0.4, 1e-5);
  bed.engine.Tick();
  EXPECT_NEAR(first.X, 200 - 0.4 + 0.4, 1e-5);
  EXPECT_GT(first.Y, last_y);
}

TEST(FireworksEngine, OnlySmileySwitchedOnBurstsOnlyOnASmileyDraw) {
  BurstSwitches only_smiley{false, true, false, false, false};
  ScriptedRandom random({0.0, 0.5, 0.95, 0.7, 1.0 / 6 + 0.01});  // mono, star, none, random, smiley
  FireworksEngine engine(Grey(), {640, 480}, 50, 255, random,
                         [&](RandomSource& r) { return ScreensaverKind(r, only_smiley); });
  engine.Rockets().push_back(Rocket(100, 460, 420));
  FireworkRocket& rocket = engine.Rockets()[0];
  engine.Tick();  // 410: above the line, first draw switched off
  EXPECT_FALSE(rocket.Exploded);
  for (int tick = 2; tick <= 4; ++tick) {
    engine.Tick();
    EXPECT_FALSE(rocket.Exploded) << tick;
  }
  EXPECT_EQ(rocket.Y, 460 - 4 * 50);  // still rising past its line
  engine.Tick();
  EXPECT_TRUE(rocket.Exploded);
  EXPECT_EQ(rocket.Particles.size(), 53u);
  EXPECT_EQ(random.Drawn(), 5);
}

TEST(FireworksEngine, ScreensaverKindsByDraw) {
  const BurstSwitches all;
  const std::pair<double, BurstKind> cases[] = {{0.0, BurstKind::kMono},  {0.2, BurstKind::kSmiley},
                                                {0.4, BurstKind::kStar},  {0.6, BurstKind::kSpiral},
                                                {0.7, BurstKind::kMulti}, {0.9, BurstKind::kNone}};
  for (const auto& [r, kind] : cases) {
    ScriptedRandom random({r});
    EXPECT_EQ(ScreensaverKind(random, all), kind) << r;
  }
  ScriptedRandom greeting({0.49, 0.5});
  EXPECT_EQ(GreetingKind(greeting), BurstKind::kMono);
  EXPECT_EQ(GreetingKind(greeting), BurstKind::kMulti);
}

TEST(FireworksEngine, MultiColourSparksDrawTheirOwnColourLast) {
  ScriptedRandom random({0.0});  // n = 100
  for (int i = 0; i <= 100; ++i) random.Add({0.0, 0.2, 0.5, i / 101.0});
  FireworkRocket rocket = Rocket(0, 0, 0);
  Burst(rocket, BurstKind::kMulti, random);
  ASSERT_EQ(rocket.Particles.size(), 101u);
  EXPECT_EQ(rocket.Particles[0].Color, 0u);
  EXPECT_EQ(rocket.Particles[50].Color, static_cast<uint32_t>(std::floor(50 / 101.0 * 16777215.0)));
  EXPECT_NEAR(rocket.Particles[50].VX, 1.0 * std::cos(180 / 57.3), 1e-5);
}

// A fading red spark at (10, 10) over grey; the layer's pixel there after each tick.
QColor TrailAfterTicks(uint8_t alpha, int ticks) {
  ScriptedRandom random;  // 0.5: no sideways jitter
  FireworksEngine engine(Grey({40, 40}), {40, 40}, 50, alpha, random, Always(BurstKind::kMono));
  FireworkRocket rocket = Rocket(10, 10, 0);
  rocket.Exploded = true;
  rocket.Particles.push_back({10, 10, 0, 0, 0, false, 0x0000FF});
  rocket.Particles.push_back({30, 30, 0, 0, 1000, false, 0x0000FF});
  engine.Rockets().push_back(rocket);
  for (int i = 0; i < ticks; ++i) engine.Tick();
  return engine.Layer().pixelColor(10, 10);
}

TEST(FireworksEngine, ConstantAlphaDecidesHowLongTrailsLast) {
  EXPECT_EQ(TrailAfterTicks(255, 1), QColor(100, 100, 100));  // wiped by the tick's blend
  const QColor kept = TrailAfterTicks(1, 1);
  EXPECT_GE(kept.red(), 250);
  EXPECT_LE(kept.green(), 2);
  // Five ticks on, the spark has moved half a pixel down: the trail stays, a little paler.
  const QColor later = TrailAfterTicks(1, 6);
  EXPECT_GE(later.red(), 245);
  EXPECT_LE(later.green(), 6);
  // Alpha 30: 30 parts of the picture to 225 of the spark, within a rounding step.
  const QColor alpha30 = TrailAfterTicks(30, 1);
  EXPECT_NEAR(alpha30.red(), (30 * 100 + 225 * 255) / 255.0, 1.5);
  EXPECT_NEAR(alpha30.green(), 30 * 100 / 255.0, 1.5);
  EXPECT_NEAR(alpha30.blue(), 30 * 100 / 255.0, 1.5);
}

TEST(FireworksEngine, RisingHeadIsAWhitePixelAndPictureIsStretchedToTheLayer) {
  ScriptedRandom random;
  QImage picture = Grey({20, 10});
  FireworksEngine engine(picture, {40, 20}, 5, 255, random, Always(BurstKind::kMono));
  EXPECT_EQ(engine.Layer().size(), QSize(40, 20));
  EXPECT_EQ(engine.Layer().pixelColor(39, 19), QColor(100, 100, 100));
  FireworksEngine opaque(Grey({40, 40}), {40, 40}, 5, 0, random, Always(BurstKind::kMono));
  opaque.Rockets().push_back(Rocket(7, 30, 2));
  opaque.Tick();
  EXPECT_EQ(opaque.Layer().pixelColor(7, 25), QColor(255, 255, 255));
  EXPECT_EQ(opaque.Layer().pixelColor(7, 30), QColor(100, 100, 100));
}

TEST(FireworksEngine, ANewPictureIsStretchedToTheLayerAndFadedIn) {
  ScriptedRandom random;
  FireworksEngine engine(Grey({40, 20}), {40, 20}, 5, 128, random, Always(BurstKind::kMono));
  QImage white(10, 5, QImage::Format_RGB32);
  white.fill(Qt::white);
  engine.SetPicture(white);
  EXPECT_EQ(engine.Layer().pixelColor(39, 19), QColor(100, 100, 100));
  engine.Tick();
  const int halfway = engine.Layer().pixelColor(39, 19).red();
  EXPECT_GT(halfway, 170);
  EXPECT_LT(halfway, 185);
  for (int i = 0; i < 10; ++i) engine.Tick();
  EXPECT_EQ(engine.Layer().size(), QSize(40, 20));
  EXPECT_GT(engine.Layer().pixelColor(0, 0).red(), 250);
  EXPECT_GT(engine.Layer().pixelColor(39, 19).red(), 250);
}

}  // namespace
}  // namespace players::fireworks
