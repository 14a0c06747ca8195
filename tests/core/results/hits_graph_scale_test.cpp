// Where the hits graph draws: the value axis, and the point under the pointer.
#include "core/results/hits_graph_scale.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace kesmora {
namespace {

using Values = std::vector<int>;

// The busiest minute in view, raised to a multiple of 5, tops the axis of five bands, each
// band split into 5, 4, 3 parts or none. Labels from the top down.
TEST(HitsGraph, AxisLabelsAndMinorLines) {
  for (auto [most, major, minor] :
       {std::tuple{7, Values{10, 8, 6, 4, 2, 0}, Values{}}, {0, {5, 4, 3, 2, 1, 0}, {}},
        {12, {15, 12, 9, 6, 3, 0}, {14, 13, 11, 10, 8, 7, 5, 4, 2, 1}},
        {40, {40, 32, 24, 16, 8, 0}, {38, 36, 34, 30, 28, 26, 22, 20, 18, 14, 12, 10, 6, 4, 2}},
        {100, {100, 80, 60, 40, 20, 0},
         {96, 92, 88, 84, 76, 72, 68, 64, 56, 52, 48, 44, 36, 32, 28, 24, 16, 12, 8, 4}}}) {
    Values counts(1442, 0), drawnMajor, drawnMinor;
    counts[700] = most;
    counts[100] = 50;  // outside the view
    for (const ValueLine& v : ValueLines(ScaleFor(counts, 600, 800)))
      (v.major ? drawnMajor : drawnMinor).push_back(v.value);
    EXPECT_EQ(drawnMajor, major) << most;
    EXPECT_EQ(drawnMinor, minor) << most;
  }
}

// The pointer at a point's x plus `offset` spacings names the nearest point, kept in the
// visible range.
TEST(HitsGraph, PointerPicksItsPoint) {
  for (auto [first, last, point, offset, nearest] :
       {std::tuple{601, 632, 631, 0.0, 631}, {601, 632, 631, 0.4, 631}, {601, 632, 631, 0.6, 632},
        {601, 632, 632, 0.9, 632}, {1, 1441, 1, 0.0, 1}, {1, 1441, 1441, 0.0, 1441}, {1, 1441, 631, 0.4, 631},
        {2, 2, 2, 0.8, 2}}) {  // one point alone spans the width
    GraphScale s = ScaleFor(Values(1442, 0), first, last);
    const double x = PointX(s, point) + offset * s.spacing;
    EXPECT_EQ(NearestPoint(s, 1441, x), nearest) << point << " + " << offset;
  }
}

}  // namespace
}  // namespace kesmora
