#pragma once
// The independent side of the slow tests: positions straight from libswe, sampled at a fixed
// step, each change of sign narrowed by bisection. Nothing here comes from the program's search.
#include "core/test_support.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace kesmora::oracle {

constexpr double kMinute = 1.0 / 1440, kHour = 1.0 / 24, kOneSecond = 1.0 / 86400;

inline double Wrap360(double x) { return x - 360.0 * std::floor(x / 360.0); }
// An angle folded to (-180, 180].
inline double Wrap180(double x) {
  const double w = Wrap360(x);
  return w > 180 ? w - 360 : w;
}
// The midpoint on the shorter arc.
inline double ArcMidpoint(double a, double b) { return Wrap360(a + Wrap180(b - a) / 2); }

struct Motion { double lonDeg, speedDegPerDay; };

// libswe at a UT moment, tropical or sidereal (Fagan and Bradley); every failure is a test failure.
class Ephemeris {
 public:
  explicit Ephemeris(bool sidereal = false) {
    if (sidereal) swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0, 0);
    flags_ |= sidereal ? SEFLG_SIDEREAL : 0;
  }
  int Flags() const { return flags_; }
  Motion At(double jd, int body) const {
    const auto xx = test::SweCalc(jd, body, flags_);
    return {xx[0], xx[3]};
  }
  double Lon(double jd, int body) const { return At(jd, body).lonDeg; }
  // On the equator, whatever the zodiac.
  static double Declination(double jd, int body) { return test::SweCalc(jd, body, SEFLG_EQUATORIAL)[1]; }

 private:
  int flags_ = SEFLG_SWIEPH | SEFLG_SPEED;
};

using Curve = std::function<double(double jd)>;

// A change of sign of f in [a, b] narrowed by bisection to a tenth of a millisecond.
inline double Bisect(const Curve& f, double a, double b) {
  const bool negativeAtA = f(a) < 0;
  while (b - a > 1e-9) {
    const double m = (a + b) / 2;
    ((f(m) < 0) == negativeAtA ? a : b) = m;
  }
  return (a + b) / 2;
}

// A change of sign that is a crossing of zero: not a jump of an angle from +180 to -180, nor of a
// midpoint to the other side of the circle (from 90 degrees past one of its components to 90
// before it), which moves by far more in a step than anything that crosses; and not rounding
// between two computations of one point (the South Node and the North Node turned by 180
// degrees), which moves by far less.
inline bool Crossing(double f0, double f1) {
  return (f0 < 0) != (f1 < 0) && std::abs(f0) < 90 && std::abs(f1) < 90 && std::abs(f1 - f0) > 1e-10 &&
         std::abs(f1 - f0) < 90;
}

// Where f jumps (a midpoint flipping, an angle folding) between a and b, with f(a) = fa: the
// moments either side of the jump, a tenth of a millisecond apart.
inline std::pair<double, double> Jump(const Curve& f, double a, double fa, double b) {
  while (std::abs(b - a) > 1e-9) {
    const double m = (a + b) / 2;
    (std::abs(f(m) - fa) < 90 ? a : b) = m;
  }
  return {a, b};
}

// The zeros of f in one step [a, b] with f(a) = fa and f(b) = fb: a crossing narrowed by
// bisection or, in a step where f jumps, a crossing on either side of the jump.
inline std::vector<double> ZerosIn(const Curve& f, double a, double fa, double b, double fb) {
  if (Crossing(fa, fb)) return {Bisect(f, a, b)};
  if (std::abs(fb - fa) < 90) return {};
  auto [lo, hi] = Jump(f, a, fa, b);
  std::vector<double> zeros;
  if (Crossing(fa, f(lo))) zeros.push_back(Bisect(f, a, lo));
  if (Crossing(f(hi), fb)) zeros.push_back(Bisect(f, hi, b));
  return zeros;
}

// Zeros of f from its samples (sample n at from + n steps), narrowed on f itself.
inline std::vector<double> Zeros(const Curve& f, const std::vector<double>& samples, double from, double step) {
  std::vector<double> zeros;
  for (size_t n = 0; n + 1 < samples.size(); ++n)
    for (double x : ZerosIn(f, from + n * step, samples[n], from + (n + 1) * step, samples[n + 1])) zeros.push_back(x);
  return zeros;
}

