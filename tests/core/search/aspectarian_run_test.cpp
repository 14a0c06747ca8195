// Whole aspectarian runs on the sample person: interpolated against exact positions, the order
// of the hits, declination rows and periods, the hit limit, cancelling, the threads' files,
// and bodies the ephemeris cannot compute.
#include "core/app/run.h"
#include "core/search/aspectarian.h"
#include "core/search/crossing.h"
#include "core/search/sample_session.h"
#include "core/search/same_run.h"

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

  test::SampleSession sample_;
};

TEST_F(SampleRun, InterpolatedAndExactPositionsGiveTheSameRun) {
  RunOptions o = Options();
  o.transitToTransit = true;
  RunResult interpolated = Run(o);
  o.exactEphemeris = true;
  RunResult exact = Run(o);
  ASSERT_GT(interpolated.hits.HitCount(), 20);
  test::ExpectSameRun(interpolated, exact);
}

TEST_F(SampleRun, PassesAreReportedSortedAndTheRunTableKeepsTheDegreePassOrder) {
  RunOptions o = Options();
  o.transitToTransit = true;
  RunResult r = Run(o);
  ASSERT_EQ(r.passes.size(), 2u);
  int declinations = 0;
  for (const PassHits& pass : r.passes)
    for (size_t n = 1; n < pass.hits.size(); ++n) EXPECT_LE(pass.hits[n - 1].exactJd, pass.hits[n].exactJd);
  for (size_t n = 1; n < r.hits.RunHits().size(); ++n)
    EXPECT_LE(r.hits.RunHits()[n - 1].exactJd, r.hits.RunHits()[n].exactJd);
  for (const Hit& h : r.hits.RunHits()) declinations += h.kind == HitKind::Declination;
  EXPECT_GT(declinations, 0);

  // When the degree pass runs last (and finds nothing without a pair list), the run table is
  // left as the passes filled it: by moving point, then second point, then time, and the
  // parallels after all longitude hits.
  o.transitToTransit = false;
  o.degreePairs = true;
  r = Run(o);
  ASSERT_EQ(r.passes.back().pass, Pass::DegreePair);
  const auto& hits = r.hits.RunHits();
  bool sortedByTime = true;
  for (size_t n = 1; n < hits.size(); ++n) {
    const Hit &a = hits[n - 1], &b = hits[n];
    sortedByTime = sortedByTime && a.exactJd <= b.exactJd;
    EXPECT_FALSE(a.kind == HitKind::Declination && b.kind == HitKind::Longitude) << n;
    if (a.kind == b.kind) {
      EXPECT_LE(std::tie(a.movingPoint, a.secondPoint, a.exactJd), std::tie(b.movingPoint, b.secondPoint, b.exactJd)) << n;
    }
  }
  EXPECT_FALSE(sortedByTime) << "the case cannot show the order found";
}

TEST_F(SampleRun, DeclinationRowsAndTheSouthNode) {
  RunResult r = Run(Options());
  const ChartRecord& chart = sample_.session.chart;
  int parallels = 0, contraParallels = 0;
  for (const Hit& h : r.hits.RunHits()) {
    if (h.kind != HitKind::Declination) continue;
    EXPECT_TRUE(sample_.session.tables.IsBody(h.secondPoint)) << "no declination for the Ascendant";
    EXPECT_EQ(h.secondDeg, chart.natalDecl[static_cast<size_t>(h.secondPoint)]);
    bool parallel = h.aspect == aspect::Parallel;
    (parallel ? parallels : contraParallels)++;
    EXPECT_EQ(h.movingDeg >= 0, (h.secondDeg >= 0) == parallel);  // a parallel on the natal side
    EXPECT_NEAR(h.movingDeg, parallel ? h.secondDeg : -h.secondDeg, 1e-3);
  }
  EXPECT_GT(parallels, 0);
  EXPECT_GT(contraParallels, 0);

  ChartRecord record = chart;
  ChartCalculator calc(sample_.session.tables, record, Options().chart);
  int north = sample_.Index("North Node"), south = sample_.Index("South Node");
  for (double jd : {2460370.0, 2455000.5}) {
    PointState n = calc.DeclinationAt(jd, north), s = calc.DeclinationAt(jd, south);
    EXPECT_EQ(s.lon, -n.lon);
    // A point on the ecliptic: sin(declination) = sin(obliquity) sin(longitude).
    double eps = 23.4393 - 0.0130 * (jd - 2451545.0) / 36525;
    double lon = calc.PointAt(jd, south).lon;
    EXPECT_NEAR(s.lon, std::asin(std::sin(eps * M_PI / 180) * std::sin(lon * M_PI / 180)) * 180 / M_PI, 0.01);
  }
}

