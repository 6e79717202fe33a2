#include "app/output/players/fireworks/fireworks_engine.h"

#include <QPainter>
#include <chrono>
#include <cmath>

namespace players::fireworks {

namespace {

constexpr double kDegreesPerRadian = 57.3;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int16_t kFadeTicks = 40;
constexpr double kSlowing = 1.05;

// Int(r × count): a whole number in [0, count).
int Draw(RandomSource& random, int count) {
  return static_cast<int>(std::floor(random.Next() * count));
}

uint32_t RandomColour(RandomSource& random) {
  return static_cast<uint32_t>(std::floor(random.Next() * 16777215.0));
}

FireworkParticle Spark(const FireworkRocket& rocket, double speed, double angle, int16_t life,
                       uint32_t colour) {
  FireworkParticle spark;
  spark.X = rocket.X;
  spark.Y = rocket.Y;
  spark.VX = static_cast<float>(speed * std::cos(angle / kDegreesPerRadian));
  spark.VY = static_cast<float>(speed * std::sin(angle / kDegreesPerRadian));
  spark.Life = life;
  spark.Color = colour;
  return spark;
}

void ScatterBurst(FireworkRocket& rocket, bool own_colours, RandomSource& random) {
  const int n = Draw(random, 100) + 100;
  for (int i = 0; i <= n; ++i) {
    const auto life = static_cast<int16_t>(Draw(random, 20) + 20);
    const double speed = random.Next() * 5;
    const double angle = random.Next() * 360;
    const uint32_t colour = own_colours ? RandomColour(random) : rocket.Color;
    rocket.Particles.push_back(Spark(rocket, speed, angle, life, colour));
  }
}

void SmileyBurst(FireworkRocket& rocket) {
  for (int i = 0; i <= 52; ++i) {
    double angle, speed = 2;
    if (i <= 35) {
      angle = (i + 1) * 360.0 / 35;
      speed = 3;
    } else if (i <= 50) {
      angle = i * 360.0 / 35 + 15;
    } else {
      angle = i == 51 ? -55 : -125;
    }
    rocket.Particles.push_back(Spark(rocket, speed, angle, 50, rocket.Color));
  }
}

// Star and spiral: 51 sparks turning by `step` degrees from a base angle, ever faster.
void RayBurst(FireworkRocket& rocket, double step, double base) {
  for (int i = 0; i <= 50; ++i)
    rocket.Particles.push_back(Spark(rocket, 0.1 * i, (i + 1) * step + base, 50, rocket.Color));
}

uint32_t ToRgb(uint32_t colour) {
  return 0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

QImage AtSize(const QImage& picture, QSize size) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  return rgb.size() == size ? rgb
                            : rgb.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

uint32_t SeededRandom::ClockSeed() {
  return static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

BurstKind GreetingKind(RandomSource& random) {
  return Draw(random, 2) == 1 ? BurstKind::kMulti : BurstKind::kMono;
}

BurstKind ScreensaverKind(RandomSource& random, const BurstSwitches& switches) {
  switch (Draw(random, 6)) {
    case 0:
      return switches.ShowRegular ? BurstKind::kMono : BurstKind::kNone;
    case 1:
      return switches.ShowSmiley ? BurstKind::kSmiley : BurstKind::kNone;
    case 2:
      return switches.ShowStar ? BurstKind::kStar : BurstKind::kNone;
    case 3:
      return switches.ShowSpiral ? BurstKind::kSpiral : BurstKind::kNone;
    case 4:
      return switches.ShowRandom ? BurstKind::kMulti : BurstKind::kNone;
    default:
      return BurstKind::kNone;
  }
}

void Burst(FireworkRocket& rocket, BurstKind kind, RandomSource& random) {
  rocket.Particles.clear();
  switch (kind) {
    case BurstKind::kMono:
    case BurstKind::kMulti:
      ScatterBurst(rocket, kind == BurstKind::kMulti, random);
      break;
    case BurstKind::kSmiley:
      SmileyBurst(rocket);
      break;
    case BurstKind::kStar:
      RayBurst(rocket, 72, Draw(random, 360));
      break;
    case BurstKind::kSpiral:
      RayBurst(rocket, 14.4, random.Next() * 360);
      break;
    case BurstKind::kNone:
      return;
  }
  rocket.Exploded = true;
}

FireworksEngine::FireworksEngine(const QImage& picture, QSize layer_size, int16_t speed,
                                 uint8_t alpha, RandomSource& random, KindChooser choose)
    : clean_(AtSize(picture, layer_size)),
      layer_(clean_.copy()),
      speed_(speed),
      alpha_(alpha),
      random_(random),
      choose_(std::move(choose)) {}

void FireworksEngine::SetPicture(const QImage& picture) {
  clean_ = AtSize(picture, layer_.size());
}

void FireworksEngine::Tick() {
  bright_.clear();
  for (FireworkRocket& rocket : rockets_) MoveRocket(rocket);
  BlendPicture();
}

void FireworksEngine::MoveRocket(FireworkRocket& rocket) {
  if (rocket.Exploded) {
    MoveSparks(rocket);
    return;
  }
  rocket.Y -= static_cast<float>(speed_);
  if (rocket.Y < rocket.TargetY) {
    const BurstKind kind = choose_(random_);
    if (kind != BurstKind::kNone) Burst(rocket, kind, random_);
    return;
  }
  SetLayerPixel(rocket.X, rocket.Y, kWhite);
}

void FireworksEngine::MoveSparks(FireworkRocket& rocket) {
  int finished = 0;
  for (FireworkParticle& spark : rocket.Particles) {
    if (spark.Life > 0) {
      --spark.Life;
      spark.X += spark.VX;
      spark.Y += spark.VY;
      spark.VX = static_cast<float>(spark.VX / kSlowing);
      spark.VY = static_cast<float>(spark.VY / kSlowing + 0.05);
      bright_.push_back({QPoint(static_cast<int>(std::nearbyint(spark.X)),
                                static_cast<int>(std::nearbyint(spark.Y))),
                         spark.Color});
    } else if (spark.Life > -kFadeTicks) {
      --spark.Life;
      spark.X = static_cast<float>(spark.X + spark.VX + (0.5 - random_.Next()));
      spark.Y = static_cast<float>(spark.Y + spark.VY + 0.1);
      spark.VX = static_cast<float>(spark.VX / kSlowing);
      SetLayerPixel(spark.X, spark.Y, spark.Color);
    } else {
      spark.Dead = true;
      ++finished;
    }
  }
  if (finished >= static_cast<int>(rocket.Particles.size()) - 1) rocket.Y = kFinished;
}

void FireworksEngine::SetLayerPixel(float x, float y, uint32_t color) {
  const double px = std::nearbyint(x), py = std::nearbyint(y);
  if (px < 0 || py < 0 || px >= layer_.width() || py >= layer_.height()) return;
  reinterpret_cast<uint32_t*>(layer_.scanLine(static_cast<int>(py)))[static_cast<int>(px)] =
      ToRgb(color);
}

void FireworksEngine::BlendPicture() {
  QPainter painter(&layer_);
  painter.setOpacity(alpha_ / 255.0);
  painter.drawImage(0, 0, clean_);
}

}  // namespace players::fireworks
