// A whole aspectarian run: the sample chart, every ephemeris body of the shipped set plus
// ASC and MC on both sides, aspects 0 to 16, both passes, periods on. Compared with the same
// run evaluated pair by pair, and with the bare ephemeris calls the run makes.
#include "core/search/aspectarian.h"
#include "run_fixture.h"

#include <benchmark/benchmark.h>
#include <swephexp.h>

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

namespace kesmora {
namespace {

using bench::RunFixture;

// The ephemeris calls of a run, from all its threads.
struct CallCounter : EphemerisObserver {
  std::atomic<long long> calc{0}, houses{0};
  void Calculated(double, int, int) override { calc.fetch_add(1, std::memory_order_relaxed); }
  void HousesCalculated(double, int, int) override { houses.fetch_add(1, std::memory_order_relaxed); }
};

// A run as measured: hits, ephemeris calls and calls per hit as counters.
void Measure(benchmark::State& state, RunInput input) {
  CallCounter calls;
  input.ephemerisObserver = &calls;
  RunResult result;
  for (auto _ : state) {
    calls.calc = calls.houses = 0;
    result = RunAspectarian(input);
  }
  double hits = result.hits.HitCount();
  state.counters["hits"] = hits;
  state.counters["swe_calc"] = static_cast<double>(calls.calc);
  state.counters["swe_houses_ex"] = static_cast<double>(calls.houses);
  state.counters["calls_per_hit"] = hits > 0 ? static_cast<double>(calls.calc + calls.houses) / hits : 0;
}

// The year of the sample chart: Sun to Pluto against the sixteen points Sun to Midheaven,
// the five major aspects, transit to natal, periods on, from 1 January 2025; and thirty days
// of the same with the transit Ascendant and Midheaven and the natal Vertex. The same cases
// as a whole kesmora-cli process are timed by bench/process_times.py.
RunInput MajorAspects(RunFixture& f, bool angles, int threads, bool exact) {
  RunOptions& o = f.options;
  o.transitPlanets.fill(false);
  o.natalPlanets.fill(false);
  o.aspects.fill(false);
  for (int k : {0, 6, 8, 10, 14}) o.aspects[static_cast<size_t>(k)] = true;
  for (int i = 1; i <= 16; ++i) o.natalPlanets[static_cast<size_t>(i - 1)] = true;
  for (int i = 1; i <= 10; ++i) o.transitPlanets[static_cast<size_t>(i - 1)] = true;
  if (angles) o.transitPlanets[14] = o.transitPlanets[15] = o.natalPlanets[16] = true;
  o.transitToTransit = false;
  o.threads = threads;
  o.exactEphemeris = exact;
  o.hitLimit = MaxHitRowsDefault;
  return RunInputOf(f.session, o);
}

void BM_Year(benchmark::State& state) {
  RunFixture f(365, "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  Measure(state, MajorAspects(f, false, static_cast<int>(state.range(0)), state.range(1) != 0));
}
BENCHMARK(BM_Year)->ArgNames({"threads", "exact"})->Args({1, 0})->Args({2, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

void BM_MonthWithAngles(benchmark::State& state) {
  RunFixture f(30, "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  Measure(state, MajorAspects(f, true, static_cast<int>(state.range(0)), state.range(1) != 0));
}
BENCHMARK(BM_MonthWithAngles)->ArgNames({"threads", "exact"})->Args({1, 0})->Args({2, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

// The scan floor: one ephemeris call per moving body per day, bare, in a loop.
void BM_ScanFloorYear(benchmark::State& state) {
  RunFixture f(365, "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  double start = f.session.chart.transitJulianDay;
  for (auto _ : state) {
    double xx[6];
    char error[256];
    for (int body = SE_SUN; body <= SE_PLUTO; ++body)
      for (int day = 0; day < 365; ++day) swe_calc(start + day, body, SEFLG_SWIEPH | SEFLG_SPEED, xx, error);
    benchmark::DoNotOptimize(xx);
  }
  state.counters["swe_calc"] = 3650;
}
BENCHMARK(BM_ScanFloorYear)->Unit(benchmark::kMillisecond);

// Every body and point of the shipped set plus ASC and MC on both sides, aspects 0 to 16,
// both passes, thirty days.
void BM_EverythingMonth(benchmark::State& state) {
  RunFixture f(30);
  Measure(state, RunInputOf(f.session, f.options));
}
BENCHMARK(BM_EverythingMonth)->Unit(benchmark::kMillisecond)->Iterations(1);

// The target lists: 20 transit midpoints, 20 natal midpoints, 27 mansion points and 10 degree
// pairs over 30 days, the ten planets on both sides.
RunInput TargetListInput(RunFixture& f) {
  const std::vector<std::string> planets{"Sun", "Moon", "Mercury", "Venus", "Mars",
                                         "Jupiter", "Saturn", "Uranus", "Neptune", "Pluto"};
  std::string midpoints, pads, pairs;
  for (size_t a = 0; a < 5; ++a)
    for (size_t b = a + 1; b < 10 && midpoints.size() < 2000; ++b)
      if (std::count(midpoints.begin(), midpoints.end(), '\n') < 20) midpoints += planets[a] + "/" + planets[b] + "\r\n";
  for (int n = 1; n <= 27; ++n) pads += fmt::format("Nak-{:02d}, pada {}/{}\r\n", n, n % 4 + 1, planets[static_cast<size_t>(n % 10)]);
  for (int n = 0; n < 10; ++n) pairs += fmt::format("Pair {:03d}/{}.5\r\n", n * 36, n * 36 + 7);
  auto write = [&](const char* name, const std::string& text) {
    std::ofstream(f.home / name, std::ios::binary) << text;
    return (f.home / name).string();
  };
  f.session.settings.mpnFilename = write("bench.mpn", midpoints);
  f.session.settings.nmpFilename = write("bench.nmp", midpoints);
  f.session.settings.nakFilename = write("bench.nak", pads);
  f.session.degreePairFile = write("bench.t2n", pairs);
  RunOptions& o = f.options;
  o.transitPlanets.fill(false);
  o.natalPlanets.fill(false);
  for (int i = 1; i <= 10; ++i) o.transitPlanets[static_cast<size_t>(i - 1)] = o.natalPlanets[static_cast<size_t>(i - 1)] = true;
  o.transitToTransit = false;
  o.degreePairs = o.lunarMansions = true;
  o.transitMidpointsToNatalPlanets = o.transitPlanetsToNatalMidpoints = o.transitMidpointsToNatalMidpoints = true;
  return RunInputOf(f.session, o);
}

void BM_TargetLists30(benchmark::State& state) {
  RunFixture f(30);
  Measure(state, TargetListInput(f));
}
BENCHMARK(BM_TargetLists30)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kesmora
