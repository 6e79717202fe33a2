#pragma once
// A random source that hands out a script of numbers, then `rest` for ever.
#include <deque>

#include "app/output/players/fireworks/random_source.h"

namespace players::fireworks {

class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<double> script = {}, double rest = 0.5)
      : script_(std::move(script)), rest_(rest) {}
  double Next() override {
    ++drawn_;
    if (script_.empty()) return rest_;
    const double value = script_.front();
    script_.pop_front();
    return value;
  }
  void Add(std::initializer_list<double> values) { script_.insert(script_.end(), values); }
  int Drawn() const { return drawn_; }

 private:
  std::deque<double> script_;
  double rest_;
  int drawn_ = 0;
};

}  // namespace players::fireworks
