// The rows of the data grid, text for text where the command-line golden files do not reach
// (every pass and kind of row); and the picture of an election's span: each minute's state and
// score against the items' intervals asked minute by minute, rows on the local days of the
// transit place (midnights from libswe).
#include "core/results/results.h"
#include "core/results/election_picture.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <random>
#include <string>
#include <vector>

namespace kesmora {
namespace {

// Four planets (1 Sun, 2 Moon, 3 Mars, 4 Ascendant), then extra points 5 "Sun/Moon" and
// 6 a degree pair whose natal degree reads "123.50".
struct Texts {
  Texts() {
    const PointClass body = PointClass::Planet;
    tables.planets = {PlanetEntry{}, PlanetEntry{"Sun", body, "", 0, 1}, PlanetEntry{"Moon", body, "", 1, 2},
                      PlanetEntry{"Mars", body, "", 4, 5}, PlanetEntry{"Ascendant", PointClass::Point, "ASC", 0, 15}};
    tables.aspectCaptions = {"000", "018", "030", "036", "040", "045", "060", "072", "090",
                             "108", "120", "135", "144", "150", "180", "par", "c.p"};
    extra.points = {{ListKind::MidpointsToNatal, "Sun/Moon", MidpointPair{1, 2}},
                    {ListKind::DegreePairs, "Near zero 123", DegreePair{123, 123.5, "123.50"}}};
  }
  HitTextContext Context() { return HitTextsOf(tables, extra, DateOrder::DayMonthYear, 0); }
  ReferenceTables tables;
  ExtraPoints extra;
};

// A UT moment "dd/mm/yyyy hh:nn:ss" in the day-month-year order.
double At(int day, int month, int year, int hour, int minute = 0, int second = 0) {
  return swe_julday(year, month, day, hour + minute / 60.0 + second / 3600.0, SE_GREG_CAL);
}

Hit H(int moving, int k, int second, double jd, Pass pass, double p = 1, double q = 1,
      HitKind kind = HitKind::Longitude) {
  Hit h;
  h.kind = kind;
  h.pass = pass;
  h.movingPoint = moving, h.aspect = k, h.secondPoint = second;
  h.exactJd = jd, h.movingDeg = p, h.secondDeg = q;
  return h;
}

TEST(GridRows, EveryKindOfRow) {
  Texts t;
  Hit moonMars = H(2, 8, 3, At(1, 3, 2024, 9), Pass::TransitToNatal, 75.5, 245.25);
  moonMars.startJd = At(1, 3, 2024, 8);
  moonMars.endJd = At(1, 3, 2024, 10, 30);
  std::vector<GridRow> g = GridRowsOf(
      {moonMars, H(5, 0, 1, At(1, 3, 2024, 9), Pass::TransitToNatal), H(2, 0, 1, At(1, 3, 2024, 9), Pass::TransitToTransit),
       H(5, 0, 1, At(1, 3, 2024, 9), Pass::TransitToTransit), H(6, 0, 0, At(1, 3, 2024, 9), Pass::DegreePair),
       H(6, 0, 2, At(1, 3, 2024, 9), Pass::AuspiciousPoint), H(6, 0, 2, At(1, 3, 2024, 9), Pass::LunarMansion),
       H(1, 0, 5, At(1, 3, 2024, 9), Pass::TransitToNatalMidpoint),
       H(5, 0, 5, At(1, 3, 2024, 9), Pass::TransitMidpointToNatalMidpoint),
       H(2, 15, 1, At(1, 3, 2024, 9), Pass::TransitToNatal, -23.4392911, 5, HitKind::Declination),
       H(3, 16, 2, At(1, 3, 2024, 9), Pass::TransitToNatal, 0.004, -0.004, HitKind::Declination)},
      t.Context());
  ASSERT_EQ(g.size(), 11u);
  EXPECT_EQ(g[0], (GridRow{"1", "t. to n.", "Moon", "15 Gem 30' 00\"", "6", "3", "090", "Mars", "05 Sag 15' 00\"", "19",
                           "2", "01/03/2024 08:00:00", "01/03/2024 09:00:00", "01/03/2024 10:30:00"}));
  const char* labels[] = {"t. to n.", "tmp to n.", "t. to t.", "tmp to t.", "t. to t.", "", "", "t to nmp", "tmp2nmp",
                          "t. to n.", "t. to n."};
  for (size_t r = 0; r < g.size(); ++r) EXPECT_EQ(g[r][1], labels[r]) << r;
  EXPECT_EQ(g[4][7], "123.50");  // the degree pair's natal degree as its list gives it
  EXPECT_EQ(g[9][3], "-23.44");
  EXPECT_EQ(g[9][8], "5.00");
  EXPECT_EQ(g[10][3], "0.00");
  EXPECT_EQ(g[10][6], "c.p");
  for (int c : {4, 5, 9, 10, 11, 13}) EXPECT_EQ(g[9][static_cast<size_t>(c)], "") << c;
  EXPECT_EQ(g[10][0], "11");
}

// ---- The picture of an election ----------------------------------------------------------

// UT Julian day of a local clock time (zone hours west positive), straight from libswe.
double Local(int year, int month, int day, double hour, double zone) {
  return swe_julday(year, month, day, hour + zone, SE_GREG_CAL);
}

IntervalSet RandomSet(std::mt19937& rng, Interval around) {
  std::uniform_real_distribution<double> at(around.startJd - 0.3, around.endJd + 0.3), length(0.001, 0.4);
  IntervalSet set;
  for (int k = 0; k < 12; ++k) {
    const double start = at(rng);
    set.push_back({start, start + length(rng)});
  }
  return Normalized(set);
}

// Whatever the zone and however the span lies on the day, a minute is allowed exactly when every
// required item holds at its start and no avoided one does, and scores the weights of the
// preferred items that hold there.
TEST(ElectionPicture, EachMinuteFollowsTheItemsAtItsStart) {
  struct Case {
    double zone;
    double fromHour, toHour;  // local hours after midnight of 2024-03-01
    int days;
  };
  for (const Case& c : {Case{-5.5, 0, 72, 3}, Case{6, 22, 26, 2}, Case{0, 13.25, 13.25 + 24 * 4, 5}}) {
    SCOPED_TRACE(c.zone);
    const double midnight = Local(2024, 3, 1, 0, c.zone);
    const Interval span{midnight + c.fromHour / 24, midnight + c.toHour / 24};
    std::mt19937 rng(static_cast<unsigned>(c.days));
    Election e;
    e.items = {{Role::Required, 1, MoonVoid{}},
               {Role::Avoided, 1, Retrograde{3}},
               {Role::Preferred, 2, HitsAtLeast{2}},
               {Role::Preferred, 0.5, TimeOfDay{}}};
    std::vector<IntervalSet> held;
    for (size_t k = 0; k < e.items.size(); ++k) held.push_back(RandomSet(rng, span));
    const ElectionPicture p = BuildElectionPicture(e, held, {}, span, c.zone, nullptr);
    ASSERT_EQ(p.days, c.days);
    EXPECT_EQ(p.firstDate.year * 10000 + p.firstDate.month * 100 + p.firstDate.day, 20240301);
    double best = 0;
    for (int d = 0; d < p.days; ++d)
      for (int m = 0; m < kPictureMinutesPerDay; ++m) {
        const double jd = midnight + d + m / 1440.0;
        const bool inSpan = jd >= span.startJd && jd < span.endJd;
        const bool allowed = inSpan && Contains(held[0], jd) && !Contains(held[1], jd);
        const double score = (Contains(held[2], jd) ? 2 : 0) + (Contains(held[3], jd) ? 0.5 : 0);
        const MinuteState want = !inSpan ? MinuteState::OutsideSpan
                                 : allowed ? MinuteState::Allowed
                                           : MinuteState::RuledOut;
        ASSERT_EQ(p.state[p.Index(d, m)], want) << "day " << d << " minute " << m;
        ASSERT_NEAR(p.score[p.Index(d, m)], score, 1e-6) << "day " << d << " minute " << m;
        if (allowed) best = std::max(best, score);
        int day = -1, minute = -1;
        ASSERT_TRUE(p.MinuteOf(jd + 30 / 86400.0, day, minute));
        ASSERT_EQ(day * 1440 + minute, d * 1440 + m);
      }
    EXPECT_DOUBLE_EQ(p.maxScore, best);
  }
}

// A void-of-course Moon over midnight lies on two rows; a retrograde period that began before
// the span and ends after it covers all the rows, and no more.
TEST(ElectionPicture, BandsAreCutToTheRows) {
  const double zone = -1;
  const double midnight = Local(2024, 3, 1, 0, zone);
  const Interval span{midnight, midnight + 3};
  std::vector<Event> events = {{EventKind::Void, 2, midnight + 0.75, midnight + 1.25, 4, 0, false},
                               {EventKind::Retrograde, 3, midnight - 10, midnight + 20, 0, 0, false},
                               {EventKind::Ingress, 2, midnight + 1.25, midnight + 1.25, 4, 0, false}};
  Election e;
  const ElectionPicture p = BuildElectionPicture(e, {}, {}, span, zone, &events);
  ASSERT_EQ(p.bands.size(), 2u);
  auto stretches = [&](const PictureBand& b) {
    std::vector<std::array<int, 3>> out;
    for (const RowStretch& s : p.RowStretches(b.fromDay, b.toDay)) out.push_back({s.day, s.fromMinute, s.toMinute});
    return out;
  };
  EXPECT_EQ(stretches(p.bands[0]), (std::vector<std::array<int, 3>>{{0, 1080, 1440}, {1, 0, 360}}));
  EXPECT_EQ(stretches(p.bands[1]), (std::vector<std::array<int, 3>>{{0, 0, 1440}, {1, 0, 1440}, {2, 0, 1440}}));
}

// The window a minute lies in is found by its rank, and the items that hold at it by their
// order, as the hover names them.
TEST(ElectionPicture, MinuteNamesItsWindowAndItems) {
  const double midnight = Local(2024, 3, 1, 0, 0);
  const Interval span{midnight, midnight + 1};
  Election e;
  e.items = {{Role::Required, 1, MoonVoid{}}, {Role::Preferred, 1, Retrograde{2}}};
  std::vector<IntervalSet> held = {{{midnight + 0.25, midnight + 0.5}}, {{midnight + 0.4, midnight + 0.6}}};
  std::vector<ElectionWindow> windows = {{{midnight + 0.4, midnight + 0.5}, 1, {}},
                                         {{midnight + 0.25, midnight + 0.4}, 0, {}}};
  const ElectionPicture p = BuildElectionPicture(e, held, windows, span, 0, nullptr);
  EXPECT_EQ(p.WindowAt(0, 600), 0);
  EXPECT_EQ(p.WindowAt(0, 400), 1);
  EXPECT_EQ(p.WindowAt(0, 800), -1);
  EXPECT_EQ(p.ItemsAt(0, 600), (std::vector<int>{0, 1}));
  EXPECT_EQ(p.ItemsAt(0, 800), (std::vector<int>{1}));
}

}  // namespace
}  // namespace kesmora
