// The aspect search against a brute-force scan at one-minute steps over the same ephemeris:
// every crossing the scan finds must be a hit within one second, and every hit a crossing.
#include "core/app/session.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/chart/planetary_data.h"
#include "core/test_support.h"
#include "core/reference/text.h"
#include "core/search/aspectarian.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <map>
#include <tuple>

namespace kesmora {
namespace {

constexpr double kMinute = 1.0 / 1440;
constexpr double kOneSecond = 1.0 / 86400;

struct Crossing {
  int pass, i, j, k;
  double jd;
};

int IndexOf(const ReferenceTables& t, const std::string& name) {
  for (int i = 1; i <= t.NumPlanetsUsed(); ++i)
    if (t.Planet(i).name == name) return i;
  ADD_FAILURE() << "no planet " << name;
  return 1;
}

struct Case {
  const char* name;
  const char* transitRecord;  // names-file record of Person 2
  int days;
  std::vector<const char*> moving, natal;
  std::vector<int> aspects;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BruteForce : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    test::CopyShippedData(home_.path());
    StartOptions start;
    start.home = home_.path();
    start.executableDir = home_.path();
    start.formats = LocaleFormats{DateOrder::DayMonthYear, ClockFormat::Hours24};
    StartSession(session_, start);
    FillStartPersons(session_, ui_);
    NamesList natal = ParseNames(std::string(SampleNamesRecord) + "\n");
    NamesList transit = ParseNames(std::string(GetParam().transitRecord) + "\n");
    ASSERT_TRUE(LoadPersonFromRecord(natal.records[0], session_.person1, session_.formats.dateOrder));
    ASSERT_TRUE(LoadPersonFromRecord(transit.records[0], session_.person2, session_.formats.dateOrder));
    ASSERT_TRUE(CalculatePlanetaryData(session_, ui_));
  }

  RunOptions Options() {
    const Case& c = GetParam();
    RunOptions o;
    for (const char* n : c.moving) o.transitPlanets[static_cast<size_t>(IndexOf(session_.tables, n) - 1)] = true;
    for (const char* n : c.natal) o.natalPlanets[static_cast<size_t>(IndexOf(session_.tables, n) - 1)] = true;
    for (int k : c.aspects) o.aspects[static_cast<size_t>(k)] = true;
    o.transitToNatal = o.transitToTransit = true;
    o.daysToCalculate = c.days;
    o.transitTimeZone = LeadingNumber(session_.person2.timeZone);
    o.chart = ChartOptionsOf(session_.settings);
    o.computePeriods = false;
    return o;
  }

  // Crossings of zero by the signed separation, minute by minute, refined by bisection; the
  // jumps of the separation at its folds are not crossings.
  std::vector<Crossing> ScanByMinutes(const RunOptions& o, const RunSpan& span) {
    ChartRecord record = session_.chart;
    ChartCalculator calc(session_.tables, record, o.chart);
    std::map<int, std::vector<PointState>> track;
    std::vector<double> times;
    for (double t = span.start; t <= span.end; t += kMinute) times.push_back(t);
    auto trackOf = [&](int index) -> const std::vector<PointState>& {
      auto& v = track[index];
      if (v.empty())
        for (double t : times) v.push_back(calc.PointAt(t, index));
      return v;
    };
    std::vector<Crossing> found;
    auto scan = [&](int pass, int i, int j, int k) {
      double angle = session_.tables.AspectAngle(k);
      const auto& p = trackOf(i);
      const std::vector<PointState>* q = pass == 1 ? &trackOf(j) : nullptr;
      auto sep = [&](size_t n) {
        double ql = q ? (*q)[n].lon : session_.chart.natalLon[static_cast<size_t>(j)];
        return SignedSeparation(ql, p[n].lon, angle);
      };
      auto exact = [&](double t) {
        double ql = q ? calc.PointAt(t, j).lon : session_.chart.natalLon[static_cast<size_t>(j)];
        return SignedSeparation(ql, calc.PointAt(t, i).lon, angle);
      };
      for (size_t n = 0; n + 1 < times.size(); ++n) {
        double f0 = sep(n), f1 = sep(n + 1);
        if ((f0 < 0) == (f1 < 0) || std::abs(f0) > 10 || std::abs(f1) > 10) continue;
        auto x = BisectCrossing(exact, times[n], times[n + 1], 1e-8);
        if (x) found.push_back({pass, i, j, k, *x});
      }
    };
    for (int i = 1; i <= session_.tables.NumPlanetsUsed(); ++i) {
      if (!o.transitPlanets[static_cast<size_t>(i - 1)]) continue;
      for (int j = 1; j <= session_.tables.NumPlanetsUsed(); ++j)
        for (int k = 0; k <= 14; ++k) {
          if (!o.aspects[static_cast<size_t>(k)]) continue;
          if (o.natalPlanets[static_cast<size_t>(j - 1)]) scan(0, i, j, k);
          if (j != i && o.transitPlanets[static_cast<size_t>(j - 1)]) scan(1, i, j, k);
        }
    }
    return found;
  }

