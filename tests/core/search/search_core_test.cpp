// Pieces of the search: the crossing finder, the sort of the hit tables, the whole-degree
// rounding of a position and the orb of a hit beside a whole degree.
#include "core/search/aspect_search.h"
#include "core/search/crossing.h"
#include "core/search/hit_table.h"
#include "core/search/run_options.h"
#include "core/search/sample_session.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace kesmora {
namespace {

// --- The crossing finder ---------------------------------------------------------------

double Cubic(double t) { return t * t * t - 2 * t - 5; }     // 2.0945514815423265
double Steep(double t) { return std::tanh(200 * (t - 0.3)); }  // a fast body past a slow one

TEST(FindCrossing, NarrowsToAMillisecondAndTakesNoFoldNorGap) {
  for (auto [f, a, b, root] : {std::tuple{&Cubic, 2.0, 3.0, 2.0945514815423265}, std::tuple{&Steep, 0.0, 1.0, 0.3}}) {
    std::optional<double> x = FindCrossing(f, a, f(a), b, f(b));
    ASSERT_TRUE(x) << root;
    EXPECT_NEAR(*x, root, kCrossingToleranceDays);
  }
  // A jump through zero, as a midpoint makes when its components pass opposition, is none.
  auto jump = [](double t) { return t < 0.4 ? 60 - 10 * t : -80 - 10 * t; };
  EXPECT_FALSE(FindCrossing(jump, 0, jump(0), 1, jump(1)));
  EXPECT_TRUE(Brackets(-1, 2));
  EXPECT_TRUE(Brackets(1, 0));    // a zero at the later end belongs to this interval
  EXPECT_FALSE(Brackets(0, 1));   // and not to the next
  EXPECT_FALSE(Brackets(FoldDeg(179.0), FoldDeg(182.0)));  // 179 to -178: the fold of an opposition
  EXPECT_FALSE(Brackets(std::nan(""), 1));  // a position the ephemeris could not give
}

// --- Hit tables --------------------------------------------------------------------------

std::vector<Hit> Hits(const std::vector<double>& times) {
  std::vector<Hit> hits;
  for (size_t n = 0; n < times.size(); ++n) {
    Hit h;
    h.movingPoint = static_cast<int>(n);  // the hit's own label
    h.exactJd = times[n];
    hits.push_back(h);
  }
  return hits;
}

std::string Labels(const std::vector<Hit>& hits) {
  std::string s;
  for (const Hit& h : hits) s += static_cast<char>('A' + h.movingPoint);
  return s;
}

// The quicksort's order, worked out by hand (pivot: the middle row counted from 1, a half
// rounded to the even row), shown for equal times by the reports and grids.
TEST(SortHitsByTime, GivesTheQuicksortOrder) {
  struct Case {
    std::vector<double> times;
    int first, last;
    const char* expected;
  } cases[] = {
      // Rows 1..6: pivot row 4, swaps 1-6 and 2-4, then each part; a truncated middle (row 3)
      // would give F D A B E C.
      {{1, 1, 2, 1, 2, 1}, 1, 6, "DFABCE"},
      {{9, 3, 2, 1, 0}, 2, 4, "ADCBE"},  // only rows 2..4
      {{2460370.5 + 2.0 / 86400, 2460370.5, 2460370.5 + 1.0 / 86400}, 1, 3, "BCA"},
  };
  for (const Case& c : cases) {
    std::vector<Hit> hits = Hits(c.times);
    SortHitsByTime(hits, c.first, c.last);
    EXPECT_EQ(Labels(hits), c.expected);
  }
  // Deep recursion on ordered input would overflow the stack if it were not bounded.
  std::vector<double> many;
  for (int n = 0; n < 30000; ++n) many.push_back(30000 - n);
  std::vector<Hit> hits = Hits(many);
  SortHitsByTime(hits, 1, 30000);
  for (size_t r = 1; r < hits.size(); ++r) ASSERT_LT(hits[r - 1].exactJd, hits[r].exactJd);
}

// --- Scans on real positions ----------------------------------------------------------------

// The search of one chart from exact positions.
struct ChartSearch {
  ChartSearch(const test::SampleSession& sample, const RunOptions& o, RunSpan span, const ChartRecord& chart)
      : natal(chart), record(chart), ctx{&sample.session.tables, &natal, nullptr, o, span, {}},
        calc(sample.session.tables, record, o.chart), positions(calc), search(ctx, positions, positions, false) {
    search.SetOutput(&hits);
  }
  ChartRecord natal, record;
  SearchContext ctx;
  ChartCalculator calc;
  ExactPositions positions;
  AspectSearch search;
  std::vector<Hit> hits;
};

// The hits of one moving point against natal points.
std::vector<Hit> Scan(const test::SampleSession& sample, const RunOptions& o, RunSpan span, const ChartRecord& chart,
                      int i, const std::vector<int>& seconds) {
  ChartSearch s(sample, o, span, chart);
  for (int j : seconds) s.search.ScanPair(Pass::TransitToNatal, i, j);
  return s.hits;
}

// The Sun reaches 0 Aries at the March equinox of 2024, 20 March 03:06:21 UT.
TEST(EquinoxScan, APositionJustShortOfAWholeDegreeIsKeptAsThatDegree) {
  test::SampleSession sample("Greenwich,19 Mar 2024,0.00,A,0,0.00,51.48,,Greenwich");
  RunOptions o = sample.Options({"Sun"}, {}, {0}, 2);
  ChartRecord chart = sample.session.chart;
  const std::pair<double, double> targets[] = {{359.9999995, 0}, {0.9999995, 1}, {359.999955, 359.999955}};
  for (auto [natal, kept] : targets) {
    chart.natalLon[1] = natal;
    std::vector<Hit> hits = Scan(sample, o, RunSpanOf(o, 2024, 3, 19), chart, sample.Index("Sun"), {1});
    ASSERT_EQ(hits.size(), 1u) << natal;
    EXPECT_NEAR(hits[0].movingDeg, kept, 1e-6) << natal;  // four nines are not enough
    EXPECT_NEAR(hits[0].secondDeg, kept, 1e-6) << natal;
  }
  chart.natalLon[1] = 0;
  std::vector<Hit> hits = Scan(sample, o, RunSpanOf(o, 2024, 3, 19), chart, sample.Index("Sun"), {1});
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_NEAR(hits[0].exactJd, swe_julday(2024, 3, 20, 3 + 6 / 60.0 + 21 / 3600.0, SE_GREG_CAL), 30 * kOneSecondDays);
}

// A hit whose moving position falls a hair short of the whole degree its target lies on: the
// orb runs around that degree (the Sun at 0.5 and 1.5 Aries), never a degree lower.
TEST(EquinoxScan, TheOrbOfAHitBesideAWholeDegreeLiesAroundIt) {
  test::SampleSession sample("Greenwich,19 Mar 2024,0.00,A,0,0.00,51.48,,Greenwich");
  RunOptions o = sample.Options({"Sun"}, {}, {0}, 4);
  ChartRecord chart = sample.session.chart;
  chart.natalLon[1] = 1;
  ChartSearch s(sample, o, RunSpanOf(o, 2024, 3, 19), chart);
  s.search.ScanPair(Pass::TransitToNatal, sample.Index("Sun"), 1);
  ASSERT_EQ(s.hits.size(), 1u);
  Hit hit = s.hits[0];
  hit.movingDeg = 0.9999999;
  s.search.FindPeriods(hit);
  ASSERT_TRUE(hit.startJd && hit.endJd);
  auto sun = [](double jd) {
    double xx[6];
    char error[256];
    EXPECT_GE(swe_calc_ut(jd, SE_SUN, SEFLG_SWIEPH, xx, error), 0) << error;
    return xx[0];
  };
  EXPECT_NEAR(sun(*hit.startJd), 1 - o.orbBefore, 2e-5);  // a second and a half of the Sun's motion
  EXPECT_NEAR(sun(*hit.endJd), 1 + o.orbAfter, 2e-5);
}

}  // namespace
}  // namespace kesmora
