// The interval algebra of the elections, checked point by point against the sets' membership
// on random sets (a fixed seed), and the count of intervals in force at once.
#include "core/search/intervals.h"

#include <gtest/gtest.h>

#include <random>

namespace kesmora {
namespace {

// A random normal set of whole-number ends in [0, 60).
IntervalSet RandomSet(std::mt19937& rng) {
  std::uniform_int_distribution<int> count(0, 6), end(0, 60);
  std::vector<Interval> raw;
  for (int n = count(rng); n > 0; --n) {
    int a = end(rng), b = end(rng);
    raw.push_back({static_cast<double>(std::min(a, b)), static_cast<double>(std::max(a, b))});
  }
  return Normalized(raw);
}

bool In(const IntervalSet& set, double x) {
  for (const Interval& i : set)
    if (x >= i.startJd && x < i.endJd) return true;
  return false;
}

TEST(IntervalsTest, TheOperationsAgreeWithMembershipAtEveryPoint) {
  std::mt19937 rng(20261207);
  const Interval span{5, 50};
  for (int round = 0; round < 400; ++round) {
    const IntervalSet a = RandomSet(rng), b = RandomSet(rng);
    const IntervalSet u = Union(a, b), i = Intersection(a, b), m = Minus(a, b), c = Complement(a, span);
    for (const IntervalSet* s : {&a, &b, &u, &i, &m, &c}) ASSERT_TRUE(IsNormal(*s));
    // Every whole and half point: the ends are whole numbers.
    for (double x = -1; x <= 61; x += 0.5) {
      SCOPED_TRACE(::testing::Message() << "round " << round << " at " << x);
      ASSERT_EQ(In(u, x), In(a, x) || In(b, x));
      ASSERT_EQ(In(i, x), In(a, x) && In(b, x));
      ASSERT_EQ(In(m, x), In(a, x) && !In(b, x));
      ASSERT_EQ(In(c, x), x >= span.startJd && x < span.endJd && !In(a, x));
      ASSERT_EQ(Contains(a, x), In(a, x));
    }
    double covered = 0;
    for (double x = 10.25; x < 30; x += 0.5) covered += In(a, x) ? 0.5 : 0;
    ASSERT_DOUBLE_EQ(CoveredDays(a, {10, 30}), covered);
  }
}

TEST(IntervalsTest, NormalizedJoinsTouchingAndDropsEmptyIntervals) {
  EXPECT_EQ(Normalized({{3, 4}, {1, 2}, {2, 3}, {7, 7}, {6, 5}}), (IntervalSet{{1, 4}}));
  EXPECT_FALSE(IsNormal({{1, 2}, {2, 3}}));
}

TEST(IntervalsTest, HeldByAtLeastCountsTheIntervalsInForceAtOnce) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> end(0, 40);
  for (int round = 0; round < 200; ++round) {
    std::vector<Interval> raw;
    for (int n = 0; n < 8; ++n) {
      int a = end(rng), b = end(rng);
      raw.push_back({static_cast<double>(std::min(a, b)), static_cast<double>(std::max(a, b))});
    }
    for (int least : {1, 2, 3, 5}) {
      const IntervalSet held = HeldByAtLeast(raw, least);
      ASSERT_TRUE(IsNormal(held));
      for (double x = 0; x <= 40; x += 0.5) {
        int count = 0;
        for (const Interval& i : raw) count += x >= i.startJd && x < i.endJd;
        ASSERT_EQ(In(held, x), count >= least) << "round " << round << ", at least " << least << ", at " << x;
      }
    }
  }
}

}  // namespace
}  // namespace kesmora