  test::ScratchDir home_;
  Session session_;
  RecordingInterface ui_;
};

TEST_P(BruteForce, EveryCrossingIsAHitWithinOneSecond) {
  RunOptions o = Options();
  RunResult result = RunAspectarian(RunInputOf(session_, o));
  std::vector<Crossing> crossings = ScanByMinutes(o, result.span);
  ASSERT_FALSE(crossings.empty());

  std::multimap<std::tuple<int, int, int, int>, double> hits;
  const auto& rows = result.hits.RunRows();
  for (int r = 1; r <= result.hits.HitCount(); ++r) {
    const HitRow& row = rows[static_cast<size_t>(r)];
    if (row[hit::Declination] == "d") continue;
    hits.emplace(std::tuple{static_cast<int>(HitValue(row[hit::Pass])), static_cast<int>(HitValue(row[0])),
                            static_cast<int>(HitValue(row[2])), static_cast<int>(HitValue(row[1]))},
                 HitValue(row[hit::ExactJulianDay]));
  }
  int matched = 0;
  for (const Crossing& c : crossings) {
    auto [lo, hi] = hits.equal_range(std::tuple{c.pass, c.i, c.j, c.k});
    double best = 1e9;
    for (auto it = lo; it != hi; ++it) best = std::min(best, std::abs(it->second - c.jd));
    EXPECT_LT(best, kOneSecond) << "pass " << c.pass << " " << session_.tables.Planet(c.i).name << " "
                                << session_.tables.aspectCaptions[static_cast<size_t>(c.k)] << " "
                                << session_.tables.Planet(c.j).name << " at JD " << std::setprecision(12)
                                << c.jd << ": nearest hit " << best * 86400 << " s away";
    if (best < kOneSecond) ++matched;
  }
  // Hits inside the span that are no crossing would be false results.
  int inside = 0;
  for (const auto& [key, jd] : hits)
    if (jd >= result.span.start + kMinute && jd <= result.span.end - kMinute) ++inside;
  EXPECT_LE(inside, matched) << "hits without a crossing";
  RecordProperty("crossings", static_cast<int>(crossings.size()));
}

const Case kCases[] = {
    // Mercury turns retrograde on 24 October 2026.
    {"mercury_station_houston", "Houston,20 Oct 2026,0.00,A,6,95.22,29.46,TX,Houston", 10,
     {"Sun", "Moon", "Mercury", "Venus", "Ascendant"}, {"Sun", "Moon", "Mercury", "Ascendant", "Midheaven"},
     {0, 1, 6, 7, 8, 10, 14}},
    {"high_latitude_reykjavik", "Reykjavik,21 Jun 2026,0.00,A,0,21.56,64.08,,Reykjavik", 3,
     {"Moon", "Ascendant", "Midheaven", "Cusp 2"}, {"Sun", "Venus", "Jupiter"}, {0, 5, 8, 14}},
    {"southern_east_sydney", "Sydney,01 Mar 2024,0.00,A,-11,-151.12,-33.52,NSW,Sydney", 6,
     {"Moon", "Mars", "Chiron", "South Node", "Asc+Moon-Sun"}, {"Sun", "Saturn", "Jupiter", "Ascendant"},
     {0, 2, 4, 9, 11, 12}},
};

INSTANTIATE_TEST_SUITE_P(Charts, BruteForce, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kesmora

namespace kesmora {
namespace {

// Parallels and contra-parallels against a minute-by-minute scan of the declination.
class DeclinationBruteForce : public BruteForce {};

TEST_P(DeclinationBruteForce, EveryParallelIsAHitWithinOneSecond) {
  RunOptions o = Options();
  o.aspects.fill(false);
  o.aspects[15] = o.aspects[16] = true;
  o.transitToTransit = false;
  RunResult result = RunAspectarian(RunInputOf(session_, o));

  ChartRecord record = session_.chart;
  ChartCalculator calc(session_.tables, record, o.chart);
  int crossings = 0;
  for (int i = 1; i <= session_.tables.NumPlanetsUsed(); ++i) {
    if (!o.transitPlanets[static_cast<size_t>(i - 1)] || !session_.tables.IsBody(i)) continue;
    std::vector<std::pair<double, double>> track;
    for (double t = result.span.start; t <= result.span.end; t += kMinute) track.emplace_back(t, calc.DeclinationAt(t, i).lon);
    for (int j = 1; j <= session_.tables.NumPlanetsUsed(); ++j) {
      if (!o.natalPlanets[static_cast<size_t>(j - 1)] || !session_.tables.IsBody(j)) continue;
      double natal = session_.chart.natalDecl[static_cast<size_t>(j)];
      for (int k : {15, 16}) {
        double target = k == 15 ? natal : -natal;
        for (size_t n = 0; n + 1 < track.size(); ++n) {
          if ((track[n].second < target) == (track[n + 1].second < target)) continue;
          auto x = BisectCrossing([&](double t) { return calc.DeclinationAt(t, i).lon - target; }, track[n].first,
                                  track[n + 1].first, 1e-8);
          ASSERT_TRUE(x.has_value());
          ++crossings;
          double best = 1e9;
          for (int r = 1; r <= result.hits.HitCount(); ++r) {
            const HitRow& row = result.hits.RunRows()[static_cast<size_t>(r)];
            if (row[hit::Declination] == "d" && HitValue(row[0]) == i && HitValue(row[2]) == j && HitValue(row[1]) == k)
              best = std::min(best, std::abs(HitValue(row[hit::ExactJulianDay]) - *x));
          }
          EXPECT_LT(best, kOneSecond) << session_.tables.Planet(i).name << " " << (k == 15 ? "par" : "c.p") << " "
                                      << session_.tables.Planet(j).name << " at JD " << std::setprecision(12) << *x;
        }
      }
    }
  }
  EXPECT_GT(crossings, 0);
}

INSTANTIATE_TEST_SUITE_P(Charts, DeclinationBruteForce, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kesmora
