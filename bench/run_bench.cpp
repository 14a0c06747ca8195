// A whole aspectarian run: the sample chart, every ephemeris body of the shipped set plus
// ASC and MC on both sides, aspects 0 to 16, both passes, periods on. Compared with the same
// run evaluated pair by pair, and with the bare ephemeris calls the run makes.
#include "app/session.h"
#include "app/startup.h"
#include "app/user_interface.h"
#include "chart/planetary_data.h"
#include "search/aspectarian.h"

#include <benchmark/benchmark.h>
#include <swephexp.h>

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

void BM_UnsharedRun365(benchmark::State& state) { Run(state, 365, false); }
BENCHMARK(BM_UnsharedRun365)->Unit(benchmark::kMillisecond)->Iterations(1);

// The floor: as many swe_calc and swe_houses_ex calls as the 365-day run makes, bare, moving
// through the year in time order.
void BM_Floor365(benchmark::State& state) {
  RunFixture f(365);
  RunInput input = RunInputOf(f.session, f.options);
  EphemerisCalls made = RunAspectarian(input).ephemerisCalls;
  std::vector<int> bodies;
  for (int i = 1; i <= f.session.tables.NumPlanetsUsed(); ++i)
    if (f.session.tables.IsBody(i)) bodies.push_back(f.session.tables.Planet(i).sweNumber);
  double start = f.session.chart.transitJulianDay;
  for (auto _ : state) {
    double xx[6], cusps[13], ascmc[10];
    char error[256];
    double stepCalc = 365.0 / static_cast<double>(made.calc);
    for (long long n = 0; n < made.calc; ++n)
      swe_calc(start + static_cast<double>(n) * stepCalc, bodies[static_cast<size_t>(n) % bodies.size()],
               SEFLG_SWIEPH | SEFLG_SPEED, xx, error);
    double stepHouses = 365.0 / static_cast<double>(std::max<long long>(made.houses, 1));
    for (long long n = 0; n < made.houses; ++n)
      swe_houses_ex(start + static_cast<double>(n) * stepHouses, SEFLG_SWIEPH | SEFLG_SPEED, 51.5, -0.1, 'P',
                    cusps, ascmc);
    benchmark::DoNotOptimize(xx);
  }
  state.counters["swe_calc"] = static_cast<double>(made.calc);
  state.counters["swe_houses_ex"] = static_cast<double>(made.houses);
}
BENCHMARK(BM_Floor365)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kesmora
