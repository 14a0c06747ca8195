// The periods of the hits: from the moment the aspect comes within its orb before exact to the
// moment it leaves the orb after it. Each end is the first crossing of the orb met walking
// away from the exact moment (walk.h), found by the search's one root finder (crossing.h), or
// the flip at which a transit midpoint jumps into or out of the orb.
#include "core/search/aspect_search.h"

#include "core/search/crossing.h"

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

// A point that stands still looks for its periods within six minutes only.
constexpr double kStandingWindowDays = 6.0 / 1440;

// The value with the fractional degree of `source` that lies nearest to `near`: the exact
// aspect point beside the moving position, even when the two fall on either side of a whole
// degree.
double NearestWithFraction(double near, double source) { return near + std::remainder(source - near, 1.0); }

// Where the moving point stands at the exact aspect: the second point moved by the aspect angle
// to the side the moving point is on, unwrapped beside the moving position. It is taken from the
// aspect itself, whatever its fraction of a degree, and not from the moving position, which may
// have been rounded to a whole degree.
double ExactAspectDeg(double moving, double second, double angleDeg) {
  double ahead = moving + std::remainder(second + angleDeg - moving, 360.0);
  double behind = moving + std::remainder(second - angleDeg - moving, 360.0);
  return std::abs(behind - moving) < std::abs(ahead - moving) ? behind : ahead;
}

// The end of a walk of steps from `fromJd` in `direction` that goes on while the step's start is
// at most `limitDays` away: the whole step that starts there is walked.
double WalkEndJd(double fromJd, double direction, double stepDays, double limitDays) {
  double n = std::floor(limitDays / stepDays);
  while ((n + 1) * stepDays <= limitDays) ++n;
  while (n > 0 && n * stepDays > limitDays) --n;
  return fromJd + direction * (n + 1) * stepDays;
}

}  // namespace

void AspectSearch::FindPeriods(Hit& hit) {
  if (hit.kind == HitKind::Declination) return DeclinationPeriods(hit);
  if (hit.pass == Pass::TransitToTransit) return PairPeriods(hit);
  LongitudePeriods(hit);
}

// One point moves: its period runs from where it is the orb before short of the exact degree
// to where it is the orb after past it, in the direction it moves.
void AspectSearch::LongitudePeriods(Hit& hit) {
  const RunOptions& o = ctx_.options;
  const Pass pass = hit.pass;
  int moving = MoverIndex(pass, hit.movingPoint);
  double q = ExactAspectDeg(hit.movingDeg, hit.secondDeg, ctx_.tables->AspectAngle(hit.aspect));
  double speed = hit.movingSpeedDegPerDay;
  if (pass == Pass::AuspiciousPoint || pass == Pass::LunarMansion) {
    // The planet moves, the point stands: the orb is measured around the planet's own exact
    // position and in the direction the planet moves.
    moving = hit.secondPoint;
    q = hit.secondDeg;
    speed = hit.secondSpeedDegPerDay;
  }
  const double step = StepDaysFor(pass, hit.movingPoint, pass == Pass::DegreePair ? 0 : hit.secondPoint);
  const bool standing = hit.movingSpeedDegPerDay == 0 && !FixedMover(pass);
  const double window = standing ? kStandingWindowDays : o.periodWindow;
  const bool polish = polish_ && !IsHouseDependent(moving);
  auto reach = [&](double target, double direction, double limitDays) -> std::optional<double> {
    CrossingCurve curve;
    curve.value = [&](double x) { return FoldDeg(positions_.At(x, moving).lon - target); };
    curve.errorDeg = [&](double x) { return positions_.ErrorBoundDeg(x, moving, false); };
    if (polish)
      curve.exact = [&](double x) {
        PointState p = exact_.At(x, moving);
        return std::pair{FoldDeg(p.lon - target), p.speed};
      };
    return FirstCrossing(curve, PlanOf(hit.exactJd, WalkEndJd(hit.exactJd, direction, step, limitDays), step,
                                       [&](double x) { return positions_.At(x, moving).speed; }, moving));
  };
  double orbBefore = speed >= 0 ? -o.orbBefore : o.orbBefore, orbAfter = speed >= 0 ? o.orbAfter : -o.orbAfter;
  hit.startJd = o.orbBefore > 0 ? reach(q + orbBefore, -1, window) : hit.exactJd;
  hit.endJd = o.orbAfter > 0 ? reach(q + orbAfter, +1, window + 2) : hit.exactJd;
}

