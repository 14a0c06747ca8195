// Whole aspectarian runs on the sample person: the two ways of evaluating positions, the order
// of the hits, declination rows, start and end periods and the hit limit.
#include "core/chart/chart_calculator.h"
#include "core/search/sample_session.h"
#include "core/search/aspectarian.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace kesmora {
namespace {

constexpr const char* kSydney = "Sydney,01 Mar 2024,9.30,P,-11,-151.12,-33.52,NSW,Sydney";
// Mercury turns retrograde on 24 October 2026 and direct again on 13 November.
constexpr const char* kHoustonMercuryRetrograde = "Houston,28 Oct 2026,0.00,A,6,95.22,29.46,TX,Houston";

int Int(const std::string& field) { return static_cast<int>(HitValue(field)); }

std::vector<HitRow> RunRowsOf(const RunResult& r) {
  const auto& rows = r.hits.RunRows();
  return {rows.begin() + 1, rows.begin() + 1 + r.hits.HitCount()};
}

// Lines of a report block without the CR LF ends.
std::vector<std::string> LinesOf(const std::string& block) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = block.find("\r\n", start)) != std::string::npos) {
    lines.push_back(block.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, block.size());
  return lines;
}

class SampleRun : public ::testing::Test {
 protected:
  SampleRun() : sample_(kSydney) {}

  // Four transit bodies against six natal points, the Ascendant among them, over three days.
  RunOptions Options() const {
    RunOptions o = sample_.Options({"Sun", "Moon", "Mercury", "Mars"},
                                   {"Sun", "Moon", "Venus", "Mars", "Jupiter", "Ascendant"},
                                   {0, 2, 5, 8, 10, 14, 15, 16}, 3);
    o.orbBefore = 0.5;
    o.orbAfter = 0.25;
    o.periodWindow = 3;
    return o;
  }
  RunResult Run(const RunOptions& o) { return RunAspectarian(RunInputOf(sample_.session, o)); }
  double Zone() const { return HitValue(sample_.session.person2.timeZone); }

  test::SampleSession sample_;
};

TEST_F(SampleRun, SharedAndUnsharedEvaluationGiveTheSameRun) {
  RunOptions o = Options();
  o.transitToTransit = true;
  o.sharedEvaluation = true;
  RunResult shared = Run(o);
  o.sharedEvaluation = false;
  RunResult unshared = Run(o);

  ASSERT_GT(shared.hits.HitCount(), 10);
  EXPECT_EQ(RunRowsOf(shared), RunRowsOf(unshared));
  EXPECT_EQ(shared.reportBlocks, unshared.reportBlocks);
  ASSERT_EQ(shared.periods.size(), unshared.periods.size());
  for (size_t r = 1; r < shared.periods.size(); ++r) {
    EXPECT_EQ(shared.periods[r].start, unshared.periods[r].start) << "row " << r;
    EXPECT_EQ(shared.periods[r].end, unshared.periods[r].end) << "row " << r;
  }
}

TEST_F(SampleRun, TwoPassesAreSortedByExactTimeInTheRunTable) {
  RunOptions o = Options();
  o.transitToTransit = true;
  RunResult r = Run(o);
  std::vector<HitRow> rows = RunRowsOf(r);
  ASSERT_EQ(r.lastPass, 1);
  ASSERT_EQ(r.reportBlocks.size(), 2u);

  int pass0 = 0, pass1 = 0, declinations = 0;
  for (size_t n = 0; n < rows.size(); ++n) {
    if (n > 0) {
      EXPECT_LE(HitValue(rows[n - 1][hit::ExactJulianDay]), HitValue(rows[n][hit::ExactJulianDay])) << "row " << n + 1;
    }
    if (rows[n][hit::Declination] == "d")
      ++declinations;
    else if (rows[n][hit::Pass] == "0")
      ++pass0;
    else if (rows[n][hit::Pass] == "1")
      ++pass1;
    else
      ADD_FAILURE() << "pass '" << rows[n][hit::Pass] << "'";
  }
  ASSERT_GT(pass0, 0);
  ASSERT_GT(pass1, 0);
  ASSERT_GT(declinations, 0);
  // Each report block has one line per longitude hit of its pass, after the blank line, the
  // heading and a blank line per day.
  auto hitLines = [](const std::string& block) {
    int n = 0;
    for (const std::string& line : LinesOf(block))
      if (line.size() > 53 && line.rfind("  Aspects found", 0) != 0) ++n;
    return n;
  };
  EXPECT_EQ(hitLines(r.reportBlocks[0]), pass0);
  EXPECT_EQ(hitLines(r.reportBlocks[1]), pass1);
}

