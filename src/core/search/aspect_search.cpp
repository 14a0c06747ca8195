#include "core/search/aspect_search.h"

#include "core/search/crossing.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kesmora {

namespace {

constexpr double kHouseStepDays = 1.0 / 52;
constexpr double kDegreePairStepDays = 1.0 / 104;
// A crossing found on interpolated positions is polished on the ephemeris when their error
// may move it by more than this.
constexpr double kPolishAboveDays = kOneSecondDays / 100;
constexpr double kNewtonSettledDays = kOneSecondDays;
// A midpoint is told from its opposite in single precision (Midpoint): until its components
// are this far past opposition it may still lie on the longer arc, a few single-precision steps
// of 180 degrees.
constexpr double kMidpointDoubtDeg = 2e-5;

}  // namespace

double RoundedNearWholeDegree(double lonDeg) {
  // The threshold is the double nearest to the whole degree plus 0.99999, so that a longitude
  // written as d.99999 is rounded and the one just below it is not.
  const double size = std::abs(lonDeg);
  if (std::isfinite(size) && size >= std::floor(size) + 0.99999) return Normalise(std::round(lonDeg));
  return lonDeg;
}

AspectSearch::AspectSearch(const SearchContext& context, PositionSource& positions, PositionSource& exact,
                           bool polish)
    : ctx_(context), positions_(positions), exact_(exact), polish_(polish) {}

void AspectSearch::CheckCancelled() const {
  if (ctx_.hitsFound && out_ && out_->size() > counted_) {
    ctx_.hitsFound->fetch_add(static_cast<long>(out_->size() - counted_), std::memory_order_relaxed);
    counted_ = out_->size();
  }
  if (ctx_.stepsTaken && ++uncountedSteps_ == kStepsPerCount) {
    ctx_.stepsTaken->fetch_add(kStepsPerCount, std::memory_order_relaxed);
    uncountedSteps_ = 0;
  }
  if (ctx_.cancelled && ctx_.cancelled()) throw RunCancelled();
}

const ExtraPoint* AspectSearch::Extra(int index) const {
  return ctx_.extra ? ctx_.extra->Point(index, ctx_.tables->NumPlanetsUsed()) : nullptr;
}

bool AspectSearch::IsHousePlanet(int index) const {
  return PlanetIndex(index) && kesmora::IsHouseDependent(ctx_.tables->Planet(index).cls);
}

bool AspectSearch::IsHouseDependent(int index) const {
  if (PlanetIndex(index)) return IsHousePlanet(index);
  const ExtraPoint* point = Extra(index);
  if (!point) return false;
  // A midpoint moves with the houses when one of its components does; a fixed degree counts
  // as the planet that meets it, and a degree pair's is the transit ascendant.
  if (const MidpointPair* pair = point->Midpoint()) return IsHousePlanet(pair->first) || IsHousePlanet(pair->second);
  if (point->kind == ListKind::DegreePairs) return true;
  return IsHousePlanet(point->MeetingPlanet());
}

double AspectSearch::StepDaysFor(Pass pass, int i, int j) const {
  if (pass == Pass::DegreePair) return kDegreePairStepDays;
  // An extra second point (a natal midpoint) stands still: only a planet's class counts.
  bool secondIsHouse = IsHousePlanet(j);
  if (pass == Pass::AuspiciousPoint || pass == Pass::LunarMansion) return secondIsHouse ? kHouseStepDays : 1.0;
  return IsHouseDependent(i) || secondIsHouse ? kHouseStepDays : 1.0;
}

PointState AspectSearch::Moving(Pass pass, double jd, int i, PositionSource& source) {
  return source.At(jd, MoverIndex(pass, i));
}

PointState AspectSearch::Second(Pass pass, double jd, int i, int j, PositionSource& source) {
  const ChartRecord& c = *ctx_.chart;
  switch (pass) {
    case Pass::TransitToNatal:
      if (PlanetIndex(j)) return {c.natalLon[static_cast<size_t>(j)], c.natalSpeed[static_cast<size_t>(j)]};
      return {};
    case Pass::TransitToTransit:
    case Pass::AuspiciousPoint:
    case Pass::LunarMansion:
      return source.At(jd, j);
    case Pass::DegreePair:
      // The transit degree on the natal degree's terms: T - (D - natal ascendant).
      if (const ExtraPoint* point = Extra(i); point && std::holds_alternative<DegreePair>(point->data)) {
        const DegreePair& pair = std::get<DegreePair>(point->data);
        double natalAsc = c.natalLon.size() > kDegreePairMover ? c.natalLon[kDegreePairMover] : 0.0;
        return {Normalise(pair.transitDeg - Normalise(pair.natalDeg - natalAsc)), 0.0};
      }
      return {};
    case Pass::TransitToNatalMidpoint:
    case Pass::TransitMidpointToNatalMidpoint: {
      int r = j - ctx_.tables->NumPlanetsUsed();
      if (!ctx_.extra || r < 1 || r > ctx_.extra->Total()) return {};
      return {ctx_.extra->natalMidpointLon[static_cast<size_t>(r - 1)],
              ctx_.extra->natalMidpointSpeed[static_cast<size_t>(r - 1)]};
    }
  }
  return {};
}

