#pragma once
// The fireworks' random numbers: uniform in [0, 1), from a source the player chooses (a fixed
// seed where every run must look the same, the clock otherwise) and a test can script.
#include <cstdint>
#include <random>

namespace players::fireworks {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A fresh number in [0, 1).
  virtual double Next() = 0;
};

class SeededRandom final : public RandomSource {
 public:
  explicit SeededRandom(uint32_t seed) : generator_(seed) {}
  double Next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(generator_); }

  // A seed from the clock, for players whose fireworks differ at every run.
  static uint32_t ClockSeed();

 private:
  std::mt19937 generator_;
};

}  // namespace players::fireworks
