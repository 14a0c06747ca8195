// Where the hits graph draws: value axis, time labels, bars and lines, pointer rules, zoom,
// the extended help line and the marks of the names file's wins.
#include "core/results/hits_graph_scale.h"

#include "core/results/hits_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

// A full day whose busiest minute counts `most`.
std::vector<int> DayCounts(int most) {
  std::vector<int> counts(1442, 0);
  counts[700] = most;
  counts[701] = most > 0 ? 1 : 0;
  return counts;
}

struct AxisCase {
  int most;
  std::vector<int> majorLabels;
  std::vector<int> minorLabels;  // from the top down
};

class Axis : public testing::TestWithParam<AxisCase> {};

TEST_P(Axis, LabelsAndMinorLines) {
  GraphScale s = ScaleFor(DayCounts(GetParam().most), 1, 1441);
  std::vector<int> major, minor;
  for (const ValueLine& v : ValueLines(s)) (v.major ? major : minor).push_back(v.value);
  EXPECT_EQ(major, GetParam().majorLabels);
  EXPECT_EQ(minor, GetParam().minorLabels);
  EXPECT_DOUBLE_EQ(ValueLines(s)[5].y, graph::Bottom);
}

INSTANTIATE_TEST_SUITE_P(
    HitsGraph, Axis,
    testing::Values(AxisCase{7, {10, 8, 6, 4, 2, 0}, {}},
                    AxisCase{12, {15, 12, 9, 6, 3, 0}, {14, 13, 11, 10, 8, 7, 5, 4, 2, 1}},
                    AxisCase{40, {40, 32, 24, 16, 8, 0}, {38, 36, 34, 30, 28, 26, 22, 20, 18, 14, 12, 10, 6, 4, 2}},
                    AxisCase{100, {100, 80, 60, 40, 20, 0}, {96, 92, 88, 84, 76, 72, 68, 64, 56, 52, 48, 44, 36, 32,
                                                             28, 24, 16, 12, 8, 4}},
                    AxisCase{0, {5, 4, 3, 2, 1, 0}, {}}),  // no hit in view: an empty axis from 0 to 5
    [](const auto& info) { return "Most" + std::to_string(info.param.most); });

TEST(HitsGraph, FullDayScale) {
  GraphScale s = ScaleFor(DayCounts(7), 1, 1441);
  EXPECT_DOUBLE_EQ(s.spacing, 580.0 / 1440);
  EXPECT_DOUBLE_EQ(PointX(s, 1), 24);
  EXPECT_DOUBLE_EQ(PointX(s, 1441), 604);
  // Fix(1440 / 25) = 57: every 58th point is labelled.
  std::vector<int> labelled = TimeLabelPoints(s, 1441);
  ASSERT_EQ(labelled.size(), 24u);
  EXPECT_EQ(labelled[0], 59);
  EXPECT_EQ(labelled[1], 117);
  EXPECT_EQ(CountY(s, 10), graph::Top);
  EXPECT_EQ(CountY(s, 0), graph::Bottom);
  EXPECT_EQ(CountY(s, 7), 123);  // Int(403 - 0.7 * 400)
}

TEST(HitsGraph, ZoomFromTenToHalfPast) {
  HitsSeries day = SeriesOfDay("", "12/05/2026", MinuteCounts{});
  // The points of 10:00 am and 10:30 am, marked with the left and the right button.
  auto range = ZoomRange(631, 601);
  ASSERT_TRUE(range);
  EXPECT_EQ(*range, (std::pair{601, 632}));
  EXPECT_EQ(day.labels[601], "10:00 am");
  EXPECT_EQ(day.labels[632], "10:31 am");
  GraphScale s = ScaleFor(day.counts, range->first, range->second);
  EXPECT_DOUBLE_EQ(s.spacing, 580.0 / 31);
  // Fix(31 / 25) = 1: every second point after the first.
  EXPECT_EQ(TimeLabelPoints(s, 1441), (std::vector<int>{603, 605, 607, 609, 611, 613, 615, 617, 619, 621, 623, 625,
                                                         627, 629, 631}));
  for (auto missing : {std::pair{0, 5}, std::pair{5, 5}}) EXPECT_FALSE(ZoomRange(missing.first, missing.second));
}

TEST(HitsGraph, PointerRules) {
  std::vector<int> counts(1442, 0);
  GraphScale zoomed = ScaleFor(counts, 601, 632);
  const double x631 = PointX(zoomed, 631);
  EXPECT_EQ(NearestPoint(zoomed, 1441, x631), 631);
  EXPECT_EQ(NearestPoint(zoomed, 1441, x631 + zoomed.spacing * 0.4), 631);
  EXPECT_EQ(NearestPoint(zoomed, 1441, x631 + zoomed.spacing * 0.6), 632);
  // The release rounds down from x 25, so just right of a point it is the next one.
  EXPECT_EQ(FloorPoint(zoomed, 1441, x631), 631);
  EXPECT_EQ(FloorPoint(zoomed, 1441, x631 + 1.5), 632);
  EXPECT_EQ(FloorPoint(zoomed, 1441, graph::PlotRight), 632);
  // On a full day the rule would fall two points left of the first point.
  GraphScale full = ScaleFor(counts, 1, 1441);
  EXPECT_EQ(FloorPoint(full, 1441, graph::PlotLeft), 1);
  EXPECT_EQ(NearestPoint(full, 1441, graph::PlotRight), 1441);
}

