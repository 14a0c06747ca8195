// The events search on real positions: periods under way at a span's ends found whole, nothing
// listed past the span, the option of the traditional void of course, cancelling; and the rows
// the events list, CSV and calendar are made of. Every kind against an independent scan of a
// year, the traditional void among them, is in tests/slow/events_oracle_test.cpp.
#include "core/results/event_texts.h"
#include "core/search/events.h"
#include "core/search/sample_session.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kesmora {
namespace {

constexpr double kOneSecond = 1.0 / 86400;

class Events : public ::testing::Test {
 protected:
  Events() : sample_("Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich") {}
  std::vector<Event> Find(double from, double to, EventOptions options = {}, Zodiac zodiac = Zodiac::Tropical) {
    ChartRecord record;
    ChartCalculator calc(sample_.session.tables, record, {zodiac, HouseSystem::Placidus});
    return FindEvents(calc, sample_.session.tables, from, to, options);
  }
  static double Jd(int year, int month, double day) { return swe_julday(year, month, static_cast<int>(day), 24 * (day - std::floor(day)), SE_GREG_CAL); }
  test::SampleSession sample_;
};

// A period under way where a span starts or ends (Mercury retrograde from 15 March to
// 7 April 2025, the Moon void before each ingress) is the same period found from a span that
// holds it whole: its true start and end, searched back and on.
TEST_F(Events, PeriodsUnderWayAtASpansEndsAreFoundWhole) {
  const double from = Jd(2025, 3, 10), to = Jd(2025, 4, 12);
  const std::vector<Event> whole = Find(from, to);
  const int mercury = sample_.Index("Mercury");
  auto periods = [&](const std::vector<Event>& events, double a, double b) {
    std::vector<Event> out;
    // (The slow planets' stations are defined only to the second or two in which libswe's speed
    // for them flickers in sign; spans walked from other moments may meet another flicker.)
    for (const Event& e : events)
      if (((e.kind == EventKind::Retrograde && e.body == mercury) || e.kind == EventKind::Void) && e.endJd > a &&
          e.startJd < b)
        out.push_back(e);
    return out;
  };
  for (double cut : {Jd(2025, 3, 25), Jd(2025, 3, 27.3)}) {
    const std::vector<Event> inner = periods(Find(cut, cut + 0.5), cut, cut + 0.5);
    const std::vector<Event> expected = periods(whole, cut, cut + 0.5);
    ASSERT_EQ(inner.size(), expected.size());
    bool mercuryRetrograde = false;
    for (size_t k = 0; k < inner.size(); ++k) {
      EXPECT_EQ(inner[k].kind, expected[k].kind);
      EXPECT_NEAR(inner[k].startJd, expected[k].startJd, kOneSecond / 10);
      EXPECT_NEAR(inner[k].endJd, expected[k].endJd, kOneSecond / 10);
      if (inner[k].kind == EventKind::Retrograde && inner[k].body == mercury) {
        mercuryRetrograde = true;
        // The stations as libswe's own speeds show them.
        for (auto [at, direct] : {std::pair{inner[k].startJd - kOneSecond, true}, {inner[k].startJd + kOneSecond, false},
                                  {inner[k].endJd - kOneSecond, false}, {inner[k].endJd + kOneSecond, true}}) {
          EXPECT_EQ(test::SweCalc(at, SE_MERCURY, SEFLG_SPEED)[3] > 0, direct) << at;
        }
      }
    }
    EXPECT_TRUE(mercuryRetrograde);
  }
}

// Moments are listed from the span's start up to, not including, its end; each kind only when
// asked for; sorted by time.
TEST_F(Events, MomentsPastTheSpanAreNotListed) {
  const double from = Jd(2025, 6, 1.3), to = Jd(2025, 6, 4.7);
  struct Case { bool ingresses, stations, mansions, voids; } cases[] = {
      {true, true, true, true}, {true, false, false, false}, {false, false, true, false},
      {false, false, false, true}};
  for (const Case& c : cases) {
    EventOptions options;
    options.ingresses = c.ingresses, options.stations = c.stations, options.mansions = c.mansions,
    options.voids = c.voids;
    const std::vector<Event> events = Find(from, to, options);
    EXPECT_FALSE(events.empty());
    EXPECT_TRUE(std::is_sorted(events.begin(), events.end(),
                               [](const Event& x, const Event& y) { return x.startJd < y.startJd; }));
    for (const Event& e : events) {
      const bool period = e.kind == EventKind::Retrograde || e.kind == EventKind::Void;
      if (period) {
        EXPECT_TRUE(e.endJd > from && e.startJd < to);
      } else {
        EXPECT_TRUE(e.startJd >= from && e.startJd < to) << static_cast<int>(e.kind);
      }
      const bool asked[] = {c.ingresses, c.stations, c.stations, c.mansions, c.voids};
      EXPECT_TRUE(asked[static_cast<int>(e.kind)]) << static_cast<int>(e.kind);
    }
  }
  EXPECT_TRUE(Find(to, from).empty());
}

// Option 15 of OPTIONS.OPT: the shipped file and files from before it (line 15 "reserved")
// keep Sun..Pluto; a 1 there makes the void traditional.
TEST(EventOptionsOf, Option15MakesTheVoidTraditional) {
  struct Case { const char* line15; bool traditional; } cases[] = {{"0       Option 15: reserved", false},
               {"0       Option 15: void-of-course Moon by Sun..Saturn only (1 yes, 0 Sun..Pluto)", false},
               {"1       Option 15: void-of-course Moon by Sun..Saturn only (1 yes, 0 Sun..Pluto)", true}};
  for (const Case& c : cases) {
    std::string text;
    for (int k = 1; k <= 24; ++k) text += (k == 15 ? std::string(c.line15) : "0       Option") + "\r\n";
    OptionValues values{};
    ParseOptionsText(values, text);
    EXPECT_EQ(EventOptionsOf(values).traditionalVoid, c.traditional) << c.line15;
  }
}

TEST_F(Events, CancellingStopsTheSearch) {
  ChartRecord record;
  ChartCalculator calc(sample_.session.tables, record, {});
  int asked = 0;
  EXPECT_THROW(FindEvents(calc, sample_.session.tables, Jd(2025, 1, 1), Jd(2026, 1, 1), {},
                          [&] {
                            if (++asked == 5) throw std::runtime_error("cancelled");
                          }),
               std::runtime_error);
}

// The rows: kind, body, start and end in the transit place's clock and date order, what is
// entered; a moment has no end.
TEST_F(Events, RowsInTheTransitClockAndDateOrder) {
  const ExtraPoints none;
  const HitTextContext texts = HitTextsOf(sample_.session.tables, none, DateOrder::DayMonthYear, -5.5);
  const double jd = Jd(2025, 3, 20.5);  // 12:00 UT, 17:30 in the zone
  struct Case { Event event; EventRow row; } cases[] = {
      {{EventKind::Ingress, 1, jd, jd, 0, 0, false}, {"Ingress", "Sun", "20/03/2025 17:30:00", "", "Aries"}},
      {{EventKind::Station, 3, jd, jd, 0, 0, true}, {"Station", "Mercury", "20/03/2025 17:30:00", "", "retrograde"}},
      {{EventKind::Retrograde, 3, jd, jd + 1, 0, 0, false},
       {"Retrograde", "Mercury", "20/03/2025 17:30:00", "21/03/2025 17:30:00", ""}},
      {{EventKind::Mansion, 2, jd, jd, 27, 4, false}, {"Mansion", "Moon", "20/03/2025 17:30:00", "", "Nak-27, pada 4"}},
      {{EventKind::Void, 2, jd, jd + 0.25, 11, 0, false},
       {"Void", "Moon", "20/03/2025 17:30:00", "20/03/2025 23:30:00", "Pisces"}},
  };
  for (const Case& c : cases) EXPECT_EQ(EventRowOf(c.event, texts), c.row);
  // The calendar: moments and periods in UTC, the same UIDs from a second export, none twice.
  std::vector<Event> events;
  for (const Case& c : cases) events.push_back(c.event);
  const std::vector<CalendarEvent> calendar = EventCalendarOf(events, texts);
  ASSERT_EQ(calendar.size(), events.size());
  EXPECT_EQ(calendar[0].startUtc, calendar[0].endUtc);
  EXPECT_EQ(calendar[2].endUtc - calendar[2].startUtc, 86400);
  EXPECT_EQ(calendar[0].startUtc % 86400, 12 * 3600);
  for (size_t k = 0; k < calendar.size(); ++k) {
    EXPECT_EQ(calendar[k].uid, EventCalendarOf(events, texts)[k].uid);
    for (size_t m = 0; m < k; ++m) EXPECT_NE(calendar[k].uid, calendar[m].uid);
  }
}

}  // namespace
}  // namespace kesmora
