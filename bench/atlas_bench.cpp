// The atlas as the user types: one search of every name of every city per keystroke, for the worst
// keystroke (one letter, the most matches), a whole name and a former name; reading the index
// when the atlas first opens, and the memory the loaded index takes.
#include "core/persons/atlas.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <unistd.h>

namespace kesmora {
namespace {

const Atlas& WorldAtlas() {
  static const Atlas atlas = Atlas::Shipped();
  return atlas;
}

// Each keystroke of the name (with the state, if any) is one search, as the window makes it; the
// figure is per keystroke.
void TypeAhead(benchmark::State& state, const std::string& name, const std::string& region) {
  const Atlas& atlas = WorldAtlas();
  for (auto _ : state) {
    for (size_t n = 1; n <= name.size(); ++n) benchmark::DoNotOptimize(atlas.Search(name.substr(0, n), region));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(name.size()));
  state.counters["per_keystroke_ms"] =
      benchmark::Counter(static_cast<double>(state.iterations() * name.size()) / 1000,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["places"] = static_cast<double>(atlas.Size());
}
BENCHMARK_CAPTURE(TypeAhead, Springfield_Illinois, std::string("Springfield"), std::string("Illinois"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TypeAhead, Puttaparthi, std::string("Puttaparthi"), std::string())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TypeAhead, Leningrad, std::string("Leningrad"), std::string())->Unit(benchmark::kMillisecond);

void BM_AtlasOneLetter(benchmark::State& state) {
  const Atlas& atlas = WorldAtlas();
  for (auto _ : state) benchmark::DoNotOptimize(atlas.Search("s", ""));
}
BENCHMARK(BM_AtlasOneLetter)->Unit(benchmark::kMillisecond);

void BM_AtlasLoad(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Atlas::Shipped());
}
BENCHMARK(BM_AtlasLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// What a loaded atlas adds to the resident memory of the process.
void BM_AtlasResidentMemory(benchmark::State& state) {
  for (auto _ : state) {
    const double before = ResidentMb();
    const Atlas atlas = Atlas::Shipped();
    benchmark::DoNotOptimize(atlas.Search("s", ""));
    state.counters["resident_MB"] = ResidentMb() - before;
  }
}
BENCHMARK(BM_AtlasResidentMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kesmora
