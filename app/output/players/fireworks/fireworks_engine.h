#pragma once
// Particle fireworks over a picture: rockets rise as a white point, burst into sparks that fly
// out and slow down, and fading sparks leave trails on the picture layer that the clean picture,
// blended back at every tick, wipes away. Angles are degrees divided by 57.3.
#include <QImage>
#include <QPoint>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/output/players/fireworks/random_source.h"

namespace players::fireworks {

struct FireworkParticle {
  float X = 0, Y = 0;
  float VX = 0, VY = 0;  // pixels per tick
  int16_t Life = 0;      // bright while above 0, fading down to -40
  bool Dead = false;
  uint32_t Color = 0;  // 0x00BBGGRR
};

struct FireworkRocket {
  // The rising head, then the burst centre; Y = -1 marks a finished rocket.
  float X = 0, Y = 0;
  int16_t TargetY = 0;  // the rocket bursts once Y is above this line (smaller)
  uint32_t Color = 0;
  bool Exploded = false;
  std::vector<FireworkParticle> Particles;
};

constexpr float kFinished = -1.0f;

enum class BurstKind { kMono, kMulti, kSmiley, kStar, kSpiral, kNone };

// Which burst a rocket makes when it reaches its line; kNone keeps it rising another tick.
using KindChooser = std::function<BurstKind(RandomSource&)>;

// The greeting's choice: mono or multi colour at even odds.
BurstKind GreetingKind(RandomSource& random);

// The screensaver's choice among six draws, five of them kinds that can be switched off.
struct BurstSwitches {
  bool ShowRegular = true;
  bool ShowSmiley = true;
  bool ShowStar = true;
  bool ShowSpiral = true;
  bool ShowRandom = true;
};
BurstKind ScreensaverKind(RandomSource& random, const BurstSwitches& switches);

// Gives the rocket the sparks of `kind` (not kNone) at its position and marks it exploded.
void Burst(FireworkRocket& rocket, BurstKind kind, RandomSource& random);

// A spark in its bright phase, drawn on the window surface until the tick's repaint.
struct BrightPoint {
  QPoint Position;
  uint32_t Color;
};

class FireworksEngine {
 public:
  // `picture` is the clean picture; the layer starts as a copy of it at `layer_size` (the
  // picture is stretched onto it when the sizes differ). `random` must outlive the engine.
  FireworksEngine(const QImage& picture, QSize layer_size, int16_t speed, uint8_t alpha,
                  RandomSource& random, KindChooser choose);

  std::vector<FireworkRocket>& Rockets() { return rockets_; }
  // Moves every rocket one tick, then blends the clean picture onto the layer.
  void Tick();
  // One tick of one rocket.
  void MoveRocket(FireworkRocket& rocket);

  // A new clean picture, stretched to the layer's size: the blend fades the layer into it.
  void SetPicture(const QImage& picture);

  const QImage& Layer() const { return layer_; }
  // The bright sparks of the last tick, for the window surface.
  const std::vector<BrightPoint>& BrightPoints() const { return bright_; }
  RandomSource& Random() { return random_; }

 private:
  void MoveSparks(FireworkRocket& rocket);
  void SetLayerPixel(float x, float y, uint32_t color);
  void BlendPicture();

  QImage clean_;  // at the layer's size
  QImage layer_;
  int16_t speed_;
  uint8_t alpha_;
  RandomSource& random_;
  KindChooser choose_;
  std::vector<FireworkRocket> rockets_;
  std::vector<BrightPoint> bright_;
};

}  // namespace players::fireworks
