// Pieces of the exact-time search: the signed separation, the secant and its failures, the
// bisection fallback, the clock texts and run span, the whole-degree rounding of a moving
// position and the time period filter.
#include "core/search/sample_session.h"
#include "core/search/aspect_search.h"
#include "core/search/run_options.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <string>
#include <vector>

namespace kesmora {
namespace {

// --- Signed separation ---------------------------------------------------------------

struct SeparationCase {
  const char* name;
  double q, p, angle, expected;
};

class SignedSeparationTest : public ::testing::TestWithParam<SeparationCase> {};

TEST_P(SignedSeparationTest, Value) {
  const SeparationCase& c = GetParam();
  EXPECT_DOUBLE_EQ(SignedSeparation(c.q, c.p, c.angle), c.expected);
}

const SeparationCase kSeparations[] = {
    // Positive while P is ahead of Q (at a greater longitude, the short way round).
    {"ahead", 100, 110, 0, 10},
    {"behind", 100, 90, 0, -10},
    // Across 0/360 the distance is folded: no jump of 340 degrees.
    {"behind_across_0", 10, 350, 0, -20},
    {"ahead_across_0", 350, 10, 0, 20},
    {"just_behind_0", 0, 359.5, 0, -0.5},
    {"just_ahead_of_359", 359.5, 0.25, 0, 0.75},
    // A square on the leading side: zero at 90, positive beyond it.
    {"square_leading_exact", 100, 190, 90, 0},
    {"square_leading_past", 100, 191, 90, 1},
    {"square_leading_short", 100, 189, 90, -1},
    // On the trailing side the sign is mirrored: moving on towards Q brings it up to zero.
    {"square_trailing_exact", 100, 10, 90, 0},
    {"square_trailing_past", 100, 9, 90, -1},
    {"square_trailing_short", 100, 11, 90, 1},
    {"square_trailing_across_0", 30, 300, 90, 0},
    {"square_trailing_across_0_short", 30, 301, 90, 1},
    // Exactly 180 apart: which of the two is the greater decides the sign.
    {"opposite_q_smaller", 0, 180, 0, -180},
    {"opposite_q_greater", 180, 0, 0, 180},
    {"opposite_q_smaller_square", 10, 190, 90, -90},
    {"opposite_q_greater_square", 190, 10, 90, 90},
    {"opposition_exact", 10, 190, 180, 0},
    {"opposition_exact_other_way", 190, 10, 180, 0},
    {"same_place", 42, 42, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Positions, SignedSeparationTest, ::testing::ValuesIn(kSeparations),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Secant refinement and bisection ---------------------------------------------------

TEST(RefineSecant, ConvergesOnALinearFunction) {
  double x = RefineSecant([](double t) { return t - 0.3; }, 0, 1, LongitudeTolerance, MaxRefineIterations);
  EXPECT_NEAR(x, 0.3, 1e-12);
}

TEST(RefineSecant, ConvergesOnACurve) {
  auto f = [](double t) { return 12 * (t * t * t - 0.2); };
  double x = RefineSecant(f, 0, 1, LongitudeTolerance, MaxRefineIterations);
  EXPECT_NEAR(x, std::cbrt(0.2), 1e-6);
}

TEST(RefineSecant, AJumpOfMoreThanTwentyAfterTheFirstIterationFails) {
  // Steep but smooth: the second iteration already lands on the root, but the values it
  // compares are 50 apart, which the refinement takes for a wrap of the separation.
  EXPECT_EQ(RefineSecant([](double t) { return 100 * (t - 0.5); }, 0, 1, 1e-9, 100), 0);
  // The same jump in the very first iteration is allowed.
  auto firstOnly = [](double t) { return t == 0 ? -30.0 : t - 0.5; };
  EXPECT_NEAR(RefineSecant(firstOnly, 0, 1, 1e-9, 100), 0.5, 1e-12);
}

TEST(RefineSecant, AStepOfADayOrMoreFails) {
  // A step of exactly one day is still taken; 1.5 days is not.
  EXPECT_NEAR(RefineSecant([](double t) { return t - 2; }, 0, 1, 1e-9, 100), 2, 1e-12);
  EXPECT_EQ(RefineSecant([](double t) { return t - 2.5; }, 0, 1, 1e-9, 100), 0);
  EXPECT_EQ(RefineSecant([](double t) { return 0.001 * (t - 5); }, 0, 1, 1e-9, 100), 0);
}

TEST(RefineSecant, AFlatFunctionGivesTheMidpoint) {
  EXPECT_EQ(RefineSecant([](double) { return 5.0; }, 2, 3, 1e-9, 100), 2.5);
}

TEST(RefineSecant, RunningOutOfIterationsGivesZero) {
  auto f = [](double t) { return t * t * t - 0.2; };
  EXPECT_EQ(RefineSecant(f, 0, 1, 1e-12, 1), 0);
  EXPECT_NE(RefineSecant(f, 0, 1, 1e-12, 100), 0);
}

TEST(RefineSecant, ASquareAcrossTheConjunctionPointIsAbandoned) {
  // P runs from 99 to 101 past Q = 100 against a square: the separation jumps from +89 to
  // -89 where the folded distance passes 0, but there is no square there.
  auto f = [](double t) { return SignedSeparation(100, 99 + 2 * t, 90); };
  EXPECT_EQ(RefineSecant(f, 0, 1, LongitudeTolerance, MaxRefineIterations), 0);
  EXPECT_FALSE(BisectCrossing(f, 0, 1, LongitudeTolerance));
}

TEST(BisectCrossing, FindsACrossing) {
  auto f = [](double t) { return SignedSeparation(100, 189 + 2 * t, 90); };  // square at t = 0.5
  auto x = BisectCrossing(f, 0, 1, 1e-9);
  ASSERT_TRUE(x);
  EXPECT_NEAR(*x, 0.5, 1e-8);
}

TEST(BisectCrossing, NoSignChangeIsNoCrossing) {
  EXPECT_FALSE(BisectCrossing([](double t) { return t + 1; }, 0, 1, 1e-9));
  EXPECT_FALSE(BisectCrossing([](double t) { return -t - 1; }, 0, 1, 1e-9));
}

TEST(BisectCrossing, AJumpAtTheFoldOfAnOppositionIsNoCrossing) {
  // A trine as P passes the point opposite Q: +60 on one side, -60 on the other.
  auto f = [](double t) { return SignedSeparation(10, 189 + 2 * t, 120); };
  ASSERT_GT(f(0), 50);
  ASSERT_LT(f(1), -50);
  EXPECT_FALSE(BisectCrossing(f, 0, 1, LongitudeTolerance));
}

// --- Clock texts and the run span -----------------------------------------------------

struct ClockCase {
  const char* text;
  double hours;
};

class HoursOfClockTextTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(HoursOfClockTextTest, Hours) {
  EXPECT_NEAR(HoursOfClockText(GetParam().text), GetParam().hours, 1e-12) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, HoursOfClockTextTest,
                         ::testing::Values(ClockCase{"13.30", 13.5}, ClockCase{"9:15", 9.25},
                                           ClockCase{"17.45", 17.75}, ClockCase{"10.59", 10 + 59.0 / 60},
                                           ClockCase{"0", 0}, ClockCase{"7", 7}, ClockCase{"00:01", 1.0 / 60},
                                           ClockCase{"23:59", 23 + 59.0 / 60}, ClockCase{"9.5", 9 + 50.0 / 60},
                                           ClockCase{"abc", 0}, ClockCase{"", 0}));

constexpr double kJan1st2000 = 2451544.5;  // 1 January 2000, 0h UT
constexpr double kMar1st2024 = 2460370.5;  // 1 March 2024, 0h UT

TEST(RunSpanOf, StartsAtLocalMidnightOfTheTransitDate) {
  RunOptions o;
  o.timePeriod = false;
  o.daysToCalculate = 3;
  o.transitTimeZone = 5;  // five hours west: local midnight is 05:00 UT
  RunSpan s = RunSpanOf(o, 2000, 1, 1);
  EXPECT_NEAR(s.start, kJan1st2000 + 5.0 / 24, 1e-9);
  EXPECT_NEAR(s.end, s.start + 3, 1e-9);

  o.transitTimeZone = -11;  // eleven hours east: 13:00 UT the day before
  s = RunSpanOf(o, 2024, 3, 1);
  EXPECT_NEAR(s.start, kMar1st2024 - 11.0 / 24, 1e-9);

  o.transitTimeZone = -5.5;
  s = RunSpanOf(o, 2024, 3, 1);
  EXPECT_NEAR(s.start, kMar1st2024 - 5.5 / 24, 1e-9);
}

TEST(RunSpanOf, NoDaysGivesAnEmptySpan) {
  RunOptions o;
  o.daysToCalculate = 0;
  o.transitTimeZone = 0;
  RunSpan s = RunSpanOf(o, 2024, 3, 1);
  EXPECT_EQ(s.start, s.end);
  EXPECT_NEAR(s.start, kMar1st2024, 1e-9);
}

TEST(RunSpanOf, TimePeriodUsesTheHoursOfTheTransitDateAndNotTheDays) {
  RunOptions o;
  o.timePeriod = true;
  o.daysToCalculate = 5;
  o.startTime = "9:15";
  o.endTime = "17.45";
  o.transitTimeZone = 5;
  RunSpan s = RunSpanOf(o, 2000, 1, 1);
  EXPECT_NEAR(s.start, kJan1st2000 + (5 + 9.25) / 24, 1e-9);
  EXPECT_NEAR(s.end, kJan1st2000 + (5 + 17.75) / 24, 1e-9);
  // A window that ends before it starts runs across midnight.
  o.startTime = "22.00";
  o.endTime = "02.00";
  s = RunSpanOf(o, 2000, 1, 1);
  EXPECT_NEAR(s.start, kJan1st2000 + (5 + 22.0) / 24, 1e-9);
  EXPECT_NEAR(s.end, kJan1st2000 + (5 + 26.0) / 24, 1e-9);
}

// --- Searches on real positions --------------------------------------------------------

// The time scan of one pass over a span set by hand.
class ScanTest : public ::testing::Test {
 protected:
  explicit ScanTest(const std::string& transitRecord) : sample_(transitRecord) {}

  SearchContext Context(const RunOptions& o, RunSpan span, const ChartRecord& chart) const {
    SearchContext ctx;
    ctx.tables = &sample_.session.tables;
    ctx.chart = &chart;
    ctx.options = o;
    ctx.span = span;
    ctx.dateOrder = DateOrder::DayMonthYear;
    return ctx;
  }

  std::vector<HitRow> Scan(const RunOptions& o, RunSpan span, const ChartRecord& chart, int i,
                           const std::vector<int>& seconds, bool declinations = false) {
    SearchContext ctx = Context(o, span, chart);
    ChartRecord record = chart;
    ChartCalculator calc(sample_.session.tables, record, o.chart);
    PointSource points(calc, true);
    AspectSearch search(ctx, points);
    std::vector<HitRow> rows;
    search.SetOutput(&rows);
    for (int j : seconds) search.ScanPair(0, i, j);
    if (declinations) search.DeclinationsOf(i);
    return rows;
  }

  test::SampleSession sample_;
};

// The Sun reaches 0 Aries at the March equinox of 2024, 20 March 03:06:21 UT.
class EquinoxScan : public ScanTest {
 protected:
  EquinoxScan() : ScanTest("Greenwich,19 Mar 2024,0.00,A,0,0.00,51.48,,Greenwich") {}
};

TEST_F(EquinoxScan, PositionJustShortOfAWholeDegreeIsStoredAsThatDegree) {
  int sun = sample_.Index("Sun");
  RunOptions o = sample_.Options({"Sun"}, {}, {0}, 2);
  RunSpan span = RunSpanOf(o, 2024, 3, 19);
  ChartRecord chart = sample_.session.chart;
  // Natal points placed by hand where the Sun passes during the span.
  struct Target {
    double natal;
    const char* stored;  // field 5 of the conjunction
  };
  const Target targets[] = {{359.9999995, "0"}, {0.9999995, "1"}};
  for (const Target& t : targets) {
    chart.natalLon[1] = t.natal;
    std::vector<HitRow> rows = Scan(o, span, chart, sun, {1});
    ASSERT_EQ(rows.size(), 1u) << t.natal;
    EXPECT_EQ(rows[0][hit::MovingPosition], t.stored);
    EXPECT_EQ(rows[0][hit::SecondPosition], t.stored);
  }
  // Four nines are not enough.
  chart.natalLon[1] = 359.999955;
  std::vector<HitRow> rows = Scan(o, span, chart, sun, {1});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_NEAR(HitValue(rows[0][hit::MovingPosition]), 359.999955, 1e-6) << rows[0][hit::MovingPosition];
}

TEST_F(EquinoxScan, SunMeetsZeroAriesAtTheEquinox) {
  int sun = sample_.Index("Sun");
  RunOptions o = sample_.Options({"Sun"}, {}, {0}, 2);
  ChartRecord chart = sample_.session.chart;
  chart.natalLon[1] = 0;
  std::vector<HitRow> rows = Scan(o, RunSpanOf(o, 2024, 3, 19), chart, sun, {1});
  ASSERT_EQ(rows.size(), 1u);
  double equinox = swe_julday(2024, 3, 20, 3 + 6 / 60.0 + 21 / 3600.0, SE_GREG_CAL);
  EXPECT_NEAR(HitValue(rows[0][hit::ExactJulianDay]), equinox, 30.0 / 86400);
  EXPECT_EQ(rows[0][hit::ExactText].substr(0, 16), "20/03/2024 03:06");
  EXPECT_EQ(rows[0][hit::Pass], "0");
  EXPECT_EQ(rows[0][hit::MovingPoint], std::to_string(sun));
  EXPECT_NEAR(HitValue(rows[0][hit::MovingSpeed]), 0.99, 0.01);  // degrees a day in March
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
  std::vector<int> Natal() const {
    std::vector<int> j;
    for (int n = 1; n <= 10; ++n) j.push_back(n);
    return j;
  }
};

TEST_F(TimePeriodScan, LongitudeHitsOutsideThePeriodAreDropped) {
  int moon = sample_.Index("Moon");
  double midnight = RunSpanOf(Options(false), 2024, 3, 1).start;
  RunSpan span{midnight + 9.0 / 24, midnight + 12.0 / 24};
  std::vector<HitRow> all = Scan(Options(false), span, sample_.session.chart, moon, Natal());
  std::vector<HitRow> within = Scan(Options(true), span, sample_.session.chart, moon, Natal());

  std::vector<HitRow> expected;
  int outside = 0;
  for (const HitRow& row : all) {
    double x = HitValue(row[hit::ExactJulianDay]);
    EXPECT_GE(x, span.start);
    EXPECT_LE(x, span.start + 1);  // one scan interval of a day
    if (x >= span.start && x <= span.end)
      expected.push_back(row);
    else
      ++outside;
  }
  ASSERT_GT(outside, 0) << "the case needs hits after the period";
  ASSERT_FALSE(expected.empty()) << "the case needs hits inside the period";
  EXPECT_EQ(within, expected);
}

TEST_F(TimePeriodScan, DeclinationHitsOutsideThePeriodAreKept) {
  int moon = sample_.Index("Moon");
  double midnight = RunSpanOf(Options(true), 2024, 3, 1).start;
  RunSpan span{midnight + 9.0 / 24, midnight + 12.0 / 24};
  std::vector<HitRow> rows = Scan(Options(true), span, sample_.session.chart, moon, {}, true);
  int after = 0;
  for (const HitRow& row : rows) {
    ASSERT_EQ(row[hit::Declination], "d");
    double x = HitValue(row[hit::ExactJulianDay]);
    EXPECT_GE(x, span.start);
    EXPECT_LE(x, span.start + 1);
    if (x > span.end) ++after;
  }
  EXPECT_GT(after, 0) << "no declination hit after the period end";
}

TEST_F(TimePeriodScan, StepLengths) {
  RunOptions o = Options(false);
  ChartRecord chart = sample_.session.chart;
  SearchContext ctx = Context(o, RunSpan{}, chart);
  ChartCalculator calc(sample_.session.tables, chart, o.chart);
  PointSource points(calc, true);
  AspectSearch search(ctx, points);
  int sun = sample_.Index("Sun"), moon = sample_.Index("Moon"), asc = sample_.Index("Ascendant"),
      cusp = sample_.Index("Cusp 2"), pof = sample_.Index("Asc+Moon-Sun");
  EXPECT_EQ(search.StepFor(0, moon, sun), 1.0);
  EXPECT_EQ(search.StepFor(1, moon, sun), 1.0);
  EXPECT_EQ(search.StepFor(0, asc, sun), 1.0 / 52);
  EXPECT_EQ(search.StepFor(0, moon, cusp), 1.0 / 52);
  EXPECT_EQ(search.StepFor(1, pof, moon), 1.0 / 52);
  EXPECT_EQ(search.StepFor(2, sun, sun), 1.0 / 104);
  EXPECT_EQ(search.StepFor(4, asc, sun), 1.0);  // passes 3 and 4 look at the second point only
  EXPECT_EQ(search.StepFor(3, sun, asc), 1.0 / 52);
}

}  // namespace
}  // namespace kesmora