bool AspectSearch::IsTransitMidpoint(int index) const {
  const ExtraPoint* point = PlanetIndex(index) ? nullptr : Extra(index);
  return point && point->IsTransitMidpoint();
}

std::optional<std::pair<double, double>> AspectSearch::FlipOf(int index, double a, double b) {
  auto lon = [&](double t) { return positions_.At(t, index).lon; };
  std::optional<std::pair<double, double>> jump = FindFlip(lon, a, lon(a), b, lon(b));
  const ExtraPoint* point = Extra(index);
  const MidpointPair* pair = point ? point->Midpoint() : nullptr;
  if (!jump || !pair) return jump;
  // Around the jump the components are within a doubt of opposition: no crossing counts there.
  double rate = std::abs(positions_.At(jump->first, pair->first).speed - positions_.At(jump->first, pair->second).speed);
  double doubtDays = rate > kMidpointDoubtDeg / kOneMinuteDays ? kMidpointDoubtDeg / rate : kOneMinuteDays;
  return std::pair{jump->first - doubtDays, jump->second + doubtDays};
}

WalkPlan AspectSearch::PlanOf(double fromJd, double toJd, double stepDays, std::function<double(double)> rate,
                              int flipping) {
  WalkPlan plan;
  plan.fromJd = fromJd;
  plan.toJd = toJd;
  plan.stepDays = stepDays;
  plan.turnRate = std::move(rate);
  if (flipping && IsTransitMidpoint(flipping))
    plan.flip = [this, flipping](double a, double b) { return FlipOf(flipping, a, b); };
  plan.checkCancelled = [this] { CheckCancelled(); };
  return plan;
}

std::optional<double> AspectSearch::Crossing(const CrossingCurve& curve, double a, double fa, double b,
                                             double fb) const {
  const auto& f = curve.value;
  std::optional<double> x = CrossingBetween(f, a, fa, b, fb);
  if (!x || !polish_ || !curve.exact) return x;
  // The time the positions' error may shift the crossing by: the error over the rate at which
  // the function passes zero.
  double rateDegPerDay = std::abs(f(std::min(*x + kOneSecondDays, b)) - f(std::max(*x - kOneSecondDays, a))) /
                         (std::min(*x + kOneSecondDays, b) - std::max(*x - kOneSecondDays, a));
  if (curve.errorDeg && curve.errorDeg(*x) < kPolishAboveDays * rateDegPerDay) return x;
  // Newton steps on the real ephemeris from the interpolated crossing.
  double polished = *x;
  for (int n = 0; n < 3; ++n) {
    auto [value, rate] = curve.exact(polished);
    if (!std::isfinite(value) || rate == 0 || !std::isfinite(rate)) return x;
    double step = value / rate;
    polished -= step;
    // Newton's method converges quadratically: after a step of under a second what is left
    // is far below the tolerance, and no further call is needed to see it.
    if (std::abs(step) < kNewtonSettledDays) return polished;
  }
  // Not settled: narrow the bracket on the real positions instead.
  double ea = curve.exact(a).first, eb = curve.exact(b).first;
  if (!Brackets(ea, eb)) return x;
  return CrossingBetween([&](double t) { return curve.exact(t).first; }, a, ea, b, eb);
}

std::optional<double> AspectSearch::FirstCrossing(const CrossingCurve& curve, const WalkPlan& walk) const {
  const bool forward = walk.toJd >= walk.fromJd;
  std::optional<double> first;
  std::optional<std::pair<double, double>> last;  // the far end of the piece before, and the value there
  WalkSteps(walk, curve.value, [&](double a, double fa, double b, double fb) {
    const double nearJd = forward ? a : b, nearValue = forward ? fa : fb;
    // Where the walk passes a flip the curve jumps: a jump over zero is an orb left or entered
    // all at once, at the flip.
    if (last && last->first != nearJd && std::isfinite(last->second) && std::isfinite(nearValue) &&
        (last->second < 0) != (nearValue < 0)) {
      first = (last->first + nearJd) / 2;
      return true;
    }
    first = Crossing(curve, a, fa, b, fb);
    last = forward ? std::pair{b, fb} : std::pair{a, fa};
    return first.has_value();
  });
  return first;
}

