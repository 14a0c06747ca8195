#include "core/search/aspect_search.h"

#include "core/reference/text.h"

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

constexpr double kBracketLimit = 1.001;
constexpr double kNoBracket = 1000;
constexpr double kHouseStep = 1.0 / 52;
constexpr double kDegreePairStep = 1.0 / 104;
constexpr double kStationTolerance = 1e-6;  // day

bool Negative(double v) { return v < 0; }

double BracketRatio(double f0, double f1) { return f1 == f0 ? kNoBracket : f1 / (f1 - f0); }

bool IsHouseClass(const std::string& cls) { return cls == "c" || cls == "p" || cls == "l"; }

// A longitude whose text runs into 99999 after the point is one rounding short of a whole
// degree: show the whole degree.
double RoundedNearWholeDegree(double lon) {
  std::string text = HitNumber(lon);
  size_t point = text.find('.');
  if (point != std::string::npos && text.compare(point + 1, 5, "99999") == 0)
    return Normalise(std::round(lon));
  return lon;
}

}  // namespace

double SignedSeparation(double q, double p, double angle) {
  double d = q - p;
  double s = std::abs(d);
  if (s > 180) s = 360 - s;
  double g = s - angle;
  if (d > -180 && (d < 0 || d >= 180)) return g;
  return -g;
}

namespace {

// The value kept for a moment, or the computed one, then kept.
template <typename Compute>
PointState Remembered(std::unordered_map<double, PointState>& byTime, double jd, Compute compute) {
  auto it = byTime.find(jd);
  if (it != byTime.end()) return it->second;
  return byTime.emplace(jd, compute()).first->second;
}

}  // namespace

PointState PointSource::At(double jd, int index) {
  if (!shared_) {
    double lon = calc_.CalcPointAt(jd, index);
    return {lon, calc_.LastPointSpeed()};
  }
  return Remembered(lon_[index], jd, [&] { return calc_.PointAt(jd, index); });
}

PointState PointSource::Declination(double jd, int index) {
  if (!shared_) return calc_.DeclinationAt(jd, index);
  return Remembered(decl_[index], jd, [&] { return calc_.DeclinationAt(jd, index); });
}

void PointSource::Forget() {
  lon_.clear();
  decl_.clear();
}

AspectSearch::AspectSearch(const SearchContext& context, PointSource& points) : ctx_(context), points_(points) {}

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

double AspectSearch::StepFor(int pass, int i, int j) const {
  if (pass == 2) return kDegreePairStep;
  bool secondIsHouse = IsHouseClass(ClassOf(j));
  if (pass == 3 || pass == 4) return secondIsHouse ? kHouseStep : 1.0;
  return IsHouseDependent(i) || secondIsHouse ? kHouseStep : 1.0;
}

std::string AspectSearch::DateTimeText(double jd) const {
  kesmora::DateTimeText t = JulianDayToText(jd, ctx_.options.transitTimeZone, ctx_.dateOrder);
  return t.date + " " + t.time;
}

PointState AspectSearch::Second(int pass, double jd, int i, int j) {
  const ChartRecord& c = *ctx_.chart;
  switch (pass) {
    case 0:
      if (PlanetIndex(j)) return {c.natalLon[static_cast<size_t>(j)], c.natalSpeed[static_cast<size_t>(j)]};
      return {};
    case 1:
    case 3:
    case 4:
      return points_.At(jd, j);
    case 2:
      // The place of the transit degree on the natal degree's terms: T - (D - natal ASC).
      if (const ExtraPointRow* row = ExtraRow(i)) {
        double natalAsc = c.natalLon.size() > kDegreePairMover ? c.natalLon[kDegreePairMover] : 0.0;
        return {Normalise(row->Number(7) - Normalise(row->Number(8) - natalAsc)), 0.0};
      }
      return {};
    case 5:
    case 6: {
      int r = j - ctx_.tables->NumPlanetsUsed();
      if (!ctx_.extra || r < 1 || r > ctx_.extra->Total()) return {};
      return {ctx_.extra->natalMidpointLon[static_cast<size_t>(r - 1)],
              ctx_.extra->natalMidpointSpeed[static_cast<size_t>(r - 1)]};
    }
    default:
      return {};
  }
}