TEST_F(SampleRun, WhenTheDegreePassRunsLastTheRunTableKeepsTheOrderFound) {
  // The degree pass runs (and finds nothing: no pair list) after pass 0, so the run table is
  // left as the passes filled it: by moving point, then second point, then time, and the
  // parallels after all longitude hits.
  RunOptions o = Options();
  o.degreePairs = true;
  RunResult r = Run(o);
  ASSERT_EQ(r.lastPass, 2);
  ASSERT_EQ(r.reportBlocks.size(), 2u);
  EXPECT_EQ(r.reportBlocks[1], "\r\n  Aspects found - transit deg to natal deg:\r\n");

  std::vector<HitRow> rows = RunRowsOf(r);
  ASSERT_GT(rows.size(), 10u);
  bool sortedByTime = true, declinationSeen = false;
  for (size_t n = 1; n < rows.size(); ++n) {
    const HitRow &a = rows[n - 1], &b = rows[n];
    if (HitValue(a[hit::ExactJulianDay]) > HitValue(b[hit::ExactJulianDay])) sortedByTime = false;
    bool aDecl = a[hit::Declination] == "d", bDecl = b[hit::Declination] == "d";
    declinationSeen = declinationSeen || aDecl || bDecl;
    EXPECT_FALSE(aDecl && !bDecl) << "longitude hit after a declination hit at row " << n + 1;
    if (aDecl != bDecl) continue;
    auto key = [](const HitRow& h) {
      return std::tuple{Int(h[hit::MovingPoint]), Int(h[hit::SecondPoint]), HitValue(h[hit::ExactJulianDay])};
    };
    EXPECT_LE(key(a), key(b)) << "row " << n + 1;
  }
  EXPECT_TRUE(declinationSeen);
  ASSERT_FALSE(sortedByTime) << "the case cannot show the order found";

  // The report of pass 0 itself is sorted.
  double previous = 0;
  int lines = 0;
  for (const std::string& line : LinesOf(r.reportBlocks[0])) {
    if (line.size() < 72) continue;
    auto jd = test::JulianDayOfText(line.substr(53, 19), Zone());
    ASSERT_TRUE(jd) << line;
    EXPECT_GE(*jd, previous - 1e-9) << line;
    previous = *jd;
    ++lines;
  }
  EXPECT_GT(lines, 1);
}

TEST_F(SampleRun, DeclinationRows) {
  RunResult r = Run(Options());
  const ChartRecord& chart = sample_.session.chart;
  int parallels = 0, contraParallels = 0;
  for (const HitRow& row : RunRowsOf(r)) {
    if (row[hit::Declination] != "d") {
      EXPECT_EQ(row[hit::Pass], "0");
      EXPECT_TRUE(row[hit::Declination].empty());
      continue;
    }
    int k = Int(row[hit::Aspect]), i = Int(row[hit::MovingPoint]), j = Int(row[hit::SecondPoint]);
    EXPECT_TRUE(row[hit::Pass].empty());
    EXPECT_TRUE(row[hit::SecondSpeed].empty());
    EXPECT_TRUE(row[11].empty());
    EXPECT_TRUE(sample_.session.tables.IsBody(i));
    EXPECT_TRUE(sample_.session.tables.IsBody(j)) << "no declination for the Ascendant";
    double d = HitValue(row[hit::MovingPosition]), n = HitValue(row[hit::SecondPosition]);
    EXPECT_EQ(n, chart.natalDecl[static_cast<size_t>(j)]);
    if (k == 15) {
      ++parallels;
      EXPECT_EQ(d >= 0, n >= 0) << "a parallel on the same side of the equator";
      EXPECT_NEAR(d, n, 1e-3);
    } else {
      ASSERT_EQ(k, 16);
      ++contraParallels;
      EXPECT_NE(d >= 0, n >= 0) << "a contra-parallel on opposite sides";
      EXPECT_NEAR(d, -n, 1e-3);
    }
    EXPECT_NE(HitValue(row[hit::MovingSpeed]), 0);
  }
  EXPECT_GT(parallels, 0);
  EXPECT_GT(contraParallels, 0);
}

