// The events of a year against an oracle of their own: positions and speeds straight from
// libswe, sampled hour by hour, sign changes refined by bisection. Every event the oracle finds
// must be found within a second, and every event found must be the oracle's: ingresses,
// stations and retrograde periods, pada ingresses of the Moon and void-of-course periods,
// tropical and sidereal. The oracle shares nothing with the search but libswe and the names of
// the planet table.
#include "core/chart/chart_calculator.h"
#include "core/search/events.h"
#include "core/search/sample_session.h"
#include "slow/oracle_scan.h"

#include <sstream>
#include <string>

namespace kesmora {
namespace {

using namespace oracle;

struct Found {
  EventKind kind;
  int body;
  double start, end;
  int entered, pada;
  bool retrograde;
  // How far the search may be off: a second, or where a slow planet stations the time in which
  // its speed, as libswe gives it, is lost in the speed's own noise.
  double startTolerance = kOneSecond, endTolerance = kOneSecond;
};

// libswe's speed of the slow planets flickers in sign for a second or two about their stations
// (Pluto's by some 2e-8 degrees a day): the station is one moment of that flicker.
constexpr double kSpeedNoiseDegPerDay = 2e-8;

std::string Describe(const Found& e) {
  std::ostringstream s;
  s.precision(15);
  s << "kind " << static_cast<int>(e.kind) << " body " << e.body << " start " << e.start << " end " << e.end
    << " entered " << e.entered << " pada " << e.pada << (e.retrograde ? " retrograde" : "");
  return s.str();
}

struct Case { const char* name; int year; bool sidereal, traditionalVoid; };
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class EventsOracle : public ::testing::TestWithParam<Case> {
 protected:
  EventsOracle() : sample_("Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich") {}
  int Index(const char* name) const { return sample_.Index(name); }
  test::SampleSession sample_;
};

TEST_P(EventsOracle, EveryEventOfAYearWithinASecond) {
  const Case& c = GetParam();
  const double from = swe_julday(c.year, 1, 1, 0, SE_GREG_CAL), to = from + 365;
  const Ephemeris oracle(c.sidereal);
  std::vector<Found> expected;

  // Sign ingresses of Sun..Pluto (the Moon's below) and the three nodes; stations and retrograde periods of
  // Mercury..Pluto, looked for far enough either side for the periods under way.
  struct Body { const char* name; int swe; bool stations; };
  const Body bodies[] = {{"Sun", SE_SUN, false},        {"Mercury", SE_MERCURY, true},
                         {"Venus", SE_VENUS, true},     {"Mars", SE_MARS, true},        {"Jupiter", SE_JUPITER, true},
                         {"Saturn", SE_SATURN, true},   {"Uranus", SE_URANUS, true},    {"Neptune", SE_NEPTUNE, true},
                         {"Pluto", SE_PLUTO, true},     {"North Node", SE_TRUE_NODE, false},
                         {"Mean Node", SE_MEAN_NODE, false}};
  for (const Body& b : bodies) {
    const int index = Index(b.name);
    const SweTrack track(oracle, b.swe, b.stations ? from - 400 : from - 3, b.stations ? to + 400 : to + 3);
    for (int sign = 0; sign < 12; ++sign)
      for (double x : track.Passes(30 * sign)) {
        if (x < from || x >= to) continue;
        const int entered = oracle.At(x, b.swe).speedDegPerDay > 0 ? sign : (sign + 11) % 12;
        expected.push_back({EventKind::Ingress, index, x, x, entered, 0, false});
        if (b.swe == SE_TRUE_NODE)
          expected.push_back({EventKind::Ingress, Index("South Node"), x, x, (entered + 6) % 12, 0, false});
      }
    if (!b.stations) continue;
    const std::vector<double> turns = track.Stations();
    auto tolerance = [&](double t) {
      const double acceleration =
          (oracle.At(t + kHour, b.swe).speedDegPerDay - oracle.At(t - kHour, b.swe).speedDegPerDay) / (2 * kHour);
      return std::max(kOneSecond, kSpeedNoiseDegPerDay / std::abs(acceleration));
    };
    for (size_t k = 0; k < turns.size(); ++k) {
      const bool retrograde = oracle.At(turns[k] + 1e-3, b.swe).speedDegPerDay < 0;
      if (turns[k] >= from && turns[k] < to)
        expected.push_back({EventKind::Station, index, turns[k], turns[k], 0, 0, retrograde, tolerance(turns[k]),
                            tolerance(turns[k])});
      if (retrograde && k + 1 < turns.size() && turns[k] < to && turns[k + 1] > from)
        expected.push_back({EventKind::Retrograde, index, turns[k], turns[k + 1], 0, 0, false, tolerance(turns[k]),
                            tolerance(turns[k + 1])});
    }
  }

  // The Moon's padas, its signs and its void periods from the course before the year to the one after it.
  const int moon = Index("Moon");
  const SweTrack moonTrack(oracle, SE_MOON, from - 3, to + 3);
  for (int pada = 0; pada < 108; ++pada)
    for (double x : moonTrack.Passes(pada * (360.0 / 108)))
      if (x >= from && x < to) expected.push_back({EventKind::Mansion, moon, x, x, pada / 4 + 1, pada % 4 + 1, false});
  for (const MoonCourse& course : MoonCourses(oracle, from - 3, to + 3, c.traditionalVoid)) {
    if (course.exitJd > from && course.voidJd < to)
      expected.push_back({EventKind::Void, moon, course.voidJd, course.exitJd, course.next, 0, false});
    if (course.exitJd >= from && course.exitJd < to)
      expected.push_back({EventKind::Ingress, moon, course.exitJd, course.exitJd, course.next, 0, false});
  }

  // The search, on the program's calculator and zodiac.
  ChartRecord record;
  ChartCalculator calc(sample_.session.tables, record, {c.sidereal ? Zodiac::Sidereal : Zodiac::Tropical, HouseSystem::Placidus});
  EventOptions options;
  options.traditionalVoid = c.traditionalVoid;
  std::vector<Found> found;
  for (const Event& e : FindEvents(calc, sample_.session.tables, from, to, options))
    found.push_back({e.kind, e.body, e.startJd, e.endJd, e.entered, e.pada, e.turnsRetrograde});

  // x is the oracle's.
  auto same = [](const Found& x, const Found& y) {
    return x.kind == y.kind && x.body == y.body && x.entered == y.entered && x.pada == y.pada &&
           x.retrograde == y.retrograde && std::abs(x.start - y.start) <= x.startTolerance &&
           std::abs(x.end - y.end) <= x.endTolerance;
  };
  std::vector<bool> used(found.size(), false);
  double widest = 0;
  for (const Found& e : expected) {
    widest = std::max({widest, e.startTolerance, e.endTolerance});
    auto it = std::find_if(found.begin(), found.end(), [&](const Found& f) { return !used[&f - found.data()] && same(e, f); });
    if (it == found.end())
      ADD_FAILURE() << "missed: " << Describe(e);
    else
      used[static_cast<size_t>(it - found.begin())] = true;
  }
  for (size_t k = 0; k < found.size(); ++k)
    if (!used[k]) ADD_FAILURE() << "not the oracle's: " << Describe(found[k]);
  EXPECT_GT(expected.size(), 1800u);
  // Only the stations of the slowest planets need more than a second, and never many.
  EXPECT_LT(widest, 5 * kOneSecond);
}

const Case kCases[] = {
    {"tropical_2025", 2025, false, false},
    {"sidereal_2025", 2025, true, false},
    {"sidereal_2026_traditional_void", 2026, true, true},
};
INSTANTIATE_TEST_SUITE_P(Year, EventsOracle, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kesmora