namespace {

// Whether a position changes with time in a pass (the natal side does not).
bool MovingFirst(int pass) { return pass != 3 && pass != 4; }
bool MovingSecond(int pass) { return pass == 1 || pass == 3 || pass == 4; }

}  // namespace

void AspectSearch::CheckCancelled() const {
  if (ctx_.cancelled && ctx_.cancelled()) throw RunCancelled();
}

void AspectSearch::ScanPair(int pass, int i, int j) {
  double step = StepFor(pass, i, j);
  for (double t = ctx_.span.start; t <= ctx_.span.end; t += step) {
    CheckCancelled();
    ScanInterval(pass, i, j, t, step);
  }
}

void AspectSearch::ScanInterval(int pass, int i, int j, double t, double step) {
  Interval iv{t, t + step, Moving(pass, t, i), Moving(pass, t + step, i), Second(pass, t, i, j),
              Second(pass, t + step, i, j)};

  // A body that turns inside the interval can cross an aspect twice without a change of sign
  // at the ends: split the interval at the turn.
  auto rate = [&](const PointState& p, const PointState& q) {
    return (MovingFirst(pass) ? p.speed : 0.0) - (MovingSecond(pass) ? q.speed : 0.0);
  };
  bool housePoint = IsHouseDependent(MovingIndex(pass, i)) || (MovingSecond(pass) && IsHouseDependent(j));
  double r0 = rate(iv.p0, iv.q0), r1 = rate(iv.p1, iv.q1);
  std::optional<Interval> first, second;
  if (!housePoint && pass != 2 && ((r0 < 0 && r1 > 0) || (r0 > 0 && r1 < 0))) {
    double a = iv.t0, b = iv.t1;
    while (b - a > kStationTolerance) {
      double m = (a + b) / 2;
      double rm = rate(Moving(pass, m, i), Second(pass, m, i, j));
      ((rm < 0) == (r0 < 0) ? a : b) = m;
    }
    double tm = (a + b) / 2;
    PointState pm = Moving(pass, tm, i), qm = Second(pass, tm, i, j);
    first = Interval{iv.t0, tm, iv.p0, pm, iv.q0, qm};
    second = Interval{tm, iv.t1, pm, iv.p1, qm, iv.q1};
  }

  for (int k = 0; k <= 14; ++k) {
    if (!ctx_.options.aspects[static_cast<size_t>(k)]) continue;
    if (first) {
      SearchAspect(pass, i, j, k, *first, iv.t0, iv.t1);
      SearchAspect(pass, i, j, k, *second, iv.t0, iv.t1);
    } else {
      SearchAspect(pass, i, j, k, iv, iv.t0, iv.t1);
    }
  }
}

void AspectSearch::SearchAspect(int pass, int i, int j, int k, Interval iv, double lo, double hi) {
  double angle = ctx_.tables->AspectAngle(k);
  double f0 = SignedSeparation(iv.q0.lon, iv.p0.lon, angle);
  double f1 = SignedSeparation(iv.q1.lon, iv.p1.lon, angle);
  double r = BracketRatio(f0, f1);
  if (pass == 2) {
    // The ascendant reaches the degree inside the step, also when it passes 0 Aries there.
    double ahead = Normalise(iv.q0.lon - iv.p0.lon), moved = Normalise(iv.p1.lon - iv.p0.lon);
    r = ahead < moved ? 0.33 : kNoBracket;
  }
  if (std::abs(r) >= kBracketLimit) return;
  std::optional<double> x = ExactTime(pass, i, j, angle, iv.t0, iv.t1);
  if (!x || *x < lo || *x > hi) return;
  if (ctx_.options.timePeriod && (*x < ctx_.span.start || *x > ctx_.span.end)) return;
  AppendHit(pass, i, j, k, *x);
  if (!points_.Shared()) {
    // Each pair re-reads its interval ends after a hit.
    Moving(pass, iv.t0, i), Moving(pass, iv.t1, i), Second(pass, iv.t0, i, j), Second(pass, iv.t1, i, j);
  }
}

