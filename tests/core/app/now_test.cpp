// "Now": the present instant on the clock of the home place, whatever the computer's own time
// zone; and the home place taken from that zone while OPTIONS.OPT still has Greenwich.
#include "core/app/planetary_data.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/test_support.h"

#include <date/date.h>
#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

namespace kesmora {
namespace {

const Atlas& Geonames() {
  static const Atlas atlas = Atlas::Shipped();
  return atlas;
}

// $TZ for one scope (the program reads it whenever it asks for the system's zone).
struct ScopedTz {
  std::optional<std::string> saved;
  explicit ScopedTz(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTz() {
    saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
    tzset();
  }
};

UtcInstant At(int year, int month, int day, int hour, int minute) {
  return UtcInstant{date::sys_days{date::year(year) / month / day} + std::chrono::minutes(hour * 60 + minute)};
}

// Longitude of a body at a UT instant straight from libswe, with its own Julian day.
double SweLongitude(int body, int year, int month, int day, int hour, int minute) {
  double xx[6] = {}, jd = swe_julday(year, month, day, hour + minute / 60.0, SE_GREG_CAL);
  char error[AS_MAXCH] = "";
  if (swe_calc_ut(jd, body, SEFLG_SWIEPH | SEFLG_SPEED, xx, error) < 0) ADD_FAILURE() << error;
  return xx[0];
}

double ArcMinutesApart(double a, double b) { return std::abs(std::remainder(a - b, 360.0)) * 60; }

// On a first start (OPTIONS.OPT as shipped) in each time zone, at instants either side of New
// York's change to summer time: the home place, the clock and zone "Now" shows, and the transit
// Sun and Moon of that "Now" against libswe for the real instant.
TEST(Now, IsThePresentInstantOnTheHomeClockInEveryTimeZone) {
  struct Case {
    const char* tz;
    int year, month, day, hour, minute;  // the instant, UT
    const char *home, *clock, *zone;     // "lat deg, long deg", "M/D/YYYY h:mm AM", Time Zone field
  } cases[] = {
      {"Asia/Kolkata", 2026, 12, 5, 18, 45, "22 N, 88 E", "12/6/2026 12:15 AM", "-5.5"},
      {":Asia/Calcutta", 2026, 12, 5, 18, 45, "22 N, 88 E", "12/6/2026 12:15 AM", "-5.5"},  // an old name
      {"America/New_York", 2026, 3, 8, 6, 30, "40 N, 74 W", "3/8/2026 1:30 AM", "5"},
      {"America/New_York", 2026, 3, 8, 7, 30, "40 N, 74 W", "3/8/2026 3:30 AM", "4"},
      {"UTC", 2026, 12, 5, 18, 45, "51 N, 0 W", "12/5/2026 6:45 PM", "0"},  // Greenwich stays, on London's clock
      {"UTC", 2026, 7, 1, 12, 0, "51 N, 0 W", "7/1/2026 1:00 PM", "-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tz) + " " + std::to_string(c.hour) + ":" + std::to_string(c.minute));
    const ScopedTz tz(c.tz);
    test::ScratchDir scratch;
    Session s;
    StartOptions start;
    start.home = scratch.path() / "home";
    start.executableDir = test::ShippedDataDir();
    start.formats = LocaleFormats{DateOrder::MonthDayYear, ClockFormat::Hours24};
    StartSession(s, start);
    const UtcInstant instant = At(c.year, c.month, c.day, c.hour, c.minute);
    const std::optional<Message> seeded = SeedHomePlace(s, Geonames(), SystemZoneName(), instant);
    EXPECT_EQ(seeded.has_value(), std::string(c.tz) != "UTC");
    RecordingInterface ui;
    FillStartPersons(s, ui, [&] { return NowAtHome(s, Geonames(), instant); });
    const PersonFields& now = s.person2;
    EXPECT_EQ(now.latDeg + " " + (now.south ? "S" : "N") + ", " + now.longDeg + " " + (now.east ? "E" : "W"), c.home);
    EXPECT_EQ(now.month + "/" + now.day + "/" + now.year + " " + now.hour + ":" + (now.minute.size() < 2 ? "0" : "") +
                  now.minute + (now.half == HalfDay::PM ? " PM" : " AM"),
              c.clock);
    EXPECT_EQ(now.timeZone, c.zone);
    ASSERT_TRUE(CalculatePlanetaryData(s, ui));
    EXPECT_LE(ArcMinutesApart(s.chart.transitLon[1], SweLongitude(SE_SUN, c.year, c.month, c.day, c.hour, c.minute)), 1);
    EXPECT_LE(ArcMinutesApart(s.chart.transitLon[2], SweLongitude(SE_MOON, c.year, c.month, c.day, c.hour, c.minute)),
              1);

    // Said once: the home place is in OPTIONS.OPT from now on.
    Session again;
    StartSession(again, start);
    EXPECT_EQ(again.optionValues, s.optionValues);
    EXPECT_FALSE(SeedHomePlace(again, Geonames(), SystemZoneName(), instant));
  }
}

// A home place the atlas does not know takes the system's zone; without one, the home's zone of
// OPTIONS.OPT (3 hours west). The clock still shows the real instant, 12:00 UT.
TEST(Now, AHomeAwayFromTheAtlasTakesTheSystemsZone) {
  OptionValues o{};
  o[option::HomeTimeZone] = 3;
  for (auto [system, clock, zone] : {std::tuple{"America/New_York", 800, 4.0}, {"", 900, 3.0}}) {
    const ZoneClock now = HomeClockAt(Atlas(), o, system, At(2026, 7, 1, 12, 0));
    EXPECT_EQ(now.clock.hour * 100 + now.clock.minute, clock) << system;
    EXPECT_EQ(now.hoursWest, zone) << system;
  }
}

}  // namespace
}  // namespace kesmora
