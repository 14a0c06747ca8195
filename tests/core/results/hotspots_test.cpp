// The hotspot count: which minutes of a day each hit is in force, compared with the rule the
// grid's texts give (start text <= minute <= end text, whole seconds of local time); the hits
// file (written and read back, its header rules, and files it refuses) and where the hits graph
// draws: the value axis, the time labels, and the point under the pointer.
#include "core/results/hotspots.h"
#include "core/reference/format.h"
#include "core/results/hits_file.h"
#include "core/results/hits_graph_scale.h"
#include "core/test_support.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace kesmora {
namespace {

constexpr double kZone = 6;  // hours west, as Houston's field holds it
const CivilDate kDay{2024, 3, 1};

// The UT Julian day of a local clock time on kDay plus `dayOffset`, straight from libswe.
double Local(int dayOffset, int hour, int minute, double second = 0) {
  CivilDate d = AddDays(kDay, dayOffset);
  return swe_julday(d.year, d.month, d.day, hour + minute / 60.0 + second / 3600.0 + kZone, SE_GREG_CAL);
}

// A period counts the minutes from its start to its end, both included, on either side of
// midnight.
TEST(Hotspots, PeriodCountsItsMinutes) {
  for (auto [start, end, first, last] : {std::tuple{Local(-1, 23, 59), Local(0, 0, 0), 0, 0},
                                         {Local(0, 23, 58), Local(1, 0, 1), 1438, 1439},
                                         {Local(0, 10, 0), Local(0, 10, 2), 600, 602}}) {
    HotspotHits hits{{HotspotHit{(start + end) / 2, start, end, 0, 1, 2, 0}}, kZone};
    MinuteCounts counts = CountHotspots(hits, kDay).counts;
    for (int m = 0; m < MinutesPerDay; ++m)
      ASSERT_EQ(counts[static_cast<size_t>(m)], m >= first && m <= last ? 1 : 0) << "minute " << m;
  }
}

TEST(Hotspots, TransitToTransitAspectFoundFromBothPointsCountsOnce) {
  HotspotHits hits;
  hits.timeZoneHours = kZone;
  const double exact = Local(0, 11, 52, 36);
  auto t2t = [&](int moving, int second, int aspect, double x) {
    return HotspotHit{x, Local(0, 10, 48), Local(0, 12, 57), 1, moving, second, aspect};
  };
  hits.hits = {t2t(2, 1, 10, exact), t2t(1, 2, 10, exact + 0.5 / 86400),  // one trine, seen from each point
               t2t(1, 2, 8, exact),                                        // a square of the same points
               t2t(3, 4, 10, exact), t2t(3, 4, 10, exact + 0.25),          // one point's two trines
               HotspotHit{exact, Local(0, 10, 48), Local(0, 12, 57), 0, 4, 3, 10}};  // transit to natal
  HotspotCount count = CountHotspots(hits, kDay);
  EXPECT_EQ(count.twinsMerged, 1);
  EXPECT_EQ(count.counts[11 * 60 + 30], 5);
  EXPECT_EQ(count.counts[10 * 60 + 47], 0);
  // The periods an election counts over any span leave out the same twin.
  hits.hits.push_back(HotspotHit{exact, std::nullopt, std::nullopt, 0, 5, 3, 10});
  std::vector<Interval> periods = PeriodsInForce(hits);
  ASSERT_EQ(periods.size(), 6u);
  EXPECT_EQ(periods[0], (Interval{Local(0, 10, 48), Local(0, 12, 57)}));
  EXPECT_EQ(periods[5], (Interval{exact - MissingPeriodDays, exact + MissingPeriodDays}));
}

// The written rule over texts: each period's ends as the grid writes them, read back, with an
// empty end replaced by the exact text two calendar days away; minute t counts when
// start <= t <= end. Moments are compared as (year, month, day, hour, minute, second).
using Moment = std::tuple<int, int, int, int, int, int>;

Moment ReadMoment(const std::string& text, DateOrder order) {
  int a = 0, b = 0, c = 0, hh = 0, mm = 0, ss = 0;
  EXPECT_EQ(std::sscanf(text.c_str(), "%d/%d/%d %d:%d:%d", &a, &b, &c, &hh, &mm, &ss), 6) << text;
  CivilDate d = order == DateOrder::DayMonthYear ? CivilDate{c, b, a} : CivilDate{c, a, b};
  return {d.year, d.month, d.day, hh, mm, ss};
}

Moment DaysAway(Moment m, int days) {
  CivilDate d = AddDays({std::get<0>(m), std::get<1>(m), std::get<2>(m)}, days);
  return {d.year, d.month, d.day, std::get<3>(m), std::get<4>(m), std::get<5>(m)};
}

MinuteCounts CountByTexts(const std::vector<std::array<std::string, 3>>& periods, const CivilDate& day,
                          DateOrder order) {
  MinuteCounts counts{};
  for (const auto& [startText, exactText, endText] : periods) {
    Moment exact = ReadMoment(exactText, order);
    Moment start = startText.empty() ? DaysAway(exact, -2) : ReadMoment(startText, order);
    Moment end = endText.empty() ? DaysAway(exact, 2) : ReadMoment(endText, order);
    for (int m = 0; m < MinutesPerDay; ++m) {
      Moment t{day.year, day.month, day.day, m / 60, m % 60, 0};
      if (start <= t && t <= end) ++counts[static_cast<size_t>(m)];
    }
  }
  return counts;
}

std::string Text(double jd, double zone, DateOrder order) {
  DateTimeText t = JulianDayToText(jd, zone, order);
  return t.date + " " + t.time;
}

TEST(Hotspots, RandomHitsCountAsTheirTextsSay) {
  std::mt19937 rng(22091949);
  std::uniform_real_distribution<double> moment(-2.5, 3.5), orb(0, 0.4), second(0, 1);
  for (double zone : {6.35889, -11.0, 0.0}) {
    HotspotHits hits;
    hits.timeZoneHours = zone;
    std::vector<std::array<std::string, 3>> texts;
    const double midnight = swe_julday(kDay.year, kDay.month, kDay.day, zone, SE_GREG_CAL);
    for (int k = 0; k < 400; ++k) {
      double exact = midnight + moment(rng);
      // Moments near a half second, where rounding decides the text.
      if (k % 4 == 0) exact = std::round(exact * 86400) / 86400 + (0.5 + (second(rng) - 0.5) * 1e-6) / 86400;
      HotspotHit h{exact, exact - orb(rng), exact + orb(rng), 0, 1, 2, 0};
      if (k % 7 == 0) h.startJd.reset();
      if (k % 11 == 0) h.endJd.reset();
      hits.hits.push_back(h);
      texts.push_back({h.startJd ? Text(*h.startJd, zone, DateOrder::DayMonthYear) : "",
                       Text(exact, zone, DateOrder::DayMonthYear),
                       h.endJd ? Text(*h.endJd, zone, DateOrder::DayMonthYear) : ""});
    }
    EXPECT_EQ(CountHotspots(hits, kDay).counts, CountByTexts(texts, kDay, DateOrder::DayMonthYear)) << "zone " << zone;
  }
}

// ---- The hits file and its graph ---------------------------------------------------------

std::string Crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return text;
}