// Both points move: the period runs from the last moment before the exact one at which the two
// are the orb before away from the exact aspect, to the first moment after it at which they
// are the orb after away. The walk's step keeps the pair's relative motion per step well
// below the orb, so the separation cannot reach the orb and fall back unseen.
void AspectSearch::PairPeriods(Hit& hit) {
  const RunOptions& o = ctx_.options;
  const int i = hit.movingPoint, j = hit.secondPoint;
  const double angle = ctx_.tables->AspectAngle(hit.aspect);
  const double relativeSpeed = std::abs(hit.movingSpeedDegPerDay - hit.secondSpeedDegPerDay);
  const bool polish = polish_ && !IsHouseDependent(i) && !IsHouseDependent(j);
  // Distance from the exact aspect less the orb, degrees.
  auto distance = [&](const PointState& p, const PointState& q) {
    return std::abs(std::abs(FoldDeg(p.lon - q.lon)) - angle);
  };
  auto rateOf = [&](const PointState& p, const PointState& q) {
    double d = FoldDeg(p.lon - q.lon);
    double sign = (std::abs(d) >= angle ? 1 : -1) * (d >= 0 ? 1 : -1);
    return sign * (p.speed - q.speed);
  };
  // The pair's own reach: the time the orb takes at the exact relative speed, with a margin.
  auto windowDays = [&](double orb) {
    double r = relativeSpeed == 0 ? 0.5 : relativeSpeed;
    return std::max(o.periodWindow, std::trunc(orb / (0.9 * r) + 0.5) + 1);
  };
  auto reach = [&](double orb, double direction, double limitDays) -> std::optional<double> {
    if (orb <= 0) return hit.exactJd;
    double step = std::clamp(0.25 * orb / std::max(relativeSpeed, 1e-9), kOneMinuteDays,
                             StepDaysFor(Pass::TransitToTransit, i, j));
    CrossingCurve curve;
    curve.value = [&](double x) { return distance(positions_.At(x, i), positions_.At(x, j)) - orb; };
    curve.errorDeg = [&](double x) {
      return positions_.ErrorBoundDeg(x, i, false) + positions_.ErrorBoundDeg(x, j, false);
    };
    if (polish)
      curve.exact = [&](double x) {
        PointState p = exact_.At(x, i), q = exact_.At(x, j);
        return std::pair{distance(p, q) - orb, rateOf(p, q)};
      };
    // The moving point may be a transit midpoint, which flips.
    return FirstCrossing(curve, PlanOf(hit.exactJd, WalkEndJd(hit.exactJd, direction, step, limitDays), step,
                                       [&](double x) { return positions_.At(x, i).speed - positions_.At(x, j).speed; },
                                       i));
  };
  hit.startJd = reach(o.orbBefore, -1, windowDays(o.orbBefore));
  hit.endJd = reach(o.orbAfter, +1, windowDays(o.orbAfter) + 2);
}

void AspectSearch::DeclinationPeriods(Hit& hit) {
  const RunOptions& o = ctx_.options;
  const double speed = hit.movingSpeedDegPerDay;
  if (speed == 0 || std::abs(o.orbBefore / speed) > o.daysToCalculate + 3) return;
  const int i = hit.movingPoint;
  // The natal declination on the transit's side of the equator, beside the transit's own.
  const double q = NearestWithFraction(hit.movingDeg, std::copysign(std::abs(hit.secondDeg), hit.movingDeg));
  auto reach = [&](double target, double direction, double limitDays) -> std::optional<double> {
    CrossingCurve curve;
    curve.value = [&](double x) { return positions_.Declination(x, i).lon - target; };
    curve.errorDeg = [&](double x) { return positions_.ErrorBoundDeg(x, i, true); };
    if (polish_)
      curve.exact = [&](double x) {
        PointState d = exact_.Declination(x, i);
        return std::pair{d.lon - target, d.speed};
      };
    return FirstCrossing(curve, PlanOf(hit.exactJd, WalkEndJd(hit.exactJd, direction, 1.0, limitDays), 1.0,
                                       [&](double x) { return positions_.Declination(x, i).speed; }, 0));
  };
  hit.startJd = reach(speed >= 0 ? q - o.orbBefore : q + o.orbBefore, -1, o.periodWindow);
  hit.endJd = reach(speed >= 0 ? q + o.orbAfter : q - o.orbAfter, +1, o.periodWindow + 2);
}

}  // namespace kesmora
