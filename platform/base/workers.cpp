#include "platform/base/workers.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace plat {

namespace {

int Cores() {
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// 0 when the variable is unset or not a positive whole number.
int Limit() {
  const char* text = std::getenv(kWorkersVariable);
  if (text == nullptr) return 0;
  const char* end = text + std::strlen(text);
  int value = 0;
  auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc() && stop == end && value > 0 ? value : 0;
}

}  // namespace

int WorkerCount() {
  const int limit = Limit();
  return limit > 0 ? std::min(Cores(), limit) : Cores();
}

}  // namespace plat