double AspectSearch::ScanStepDaysFor(Pass pass, int i, int j) const {
  // A natal point stands still whatever its class: only what moves needs the finer step.
  if (pass == Pass::TransitToNatal || pass == Pass::TransitToNatalMidpoint ||
      pass == Pass::TransitMidpointToNatalMidpoint)
    return IsHouseDependent(i) ? kHouseStepDays : 1.0;
  return StepDaysFor(pass, i, j);
}

std::optional<Hit> AspectSearch::AspectHit(const PairScan& scan, int aspectIndex, double offsetDeg, double a,
                                           double fa, double b, double fb) {
  const Pass pass = scan.pass;
  const int i = scan.i, j = scan.j;
  PointState lastP, lastQ;
  double lastJd = 0;
  CrossingCurve curve;
  curve.value = [&](double x) {
    return FoldDeg(Moving(pass, x, i, positions_).lon - Second(pass, x, i, j, positions_).lon - offsetDeg);
  };
  curve.errorDeg = scan.errorDeg;
  if (scan.polish)
    curve.exact = [&](double x) {
      lastP = Moving(pass, x, i, exact_);
      lastQ = Second(pass, x, i, j, exact_);
      lastJd = x;
      double r = (MovingFirst(pass) ? lastP.speed : 0.0) - (MovingSecond(pass) ? lastQ.speed : 0.0);
      return std::pair{FoldDeg(lastP.lon - lastQ.lon - offsetDeg), r};
    };
  std::optional<double> found = Crossing(curve, a, fa, b, fb);
  if (!found) return std::nullopt;
  double x = std::clamp(*found, a, b);
  if (!InSpan(x)) return std::nullopt;
  // The positions at the exact moment: those of the last real evaluation carried on by their
  // speeds over the fraction of a second left, or the search's own.
  PointState px, qx;
  if (lastJd != 0 && std::abs(x - lastJd) < kOneSecondDays) {
    px = {Normalise(lastP.lon + lastP.speed * (x - lastJd)), lastP.speed};
    qx = {MovingSecond(pass) ? Normalise(lastQ.lon + lastQ.speed * (x - lastJd)) : lastQ.lon, lastQ.speed};
  } else {
    px = Moving(pass, x, i, positions_);
    qx = Second(pass, x, i, j, positions_);
  }
  Hit hit;
  hit.kind = HitKind::Longitude;
  hit.pass = pass;
  hit.movingPoint = i;
  hit.aspect = aspectIndex;
  hit.secondPoint = pass == Pass::DegreePair ? 0 : j;
  hit.exactJd = x;
  hit.movingDeg = RoundedNearWholeDegree(px.lon);
  hit.secondDeg = RoundedNearWholeDegree(qx.lon);
  hit.movingSpeedDegPerDay = FixedMover(pass) ? 0.0 : px.speed;
  hit.secondSpeedDegPerDay = qx.speed;
  return hit;
}

void AspectSearch::ScanPair(Pass pass, int i, int j) {
  const RunOptions& o = ctx_.options;
  // The scan may take longer steps where nothing of the pair moves faster than the step allows.
  const double step = ScanStepDaysFor(pass, i, j);
  const int mover = MoverIndex(pass, i);
  const bool housePoint = IsHouseDependent(mover) || (MovingSecond(pass) && IsHouseDependent(j));
  struct Aspect {
    int index;
    double angleDeg;
  };
  std::vector<Aspect> aspects;
  for (int k = 0; k <= aspect::LastLongitude; ++k)
    if (o.aspects[static_cast<size_t>(k)] && (pass != Pass::DegreePair || k == aspect::Conjunction))
      aspects.push_back({k, ctx_.tables->AspectAngle(k)});
  if (aspects.empty()) return;

  // How far the positions may be from the ephemeris's: a house point's rate is that of the
  // houses, a turn a day, against which an interpolated body's error is nothing.
  std::function<double(double)> errorDeg = [&](double x) {
    return (MovingFirst(pass) ? positions_.ErrorBoundDeg(x, mover, false) : 0.0) +
           (MovingSecond(pass) ? positions_.ErrorBoundDeg(x, j, false) : 0.0);
  };
  // The pair's rate turns where the steps are split; a house point turns too fast to matter.
  const bool turns = !housePoint && pass != Pass::DegreePair;
  std::function<double(double)> rate;
  if (turns)
    rate = [this, pass, i, j](double t) {
      return (MovingFirst(pass) ? Moving(pass, t, i, positions_).speed : 0.0) -
             (MovingSecond(pass) ? Second(pass, t, i, j, positions_).speed : 0.0);
    };
  // The flips of the moving point (the second point of a pass is never a transit midpoint).
  WalkPlan plan = PlanOf(ctx_.span.start, ctx_.span.end, step, std::move(rate), mover);

  const PairScan scan{pass, i, j, polish_ && !housePoint, errorDeg};
  auto scanPiece = [&](double a, const PointState& pa, const PointState& qa, double b, const PointState& pb,
                       const PointState& qb) {
    for (const Aspect& k : aspects) {
      for (double side : {1.0, -1.0}) {
        if (side < 0 && (k.angleDeg == 0 || k.angleDeg == 180)) continue;
        const double offsetDeg = side * k.angleDeg;
        double fa = FoldDeg(pa.lon - qa.lon - offsetDeg);
        double fb = FoldDeg(pb.lon - qb.lon - offsetDeg);
        if (!Brackets(fa, fb)) continue;
        if (std::optional<Hit> hit = AspectHit(scan, k.index, offsetDeg, a, fa, b, fb)) out_->push_back(*hit);
      }
    }
    return false;
  };

  if (MovingSecond(pass)) {
    auto both = [&](double t) { return std::pair{Moving(pass, t, i, positions_), Second(pass, t, i, j, positions_)}; };
    WalkSteps(plan, both, [&](double a, const auto& va, double b, const auto& vb) {
      return scanPiece(a, va.first, va.second, b, vb.first, vb.second);
    });
    return;
  }
  // The second point stands still: the walk is the moving point's alone, and every pair of
  // that point shares it.
  MoverStepsKey key{mover, step, ctx_.span.start, ctx_.span.end, turns};
  if (!(moverStepsKey_ == key)) {
    moverPieces_.clear();
    moverStepsKey_ = {};
    WalkSteps(plan, [&](double t) { return Moving(pass, t, i, positions_); },
              [&](double a, const PointState& pa, double b, const PointState& pb) {
                moverPieces_.push_back({a, b, pa, pb});
                return false;
              });
    moverStepsKey_ = key;
  }
  const PointState q = Second(pass, ctx_.span.start, i, j, positions_);
  for (const MoverPiece& piece : moverPieces_) {
    CheckCancelled();
    scanPiece(piece.a, piece.pa, q, piece.b, piece.pb, q);
  }
}

