// A whole aspectarian run: the sample chart, every ephemeris body of the shipped set plus
// ASC and MC on both sides, aspects 0 to 16, both passes, periods on. Compared with the same
// run evaluated pair by pair, and with the bare ephemeris calls the run makes.
#include "core/app/session.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/chart/planetary_data.h"
#include "core/search/aspectarian.h"

#include <benchmark/benchmark.h>
#include <swephexp.h>

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kesmora {
namespace {

namespace fs = std::filesystem;

struct RunFixture {
  explicit RunFixture(int days) {
    home = fs::temp_directory_path() / "kesmora-bench-home";
    fs::remove_all(home);
    StartOptions start;
    start.home = home;
    start.executableDir = KESMORA_SHIPPED_DATA_DIR;
    start.formats = LocaleFormats{DateOrder::DayMonthYear, ClockFormat::Hours24};
    StartSession(session, start);
    RecordingInterface ui;
    NamesList natal = ParseNames(std::string(SampleNamesRecord) + "\n");
    NamesList transit = ParseNames("London,06 Dec 2026,0.00,A,0,0.07,51.30,,London\n");
    LoadPersonFromRecord(natal.records[0], session.person1, session.formats.dateOrder);
    LoadPersonFromRecord(transit.records[0], session.person2, session.formats.dateOrder);
    CalculatePlanetaryData(session, ui);

    options.transitToNatal = options.transitToTransit = true;
    options.daysToCalculate = days;
    options.orbBefore = options.orbAfter = 0.5;
    options.periodWindow = 3;
    options.chart = ChartOptionsOf(session.settings);
    for (int i = 1; i <= session.tables.NumPlanetsUsed(); ++i) {
      const PlanetEntry& e = session.tables.Planet(i);
      bool wanted = session.tables.IsBody(i) || e.code == "ASC" || e.code == "MC";
      options.transitPlanets[static_cast<size_t>(i - 1)] = options.natalPlanets[static_cast<size_t>(i - 1)] = wanted;
    }
    options.aspects.fill(true);
    // ASC and MC make several hundred thousand hits a year, far past the 32,767 rows a
    // run may show: the measurement lifts the limit.
    options.hitLimit = 1 << 30;
  }
  ~RunFixture() { fs::remove_all(home); }

  fs::path home;
  Session session;
  RunOptions options;
};

void Run(benchmark::State& state, int days, bool shared, bool periods = true) {
  RunFixture f(days);
  f.options.sharedEvaluation = shared;
  f.options.computePeriods = periods;
  RunInput input = RunInputOf(f.session, f.options);
  int hits = 0;
  EphemerisCalls calls;
  for (auto _ : state) {
    RunResult result = RunAspectarian(input);
    calls = result.ephemerisCalls;
    hits = result.hits.HitCount();
  }
  state.counters["hits"] = hits;
  state.counters["swe_calc"] = static_cast<double>(calls.calc);
  state.counters["swe_houses_ex"] = static_cast<double>(calls.houses);
}

void BM_FullRun365(benchmark::State& state) { Run(state, 365, true); }
BENCHMARK(BM_FullRun365)->Unit(benchmark::kMillisecond)->Iterations(1);

// The pair-by-pair form is slow; its 30-day run shows the ratio without a long wait.
void BM_UnsharedRun30(benchmark::State& state) { Run(state, 30, false); }
BENCHMARK(BM_UnsharedRun30)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FullRun30(benchmark::State& state) { Run(state, 30, true); }
BENCHMARK(BM_FullRun30)->Unit(benchmark::kMillisecond)->Iterations(1);

// The scan alone, without the start and end periods.
void BM_ScanOnly30(benchmark::State& state) { Run(state, 30, true, false); }
BENCHMARK(BM_ScanOnly30)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_UnsharedScanOnly30(benchmark::State& state) { Run(state, 30, false, false); }
BENCHMARK(BM_UnsharedScanOnly30)->Unit(benchmark::kMillisecond)->Iterations(1);


// The floor of a run: the very ephemeris calls it makes, in the same order, bare. The run is
// made on one thread to record them; the floor is compared with the one-thread run.
void Floor(benchmark::State& state, RunInput input, double) {
  input.options.threads = 1;
  std::vector<EphemerisCall> calls;
  LogEphemerisCalls(&calls);
  RunAspectarian(input);
  LogEphemerisCalls(nullptr);
  long long calc = 0, houses = 0;
  for (auto _ : state) {
    double xx[6], cusps[13], ascmc[10];
    char error[256];
    for (const EphemerisCall& c : calls) {
      if (c.houses)
        swe_houses_ex(c.jd, c.flags, c.latitude, c.longitude, c.bodyOrLetter, cusps, ascmc);
      else
        swe_calc(c.jd, c.bodyOrLetter, c.flags, xx, error);
    }
    benchmark::DoNotOptimize(xx);
    benchmark::DoNotOptimize(cusps);
  }
  for (const EphemerisCall& c : calls) (c.houses ? houses : calc)++;
  state.counters["swe_calc"] = static_cast<double>(calc);
  state.counters["swe_houses_ex"] = static_cast<double>(houses);
}

// The same run on one thread, to set against its floor.
void OneThread(benchmark::State& state, RunInput input) {
  input.options.threads = 1;
  for (auto _ : state) benchmark::DoNotOptimize(RunAspectarian(input).hits.HitCount());
}

void BM_Floor365(benchmark::State& state) {
  RunFixture f(365);
  Floor(state, RunInputOf(f.session, f.options), 365);
}
BENCHMARK(BM_Floor365)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Floor30(benchmark::State& state) {
  RunFixture f(30);
  Floor(state, RunInputOf(f.session, f.options), 30);
}
BENCHMARK(BM_Floor30)->Unit(benchmark::kMillisecond)->Iterations(1);

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
  RunInput input = TargetListInput(f);
  int hits = 0;
  EphemerisCalls calls;
  for (auto _ : state) {
    RunResult result = RunAspectarian(input);
    hits = result.hits.HitCount();
    calls = result.ephemerisCalls;
  }
  state.counters["hits"] = hits;
  state.counters["swe_calc"] = static_cast<double>(calls.calc);
  state.counters["swe_houses_ex"] = static_cast<double>(calls.houses);
}
BENCHMARK(BM_TargetLists30)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TargetListsFloor30(benchmark::State& state) {
  RunFixture f(30);
  Floor(state, TargetListInput(f), 30);
}
BENCHMARK(BM_TargetListsFloor30)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TargetListsOneThread30(benchmark::State& state) {
  RunFixture f(30);
  OneThread(state, TargetListInput(f));
}
BENCHMARK(BM_TargetListsOneThread30)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FullRunOneThread30(benchmark::State& state) {
  RunFixture f(30);
  OneThread(state, RunInputOf(f.session, f.options));
}
BENCHMARK(BM_FullRunOneThread30)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FullRunOneThread365(benchmark::State& state) {
  RunFixture f(365);
  OneThread(state, RunInputOf(f.session, f.options));
}
BENCHMARK(BM_FullRunOneThread365)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kesmora