TEST_F(SampleRun, SouthNodeDeclinationMirrorsTheNorthNode) {
  const ReferenceTables& t = sample_.session.tables;
  ChartRecord record = sample_.session.chart;
  ChartCalculator calc(t, record, Options().chart);
  int north = sample_.Index("North Node"), south = sample_.Index("South Node");
  for (double jd : {2460370.0, 2460400.25, 2455000.5}) {
    PointState n = calc.DeclinationAt(jd, north), s = calc.DeclinationAt(jd, south);
    EXPECT_EQ(s.lon, -n.lon);
    EXPECT_EQ(s.speed, -n.speed);
    // A point on the ecliptic: sin(declination) = sin(obliquity) sin(longitude).
    double eps = 23.4393 - 0.0130 * (jd - 2451545.0) / 36525;  // degrees
    double lon = calc.PointAt(jd, south).lon;
    double expected = std::asin(std::sin(eps * M_PI / 180) * std::sin(lon * M_PI / 180)) * 180 / M_PI;
    EXPECT_NEAR(s.lon, expected, 0.01) << jd;
  }
}

// The position of a moving point at the moment of a period text.
double PositionAt(test::SampleSession& sample, const RunOptions& o, int index, const std::string& text, double zone) {
  auto jd = test::JulianDayOfText(text, zone);
  EXPECT_TRUE(jd) << text;
  ChartRecord record = sample.session.chart;
  ChartCalculator calc(sample.session.tables, record, o.chart);
  return calc.PointAt(jd.value_or(0), index).lon;
}

// The degree of the periods: the whole degrees of P with the minutes of Q.
double PeriodDegree(const HitRow& row) {
  double p = HitValue(row[hit::MovingPosition]), q = HitValue(row[hit::SecondPosition]);
  return std::trunc(p) + (q - std::trunc(q));
}

double AngleApart(double a, double b) {
  double d = std::fmod(std::abs(a - b), 360.0);
  return std::min(d, 360 - d);
}

TEST_F(SampleRun, DirectMoonPeriodsSurroundTheExactMoment) {
  RunOptions o = Options();
  RunResult r = Run(o);
  int moon = sample_.Index("Moon");
  int checked = 0;
  for (int n = 1; n <= r.hits.HitCount(); ++n) {
    const HitRow& row = r.hits.RunRows()[static_cast<size_t>(n)];
    if (row[hit::Declination] == "d" || Int(row[hit::MovingPoint]) != moon) continue;
    const auto& periods = r.periods[static_cast<size_t>(n)];
    ASSERT_FALSE(periods.start.empty()) << row[hit::ExactText];
    ASSERT_FALSE(periods.end.empty()) << row[hit::ExactText];
    double start = *test::JulianDayOfText(periods.start, Zone()), end = *test::JulianDayOfText(periods.end, Zone());
    double exact = HitValue(row[hit::ExactJulianDay]);
    EXPECT_LT(start, exact);
    EXPECT_GT(end, exact);
    ASSERT_GT(HitValue(row[hit::MovingSpeed]), 0);
    // The Moon, some 13 degrees a day, is one orb before the degree at the start and one
    // orb after it at the end (a second of time is 0.00015 degrees).
    double q = PeriodDegree(row);
    EXPECT_LT(AngleApart(PositionAt(sample_, o, moon, periods.start, Zone()), q - o.orbBefore), 0.001);
    EXPECT_LT(AngleApart(PositionAt(sample_, o, moon, periods.end, Zone()), q + o.orbAfter), 0.001);
    EXPECT_NEAR(start, exact - o.orbBefore / 13.2, 0.1);
    ++checked;
  }
  EXPECT_GT(checked, 1);
}

TEST_F(SampleRun, PeriodNotFoundLeavesAnEmptyText) {
  // Thirty degrees before exact are more than a day of the Moon's motion, and the window of
  // the search before the exact moment is no more than that day.
  RunOptions o = Options();
  o.orbBefore = 30;
  o.periodWindow = 0;
  o.aspects.fill(false);
  o.aspects[0] = o.aspects[10] = true;
  RunResult r = Run(o);
  int moon = sample_.Index("Moon"), checked = 0;
  for (int n = 1; n <= r.hits.HitCount(); ++n) {
    const HitRow& row = r.hits.RunRows()[static_cast<size_t>(n)];
    if (Int(row[hit::MovingPoint]) != moon) continue;
    EXPECT_EQ(r.periods[static_cast<size_t>(n)].start, "") << row[hit::ExactText];
    EXPECT_NE(r.periods[static_cast<size_t>(n)].end, "") << row[hit::ExactText];
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST_F(SampleRun, ARunPastTheHitLimitStops) {
  RunOptions o = Options();
  o.hitLimit = 3;
  EXPECT_THROW(Run(o), HitTableFull);
  o.hitLimit = MaxHitRowsDefault;
  EXPECT_GT(Run(o).hits.HitCount(), 3);
}

int OpenDescriptors() {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                        std::filesystem::directory_iterator{}));
}