TEST(HitsGraph, BarsAndLines) {
  std::vector<int> counts{0, 5, 0, 10, 5, 0};
  GraphScale s = ScaleFor(counts, 1, 5);  // spacing 145
  std::vector<Bar> bars = Bars(s, counts);
  ASSERT_EQ(bars.size(), 5u);
  EXPECT_DOUBLE_EQ(bars[0].x1, 24);  // a half bar from the first point
  EXPECT_DOUBLE_EQ(bars[0].x2, 24 + 72.5 - 14.5);
  EXPECT_DOUBLE_EQ(bars[2].x1, 314 - 72.5 + 14.5);  // 0.8 spacing centred on its point
  EXPECT_DOUBLE_EQ(bars[2].x2, 314 + 72.5 - 14.5);
  EXPECT_DOUBLE_EQ(bars[2].top, graph::Top);
  EXPECT_DOUBLE_EQ(bars[4].x2, graph::PlotRight);  // the last runs to the border
  EXPECT_DOUBLE_EQ(bars[0].top, 203);

  std::vector<Segment> lines = LineSegments(s, counts);
  ASSERT_EQ(lines.size(), 4u);  // the last point has no segment of its own
  EXPECT_DOUBLE_EQ(lines[3].x2, 604);
  EXPECT_DOUBLE_EQ(lines[2].y1, graph::Top);
  EXPECT_DOUBLE_EQ(lines[2].y2, 203);
}

TEST(HitsGraph, OnePointSpansTheWidth) {
  for (auto [counts, first, last] : {std::tuple{std::vector<int>{0, 4}, 1, 1},
                                     std::tuple{std::vector<int>{0, 4, 2, 1}, 2, 2}}) {
    GraphScale s = ScaleFor(counts, first, last);
    EXPECT_DOUBLE_EQ(s.spacing, 580);
    std::vector<Bar> bars = Bars(s, counts);
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_DOUBLE_EQ(bars[0].x1, graph::PlotLeft);
    EXPECT_DOUBLE_EQ(bars[0].x2, graph::PlotRight);
    EXPECT_TRUE(LineSegments(s, counts).empty());
    EXPECT_EQ(NearestPoint(s, static_cast<int>(counts.size()) - 1, 500), first);
  }
}

TEST(HitsGraph, ExtendedLine) {
  EXPECT_FALSE(ExtendLine({0, 0}, {0, 0}));
  auto vertical = ExtendLine({100, 50}, {100, 300});
  ASSERT_TRUE(vertical);
  EXPECT_TRUE(vertical->vertical);
  EXPECT_DOUBLE_EQ(vertical->segment.y1, graph::Top);
  EXPECT_DOUBLE_EQ(vertical->segment.y2, graph::Bottom);
  // y = x: from the left border (x 24) down to the baseline.
  auto rising = ExtendLine({100, 100}, {200, 200});
  ASSERT_TRUE(rising);
  EXPECT_FALSE(rising->vertical);
  EXPECT_DOUBLE_EQ(rising->segment.x1, 24);
  EXPECT_DOUBLE_EQ(rising->segment.y1, 24);
  EXPECT_DOUBLE_EQ(rising->segment.x2, 403);
  EXPECT_DOUBLE_EQ(rising->segment.y2, 403);
  // y = 500 - x: from the baseline up to the top of the plot.
  auto falling = ExtendLine({300, 200}, {400, 100});
  ASSERT_TRUE(falling);
  EXPECT_DOUBLE_EQ(falling->segment.x1, 97);
  EXPECT_DOUBLE_EQ(falling->segment.y1, 403);
  EXPECT_DOUBLE_EQ(falling->segment.x2, 497);
  EXPECT_DOUBLE_EQ(falling->segment.y2, 3);
  EXPECT_FALSE(ExtendLine({100, 450}, {300, 450}));  // level beneath the plot
}

TEST(HitsGraph, WinsOfTheDay) {
  auto record = [](const char* date, const char* time, const char* half) {
    NamesRecord r;
    r.date = date;
    r.time = time;
    r.amPm = half;
    return r;
  };
  std::vector<NamesRecord> records{record("22 Sep 1949", "10.43", "A"), record("22 Sep 1949", "12.30", "a"),
                                   record("22 Sep 1949", "1.15", "P"), record("22 Sep 1949", "12.00", "U"),
                                   record("23 Sep 1949", "10.43", "A")};
  std::vector<int> minutes = WinMinutes(records, {1949, 9, 22}, DateOrder::MonthDayYear);
  EXPECT_EQ(minutes, (std::vector<int>{643, 30, 795}));
  GraphScale full = ScaleFor(std::vector<int>(1442, 0), 1, 1441);
  EXPECT_DOUBLE_EQ(*MinuteX(full, 0, 1, 643), PointX(full, 644));
  GraphScale zoomed = ScaleFor(std::vector<int>(1442, 0), 601, 632);
  EXPECT_FALSE(MinuteX(zoomed, 0, 1, 643));
  EXPECT_FALSE(MinuteX(full, 18 * 60 + 30, 5, 643));  // before the series starts
}

}  // namespace
}  // namespace kesmora
