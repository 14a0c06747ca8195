// Slow: a year of every body, interpolated against exact positions.
#include "core/app/run.h"
#include "core/search/sample_session.h"
#include "slow/same_run.h"

#include <gtest/gtest.h>

namespace kesmora {
namespace {

// A year of every body of the shipped set against four natal points: the interpolants of
// every body, the Moon's, the nodes' and the asteroids' included, near stations and
// conjunctions with the Sun.
TEST(YearOfEveryBody, InterpolatedAndExactPositionsGiveTheSameRun) {
  test::SampleSession sample("Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  RunOptions o = sample.Options({}, {"Sun", "Moon", "Ascendant", "Midheaven"}, {0, 5, 7, 9, 14}, 365);
  for (int i = 1; i <= sample.session.tables.NumPlanetsUsed(); ++i)
    o.transitPlanets[static_cast<size_t>(i - 1)] = sample.session.tables.IsBody(i);
  o.hitLimit = 1 << 20;
  RunResult interpolated = RunAspectarian(RunInputOf(sample.session, o));
  o.exactEphemeris = true;
  RunResult exact = RunAspectarian(RunInputOf(sample.session, o));
  ASSERT_GT(interpolated.hits.HitCount(), 500);
  test::ExpectSameRun(interpolated, exact);
}

}  // namespace
}  // namespace kesmora