// Each run's threads open the ephemeris files (Chiron's among them); none may stay open.
TEST_F(SampleRun, RepeatedRunsOpenNoNewFiles) {
  RunOptions o = sample_.Options({"Moon", "Chiron"}, {"Sun"}, {0}, 1);
  o.threads = 2;
  WorkerPool pool(sample_.session.programDir, 1);
  for (WorkerPool* kept : {static_cast<WorkerPool*>(nullptr), &pool}) {
    // A thread opens each file the first time it needs it: by then every thread has.
    for (int n = 0; n < 5; ++n) RunAspectarian(RunInputOf(sample_.session, o), {}, kept);
    int afterFirst = OpenDescriptors();
    for (int n = 0; n < 50; ++n) RunAspectarian(RunInputOf(sample_.session, o), {}, kept);
    EXPECT_EQ(OpenDescriptors(), afterFirst) << (kept ? "kept pool" : "threads of each run");
  }
}

// Cancelling in the middle of a long pass ends the run as cancelled, not as a full table.
TEST_F(SampleRun, ACancelledRunEndsAsCancelled) {
  RunOptions o = sample_.Options({"Moon", "Ascendant"}, {"Sun", "Moon", "Ascendant"}, {0, 5, 8, 14}, 3650);
  o.hitLimit = 5;
  std::atomic<int> asked{0};
  RunControl control;
  control.cancelled = [&] { return ++asked > 2000; };
  EXPECT_THROW(RunAspectarian(RunInputOf(sample_.session, o), control), RunCancelled);
}

// Before 1800 Chiron cannot be computed: it meets nothing, and the run says so once.
TEST(OldTransits, ABodyWithoutPositionsTakesPartInNoSearch) {
  test::SampleSession sample("Old,10 Jan 1700,0.00,A,0,0.00,51.29,,Greenwich");
  RunOptions o = sample.Options({"Moon", "Chiron"}, {"Sun", "Chiron"}, {0, 8, 14}, 30);
  o.transitToTransit = true;
  RunResult r = RunAspectarian(RunInputOf(sample.session, o));
  const int chiron = sample.Index("Chiron");
  int natalChironHits = 0;
  for (const HitRow& row : RunRowsOf(r)) {
    // Natal Chiron (1949) has its place; transit Chiron has none.
    EXPECT_NE(Int(row[hit::MovingPoint]), chiron) << row[hit::ExactText];
    if (row[hit::Pass] == "1") {
      EXPECT_NE(Int(row[hit::SecondPoint]), chiron) << row[hit::ExactText];
    }
    natalChironHits += row[hit::Pass] == "0" && Int(row[hit::SecondPoint]) == chiron;
  }
  EXPECT_GT(natalChironHits, 3);
  ASSERT_EQ(r.notices.size(), 2u) << ::testing::PrintToString(r.notices);
  EXPECT_EQ(r.notices[0].rfind("Chiron cannot be computed from 10 Jan 1700 to 09 Feb 1700:", 0), 0u) << r.notices[0];
  EXPECT_NE(r.notices[1].find("analytical ephemeris"), std::string::npos);
}

TEST_F(SampleRun, OneReportBlockPerPassThatRan) {
  RunOptions o = Options();
  o.transitToNatal = false;
  o.transitToTransit = true;
  RunResult r = Run(o);
  ASSERT_EQ(r.reportBlocks.size(), 1u);
  EXPECT_EQ(r.reportBlocks[0].rfind("\r\n  Aspects found - transit to transit:\r\n\r\n", 0), 0u);
  for (const HitRow& row : RunRowsOf(r)) EXPECT_EQ(row[hit::Pass], "1");  // no declinations in pass 1

  o.transitToTransit = false;
  r = Run(o);
  EXPECT_TRUE(r.reportBlocks.empty());
  EXPECT_EQ(r.hits.HitCount(), 0);
  EXPECT_EQ(r.lastPass, -1);
}

class RetrogradeRun : public ::testing::Test {
 protected:
  RetrogradeRun() : sample_(kHoustonMercuryRetrograde) {}
  test::SampleSession sample_;
};

