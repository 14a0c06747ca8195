// Whole aspectarian runs on the sample person: the order of the hits, the hit limit, cancelling,
// the end of the span and a time window, the nodes always in opposition, the periods of
// parallels, the threads' files, and bodies the ephemeris cannot compute.
#include "core/app/run.h"
#include "core/search/aspectarian.h"
#include "core/search/sample_session.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace kesmora {
namespace {

// The hits of a pass that ran, in its report's order.
std::vector<Hit> PassHitsOf(const RunResult& r, size_t pass) {
  std::vector<Hit> hits;
  HitsInOrder shown = r.Shown(r.passes.at(pass));
  for (size_t n = 0; n < shown.size(); ++n) hits.push_back(shown[n]);
  return hits;
}

class SampleRun : public ::testing::Test {
 protected:
  SampleRun() : sample_("Sydney,01 Mar 2024,9.30,P,-11,-151.12,-33.52,NSW,Sydney") {}

  // Four transit bodies against six natal points, the Ascendant among them, over three days.
  RunOptions Options() const {
    RunOptions o = sample_.Options({"Sun", "Moon", "Mercury", "Mars"},
                                   {"Sun", "Moon", "Venus", "Mars", "Jupiter", "Ascendant"},
                                   {0, 2, 5, 8, 10, 14, 15, 16}, 3);
    o.orbBefore = 0.5;
    o.orbAfter = 0.25;
    return o;
  }
  RunResult Run(const RunOptions& o) { return RunAspectarian(RunInputOf(sample_.session, o)); }