inline std::vector<double> Zeros(const Curve& f, double from, double to, double step = kMinute) {
  std::vector<double> samples;
  for (int n = 0; from + n * step <= to; ++n) samples.push_back(f(from + n * step));
  return Zeros(f, samples, from, step);
}

// The first zero of f met walking from `from` towards `towards`, minute by minute; or the first
// jump of a midpoint to the other side of the circle that takes f over zero (its orb left or
// entered all at once).
inline std::optional<double> FirstZero(const Curve& f, double from, double towards) {
  const double direction = towards > from ? 1 : -1;
  double f0 = f(from);
  for (int m = 0; (towards - from - m * direction * kMinute) * direction > 0; ++m) {
    const double t = from + m * direction * kMinute, t1 = t + direction * kMinute, f1 = f(t1);
    std::vector<double> zeros = direction > 0 ? ZerosIn(f, t, f0, t1, f1) : ZerosIn(f, t1, f1, t, f0);
    if (!zeros.empty()) return direction > 0 ? zeros.front() : zeros.back();
    if (std::abs(f1 - f0) > 90) {
      auto [near, far] = Jump(f, t, f0, t1);
      const double before = f(near), after = f(far);
      if (std::abs(after - before) < 270 && (before < 0) != (after < 0)) return (near + far) / 2;
    }
    f0 = f1;
  }
  return std::nullopt;
}

// One body sampled at every step from `from` to `to`.
struct SweTrack {
  SweTrack(const Ephemeris& e, int body, double from, double to, double step = kHour)
      : e(e), body(body), from(from), step(step) {
    for (int n = 0; from + n * step <= to; ++n) at.push_back(e.At(from + n * step, body));
  }
  // The moments its longitude passes `deg`, either way.
  std::vector<double> Passes(double deg) const {
    std::vector<double> samples;
    for (const Motion& m : at) samples.push_back(Wrap180(m.lonDeg - deg));
    return Zeros([&](double jd) { return Wrap180(e.Lon(jd, body) - deg); }, samples, from, step);
  }
  // Its stations: the changes of sign of its speed.
  std::vector<double> Stations() const {
    std::vector<double> samples;
    for (const Motion& m : at) samples.push_back(m.speedDegPerDay);
    return Zeros([&](double jd) { return e.At(jd, body).speedDegPerDay; }, samples, from, step);
  }
  const Ephemeris& e;
  int body;
  double from, step;
  std::vector<Motion> at;
};

// The Moon's course through a sign: entered, void from its last major aspect (0, 60, 90, 120 or
// 180 degrees, either way round) to the Sun or a planet Mercury to Pluto (Saturn when
// traditional) in that sign or from its entry when it makes none, and left into `next`.
struct MoonCourse { double entryJd, voidJd, exitJd; int next; };

inline std::vector<MoonCourse> MoonCourses(const Ephemeris& e, double from, double to, bool traditional) {
  const SweTrack moon(e, SE_MOON, from, to);
  std::vector<std::pair<double, int>> signs;  // ingresses, with the sign entered
  for (int sign = 0; sign < 12; ++sign)
    for (double x : moon.Passes(30 * sign)) signs.push_back({x, sign});
  std::sort(signs.begin(), signs.end());
  std::vector<double> aspects;
  for (int planet : {SE_SUN, SE_MERCURY, SE_VENUS, SE_MARS, SE_JUPITER, SE_SATURN, SE_URANUS, SE_NEPTUNE, SE_PLUTO}) {
    if (traditional && planet > SE_SATURN) continue;
    const SweTrack other(e, planet, from, to);
    for (double angle : {0, 60, 90, 120, 180, 240, 270, 300}) {
      std::vector<double> samples;
      for (size_t n = 0; n < moon.at.size(); ++n) samples.push_back(Wrap180(moon.at[n].lonDeg - other.at[n].lonDeg - angle));
      const Curve f = [&](double jd) { return Wrap180(e.Lon(jd, SE_MOON) - e.Lon(jd, planet) - angle); };
      for (double x : Zeros(f, samples, from, kHour)) aspects.push_back(x);
    }
  }
  std::vector<MoonCourse> courses;
  for (size_t k = 0; k + 1 < signs.size(); ++k) {
    MoonCourse c{signs[k].first, signs[k].first, signs[k + 1].first, signs[k + 1].second};
    for (double x : aspects)
      if (x >= c.entryJd && x < c.exitJd) c.voidJd = std::max(c.voidJd, x);
    courses.push_back(c);
  }
  return courses;
}

}  // namespace kesmora::oracle
