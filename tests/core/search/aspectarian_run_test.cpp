// Whole aspectarian runs on the sample person: the order of the hits, the hit limit, cancelling,
// the threads' files, and bodies the ephemeris cannot compute.
#include "core/app/run.h"
#include "core/search/aspectarian.h"
#include "core/search/sample_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <tuple>

namespace kesmora {
namespace {

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

TEST_F(SampleRun, PassesAndTheRunTableAreSortedByTime) {
  RunOptions o = Options();
  o.transitToTransit = true;
  RunResult r = Run(o);
  ASSERT_EQ(r.passes.size(), 2u);
  for (const PassHits& pass : r.passes)
    for (size_t n = 1; n < pass.hits.size(); ++n) EXPECT_LE(pass.hits[n - 1].exactJd, pass.hits[n].exactJd);
  for (size_t n = 1; n < r.hits.RunHits().size(); ++n)
    EXPECT_LE(r.hits.RunHits()[n - 1].exactJd, r.hits.RunHits()[n].exactJd);
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