  test::SampleSession sample_;
};

// Every pass is shown sorted by time except the degree pairs, shown as found, pair by pair.
// When theirs is the last pass the run table keeps the passes' order; a later pass sorts it
// by time again.
TEST_F(SampleRun, ADegreePairPassRunLastLeavesTheRunTableInPassOrder) {
  sample_.session.degreePairFile = sample_.home.Write("pairs.t2n", "A 010/100\r\nB 200/300\r\nC 100/050\r\n").string();
  sample_.session.settings.aptFilename = sample_.home.Write("degrees.apt", "Lucky 240/Moon\r\n").string();
  RunOptions o = Options();
  o.degreePairs = true;
  RunResult r = Run(o);
  ASSERT_EQ(r.passes.size(), 2u);
  const std::vector<Hit> natal = PassHitsOf(r, 0), pairs = PassHitsOf(r, 1);
  const std::vector<Hit>& run = r.hits.RunHits();
  auto byTime = [](const Hit& a, const Hit& b) { return a.exactJd < b.exactJd; };
  ASSERT_GE(pairs.size(), 6u);
  EXPECT_FALSE(std::is_sorted(pairs.begin(), pairs.end(), byTime));
  ASSERT_EQ(run.size(), natal.size() + pairs.size());
  std::multiset<double> natalTimes, runNatalTimes;
  for (size_t n = 0; n < run.size(); ++n)
    if (n < natal.size()) {
      natalTimes.insert(natal[n].exactJd);
      runNatalTimes.insert(run[n].exactJd);
    } else {
      EXPECT_EQ(run[n].exactJd, pairs[n - natal.size()].exactJd) << n;
    }
  EXPECT_EQ(runNatalTimes, natalTimes);
  o.auspiciousPoints = true;
  r = Run(o);
  ASSERT_EQ(r.passes.size(), 3u);
  for (size_t pass : {0, 2}) {
    const std::vector<Hit> hits = PassHitsOf(r, pass);
    EXPECT_TRUE(std::is_sorted(hits.begin(), hits.end(), byTime));
  }
  EXPECT_TRUE(std::is_sorted(r.hits.RunHits().begin(), r.hits.RunHits().end(), byTime));
}

// A pass's table holds one row fewer than the limit, the run's table the limit; a run that
// would pass either stops with the message and no result.
TEST_F(SampleRun, ARunPastTheHitLimitStops) {
  RunOptions o = Options();
  o.transitToTransit = true;
  RunResult all = Run(o);
  ASSERT_EQ(all.passes.size(), 2u);
  const int natal = static_cast<int>(all.passes[0].order.size()), both = all.hits.HitCount();
  ASSERT_GT(both - 1, std::max(natal, both - natal));  // two passes that fit alone overflow the run
  // Transit to transit, the limit, and the hits of the run (0: it stops).
  for (auto [t2t, limit, hits] : {std::tuple{false, 3, 0}, {false, natal, 0}, {false, natal + 1, natal},
                                  {true, both - 1, 0}, {true, both, both}}) {
    o.transitToTransit = t2t;
    o.hitLimit = limit;
    try {
      EXPECT_EQ(Run(o).hits.HitCount(), hits) << limit;
    } catch (const HitTableFull& e) {
      EXPECT_EQ(hits, 0) << limit;
      // The message names the limit in force.
      EXPECT_EQ(std::string(e.what()).rfind(fmt::format("This run found more than {} aspects,", limit), 0), 0u)
          << e.what();
    }
  }
}

// Past the limit the run stops at the next step of the scan, not at the end of the moving
// point's span: ten years of the Moon against eight natal bodies stop at the third hit, after
// one walk over the Moon's own positions; each further pair would add a walk of its own.
TEST_F(SampleRun, HitsPastTheLimitStopTheScanAtTheNextStep) {
  RunOptions o = sample_.Options(
      {"Moon"}, {"Sun", "Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune"}, {0, 5, 8, 10, 14}, 3650);
  o.exactEphemeris = true;  // no samples first: every question comes from the scan
  o.threads = 1;
  o.hitLimit = 3;
  long asked = 0;
  RunControl control;
  control.cancelled = [&] { return ++asked < 0; };
  EXPECT_THROW(RunAspectarian(RunInputOf(sample_.session, o), control), HitTableFull);
  EXPECT_LT(asked, 2 * 3650);
}

// Cancel is heard at the next sample or step of whatever stage the run is in: each thread
// asks once more and takes one more step at most, and no later stage begins.
TEST_F(SampleRun, CancelIsHeardAtTheNextStepOfEveryStage) {
  RunOptions o = Options();
  o.daysToCalculate = 60;
  o.threads = 2;
  const RunInput input = RunInputOf(sample_.session, o);
  for (int stage : {run_stage::Sampling, 0, run_stage::Periods, run_stage::Texts}) {
    std::atomic<bool> cancel{false};
    std::atomic<int> latest{-100}, askedAfter{0}, toldAfter{0};
    RunControl control;
    control.progress = [&](int reported, double) {
      latest = reported;
      toldAfter += cancel;
      cancel = cancel || reported == stage;
    };
    control.cancelled = [&] { return cancel && ++askedAfter > 0; };
    EXPECT_THROW(ShownRunOf(input, RunAspectarian(input, control), control), RunCancelled) << stage;
    EXPECT_EQ(latest, stage);
    EXPECT_LE(askedAfter, o.threads + 1) << stage;
    EXPECT_LE(toldAfter, o.threads) << stage;
  }
}

// The bar moves from the first samples on, and within the scan of one moving point.
TEST_F(SampleRun, TheBarMovesWhileSamplingAndWithinAMovingPoint) {
  RunOptions o = sample_.Options({"Moon"}, {"Sun", "Venus"}, {0, 8}, 365);
  std::map<int, int> reports;
  std::optional<int> first;
  RunControl control;
  control.progress = [&](int stage, double) {
    if (!first) first = stage;
    ++reports[stage];
  };
  RunAspectarian(RunInputOf(sample_.session, o), control);
  EXPECT_EQ(first, run_stage::Sampling);
  EXPECT_GT(reports[run_stage::Sampling], 10);
  EXPECT_GT(reports[0], 10);
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

// A run lists the hits from the start of its span up to, not including, its end, whatever
// steps its scans take (a day for bodies and parallels, 1/52 day for house points, 1/104 day
// for degree pairs). Days to calculate 0 searches the transit date.
TEST_F(SampleRun, HitsPastTheSpanAreNotListed) {
  sample_.session.degreePairFile = sample_.home.Write("pairs.t2n", "A 010/100\r\nB 200/300\r\nC 100/050\r\n").string();
  for (auto [name, days, degreePairs] : {std::tuple{"one day", 1, false}, {"no days", 0, false}, {"degree pairs", 1, true}}) {
    RunOptions o = Options();
    o.transitPlanets[static_cast<size_t>(sample_.Index("Ascendant") - 1)] = true;
    o.degreePairs = degreePairs;
    o.transitToNatal = !degreePairs;
    o.daysToCalculate = days;
    RunResult r = Run(o);
    EXPECT_NEAR(r.span.end - r.span.start, 1, 1e-9) << name;
    EXPECT_GE(r.hits.HitCount(), 3) << name;
    for (const Hit& h : r.hits.RunHits())
      EXPECT_TRUE(h.exactJd >= r.span.start && h.exactJd < r.span.end)
          << name << ": " << h.movingPoint << " " << h.aspect << " " << h.secondPoint << " at " << h.exactJd;
  }
}

// A window that ends before it starts (20.00 to 04.00) runs into the next day: the Moon meets
// there every aspect degree it crosses, by the ephemeris itself, and nothing outside it (its
// parallels neither).
TEST_F(SampleRun, ATimeWindowAcrossMidnightSearchesIntoTheNextDay) {
  RunOptions o = sample_.Options({"Moon"}, {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus",
                                            "Neptune", "Pluto"}, {}, 1);
  o.aspects.fill(true);
  o.timePeriod = true;
  o.startTime = "20.00";
  o.endTime = "04.00";
  RunResult r = Run(o);
  const double start = swe_julday(2024, 3, 1, 20 + o.transitTimeZone, SE_GREG_CAL);
  const double midnight = swe_julday(2024, 3, 2, o.transitTimeZone, SE_GREG_CAL);
  const double end = swe_julday(2024, 3, 2, 4 + o.transitTimeZone, SE_GREG_CAL);
  EXPECT_NEAR(r.span.start, start, 1e-9);
  EXPECT_NEAR(r.span.end, end, 1e-9);
  auto lon = [](double jd, int body) { return test::SweCalc(jd, body)[0]; };
  const Session& s = sample_.session;
  const double moonStart = lon(start, SE_MOON), moonEnd = lon(end, SE_MOON);
  std::multiset<std::pair<int, int>> expected, found;  // natal point, aspect
  for (int j = 1; j <= s.tables.NumPlanetsUsed(); ++j)
    for (int k = 0; o.natalPlanets[static_cast<size_t>(j - 1)] && k <= aspect::LastLongitude; ++k) {
      const double angle = s.tables.AspectAngle(k), natal = lon(s.chart.natalJulianDay, s.tables.Planet(j).sweNumber);
      for (double side : angle == 0 || angle == 180 ? std::vector<double>{1} : std::vector<double>{1, -1}) {
        const double target = natal + side * angle;
        if (std::remainder(moonStart - target, 360) < 0 && std::remainder(moonEnd - target, 360) >= 0)
          expected.insert({j, k});
      }
    }
  int afterMidnight = 0;
  for (const Hit& h : r.hits.RunHits()) {
    EXPECT_TRUE(h.exactJd >= start && h.exactJd < end) << h.aspect << " " << h.secondPoint << " at " << h.exactJd;
    if (h.kind == HitKind::Longitude) found.insert({h.secondPoint, h.aspect});
    afterMidnight += h.exactJd > midnight;
  }
  EXPECT_GE(expected.size(), 3u);
  EXPECT_EQ(found, expected);
  EXPECT_GT(afterMidnight, 0);
}

// The South Node is the North Node turned by half a circle: the two are always in opposition and
// never come into it, on either path to the positions.
TEST(AlwaysInAspect, TheNodesGiveNoHitsOfTheirOpposition) {
  test::SampleSession sample("Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  RunOptions o = sample.Options({"North Node", "South Node"}, {}, {0, 14}, 365);
  o.transitToNatal = false;
  o.transitToTransit = true;
  for (bool exact : {false, true}) {
    o.exactEphemeris = exact;
    EXPECT_EQ(RunAspectarian(RunInputOf(sample.session, o)).hits.HitCount(), 0) << exact;
  }
}

// A parallel's period runs from where the body's declination is the orb before short of the
// natal one to where it is the orb after past it, by the ephemeris at those moments.
TEST_F(SampleRun, DeclinationPeriodsLieTheOrbsFromTheParallel) {
  RunOptions o = sample_.Options({"Sun", "Moon", "Mercury", "Mars"}, {"Sun", "Moon", "Venus", "Mars", "Jupiter"},
                                 {aspect::Parallel, aspect::ContraParallel}, 10);
  o.orbBefore = 0.5;
  o.orbAfter = 0.25;
  RunResult r = Run(o);
  // Declination and its rate in degrees per day, straight from libswe.
  auto declination = [&](double jd, int index) {
    auto xx = test::SweCalc(jd, sample_.session.tables.Planet(index).sweNumber, SEFLG_EQUATORIAL | SEFLG_SPEED);
    return std::pair{xx[1], xx[4]};
  };
  int periods = 0;
  for (const Hit& h : r.hits.RunHits()) {
    ASSERT_EQ(h.kind, HitKind::Declination);
    const double natal = declination(sample_.session.chart.natalJulianDay, h.secondPoint).first;
    const double target = h.aspect == aspect::Parallel ? natal : -natal;
    // Within a second of the moment at the body's own rate.
    auto expectAt = [&](double jd, double expected, const char* which) {
      auto [d, speed] = declination(jd, h.movingPoint);
      EXPECT_NEAR(d, expected, std::abs(speed) / 86400 + 1e-7)
          << which << " of " << h.movingPoint << " " << h.aspect << " " << h.secondPoint << " at " << h.exactJd;
      return speed;
    };
    const double direction = expectAt(h.exactJd, target, "exact") >= 0 ? 1 : -1;
    if (!h.startJd || !h.endJd) continue;
    ++periods;
    EXPECT_LT(*h.startJd, h.exactJd);
    EXPECT_GT(*h.endJd, h.exactJd);
    expectAt(*h.startJd, target - direction * o.orbBefore, "start");
    expectAt(*h.endJd, target + direction * o.orbAfter, "end");
  }
  EXPECT_GT(periods, 5);
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

// A pool's task ran its share on the caller's thread with whatever ephemeris that thread had
// been left (a thread of its own: none, so libswe's defaults). Every share runs on a thread
// that holds the pool's ephemeris; the caller's is closed again after.
TEST(WorkerPool, TheCallersShareRunsOnAPreparedThreadToo) {
  test::ScratchDir home;
  std::array<bool, 3> held{};
  bool heldAfter = true;
  std::thread caller([&] {
    WorkerPool pool(home.path(), 2);
    pool.RunOnAll(3, [&](int worker) { held[static_cast<size_t>(worker)] = EphemerisThread::Held(); });
    heldAfter = EphemerisThread::Held();
  });
  caller.join();
  EXPECT_EQ(held, (std::array<bool, 3>{true, true, true}));
  EXPECT_FALSE(heldAfter);
}

// The observer of a run hears the calls of all its threads: as many on two as on one.
TEST_F(SampleRun, TheObserverHearsTheCallsOfEveryThread) {
  struct Counter : EphemerisObserver {
    std::atomic<long> calls{0};
    void Calculated(double, int, int) override { ++calls; }
    void HousesCalculated(double, int, int) override { ++calls; }
  };
  long heard[2] = {0, 0};
  for (int threads : {1, 2}) {
    RunOptions o = sample_.Options({"Sun", "Moon", "Mars"}, {"Sun", "Moon"}, {0, 8}, 10);
    o.threads = threads;
    Counter counter;
    RunInput in = RunInputOf(sample_.session, o);
    in.ephemerisObserver = &counter;
    WorkerPool pool(sample_.session.programDir, threads - 1);
    RunAspectarian(in, {}, &pool);
    heard[threads - 1] = counter.calls;
  }
  EXPECT_GT(heard[0], 100);
  EXPECT_EQ(heard[1], heard[0]);
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
    EXPECT_FALSE(h.pass == Pass::TransitToTransit && h.secondPoint == chiron);
    natalChironHits += h.pass == Pass::TransitToNatal && h.secondPoint == chiron;
  }
  EXPECT_GT(natalChironHits, 3);
  ASSERT_EQ(r.notices.size(), 2u) << ::testing::PrintToString(r.notices);
  EXPECT_EQ(r.notices[0].rfind("Chiron cannot be computed from 10 Jan 1700 to 09 Feb 1700:", 0), 0u) << r.notices[0];
  EXPECT_NE(r.notices[1].find("analytical ephemeris"), std::string::npos);
}

}  // namespace
}  // namespace kesmora