TEST(HitsFile, DayWrittenAndReadBack) {
  MinuteCounts counts{};
  counts[0] = 3;
  counts[643] = 12;
  counts[1439] = 1;
  HitsSeries day = SeriesOfDay("Example and Transits - Now", "09/22/1949", counts);
  const std::string text = HitsFileText(day);
  std::vector<std::string> lines = test::SplitCrlf(text);
  // (The header's layout is compared byte for byte in the command line's golden hits file.)
  ASSERT_EQ(lines.size(), 7u + 1441u);
  EXPECT_EQ(lines[0] + lines[7] + lines[7 + 643], "Example and Transits - Now 3  12 ");
  EXPECT_EQ(lines.back(), " 0 ");

  HitsFileReading back = ParseHitsFile(text, DateOrder::MonthDayYear);
  ASSERT_TRUE(back.series) << back.error;
  EXPECT_EQ(back.series->counts, day.counts);
  EXPECT_EQ(back.series->labels, day.labels);
  EXPECT_EQ(back.series->labels[644], "10:43 am");
  EXPECT_EQ(HitsFileText(*back.series), text);
}

// A file cut short, or made by hand, shows the counts it has; it was once refused.
TEST(HitsFile, AFileShortOfCountsShowsTheCountsItHas) {
  HitsFileReading r = ParseHitsFile(Crlf({"T", "09/22/1949", "6", "30", "pm", "60", "5", "1", "4"}), DateOrder::MonthDayYear);
  ASSERT_TRUE(r.series) << r.error;
  EXPECT_EQ(r.series->counts, (std::vector<int>{0, 1, 4}));
  EXPECT_EQ(r.series->labels[2], "06:35 pm");
}

struct BadFile { const char* name; std::vector<std::string> lines; const char* says; };

class BadHitsFile : public testing::TestWithParam<BadFile> {};

TEST_P(BadHitsFile, IsRefusedWithItsReason) {
  HitsFileReading r = ParseHitsFile(Crlf(GetParam().lines), DateOrder::MonthDayYear);
  EXPECT_FALSE(r.series);
  EXPECT_NE(r.error.find(GetParam().says), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    HitsFile, BadHitsFile,
    testing::Values(BadFile{"MoreCounts", {"T", "09/22/1949", "12", "0", "am", "2", "1", "1", "2", "3", "4"},
                            "holds 4 counts where its header gives 3 points"},
                    BadFile{"NoCounts", {"T", "09/22/1949", "12", "0", "am", "2", "1"}, "holds no counts"},
                    BadFile{"ShortHeader", {"T", "09/22/1949", "12", "0"}, "seven header lines"},
                    BadFile{"HourThirteen", {"T", "09/22/1949", "13", "0", "am", "0", "1", "1"}, "line 3 (start hour)"},
                    BadFile{"StepZero", {"T", "09/22/1949", "12", "0", "am", "10", "0", "1"}, "line 7 (step"},
                    BadFile{"TooManyPoints", {"T", "09/22/1949", "12", "0", "am", "32767", "1"}, "more than 32767"},
                    BadFile{"NoDate", {"T", "Tuesday", "12", "0", "am", "0", "1", "1"}, "line 2"},
                    BadFile{"NegativeCount", {"T", "09/22/1949", "12", "0", "am", "1", "1", "1", "-1"}, "line 9"},
                    BadFile{"TwoValuesOnALine", {"T", "09/22/1949", "12", "0", "am", "1", "1", "1", "3,4"}, "line 9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HitsFile, ADatedCopysNameIsNeverAPath) {
  EXPECT_EQ(DatedCopyName("Example", "09/22/1949", DateOrder::MonthDayYear), "Example_09-22-1949_0000_0.csv");
  EXPECT_EQ(DatedCopyName("Example", "1949/09/22", DateOrder::YearMonthDay), "Example_09-22-1949_0000_0.csv");
  // A name is no path.
  EXPECT_EQ(DatedCopyName("../A/B", "22/09/1949", DateOrder::DayMonthYear), ".._A_B_09-22-1949_0000_0.csv");
  EXPECT_FALSE(DatedCopyName("Example", "13/13/1949", DateOrder::MonthDayYear));
}

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