// On 23 October 2026 (Houston time) the Moon crosses the equator northwards, near the natal
// Sun (+0.26) and Moon (+0.37) declinations: contra-parallels before the crossing and
// parallels after it, all within one day, with periods on the Moon's side of the equator.
TEST(EquatorRun, ContraParallelsThenParallelsWithPeriodsOnTheirSide) {
  test::SampleSession sample("Houston,23 Oct 2026,0.00,A,6,95.22,29.46,TX,Houston");
  RunOptions o = sample.Options({"Moon"}, {"Sun", "Moon"}, {15, 16}, 0);
  o.orbBefore = 0.5;
  o.orbAfter = 0.25;
  RunResult r = RunAspectarian(RunInputOf(sample.session, o));
  const auto& hits = r.hits.RunHits();
  ASSERT_EQ(hits.size(), 4u);
  const int expected[][2] = {{16, 2}, {16, 1}, {15, 1}, {15, 2}};  // aspect, natal point
  ChartRecord record = sample.session.chart;
  ChartCalculator calc(sample.session.tables, record, o.chart);
  for (size_t n = 0; n < hits.size(); ++n) {
    const Hit& h = hits[n];
    EXPECT_EQ(h.aspect, expected[n][0]);
    EXPECT_EQ(h.secondPoint, expected[n][1]);
    ASSERT_TRUE(h.startJd && h.endJd);
    EXPECT_LT(*h.startJd, h.exactJd);
    EXPECT_GT(*h.endJd, h.exactJd);
    double q = std::copysign(std::abs(h.secondDeg), h.movingDeg);
    EXPECT_NEAR(calc.DeclinationAt(*h.startJd, sample.Index("Moon")).lon, q - o.orbBefore, 1e-5);
    EXPECT_NEAR(calc.DeclinationAt(*h.endJd, sample.Index("Moon")).lon, q + o.orbAfter, 1e-5);
  }
}

TEST_F(SampleRun, APeriodBeyondTheWindowIsNotFound) {
  // Thirty degrees before exact are more than a day of the Moon's motion, and the window of
  // the search before the exact moment is no more than that day.
  RunOptions o = Options();
  o.orbBefore = 30;
  o.periodWindow = 0;
  o.aspects.fill(false);
  o.aspects[0] = o.aspects[10] = true;
  int checked = 0;
  RunResult r = Run(o);
  for (const Hit& h : r.hits.RunHits()) {
    if (h.movingPoint != sample_.Index("Moon")) continue;
    EXPECT_FALSE(h.startJd);
    EXPECT_TRUE(h.endJd);
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST_F(SampleRun, ARunPastTheHitLimitStopsAndACancelledRunEndsAsCancelled) {
  RunOptions o = Options();
  o.hitLimit = 3;
  EXPECT_THROW(Run(o), HitTableFull);
  // Cancelling in the middle of a long pass ends the run as cancelled, not as a full table.
  o = sample_.Options({"Moon", "Ascendant"}, {"Sun", "Moon", "Ascendant"}, {0, 5, 8, 14}, 3650);
  o.hitLimit = 5;
  std::atomic<int> asked{0};
  RunControl control;
  control.cancelled = [&] { return ++asked > 2000; };
  EXPECT_THROW(RunAspectarian(RunInputOf(sample_.session, o), control), RunCancelled);
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
    // A thread may still open a file it had not needed yet (three at most); a leak would open
    // some every run.
    EXPECT_LE(OpenDescriptors(), afterFirst + 3) << (kept ? "kept pool" : "threads of each run");
  }
}

// Before 1800 Chiron cannot be computed: it meets nothing, and the run says so once.
TEST(OldTransits, ABodyWithoutPositionsTakesPartInNoSearch) {
  test::SampleSession sample("Old,10 Jan 1700,0.00,A,0,0.00,51.29,,Greenwich");
  RunOptions o = sample.Options({"Moon", "Chiron"}, {"Sun", "Chiron"}, {0, 8, 14}, 30);
  o.transitToTransit = true;
  RunResult r = RunAspectarian(RunInputOf(sample.session, o));
  const int chiron = sample.Index("Chiron");
  int natalChironHits = 0;
  for (const Hit& h : r.hits.RunHits()) {
    // Natal Chiron (1949) has its place; transit Chiron has none.
    EXPECT_NE(h.movingPoint, chiron);
    if (h.pass == Pass::TransitToTransit) {
      EXPECT_NE(h.secondPoint, chiron);
    }
    natalChironHits += h.pass == Pass::TransitToNatal && h.secondPoint == chiron;
  }
  EXPECT_GT(natalChironHits, 3);
  ASSERT_EQ(r.notices.size(), 2u) << ::testing::PrintToString(r.notices);
  EXPECT_EQ(r.notices[0].rfind("Chiron cannot be computed from 10 Jan 1700 to 09 Feb 1700:", 0), 0u) << r.notices[0];
  EXPECT_NE(r.notices[1].find("analytical ephemeris"), std::string::npos);
}

}  // namespace
}  // namespace kesmora
