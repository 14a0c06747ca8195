// Counting the hits in force at each minute of a day: one pass over the hits, whatever their number.
#include "core/results/hotspots.h"

#include <benchmark/benchmark.h>

#include <random>

namespace kesmora {
namespace {

// A day's worth of hits around 1 March 2024 with periods of minutes to hours; one in ten is a
// transit-to-transit aspect found from both points, and some lack a start or an end.
HotspotHits SyntheticHits(int count) {
  std::mt19937 rng(1949);
  std::uniform_real_distribution<double> around(2460370.5 - 2, 2460370.5 + 3), orb(0.001, 0.2);
  std::uniform_int_distribution<int> point(1, 20), aspect(0, 16), chance(0, 99);
  HotspotHits out;
  out.timeZoneHours = -11;
  while (static_cast<int>(out.hits.size()) < count) {
    HotspotHit h;
    h.exactJd = around(rng);
    if (chance(rng) >= 5) h.startJd = h.exactJd - orb(rng);
    if (chance(rng) >= 5) h.endJd = h.exactJd + orb(rng);
    h.movingPoint = point(rng);
    h.secondPoint = point(rng) % 19 + 1;
    h.aspect = aspect(rng);
    h.pass = chance(rng) < 10 && h.movingPoint != h.secondPoint ? 1 : 0;
    out.hits.push_back(h);
    if (h.pass == 1 && static_cast<int>(out.hits.size()) < count) {
      std::swap(h.movingPoint, h.secondPoint);
      out.hits.push_back(h);
    }
  }
  return out;
}

void BM_CountHotspots(benchmark::State& state) {
  HotspotHits hits = SyntheticHits(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    HotspotCount count = CountHotspots(hits, CivilDate{2024, 3, 1});
    benchmark::DoNotOptimize(count.counts.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CountHotspots)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kesmora
