// The events of a year against an oracle of their own: positions and speeds straight from
// libswe (swe_calc_ut), sampled hour by hour, sign changes refined by bisection. Every event
// the oracle finds must be found within a second, and every event found must be the oracle's:
// ingresses, stations and retrograde periods, pada ingresses of the Moon and void-of-course
// periods, tropical and sidereal. The oracle shares nothing with the search but libswe and the
// names of the planet table.
#include "core/chart/chart_calculator.h"
#include "core/search/events.h"
#include "core/search/sample_session.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace kesmora {
namespace {

constexpr double kHour = 1.0 / 24;
constexpr double kOneSecond = 1.0 / 86400;

double Wrap360(double x) { return x - 360.0 * std::floor(x / 360.0); }
double Wrap180(double x) {
  double w = Wrap360(x);
  return w > 180 ? w - 360 : w;
}

struct Sample {
  double lon, speed;
};

class Oracle {
 public:
  explicit Oracle(bool sidereal) : flags_(SEFLG_SWIEPH | SEFLG_SPEED) {
    if (sidereal) {
      swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0, 0);
      flags_ |= SEFLG_SIDEREAL;
    }
  }
  Sample At(double jd, int body) const {
    double xx[6];
    char error[256];
    if (swe_calc_ut(jd, body, flags_, xx, error) < 0) ADD_FAILURE() << error;
    return {xx[0], xx[3]};
  }

 private:
  int flags_;
};

using Curve = std::function<double(double)>;

// A sign change of f in [a, b] refined by bisection to a tenth of a millisecond.
double Bisect(const Curve& f, double a, double b) {
  const bool negativeAtA = f(a) < 0;
  while (b - a > 1e-9) {
    double m = (a + b) / 2;
    ((f(m) < 0) == negativeAtA ? a : b) = m;
  }
  return (a + b) / 2;
}

// The moments f (an angle folded to (-180, 180]) passes zero between hourly samples of it
// (sample n at from + n hours), refined on f itself.
std::vector<double> Zeros(const Curve& f, const std::vector<double>& samples, double from) {
  std::vector<double> zeros;
  for (size_t n = 0; n + 1 < samples.size(); ++n) {
    const double f0 = samples[n], f1 = samples[n + 1];
    if ((f0 < 0) != (f1 < 0) && std::abs(f0) < 90 && std::abs(f1) < 90)
      zeros.push_back(Bisect(f, from + n * kHour, from + (n + 1) * kHour));
  }
  return zeros;
}

// Hourly samples of one body from `from` to `to`.
struct Hourly {
  double from;
  std::vector<Sample> at;
  template <typename F>
  std::vector<double> Map(F f) const {
    std::vector<double> out;
    for (const Sample& s : at) out.push_back(f(s));
    return out;
  }
};

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

