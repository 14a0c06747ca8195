#include "core/search/aspect_search.h"

#include "core/search/crossing.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
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

bool IsHouseClass(const std::string& cls) { return cls == "c" || cls == "p" || cls == "l"; }

// A longitude whose shortest decimal text runs into 99999 after the point is one rounding
// short of a whole degree: it is kept as the whole degree.
double RoundedNearWholeDegree(double lon) {
  std::string text = fmt::format("{}", lon);
  size_t point = text.find('.');
  if (point != std::string::npos && text.compare(point + 1, 5, "99999") == 0) return Normalise(std::round(lon));
  return lon;
}

}  // namespace

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

const ExtraPointRow* AspectSearch::ExtraRow(int index) const {
  return ctx_.extra ? ctx_.extra->Row(index, ctx_.tables->NumPlanetsUsed()) : nullptr;
}

std::string AspectSearch::ClassOf(int index) const {
  if (PlanetIndex(index)) return ctx_.tables->Planet(index).cls;
  int r = index - ctx_.tables->NumPlanetsUsed();
  if (ctx_.extra && r >= 1 && r <= ctx_.extra->Total()) return ctx_.extra->classes[static_cast<size_t>(r - 1)];
  return {};
}

bool AspectSearch::IsHouseDependent(int index) const {
  if (PlanetIndex(index)) return IsHouseClass(ctx_.tables->Planet(index).cls);
  // An extra point moves with the houses when one of its components does.
  const ExtraPointRow* row = ExtraRow(index);
  return row && (IsHouseClass(row->Text(5)) || IsHouseClass(row->Text(6)));
}

