// The atlas as the user types: one search of every city per keystroke, for the worst keystroke
// (one letter, the most matches) and a whole name; and reading the atlas when it first opens.
#include "core/persons/atlas.h"

#include <benchmark/benchmark.h>

#include <string>

namespace kesmora {
namespace {

const Atlas& WorldAtlas() {
  static const Atlas atlas = Atlas::Shipped();
  return atlas;
}

// Each keystroke of "Springfield" (with "Illinois" as the state) is one search, as the window
// makes it; the figure is per keystroke.
void BM_AtlasTypeAhead(benchmark::State& state) {
  const Atlas& atlas = WorldAtlas();
  const std::string name = "Springfield";
  for (auto _ : state) {
    for (size_t n = 1; n <= name.size(); ++n) benchmark::DoNotOptimize(atlas.Search(name.substr(0, n), "Illinois"));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(name.size()));
  state.counters["places"] = static_cast<double>(atlas.Size());
}
BENCHMARK(BM_AtlasTypeAhead)->Unit(benchmark::kMillisecond);

void BM_AtlasOneLetter(benchmark::State& state) {
  const Atlas& atlas = WorldAtlas();
  for (auto _ : state) benchmark::DoNotOptimize(atlas.Search("s", ""));
}
BENCHMARK(BM_AtlasOneLetter)->Unit(benchmark::kMillisecond);

void BM_AtlasLoad(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Atlas::Shipped());
}
BENCHMARK(BM_AtlasLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kesmora
