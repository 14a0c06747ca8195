// Pieces of the search: the crossing finder, the hit tables and their sort, the clock texts and
// run span, the whole-degree rounding of a position, the time period filter and the steps.
#include "core/search/aspect_search.h"
#include "core/search/crossing.h"
#include "core/search/hit_table.h"
#include "core/search/run_options.h"
#include "core/search/sample_session.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <string>
#include <vector>

namespace kesmora {
namespace {

// --- The crossing finder ---------------------------------------------------------------

struct CrossingCase {
  const char* name;
  double (*f)(double);
  double a, b, root;
};

double Linear(double t) { return 3 * t - 1; }
double Cubic(double t) { return t * t * t - 2 * t - 5; }     // 2.0945514815423265
double Steep(double t) { return std::tanh(200 * (t - 0.3)); }  // a fast body past a slow one
double AngleNearFold(double t) { return FoldDeg(179.0 + 3 * t); }

TEST(FindCrossing, NarrowsToAMillisecond) {
  const CrossingCase cases[] = {{"linear", Linear, 0, 1, 1.0 / 3},
                                {"cubic", Cubic, 2, 3, 2.0945514815423265},
                                {"steep", Steep, 0, 1, 0.3}};
  for (const CrossingCase& c : cases) {
    std::optional<double> x = FindCrossing(c.f, c.a, c.f(c.a), c.b, c.f(c.b));
    ASSERT_TRUE(x) << c.name;
    EXPECT_NEAR(*x, c.root, kCrossingToleranceDays) << c.name;
  }
  // A jump through zero, as a midpoint makes when its components pass opposition, is none.
  auto jump = [](double t) { return t < 0.4 ? 60 - 10 * t : -80 - 10 * t; };
  EXPECT_FALSE(FindCrossing(jump, 0, jump(0), 1, jump(1)));
}

TEST(Brackets, ACrossingButNotAFoldNorAGap) {
  EXPECT_TRUE(Brackets(-1, 2));
  EXPECT_TRUE(Brackets(1, 0));    // a zero at the later end belongs to this interval
  EXPECT_FALSE(Brackets(0, 1));   // and not to the next
  EXPECT_FALSE(Brackets(AngleNearFold(0), AngleNearFold(1)));  // 179 to -178: the fold of an opposition
  EXPECT_FALSE(Brackets(1, 2));
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
      {{7, 7, 7, 7}, 1, 4, "CDAB"},
      {{5, 3, 4, 1, 2}, 1, 5, "DEBCA"},
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

TEST(HitTables, APassAndTheRunStopAtTheLimitInsteadOfWrapping) {
  HitTables t;
  t.StartRun();
  t.StartPass();
  for (int n = 0; n < MaxHitRows - 1; ++n) t.AppendHit(Hit{});
  EXPECT_THROW(t.AppendHit(Hit{}), HitTableFull);
  t.AddPassToRun();
  t.StartPass();
  t.AppendHit(Hit{});
  t.AddPassToRun();
  EXPECT_EQ(t.HitCount(), MaxHitRows);
  t.StartPass();
  t.AppendHit(Hit{});
  EXPECT_THROW(t.AddPassToRun(), HitTableFull);
}

// --- Clock texts and the run span ---------------------------------------------------------

TEST(RunSpanOf, LocalMidnightDaysAndTimeWindows) {
  constexpr double kJan1st2000 = 2451544.5, kMar1st2024 = 2460370.5;  // 0h UT
  struct Case {
    double zoneHours;
    int days;
    bool window;
    const char *from, *to;
    double start, end;  // UT Julian days
  } cases[] = {
      {5, 3, false, "", "", kJan1st2000 + 5.0 / 24, kJan1st2000 + 5.0 / 24 + 3},
      {-5.5, 0, false, "", "", kMar1st2024 - 5.5 / 24, kMar1st2024 - 5.5 / 24},
      {5, 5, true, "9:15", "17.45", kJan1st2000 + (5 + 9.25) / 24, kJan1st2000 + (5 + 17.75) / 24},
      // A window that ends before it starts runs across midnight.
      {5, 5, true, "22.00", "02.00", kJan1st2000 + (5 + 22.0) / 24, kJan1st2000 + (5 + 26.0) / 24},
  };
  for (const Case& c : cases) {
    RunOptions o;
    o.transitTimeZone = c.zoneHours;
    o.daysToCalculate = c.days;
    o.timePeriod = c.window;
    o.startTime = c.from, o.endTime = c.to;
    bool march = c.zoneHours < 0;
    RunSpan s = march ? RunSpanOf(o, 2024, 3, 1) : RunSpanOf(o, 2000, 1, 1);
    EXPECT_NEAR(s.start, c.start, 1e-9) << c.from;
    EXPECT_NEAR(s.end, c.end, 1e-9) << c.to;
  }
  for (auto [text, hours] : {std::pair{"13.30", 13.5}, std::pair{"9:15", 9.25}, std::pair{"0.59", 59.0 / 60},
                             std::pair{"", 0.0}, std::pair{"x", 0.0}})
    EXPECT_NEAR(HoursOfClockText(text), hours, 1e-12) << text;
}

// --- Scans on real positions ----------------------------------------------------------------

class ScanTest : public ::testing::Test {
 protected:
  explicit ScanTest(const std::string& transitRecord) : sample_(transitRecord) {}

  std::vector<Hit> Scan(const RunOptions& o, RunSpan span, const ChartRecord& chart, int i,
                        const std::vector<int>& seconds, bool declinations = false) {
    SearchContext ctx{&sample_.session.tables, &chart, nullptr, o, span, {}};
    ChartRecord record = chart;
    ChartCalculator calc(sample_.session.tables, record, o.chart);
    ExactPositions positions(calc);
    AspectSearch search(ctx, positions, positions, false);
    std::vector<Hit> hits;
    search.SetOutput(&hits);
    for (int j : seconds) search.ScanPair(Pass::TransitToNatal, i, j);
    if (declinations) search.DeclinationsOf(i);
    return hits;
  }

  test::SampleSession sample_;
};

// The Sun reaches 0 Aries at the March equinox of 2024, 20 March 03:06:21 UT.
class EquinoxScan : public ScanTest {
 protected:
  EquinoxScan() : ScanTest("Greenwich,19 Mar 2024,0.00,A,0,0.00,51.48,,Greenwich") {}
};

TEST_F(EquinoxScan, APositionJustShortOfAWholeDegreeIsKeptAsThatDegree) {
  int sun = sample_.Index("Sun");
  RunOptions o = sample_.Options({"Sun"}, {}, {0}, 2);
  ChartRecord chart = sample_.session.chart;
  const std::pair<double, double> targets[] = {{359.9999995, 0}, {0.9999995, 1}, {359.999955, 359.999955}};
  for (auto [natal, kept] : targets) {
    chart.natalLon[1] = natal;
    std::vector<Hit> hits = Scan(o, RunSpanOf(o, 2024, 3, 19), chart, sun, {1});
    ASSERT_EQ(hits.size(), 1u) << natal;
    EXPECT_NEAR(hits[0].movingDeg, kept, 1e-6) << natal;  // four nines are not enough
    EXPECT_NEAR(hits[0].secondDeg, kept, 1e-6) << natal;
  }
  chart.natalLon[1] = 0;
  std::vector<Hit> hits = Scan(o, RunSpanOf(o, 2024, 3, 19), chart, sun, {1});
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_NEAR(hits[0].exactJd, swe_julday(2024, 3, 20, 3 + 6 / 60.0 + 21 / 3600.0, SE_GREG_CAL), 30 * kOneSecondDays);
  EXPECT_NEAR(hits[0].movingSpeedDegPerDay, 0.99, 0.01);
}

// The Moon over one day against the ten natal bodies of the sample person.
class TimePeriodScan : public ScanTest {
 protected:
  TimePeriodScan() : ScanTest("Sydney,01 Mar 2024,9.30,P,-11,-151.12,-33.52,NSW,Sydney") {}

  RunOptions Options(bool timePeriod) {
    RunOptions o = sample_.Options({"Moon"},
                                   {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus",
                                    "Neptune", "Pluto"},
                                   {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, 1);
    o.timePeriod = timePeriod;
    return o;
  }
};

// Longitude hits outside the period are dropped, declination hits kept.
TEST_F(TimePeriodScan, OnlyLongitudeHitsAreKeptToThePeriod) {
  int moon = sample_.Index("Moon");
  double midnight = RunSpanOf(Options(false), 2024, 3, 1).start;
  RunSpan span{midnight + 9.0 / 24, midnight + 12.0 / 24};
  std::vector<int> natal{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  std::vector<Hit> all = Scan(Options(false), span, sample_.session.chart, moon, natal, true);
  std::vector<Hit> within = Scan(Options(true), span, sample_.session.chart, moon, natal, true);
  size_t kept = 0;
  int longitudesAfter = 0, declinationsAfter = 0;
  for (const Hit& h : all) {
    bool inside = h.exactJd >= span.start && h.exactJd <= span.end;
    bool declination = h.kind == HitKind::Declination;
    if (inside || declination) {
      ASSERT_LT(kept, within.size());
      EXPECT_EQ(within[kept++].exactJd, h.exactJd);
    }
    (declination ? declinationsAfter : longitudesAfter) += !inside;
  }
  EXPECT_EQ(kept, within.size());
  EXPECT_GT(longitudesAfter, 0) << "the case needs longitude hits after the period";
  EXPECT_GT(declinationsAfter, 0) << "the case needs declination hits after the period";
}

TEST_F(TimePeriodScan, StepsFollowTheHousePoints) {
  RunOptions o = Options(false);
  ChartRecord chart = sample_.session.chart;
  SearchContext ctx{&sample_.session.tables, &chart, nullptr, o, RunSpan{}, {}};
  ChartCalculator calc(sample_.session.tables, chart, o.chart);
  ExactPositions positions(calc);
  AspectSearch search(ctx, positions, positions, false);
  int sun = sample_.Index("Sun"), moon = sample_.Index("Moon"), asc = sample_.Index("Ascendant"),
      cusp = sample_.Index("Cusp 2"), pof = sample_.Index("Asc+Moon-Sun");
  EXPECT_EQ(search.StepDaysFor(Pass::TransitToNatal, moon, sun), 1.0);
  EXPECT_EQ(search.StepDaysFor(Pass::TransitToNatal, asc, sun), 1.0 / 52);
  EXPECT_EQ(search.StepDaysFor(Pass::TransitToNatal, moon, cusp), 1.0 / 52);
  EXPECT_EQ(search.StepDaysFor(Pass::TransitToTransit, pof, moon), 1.0 / 52);
  EXPECT_EQ(search.StepDaysFor(Pass::DegreePair, sun, sun), 1.0 / 104);
  EXPECT_EQ(search.StepDaysFor(Pass::LunarMansion, asc, sun), 1.0);  // the second point decides
  EXPECT_EQ(search.StepDaysFor(Pass::AuspiciousPoint, sun, asc), 1.0 / 52);
}

}  // namespace
}  // namespace kesmora
