// Cost of one whole chart and of one moving point, the unit of every search.
#include "core/chart/chart_calculator.h"
#include "core/reference/reference_tables.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace kesmora {
namespace {

struct ChartFixture {
  ChartFixture() {
    LoadReferenceData(tables, KESMORA_SHIPPED_DATA_DIR);
    record.Size(tables.NumPlanetsUsed());
    record.inputs = ChartInputs{22, 9, 1949, 16.35889f, 43, -95.3833, 29.75};
  }
  EphemerisThread ephemeris{std::filesystem::temp_directory_path()};
  ReferenceTables tables;
  ChartRecord record;
};

int IndexOfCode(const ReferenceTables& t, const std::string& code) {
  for (int i = 1; i <= t.NumPlanetsUsed(); ++i)
    if (t.Planet(i).code == code) return i;
  return 0;
}

void BM_CalcChart(benchmark::State& state) {
  ChartFixture f;
  ChartCalculator calc(f.tables, f.record, {Zodiac::Tropical, HouseSystem::Placidus});
  // A new moment each time: libswe keeps the last position of each body, so repeating
  // one moment would measure its cache.
  for (auto _ : state) {
    f.record.inputs.minute += 1;
    calc.CalcChart(false);
    benchmark::DoNotOptimize(f.record.planetLon.data());
  }
}
BENCHMARK(BM_CalcChart)->Unit(benchmark::kMicrosecond);

// Successive calls a minute apart, as a time scan makes them.
void CalcPointAtLoop(benchmark::State& state, const std::string& code) {
  ChartFixture f;
  ChartCalculator calc(f.tables, f.record, {Zodiac::Tropical, HouseSystem::Placidus});
  int index = IndexOfCode(f.tables, code);
  double jd = 2433182.2;
  for (auto _ : state) {
    benchmark::DoNotOptimize(calc.CalcPointAt(jd, index));
    jd += 1.0 / 1440;
  }
}

void BM_CalcPointAt_Body(benchmark::State& state) { CalcPointAtLoop(state, "MOON"); }
BENCHMARK(BM_CalcPointAt_Body)->Unit(benchmark::kMicrosecond);

void BM_CalcPointAt_Ascendant(benchmark::State& state) { CalcPointAtLoop(state, "ASC"); }
BENCHMARK(BM_CalcPointAt_Ascendant)->Unit(benchmark::kMicrosecond);

void BM_CalcPointAt_PartOfFortune(benchmark::State& state) { CalcPointAtLoop(state, "POF_d"); }
BENCHMARK(BM_CalcPointAt_PartOfFortune)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kesmora
