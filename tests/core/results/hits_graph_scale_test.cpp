// Where the hits graph draws: the value axis, the time labels, and the point under the pointer.
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

// Time labels fall on round times (every 15 or 30 minutes, every 1 or 2 hours, ...), at most
// about 25 of them over the visible range, whatever the zoom, start and step of the series.
TEST(HitsGraph, TimeLabelsFallOnRoundSteps) {
  for (auto [first, last, start, step, round, labels] :
       {std::tuple{1, 1441, 0, 1, 60, 24}, {601, 632, 0, 1, 2, 15}, {1, 1441, 7, 1, 60, 24}, {481, 961, 0, 1, 30, 16},
        {1, 200, 5, 7, 60, 23}, {100, 101, 0, 1, 1, 1}}) {
    const GraphScale s = ScaleFor(Values(1442, 0), first, last);
    EXPECT_EQ(TimeLabelStepMinutes(s, step), round) << first << ".." << last;
    const std::vector<int> points = TimeLabelPoints(s, 1441, start, step);
    EXPECT_EQ(static_cast<int>(points.size()), labels) << first << ".." << last;
    for (int i : points) {
      const int minute = start + (i - 1) * step;
      // The first point at or past a round time, none crowding the first point's own label.
      EXPECT_LT(minute % round, step) << i;
      EXPECT_GE(2 * (i - first) * step, round) << i;
    }
  }
  EXPECT_EQ(HitsAtText(1, "10:43 am"), "1 hit at 10:43 am");
  EXPECT_EQ(HitsAtText(5, "10:43 am"), "5 hits at 10:43 am");
}

}  // namespace
}  // namespace kesmora