struct Case {
  const char* name;
  int year;
  bool sidereal;
  bool traditionalVoid;
};
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
  const Oracle oracle(c.sidereal);
  std::vector<Found> expected;

  // Sign ingresses of Sun..Pluto (the Moon's below) and the three nodes; stations and retrograde periods of
  // Mercury..Pluto, looked for far enough either side for the periods under way.
  struct Body {
    const char* name;
    int swe;
    bool stations;
  };
  const Body bodies[] = {{"Sun", SE_SUN, false},        {"Mercury", SE_MERCURY, true},
                         {"Venus", SE_VENUS, true},     {"Mars", SE_MARS, true},        {"Jupiter", SE_JUPITER, true},
                         {"Saturn", SE_SATURN, true},   {"Uranus", SE_URANUS, true},    {"Neptune", SE_NEPTUNE, true},
                         {"Pluto", SE_PLUTO, true},     {"North Node", SE_TRUE_NODE, false},
                         {"Mean Node", SE_MEAN_NODE, false}};
  auto hourly = [&](int body, double a, double b) {
    Hourly h{a, {}};
    for (int n = 0; a + n * kHour <= b; ++n) h.at.push_back(oracle.At(a + n * kHour, body));
    return h;
  };
  for (const Body& b : bodies) {
    const int index = Index(b.name);
    const Hourly h = hourly(b.swe, b.stations ? from - 400 : from - 3, b.stations ? to + 400 : to + 3);
    for (int sign = 0; sign < 12; ++sign)
      for (double x : Zeros([&](double t) { return Wrap180(oracle.At(t, b.swe).lon - 30 * sign); },
                            h.Map([&](const Sample& p) { return Wrap180(p.lon - 30 * sign); }), h.from)) {
        if (x < from || x >= to) continue;
        const bool forward = oracle.At(x, b.swe).speed > 0;
        const int entered = forward ? sign : (sign + 11) % 12;
        expected.push_back({EventKind::Ingress, index, x, x, entered, 0, false});
        if (b.swe == SE_TRUE_NODE)
          expected.push_back({EventKind::Ingress, Index("South Node"), x, x, (entered + 6) % 12, 0, false});
      }
    if (!b.stations) continue;
    std::vector<double> turns =
        Zeros([&](double t) { return oracle.At(t, b.swe).speed; }, h.Map([](const Sample& p) { return p.speed; }), h.from);
    auto tolerance = [&](double t) {
      const double acceleration = (oracle.At(t + kHour, b.swe).speed - oracle.At(t - kHour, b.swe).speed) / (2 * kHour);
      return std::max(kOneSecond, kSpeedNoiseDegPerDay / std::abs(acceleration));
    };
    for (size_t k = 0; k < turns.size(); ++k) {
      const bool retrograde = oracle.At(turns[k] + 1e-3, b.swe).speed < 0;
      if (turns[k] >= from && turns[k] < to)
        expected.push_back({EventKind::Station, index, turns[k], turns[k], 0, 0, retrograde, tolerance(turns[k]),
                            tolerance(turns[k])});
      if (retrograde && k + 1 < turns.size() && turns[k] < to && turns[k + 1] > from)
        expected.push_back({EventKind::Retrograde, index, turns[k], turns[k + 1], 0, 0, false, tolerance(turns[k]),
                            tolerance(turns[k + 1])});
    }
  }

  // The Moon's padas, and its signs from the one before the year to the one after it.
  const int moon = Index("Moon");
  std::vector<std::pair<double, int>> signs;
  const Hourly moonAt = hourly(SE_MOON, from - 3, to + 3);
  for (int pada = 0; pada < 108; ++pada)
    for (double x : Zeros([&](double t) { return Wrap180(oracle.At(t, SE_MOON).lon - pada * (360.0 / 108)); },
                          moonAt.Map([&](const Sample& p) { return Wrap180(p.lon - pada * (360.0 / 108)); }), from - 3)) {
      if (pada % 9 == 0) signs.push_back({x, pada / 9});
      if (x >= from && x < to) expected.push_back({EventKind::Mansion, moon, x, x, pada / 4 + 1, pada % 4 + 1, false});
    }
  std::sort(signs.begin(), signs.end());
  // The Moon's exact major aspects to the planets, either way round.
  std::vector<double> aspects;
  const int planets[] = {SE_SUN, SE_MERCURY, SE_VENUS, SE_MARS, SE_JUPITER, SE_SATURN, SE_URANUS, SE_NEPTUNE, SE_PLUTO};
  for (int planet : planets) {
    if (c.traditionalVoid && planet > SE_SATURN) continue;
    const Hourly planetAt = hourly(planet, from - 3, to + 3);
    for (double angle : {0, 60, 90, 120, 180, 240, 270, 300}) {
      std::vector<double> samples;
      for (size_t n = 0; n < moonAt.at.size(); ++n) samples.push_back(Wrap180(moonAt.at[n].lon - planetAt.at[n].lon - angle));
      for (double x : Zeros([&](double t) { return Wrap180(oracle.At(t, SE_MOON).lon - oracle.At(t, planet).lon - angle); },
                            samples, from - 3))
        aspects.push_back(x);
    }
  }
  for (size_t k = 0; k + 1 < signs.size(); ++k) {
    const double entry = signs[k].first, exit = signs[k + 1].first;
    double start = entry;
    for (double x : aspects)
      if (x >= entry && x < exit) start = std::max(start, x);
    if (exit > from && start < to) expected.push_back({EventKind::Void, moon, start, exit, signs[k + 1].second, 0, false});
  }
  for (auto [x, sign] : signs)
    if (x >= from && x < to) expected.push_back({EventKind::Ingress, moon, x, x, sign, 0, false});

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