TEST_F(RetrogradeRun, PeriodsOfARetrogradeBodyStartBeyondTheDegree) {
  RunOptions o = sample_.Options({"Mercury"},
                                 {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune",
                                  "Pluto"},
                                 {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, 3);
  o.orbBefore = 0.5;
  o.orbAfter = 0.25;
  o.periodWindow = 3;
  RunResult r = RunAspectarian(RunInputOf(sample_.session, o));
  double zone = HitValue(sample_.session.person2.timeZone);
  int mercury = sample_.Index("Mercury"), checked = 0;
  for (int n = 1; n <= r.hits.HitCount(); ++n) {
    const HitRow& row = r.hits.RunRows()[static_cast<size_t>(n)];
    ASSERT_LT(HitValue(row[hit::MovingSpeed]), 0) << "Mercury is retrograde all along";
    const auto& periods = r.periods[static_cast<size_t>(n)];
    ASSERT_FALSE(periods.start.empty()) << row[hit::ExactText];
    ASSERT_FALSE(periods.end.empty()) << row[hit::ExactText];
    double start = *test::JulianDayOfText(periods.start, zone), end = *test::JulianDayOfText(periods.end, zone);
    double exact = HitValue(row[hit::ExactJulianDay]);
    EXPECT_LT(start, exact);
    EXPECT_GT(end, exact);
    // Moving backwards, Mercury starts half a degree beyond the degree and ends a quarter
    // degree short of it.
    double q = PeriodDegree(row);
    EXPECT_LT(AngleApart(PositionAt(sample_, o, mercury, periods.start, zone), q + o.orbBefore), 0.0005);
    EXPECT_LT(AngleApart(PositionAt(sample_, o, mercury, periods.end, zone), q - o.orbAfter), 0.0005);
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

// On 23 October 2026 (Houston time) the Moon crosses the equator northwards, near the natal
// Sun (+0.26) and Moon (+0.37) declinations: contra-parallels before the crossing and
// parallels after it, all within one day.
class EquatorRun : public ::testing::Test {
 protected:
  EquatorRun() : sample_("Houston,23 Oct 2026,0.00,A,6,95.22,29.46,TX,Houston") {}
  test::SampleSession sample_;
};

TEST_F(EquatorRun, ContraParallelsThenParallelsOnOneDayWithPeriodsOnTheirSide) {
  RunOptions o = sample_.Options({"Moon"}, {"Sun", "Moon"}, {15, 16}, 0);
  o.orbBefore = 0.5;
  o.orbAfter = 0.25;
  o.periodWindow = 3;
  RunResult r = RunAspectarian(RunInputOf(sample_.session, o));
  std::vector<HitRow> rows = RunRowsOf(r);
  ASSERT_EQ(rows.size(), 4u);
  const char* expected[][2] = {{"16", "2"}, {"16", "1"}, {"15", "1"}, {"15", "2"}};  // aspect, natal point
  double zone = HitValue(sample_.session.person2.timeZone);
  ChartRecord record = sample_.session.chart;
  ChartCalculator calc(sample_.session.tables, record, o.chart);
  int moon = sample_.Index("Moon");
  for (size_t n = 0; n < rows.size(); ++n) {
    const HitRow& row = rows[n];
    EXPECT_EQ(row[hit::Aspect], expected[n][0]);
    EXPECT_EQ(row[hit::SecondPoint], expected[n][1]);
    EXPECT_EQ(row[hit::ExactText].substr(0, 10), "23/10/2026");
    double d = HitValue(row[hit::MovingPosition]);
    ASSERT_GT(HitValue(row[hit::MovingSpeed]), 0);  // northwards
    // The degree of the periods lies on the Moon's side of the equator.
    double q = std::trunc(d) + std::copysign(std::abs(HitValue(row[hit::SecondPosition])), d);
    EXPECT_NEAR(q, d, 1e-3);
    const auto& periods = r.periods[n + 1];
    ASSERT_FALSE(periods.start.empty());
    ASSERT_FALSE(periods.end.empty());
    double start = *test::JulianDayOfText(periods.start, zone), end = *test::JulianDayOfText(periods.end, zone);
    double exact = HitValue(row[hit::ExactJulianDay]);
    EXPECT_LT(start, exact);
    EXPECT_GT(end, exact);
    // Declination changes by at most some 0.005 degrees in a second.
    EXPECT_NEAR(calc.DeclinationAt(start, moon).lon, q - o.orbBefore, 0.005);
    EXPECT_NEAR(calc.DeclinationAt(end, moon).lon, q + o.orbAfter, 0.005);
  }
}

}  // namespace
}  // namespace kesmora