std::optional<double> AspectSearch::ExactTime(int pass, int i, int j, double angle, double a, double b) {
  auto f = [&](double x) { return SignedSeparation(Second(pass, x, i, j).lon, Moving(pass, x, i).lon, angle); };
  double x = RefineSecant(f, a, b, LongitudeTolerance, MaxRefineIterations);
  if (x >= a && x <= b) return x;
  // The secant gave up although the ends may bracket a crossing: bisect.
  return BisectCrossing(f, a, b, LongitudeTolerance);
}

void AspectSearch::AppendHit(int pass, int i, int j, int k, double x) {
  PointState p = Moving(pass, x, i), q = Second(pass, x, i, j);
  HitRow row;
  row[hit::MovingPoint] = std::to_string(i);
  row[hit::Aspect] = std::to_string(k);
  const ExtraPointRow* pair = pass == 2 ? ExtraRow(i) : nullptr;
  row[hit::SecondPoint] = pair ? pair->Text(8) : std::to_string(j);
  row[hit::ExactText] = DateTimeText(x);
  row[hit::Pass] = std::to_string(pass);
  row[hit::MovingPosition] = HitNumber(RoundedNearWholeDegree(p.lon));
  row[hit::SecondPosition] = HitNumber(RoundedNearWholeDegree(q.lon));
  row[hit::MovingSpeed] = (pass == 2 || pass == 3 || pass == 4) ? "0" : HitNumber(p.speed);
  row[hit::SecondSpeed] = HitNumber(q.speed);
  row[hit::ExactJulianDay] = HitNumber(x);
  out_->push_back(std::move(row));
}

std::optional<double> AspectSearch::FindSignChange(const std::function<double(double)>& value, double t) {
  if (Negative(value(t)) == Negative(value(t + 1))) return std::nullopt;
  // Hours across the day, minutes across the hour, seconds from the minute.
  auto firstChange = [&](double from, double unit, int steps) -> std::optional<double> {
    bool startSign = Negative(value(from));
    for (int n = 0; n < steps; ++n) {
      double b = from + (n + 1) * unit;
      bool endSign = Negative(value(b));
      if (endSign != startSign) return from + n * unit;
      startSign = endSign;
    }
    return std::nullopt;
  };
  double hour = firstChange(t, 1.0 / 24, 24).value_or(t);
  double minute = firstChange(hour, 1.0 / 1440, 60).value_or(hour);
  return firstChange(minute, 1.0 / 86400, 60).value_or(minute);
}

std::vector<double> AspectSearch::DeclinationBreaks(int i, double t) {
  if (points_.Shared()) {
    auto& byDay = breakCache_[i];
    if (auto it = byDay.find(t); it != byDay.end()) return it->second;
  }
  std::vector<double> breaks{t, t + 1};
  if (auto equator = FindSignChange([&](double x) { return points_.Declination(x, i).lon; }, t))
    breaks.push_back(*equator);
  if (auto turn = FindSignChange([&](double x) { return points_.Declination(x, i).speed; }, t))
    breaks.push_back(*turn);
  std::sort(breaks.begin(), breaks.end());
  if (points_.Shared()) breakCache_[i][t] = breaks;
  return breaks;
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
  for (int j = 1; j <= ctx_.tables->NumPlanetsUsed(); ++j) {
    if (!TakesPartInDeclinations(j, false)) continue;
    double natal = ctx_.chart->natalDecl[static_cast<size_t>(j)];
    for (double t = ctx_.span.start; t <= ctx_.span.end; t += 1) {
      CheckCancelled();
      std::vector<double> breaks = DeclinationBreaks(i, t);
      for (size_t b = 0; b + 1 < breaks.size(); ++b) {
        double x1 = breaks[b], x2 = breaks[b + 1];
        for (int k : {15, 16}) {
          if (!o.aspects[static_cast<size_t>(k)]) continue;
          auto h = [&](double x) {
            double d = points_.Declination(x, i).lon;
            return k == 15 ? natal - d : std::abs(natal) - std::abs(d);
          };
          // Bracketed on the piece between break points, where the declination is monotonic
          // and so meets the target at most once.
          if (std::abs(BracketRatio(h(x1), h(x2))) >= kBracketLimit) continue;
          double x = RefineSecant(h, x1, x2, DeclinationTolerance, MaxRefineIterations);
          std::optional<double> exact;
          if (x >= x1 && x <= x2)
            exact = x;
          else
            exact = BisectCrossing(h, x1, x2, DeclinationTolerance);
          if (!exact) continue;
          PointState d = points_.Declination(*exact, i);
          bool sameSign = (d.lon >= 0) == (natal >= 0);
          if ((k == 15) != sameSign) continue;
          HitRow row;
          row[hit::MovingPoint] = std::to_string(i);
          row[hit::Aspect] = std::to_string(k);
          row[hit::SecondPoint] = std::to_string(j);
          row[hit::ExactText] = DateTimeText(*exact);
          row[hit::MovingPosition] = HitNumber(d.lon);
          row[hit::SecondPosition] = HitNumber(natal);
          row[hit::MovingSpeed] = HitNumber(d.speed);
          row[hit::ExactJulianDay] = HitNumber(*exact);
          row[hit::Declination].assign(1, 'd');  // assign: GCC 12 warns falsely on = "d"
          out_->push_back(std::move(row));
        }
      }
    }
  }
}

