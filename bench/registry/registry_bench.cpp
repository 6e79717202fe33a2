// Parsing a registry store whose one key line is thousands of levels deep, and the fuzz corpus's
// deep key file as its fuzz target handles it (parse, write, parse the written text again). Every
// level becomes a key of its own; each case should take well under a second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/base/streams.h"
#include "platform/registry/registry.h"

namespace {

namespace reg = plat::registry;

std::string DeepKeyStore(int depth) {
  std::string text = "[HKEY_CLASSES_ROOT";
  for (int i = 0; i < depth; ++i) text += "\\Level" + std::to_string(i);
  return text + "]\n\"v\"=\"deep\"\n";
}

void BM_ParseDeepKey(benchmark::State& state) {
  const std::string text = DeepKeyStore(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const reg::Tree tree = reg::Tree::Parse(text);
    if (tree.KeyCount() != static_cast<size_t>(state.range(0)) + 1)
      state.SkipWithError("a level is missing");
    benchmark::DoNotOptimize(tree);
  }
}
BENCHMARK(BM_ParseDeepKey)->Arg(1500)->Arg(3000)->Unit(benchmark::kMillisecond);

// The store as written back: one line per level, each holding the whole path down to it.
void BM_ParseWrittenDeepKey(benchmark::State& state) {
  const std::string text = reg::Tree::Parse(DeepKeyStore(1500)).Serialize();
  for (auto _ : state) benchmark::DoNotOptimize(reg::Tree::Parse(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseWrittenDeepKey)->Unit(benchmark::kMillisecond);

void BM_FuzzCorpusDeepKey(benchmark::State& state) {
  const std::vector<uint8_t> bytes = plat::ReadWholeFile(VELMORA_REGISTRY_CORPUS "/deep_key.txt");
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  for (auto _ : state) {
    const std::string once = reg::Tree::Parse(text).Serialize();
    benchmark::DoNotOptimize(reg::Tree::Parse(once).Serialize());
  }
}
BENCHMARK(BM_FuzzCorpusDeepKey)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