bool AspectSearch::TakesPartInDeclinations(int index, bool transit) const {
  const ReferenceTables& tables = *ctx_.tables;
  const auto& ticks = transit ? ctx_.options.transitPlanets : ctx_.options.natalPlanets;
  return index >= 1 && index <= NumPlanetBoxes && index <= tables.NumPlanetsUsed() &&
         ticks[static_cast<size_t>(index - 1)] && !kesmora::IsHouseDependent(tables.Planet(index).cls) &&
         tables.Planet(index).cls != PointClass::None;
}

void AspectSearch::DeclinationsOf(int i) {
  const RunOptions& o = ctx_.options;
  std::function<double(double)> errorDeg = [&](double x) { return positions_.ErrorBoundDeg(x, i, true); };
  // The declination turns at most once a day: a day's step is split there.
  const WalkPlan plan =
      PlanOf(ctx_.span.start, ctx_.span.end, 1, [this, i](double t) { return positions_.Declination(t, i).speed; }, 0);
  for (int j = 1; j <= ctx_.tables->NumPlanetsUsed(); ++j) {
    if (!TakesPartInDeclinations(j, false)) continue;
    const double natal = ctx_.chart->natalDecl[static_cast<size_t>(j)];
    if (!std::isfinite(natal)) continue;
    auto declination = [&](double t) { return positions_.Declination(t, i).lon; };
    WalkSteps(plan, declination, [&](double a, double da, double b, double db) {
      for (int k : {aspect::Parallel, aspect::ContraParallel}) {
        if (!o.aspects[static_cast<size_t>(k)]) continue;
        const double target = k == aspect::Parallel ? natal : -natal;
        const double fa = da - target, fb = db - target;
        if (!Brackets(fa, fb)) continue;
        CrossingCurve curve;
        curve.value = [&](double x) { return declination(x) - target; };
        curve.errorDeg = errorDeg;
        if (polish_)
          curve.exact = [&](double x) {
            PointState d = exact_.Declination(x, i);
            return std::pair{d.lon - target, d.speed};
          };
        std::optional<double> found = Crossing(curve, a, fa, b, fb);
        if (!found) continue;
        double x = std::clamp(*found, a, b);
        if (!InSpan(x)) continue;
        PointState d = (polish_ ? exact_ : positions_).Declination(x, i);
        // A parallel lies on the natal side of the equator, a contra-parallel on the other.
        bool sameSign = (d.lon >= 0) == (natal >= 0);
        if ((k == aspect::Parallel) != sameSign) continue;
        Hit hit;
        hit.kind = HitKind::Declination;
        hit.pass = Pass::TransitToNatal;
        hit.movingPoint = i;
        hit.aspect = k;
        hit.secondPoint = j;
        hit.exactJd = x;
        hit.movingDeg = d.lon;
        hit.secondDeg = natal;
        hit.movingSpeedDegPerDay = d.speed;
        out_->push_back(hit);
      }
      return false;
    });
  }
}

}  // namespace kesmora