std::optional<double> AspectSearch::FindDegreeTime(int i, double target, double a, double b) {
  auto f = [&](double x) { return SignedSeparation(target, points_.At(x, i).lon, 0); };
  double x = RefineSecant(f, a, b, LongitudeTolerance, MaxRefineIterations);
  if (x >= a && x <= b) return x;
  return BisectCrossing(f, a, b, LongitudeTolerance);
}

AspectSearch::Periods AspectSearch::PeriodsOf(const HitRow& row) {
  if (row[hit::Declination] == "d") return DeclinationPeriods(row);
  if (row[hit::Pass] == "1") return PairPeriods(row);
  return LongitudePeriods(row);
}

namespace {

struct RowValues {
  int pass, i, j;
  double p, q, speed, x;
};

RowValues ValuesOf(const HitRow& row) {
  return {static_cast<int>(HitValue(row[hit::Pass])), static_cast<int>(HitValue(row[hit::MovingPoint])),
          static_cast<int>(HitValue(row[hit::SecondPoint])), HitValue(row[hit::MovingPosition]),
          HitValue(row[hit::SecondPosition]), HitValue(row[hit::MovingSpeed]),
          HitValue(row[hit::ExactJulianDay])};
}

}  // namespace

namespace {

// The value with the fractional degree of `source` that lies nearest to `near`: the exact
// aspect point beside the moving position, even when the two fall on either side of a whole
// degree.
double NearestWithFraction(double near, double source) { return near + std::remainder(source - near, 1.0); }

}  // namespace

AspectSearch::Periods AspectSearch::LongitudePeriods(const HitRow& row) {
  RowValues v = ValuesOf(row);
  const RunOptions& o = ctx_.options;
  double step = StepFor(v.pass, v.i, v.pass == 2 ? 0 : v.j);
  double q = NearestWithFraction(v.p, v.q);
  bool standing = v.speed == 0 && v.pass != 2 && v.pass != 3 && v.pass != 4;
  double window = standing ? 6.0 / 1440 : o.periodWindow;
  int moving = MovingIndex(v.pass, v.i);
  if (v.pass == 3 || v.pass == 4) {
    // The planet moves, the point stands: the orb is measured around the planet's own exact
    // position and in the direction the planet moves.
    moving = v.j;
    q = v.q;
    v.speed = HitValue(row[hit::SecondSpeed]);
  }

  Periods periods;
  double startTarget = v.speed >= 0 ? q - o.orbBefore : q + o.orbBefore;
  for (double t = v.x; t >= v.x - window; t -= step) {
    CheckCancelled();
    if (auto r = FindDegreeTime(moving, startTarget, t - step, t)) {
      periods.startJd = *r, periods.start = DateTimeText(*r);
      break;
    }
  }
  double endTarget = v.speed >= 0 ? q + o.orbAfter : q - o.orbAfter;
  for (double t = v.x; t <= v.x + window + 2; t += step) {
    CheckCancelled();
    if (auto r = FindDegreeTime(moving, endTarget, t, t + step)) {
      periods.endJd = *r, periods.end = DateTimeText(*r);
      break;
    }
  }
  return periods;
}

