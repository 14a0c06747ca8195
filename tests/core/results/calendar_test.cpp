// Calendar export: UTC times as the grid shows them, events from start to end of each period,
// UIDs that survive a second export, and the text rules of RFC 5545 (folding, escaping).
#include "core/test_support.h"
#include "core/reference/reference_tables.h"
#include "core/reference/text.h"
#include "core/results/calendar.h"
#include "core/search/aspectarian.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

constexpr double kJ2000 = 2451545.0;  // 2000-01-01 12:00:00 UT = 946728000 s after 1970

// Two hits of pass 0 for a transit place at zone 6 (west positive): Moon 060 Venus with its
// period, and Sun 090 Mars found without one.
RunResult TwoHits() {
  RunResult run;
  run.transitTimeZone = 6;
  run.hits.StartRun();
  run.hits.StartPass();
  Hit moonVenus;
  moonVenus.movingPoint = 2, moonVenus.aspect = 6, moonVenus.secondPoint = 4;
  moonVenus.exactJd = 2451545, moonVenus.movingDeg = 100.5, moonVenus.secondDeg = 40.5;
  moonVenus.startJd = kJ2000 - 0.1;  // 09:36:00 UT
  moonVenus.endJd = kJ2000 + 0.1;    // 14:24:00 UT
  Hit sunMars;
  sunMars.movingPoint = 1, sunMars.aspect = 8, sunMars.secondPoint = 5;
  sunMars.exactJd = 2451545.5, sunMars.movingDeg = 280, sunMars.secondDeg = 10;
  run.hits.AppendHit(moonVenus);
  run.hits.AppendHit(sunMars);
  run.hits.AddPassToRun();
  return run;
}

class CalendarTest : public ::testing::Test {
 protected:
  CalendarTest() { LoadReferenceData(tables, test::ShippedDataDir()); }
  std::vector<CalendarEvent> Events(const RunResult& run, double natalJd = 2433182.2) {
    return CalendarEventsOf(run, HitTextsOf(tables, run.extra, DateOrder::DayMonthYear, run.transitTimeZone), natalJd);
  }
  ReferenceTables tables;
};

TEST_F(CalendarTest, UtcAsTheGridShowsIt) {
  // The Unix epoch is JD 2440587.5; zones are hours west of Greenwich.
  EXPECT_EQ(UtcSecondsAsShown(kJ2000, 0), 946728000);
  EXPECT_EQ(UtcSecondsAsShown(kJ2000, 6), 946728000);
  EXPECT_EQ(UtcSecondsAsShown(kJ2000, -5.5), 946728000);
  EXPECT_EQ(UtcSecondsAsShown(kJ2000 + 0.4 / 86400, 6), 946728000);  // shown rounded to the second
  EXPECT_EQ(UtcSecondsAsShown(kJ2000 + 0.6 / 86400, 6), 946728001);
}

TEST_F(CalendarTest, EventsRunFromStartToEndOrMarkTheMoment) {
  auto events = Events(TwoHits());
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].summary, "Moon 060 Venus (t. to n.)");
  EXPECT_EQ(events[0].startUtc, 946719360);
  EXPECT_EQ(events[0].endUtc, 946736640);
  EXPECT_EQ(events[1].summary, "Sun 090 Mars (t. to n.)");
  EXPECT_EQ(events[1].startUtc, 946771200);
  EXPECT_EQ(events[1].endUtc, 946771200);
  EXPECT_NE(events[0].description.find("Exact: 01/01/2000 06:00:00 local time"), std::string::npos);
  EXPECT_NE(events[1].description.find("Start: not found"), std::string::npos);

  std::string ics = IcsText(events, 946684800);
  EXPECT_NE(ics.find("DTSTART:20000101T093600Z\r\nDTEND:20000101T142400Z\r\n"), std::string::npos);
  // The moment has a start and no end.
  EXPECT_NE(ics.find("DTSTART:20000102T000000Z\r\nSUMMARY:"), std::string::npos);
  EXPECT_NE(ics.find("DTSTAMP:20000101T000000Z\r\n"), std::string::npos);
}

TEST_F(CalendarTest, UidsStayForTheSameChartAndDifferForAnother) {
  auto first = Events(TwoHits());
  auto again = Events(TwoHits());
  auto otherChart = Events(TwoHits(), 2440000.5);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_NE(first[0].uid, first[1].uid);
  for (size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(first[k].uid, again[k].uid);
    EXPECT_NE(first[k].uid, otherChart[k].uid);
  }
}

TEST_F(CalendarTest, LinesAreFoldedAndTextEscaped) {
  CalendarEvent e;
  e.uid = "x@kesmora";
  e.summary = "Moon, 060; Venus \\ " + std::string(100, 'a') + "\xc3\xa9" + std::string(60, 'b');
  e.description = "line one\nline two";
  std::string ics = IcsText({e}, 0);
  std::string unfolded;
  for (const std::string& line : test::SplitCrlf(ics)) {
    EXPECT_LE(line.size(), 75u) << line;
    if (!line.empty() && line[0] == ' ')
      unfolded += line.substr(1);
    else
      unfolded += "\n" + line;
    // A fold never splits the two bytes of the é.
    EXPECT_NE(static_cast<unsigned char>(line.empty() ? 'x' : line.back()), 0xC3u);
  }
  EXPECT_NE(unfolded.find("\nSUMMARY:Moon\\, 060\\; Venus \\\\ aaa"), std::string::npos);
  EXPECT_NE(unfolded.find("\xc3\xa9" + std::string(60, 'b')), std::string::npos);
  EXPECT_NE(unfolded.find("\nDESCRIPTION:line one\\nline two\n"), std::string::npos);
}

}  // namespace
}  // namespace kesmora
