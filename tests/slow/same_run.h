#pragma once
// Whether two runs found the same hits, exact times and periods within a second.
#include "core/search/aspectarian.h"
#include "core/search/crossing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace kesmora::test {

// Both ways of finding positions give the same hits, exact times and periods within a second.
inline void ExpectSameRun(const RunResult& interpolated, const RunResult& exact) {
  const auto& a = interpolated.hits.RunHits();
  const auto& b = exact.hits.RunHits();
  ASSERT_EQ(a.size(), b.size());
  auto within = [](std::optional<double> x, std::optional<double> y) {
    return x.has_value() == y.has_value() && (!x || std::abs(*x - *y) < kOneSecondDays);
  };
  for (size_t n = 0; n < a.size(); ++n) {
    // Hits a few milliseconds apart may change places in the sorted table; points that are one
    // (the ascendant and the first cusp) meet a third at the same moment, several pairs at once.
    size_t m = n;
    for (size_t k = n > 16 ? n - 16 : 0; k < std::min(b.size(), n + 17); ++k)
      if (std::tie(a[n].movingPoint, a[n].secondPoint, a[n].aspect, a[n].pass) ==
          std::tie(b[k].movingPoint, b[k].secondPoint, b[k].aspect, b[k].pass) &&
          std::abs(a[n].exactJd - b[k].exactJd) < kOneSecondDays)
        m = k;
    EXPECT_LT(std::abs(a[n].exactJd - b[m].exactJd), kOneSecondDays) << "hit " << n;
    EXPECT_TRUE(within(a[n].startJd, b[m].startJd)) << "start of hit " << n;
    EXPECT_TRUE(within(a[n].endJd, b[m].endJd)) << "end of hit " << n;
    EXPECT_NEAR(std::remainder(a[n].movingDeg - b[m].movingDeg, 360.0), 0, 1e-4) << "hit " << n;  // 359.99999 is 0.00001
  }
}

}  // namespace kesmora::test