// Both points move: the period runs from the last moment before the exact one at which the
// two are the orb before away from the exact aspect, to the first moment after it at which
// they are the orb after away. The walk's step keeps the pair's relative motion per step
// well below the orb, so the separation cannot reach the orb and fall back unseen.
AspectSearch::Periods AspectSearch::PairPeriods(const HitRow& row) {
  RowValues v = ValuesOf(row);
  const RunOptions& o = ctx_.options;
  double angle = ctx_.tables->AspectAngle(static_cast<int>(HitValue(row[hit::Aspect])));
  double relativeSpeed = std::abs(v.speed - HitValue(row[hit::SecondSpeed]));  // degrees per day
  // Distance from the exact aspect, in degrees, at a moment.
  auto fromExact = [&](double x) {
    return std::abs(SignedSeparation(points_.At(x, v.j).lon, points_.At(x, v.i).lon, angle));
  };
  // The pair's own reach: the time the orb takes at the exact relative speed, with a margin.
  auto windowDays = [&](double orb) {
    double rate = relativeSpeed == 0 ? 0.5 : relativeSpeed;
    return std::max(o.periodWindow, std::trunc(orb / (0.9 * rate) + 0.5) + 1);
  };
  auto stepDays = [&](double orb) {
    return std::clamp(0.25 * orb / std::max(relativeSpeed, 1e-9), 1.0 / 1440, StepFor(1, v.i, v.j));
  };
  // The first moment from the exact one, walking in `direction`, at which the distance
  // reaches the orb.
  auto reach = [&](double orb, double direction, double limitDays) -> std::optional<double> {
    if (orb <= 0) return v.x;
    double step = stepDays(orb);
    for (double t = v.x; std::abs(t - v.x) < limitDays; t += direction * step) {
      CheckCancelled();
      double next = t + direction * step;
      if (fromExact(next) < orb) continue;
      double a = std::min(t, next), b = std::max(t, next);
      return BisectCrossing([&](double x) { return fromExact(x) - orb; }, a, b, PairPeriodTolerance / 10);
    }
    return std::nullopt;
  };

  Periods periods;
  if (auto r = reach(o.orbBefore, -1, windowDays(o.orbBefore))) periods.startJd = *r, periods.start = DateTimeText(*r);
  if (auto r = reach(o.orbAfter, +1, windowDays(o.orbAfter) + 2)) periods.endJd = *r, periods.end = DateTimeText(*r);
  return periods;
}

AspectSearch::Periods AspectSearch::DeclinationPeriods(const HitRow& row) {
  RowValues v = ValuesOf(row);
  const RunOptions& o = ctx_.options;
  Periods periods;
  if (v.speed == 0 || std::abs(o.orbBefore / v.speed) > o.daysToCalculate + 3) return periods;
  // The natal declination on the transit's side of the equator, beside the transit's own.
  double q = NearestWithFraction(v.p, std::copysign(std::abs(v.q), v.p));
  auto refine = [&](double target, double a, double b) -> std::optional<double> {
    auto f = [&](double x) { return points_.Declination(x, v.i).lon - target; };
    double x = RefineSecant(f, a, b, LongitudeTolerance, MaxRefineIterations);
    if (x >= a && x <= b) return x;
    return BisectCrossing(f, a, b, LongitudeTolerance);
  };
  double startTarget = v.speed >= 0 ? q - o.orbBefore : q + o.orbBefore;
  for (double t = v.x; t >= v.x - o.periodWindow; t -= 1)
    if (CheckCancelled(); auto r = refine(startTarget, t - 1, t)) {
      periods.startJd = *r, periods.start = DateTimeText(*r);
      break;
    }
  double endTarget = v.speed >= 0 ? q + o.orbAfter : q - o.orbAfter;
  for (double t = v.x; t <= v.x + o.periodWindow + 2; t += 1)
    if (CheckCancelled(); auto r = refine(endTarget, t, t + 1)) {
      periods.endJd = *r, periods.end = DateTimeText(*r);
      break;
    }
  return periods;
}

}  // namespace kesmora
