#pragma once
// The one root finder of the search. Every exact time and every period end is a moment at
// which a continuous function of time crosses zero: an angle between two points less the
// aspect, a position less a target degree, a declination less a target. A change of sign
// between two moments brackets the crossing; the crossing is then narrowed by the Illinois
// variant of regula falsi (a secant that keeps the bracket), which converges in a handful of
// steps on the smooth functions of the search and never leaves the bracket.
//
// Angles are folded into (-180, 180]: a fold shows as a jump of the sign from about +180 to
// about -180, which is not a crossing. A sign change counts as a crossing only while both ends
// lie within a quarter turn of zero.
#include <algorithm>
#include <cmath>
#include <optional>

namespace kesmora {

inline constexpr double kOneSecondDays = 1.0 / 86400;
inline constexpr double kOneMinuteDays = 1.0 / 1440;
// Crossings are narrowed to a millisecond, a thousandth of the second the results show.
inline constexpr double kCrossingToleranceDays = kOneSecondDays / 1000;
// A sign change between ends further than this from zero is a fold of an angle.
inline constexpr double kFoldLimitDeg = 90;

// An angle in degrees folded into (-180, 180].
inline double FoldDeg(double angleDeg) {
  double w = angleDeg - 360.0 * std::floor(angleDeg / 360.0);
  return w > 180 ? w - 360 : w;
}

// Whether values at the two ends of an interval bracket a crossing of zero (a value of exactly
// zero counts at the interval's later end only, so a crossing on a shared end is found once).
inline bool Brackets(double f0, double f1) {
  if (!std::isfinite(f0) || !std::isfinite(f1)) return false;
  if (std::abs(f0) > kFoldLimitDeg || std::abs(f1) > kFoldLimitDeg) return false;
  return (f0 < 0 && f1 >= 0) || (f0 > 0 && f1 <= 0);
}

// A crossing leaves the function within this of zero; a sign change that stays further off
// is a jump (a whole-sign cusp moving on to the next sign), not a crossing.
inline constexpr double kCrossingResidualDeg = 0.1;

// Two computations of one point (the South Node and the North Node turned by half a circle,
// the ascendant and the first cusp) differ by their rounding alone: a function that stays
// within this of zero over an interval only shows that rounding, and its changes of sign are
// no crossings. A real crossing moves the function further within any interval the search
// looks at.
inline constexpr double kHairDeg = 1e-9;

// What the root finder made of a bracket: the moment of the crossing, or why there is none.
enum class CrossingStatus {
  Found,
  Jump,          // the sign changes by more than the residual: a jump, not a crossing
  Hair,          // the function stays within a hair of zero: rounding, not a crossing
  NonFinite,     // a value in the bracket is no number (the ephemeris could not give it)
  NotConverged,  // the bracket did not narrow to the tolerance in the steps allowed
};
struct CrossingResult {
  CrossingStatus status = CrossingStatus::NotConverged;
  // The moment when found; when not converged, the end of the last bracket nearer zero (the
  // function changed sign within the residual there, only slower than the steps could follow).
  double at = 0;
  bool Found() const { return status == CrossingStatus::Found; }
  // The moment the search takes: found, or where the bracket was left.
  std::optional<double> Moment() const {
    if (status == CrossingStatus::Found || status == CrossingStatus::NotConverged) return at;
    return std::nullopt;
  }
};

// Steps the root finder may take on one bracket; the smooth functions of the search take a
// handful.
inline constexpr int kCrossingSteps = 100;

// The moment in [a, b] at which f crosses zero, given f(a) = fa and f(b) = fb with Brackets
// true; to within kCrossingToleranceDays.
template <typename F>
CrossingResult FindCrossing(F f, double a, double fa, double b, double fb) {
  if (!std::isfinite(fa) || !std::isfinite(fb)) return {CrossingStatus::NonFinite};
  if (std::abs(fa) < kHairDeg && std::abs(fb) < kHairDeg) {
    const double fm = f((a + b) / 2);
    if (!std::isfinite(fm)) return {CrossingStatus::NonFinite};
    if (std::abs(fm) < kHairDeg) return {CrossingStatus::Hair};
  }
  if (fb == 0) return {CrossingStatus::Found, b};
  double trueA = fa, trueB = fb;  // the Illinois step scales the ends' weights, not their values
  int side = 0;                   // which end was kept last: the Illinois step halves its weight
  for (int n = 0; n < kCrossingSteps && b - a > kCrossingToleranceDays; ++n) {
    double x = (a * fb - b * fa) / (fb - fa);
    // Keep the new point strictly inside, at least a tolerance from either end.
    x = std::clamp(x, a + kCrossingToleranceDays / 2, b - kCrossingToleranceDays / 2);
    double fx = f(x);
    // A value that is no number would pass every comparison below as false.
    if (!std::isfinite(fx)) return {CrossingStatus::NonFinite};
    if (fx == 0) return {CrossingStatus::Found, x};
    if ((fx < 0) == (fa < 0)) {
      a = x, fa = trueA = fx;
      if (side == -1) fb /= 2;
      side = -1;
    } else {
      b = x, fb = trueB = fx;
      if (side == 1) fa /= 2;
      side = 1;
    }
  }
  if (std::min(std::abs(trueA), std::abs(trueB)) > kCrossingResidualDeg) return {CrossingStatus::Jump};
  const double nearer = std::abs(trueA) < std::abs(trueB) ? a : b;
  return {b - a > kCrossingToleranceDays ? CrossingStatus::NotConverged : CrossingStatus::Found, nearer};
}

// The moment in [a, b] at which f crosses zero, given its values at both ends: nothing when
// they bracket no crossing or the root finder finds none (a jump, a hair, a value that is no
// number); a bracket that narrowed more slowly than the steps allowed still holds one, near
// the end it was left at.
template <typename F>
std::optional<double> CrossingBetween(const F& f, double a, double fa, double b, double fb) {
  if (!Brackets(fa, fb)) return std::nullopt;
  return FindCrossing(f, a, fa, b, fb).Moment();
}

// Stations are narrowed to a tenth of a second.
inline constexpr double kStationToleranceDays = 1e-6;

// Where in (a, b) a rate changes sign (a station), if it does.
template <typename Rate>
std::optional<double> FindTurn(const Rate& rate, double a, double b) {
  double ra = rate(a), rb = rate(b);
  if (!((ra < 0 && rb > 0) || (ra > 0 && rb < 0))) return std::nullopt;
  while (b - a > kStationToleranceDays) {
    double m = (a + b) / 2;
    ((rate(m) < 0) == (ra < 0) ? a : b) = m;
  }
  return (a + b) / 2;
}

}  // namespace kesmora