double AspectSearch::StepDaysFor(Pass pass, int i, int j) const {
  if (pass == Pass::DegreePair) return kDegreePairStepDays;
  bool secondIsHouse = IsHouseClass(ClassOf(j));
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
      if (const ExtraPointRow* row = ExtraRow(i)) {
        double natalAsc = c.natalLon.size() > kDegreePairMover ? c.natalLon[kDegreePairMover] : 0.0;
        return {Normalise(row->Number(7) - Normalise(row->Number(8) - natalAsc)), 0.0};
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

std::optional<double> AspectSearch::Crossing(const Curve& f, double a, double fa, double b, double fb,
                                             const std::function<double(double)>& errorDeg,
                                             const std::function<std::pair<double, double>(double)>& exactRate) const {
  std::optional<double> x = FindCrossing(f, a, fa, b, fb);
  if (!x || !polish_ || !exactRate) return x;
  // The time the positions' error may shift the crossing by: the error over the rate at which
  // the function passes zero.
  double rateDegPerDay = std::abs(f(std::min(*x + kOneSecondDays, b)) - f(std::max(*x - kOneSecondDays, a))) /
                         (std::min(*x + kOneSecondDays, b) - std::max(*x - kOneSecondDays, a));
  if (errorDeg && errorDeg(*x) < kPolishAboveDays * rateDegPerDay) return x;
  // Newton steps on the real ephemeris from the interpolated crossing.
  double polished = *x;
  for (int n = 0; n < 3; ++n) {
    auto [value, rate] = exactRate(polished);
    if (!std::isfinite(value) || rate == 0 || !std::isfinite(rate)) return x;
    double step = value / rate;
    polished -= step;
    // Newton's method converges quadratically: after a step of under a second what is left
    // is far below the tolerance, and no further call is needed to see it.
    if (std::abs(step) < kNewtonSettledDays) return polished;
  }
  // Not settled: narrow the bracket on the real positions instead.
  double ea = exactRate(a).first, eb = exactRate(b).first;
  if (!Brackets(ea, eb)) return x;
  return FindCrossing([&](double t) { return exactRate(t).first; }, a, ea, b, eb);
}

double AspectSearch::ScanStepDaysFor(Pass pass, int i, int j) const {
  // A natal point stands still whatever its class: only what moves needs the finer step.
  if (pass == Pass::TransitToNatal || pass == Pass::TransitToNatalMidpoint ||
      pass == Pass::TransitMidpointToNatalMidpoint)
    return IsHouseDependent(i) ? kHouseStepDays : 1.0;
  return StepDaysFor(pass, i, j);
}

template <typename Rate>
void AspectSearch::FillSteps(std::vector<ScanStep>& steps, Pass pass, int i, int j, double step, double endJd,
                             bool turns, const Rate& rate, bool second) {
  for (double t = ctx_.span.start; t < endJd; t += step) {
    CheckCancelled();
    ScanStep s;
    const double tEnd = std::min(t + step, endJd);
    s.ends[0] = t, s.ends[1] = tEnd;
    if (turns)
      if (auto turn = FindTurn(rate, t, tEnd)) s.ends[2] = s.ends[1], s.ends[1] = *turn, s.count = 3;
    // Each moment once; the step's end is the next step's start.
    for (size_t e = 0; e < s.count; ++e) {
      if (e == 0 && !steps.empty()) {
        s.p[0] = steps.back().p[steps.back().count - 1], s.q[0] = steps.back().q[steps.back().count - 1];
        continue;
      }
      s.p[e] = Moving(pass, s.ends[e], i, positions_);
      if (second) s.q[e] = Second(pass, s.ends[e], i, j, positions_);
    }
    steps.push_back(s);
  }
}

void AspectSearch::ScanPair(Pass pass, int i, int j) {
  const RunOptions& o = ctx_.options;
  // The scan runs a step of the pair past the span's end; it may take longer steps where
  // nothing of the pair moves faster than the step allows.
  const double endJd = ctx_.span.end + StepDaysFor(pass, i, j);
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

  auto rate = [&](double t) {
    return (MovingFirst(pass) ? Moving(pass, t, i, positions_).speed : 0.0) -
           (MovingSecond(pass) ? Second(pass, t, i, j, positions_).speed : 0.0);
  };
  // How far the positions may be from the ephemeris's: a house point's rate is that of the
  // houses, a turn a day, against which an interpolated body's error is nothing.
  const bool polishPair = polish_ && !housePoint;
  std::function<double(double)> errorDeg = [&](double x) {
    return (MovingFirst(pass) ? positions_.ErrorBoundDeg(x, mover, false) : 0.0) +
           (MovingSecond(pass) ? positions_.ErrorBoundDeg(x, j, false) : 0.0);
  };
  // The steps of the scan with the positions at their ends. Where the second point stands
  // still they are the mover's alone, and every pair of the mover shares them.
  const bool fixedSecond = !MovingSecond(pass);
  const bool turns = !housePoint && pass != Pass::DegreePair;
  std::vector<ScanStep> ownSteps;
  const std::vector<ScanStep>* steps = &ownSteps;
  if (fixedSecond) {
    MoverStepsKey key{mover, step, endJd, ctx_.span.start, turns};
    if (!(moverStepsKey_ == key)) {
      moverSteps_.clear();
      FillSteps(moverSteps_, pass, i, j, step, endJd, turns, rate, false);
      moverStepsKey_ = key;
    }
    steps = &moverSteps_;
  } else {
    FillSteps(ownSteps, pass, i, j, step, endJd, turns, rate, true);
  }
  const PointState fixedQ = fixedSecond ? Second(pass, ctx_.span.start, i, j, positions_) : PointState{};

  PointState lastP, lastQ;
  double lastJd = 0;
  for (const ScanStep& s : *steps) {
    CheckCancelled();
    const double t = s.ends[0], tEnd = s.ends[s.count - 1];
    const std::array<double, 3>& ends = s.ends;
    const std::array<PointState, 3>& p = s.p;
    const std::array<PointState, 3> q = fixedSecond ? std::array<PointState, 3>{fixedQ, fixedQ, fixedQ} : s.q;
    const size_t count = s.count;

    for (const Aspect& k : aspects) {
      for (size_t piece = 0; piece + 1 < count; ++piece) {
        for (double side : {1.0, -1.0}) {
          if (side < 0 && (k.angleDeg == 0 || k.angleDeg == 180)) continue;
          double fa = FoldDeg(p[piece].lon - q[piece].lon - side * k.angleDeg);
          double fb = FoldDeg(p[piece + 1].lon - q[piece + 1].lon - side * k.angleDeg);
          if (!Brackets(fa, fb)) continue;
          Curve f = [&](double x) {
            return FoldDeg(Moving(pass, x, i, positions_).lon - Second(pass, x, i, j, positions_).lon - side * k.angleDeg);
          };
          std::function<std::pair<double, double>(double)> exactRate;
          if (polishPair)
            exactRate = [&](double x) {
              lastP = Moving(pass, x, i, exact_);
              lastQ = Second(pass, x, i, j, exact_);
              lastJd = x;
              double r = (MovingFirst(pass) ? lastP.speed : 0.0) - (MovingSecond(pass) ? lastQ.speed : 0.0);
              return std::pair{FoldDeg(lastP.lon - lastQ.lon - side * k.angleDeg), r};
            };
          lastJd = 0;
          std::optional<double> found = Crossing(f, ends[piece], fa, ends[piece + 1], fb, errorDeg, exactRate);
          if (!found) continue;
          double x = std::clamp(*found, t, tEnd);
          if (o.timePeriod && (x < ctx_.span.start || x > ctx_.span.end)) continue;
          // The positions at the exact moment: those of the last real evaluation carried on
          // by their speeds over the fraction of a second left, or the search's own.
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
          hit.aspect = k.index;
          hit.secondPoint = pass == Pass::DegreePair ? 0 : j;
          hit.exactJd = x;
          hit.movingDeg = RoundedNearWholeDegree(px.lon);
          hit.secondDeg = RoundedNearWholeDegree(qx.lon);
          hit.movingSpeedDegPerDay = FixedMover(pass) ? 0.0 : px.speed;
          hit.secondSpeedDegPerDay = qx.speed;
          out_->push_back(hit);
        }
      }
    }
  }
}

bool AspectSearch::TakesPartInDeclinations(int index, bool transit) const {
  const ReferenceTables& tables = *ctx_.tables;
  const auto& ticks = transit ? ctx_.options.transitPlanets : ctx_.options.natalPlanets;
  return index >= 1 && index <= NumPlanetBoxes && index <= tables.NumPlanetsUsed() &&
         ticks[static_cast<size_t>(index - 1)] && !IsHouseClass(tables.Planet(index).cls) &&
         !tables.Planet(index).cls.empty();
}

void AspectSearch::DeclinationsOf(int i) {
  const RunOptions& o = ctx_.options;
  auto rate = [&](double t) { return positions_.Declination(t, i).speed; };
  std::function<double(double)> errorDeg = [&](double x) { return positions_.ErrorBoundDeg(x, i, true); };
  for (int j = 1; j <= ctx_.tables->NumPlanetsUsed(); ++j) {
    if (!TakesPartInDeclinations(j, false)) continue;
    const double natal = ctx_.chart->natalDecl[static_cast<size_t>(j)];
    if (!std::isfinite(natal)) continue;
    for (double t = ctx_.span.start; t <= ctx_.span.end; t += 1) {
      CheckCancelled();
      // The declination turns at most once a day: split the day there.
      std::array<double, 3> ends{t, t + 1, 0};
      size_t count = 2;
      if (auto turn = FindTurn(rate, t, t + 1)) ends = {t, *turn, t + 1}, count = 3;
      for (size_t piece = 0; piece + 1 < count; ++piece) {
        for (int k : {aspect::Parallel, aspect::ContraParallel}) {
          if (!o.aspects[static_cast<size_t>(k)]) continue;
          const double target = k == aspect::Parallel ? natal : -natal;
          auto f = [&](double x) { return positions_.Declination(x, i).lon - target; };
          double a = ends[piece], b = ends[piece + 1], fa = f(a), fb = f(b);
          if (!Brackets(fa, fb)) continue;
          std::function<std::pair<double, double>(double)> exactRate;
          if (polish_)
            exactRate = [&](double x) {
              PointState d = exact_.Declination(x, i);
              return std::pair{d.lon - target, d.speed};
            };
          std::optional<double> found = Crossing(f, a, fa, b, fb, errorDeg, exactRate);
          if (!found) continue;
          double x = std::clamp(*found, a, b);
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
      }
    }
  }
}

}  // namespace kesmora
