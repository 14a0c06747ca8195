// The hotspot count: which minutes of a day each hit is in force, compared with the rule the
// grid's texts give (start text <= minute <= end text, whole seconds of local time).
#include "core/results/hotspots.h"

#include "core/reference/format.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cstdio>
#include <random>
#include <tuple>

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

}  // namespace
}  // namespace kesmora
