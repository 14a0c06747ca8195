#include "core/search/election.h"

#include "core/reference/constants.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "core/search/crossing.h"
#include "core/search/hit.h"
#include "core/search/run_options.h"
#include "core/search/walk.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kesmora {

namespace {

constexpr int kPadas = kPadasPerMansion;

// ---- Evaluating ------------------------------------------------------------------------------

// A transit point measured from a reference: another transit point, a natal point, or 0 Aries.
struct Relative {
  int point = 0;
  int transitOther = 0;    // a transit point measured from, or 0
  double fixedDeg = 0;     // the natal longitude (or 0) measured from, where no transit point
};

struct RelativeState {
  double diffDeg = 0;   // point less reference, folded into (-180, 180]
  double rateDegPerDay = 0;
};

RelativeState StateAt(const Relative& r, const ElectionInputs& in, double jd) {
  PointState p = in.calc->PointAt(jd, r.point);
  RelativeState s{FoldDeg(p.lon - r.fixedDeg), p.speed};
  if (r.transitOther) {
    PointState q = in.calc->PointAt(jd, r.transitOther);
    s.diffDeg = FoldDeg(p.lon - q.lon);
    s.rateDegPerDay -= q.speed;
  }
  return s;
}

// Holds at the moments at which `holds` is true of the point's state, on the understanding that
// it can change only where the difference crosses one of `targetsDeg` or, with `turns`, where
// the relative motion turns.
IntervalSet HeldBetweenCrossings(const Relative& r, const ElectionInputs& in, const std::vector<double>& targetsDeg,
                                 bool turns, const std::function<bool(const RelativeState&)>& holds) {
  const ReferenceTables& tables = *in.tables;
  const bool fast = tables.IsHouseDependent(r.point) || (r.transitOther && tables.IsHouseDependent(r.transitOther));
  WalkPlan plan;
  plan.fromJd = in.span.startJd;
  plan.toJd = in.span.endJd;
  plan.stepDays = fast ? 1.0 / 52 : 1;
  plan.turnRate = [&](double jd) { return StateAt(r, in, jd).rateDegPerDay; };
  plan.checkCancelled = in.checkCancelled;
  std::vector<double> moments{in.span.startJd, in.span.endJd};
  WalkSteps(plan, [&](double jd) { return StateAt(r, in, jd); },
            [&](double a, const RelativeState& sa, double b, const RelativeState& sb) {
              for (double target : targetsDeg) {
                const double fa = FoldDeg(sa.diffDeg - target), fb = FoldDeg(sb.diffDeg - target);
                if (!Brackets(fa, fb)) continue;
                auto f = [&](double jd) { return FoldDeg(StateAt(r, in, jd).diffDeg - target); };
                if (auto x = CrossingBetween(f, a, fa, b, fb)) moments.push_back(*x);
              }
              // A piece shorter than the step ends at a turn (or at the span's end).
              if (turns && b - a < plan.stepDays * (1 - 1e-9)) moments.insert(moments.end(), {a, b});
              return false;
            });
  std::sort(moments.begin(), moments.end());
  IntervalSet out;
  for (size_t k = 0; k + 1 < moments.size(); ++k) {
    const double a = std::max(moments[k], in.span.startJd), b = std::min(moments[k + 1], in.span.endJd);
    if (b > a && holds(StateAt(r, in, (a + b) / 2))) out.push_back({a, b});
  }
  return Normalized(std::move(out));
}

IntervalSet AspectHeld(const AspectInOrb& c, const ElectionInputs& in) {
  Relative r{c.transitPoint, c.otherIsTransit ? c.otherPoint : 0, 0};
  if (!c.otherIsTransit) r.fixedDeg = in.chart->natalLon.at(static_cast<size_t>(c.otherPoint));
  const double angle = in.tables->AspectAngle(c.aspect);
  std::vector<double> targets{angle - c.orbDeg, angle + c.orbDeg, -(angle - c.orbDeg), -(angle + c.orbDeg)};
  const bool motion = c.motion != AspectMotion::Any;
  // Applying turns to separating at exact, at the conjunction and opposition (where the
  // separation passes its least and greatest) and where the relative motion turns.
  if (motion) targets.insert(targets.end(), {angle, -angle, 0, 180});
  return HeldBetweenCrossings(r, in, targets, motion, [&](const RelativeState& s) {
    const double off = std::abs(s.diffDeg) - angle;
    if (std::abs(off) > c.orbDeg) return false;
    if (!motion) return true;
    const bool applying = off * (s.diffDeg < 0 ? -1 : 1) * s.rateDegPerDay < 0;
    return applying == (c.motion == AspectMotion::Applying);
  });
}

IntervalSet SignsHeld(const InSigns& c, const ElectionInputs& in) {
  std::vector<double> targets;
  for (int k = 0; k < 12; ++k) targets.push_back(FoldDeg(30.0 * k));
  return HeldBetweenCrossings(Relative{c.point, 0, 0}, in, targets, false, [&](const RelativeState& s) {
    const int sign = std::clamp(static_cast<int>(std::floor(Normalise(s.diffDeg) / 30)), 0, 11);
    return c.signs[static_cast<size_t>(sign)];
  });
}

int NatalCuspIndex(const ReferenceTables& tables, int house) {
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i)
    if (tables.Planet(i).cls == PointClass::Cusp && Trim(tables.Planet(i).code) == std::to_string(house)) return i;
  return 0;
}

IntervalSet HouseHeld(const InNatalHouse& c, const ElectionInputs& in) {
  const int next = c.house % 12 + 1;
  const int from = NatalCuspIndex(*in.tables, c.house), to = NatalCuspIndex(*in.tables, next);
  if (!from || !to)
    throw ElectionError(fmt::format("'{}' needs the natal cusps {} and {}, which the planet table does not list",
                                    ConditionText(c, *in.tables), c.house, next));
  const double fromDeg = in.chart->natalLon.at(static_cast<size_t>(from));
  const double widthDeg = Normalise(in.chart->natalLon.at(static_cast<size_t>(to)) - fromDeg);
  if (!std::isfinite(fromDeg) || !std::isfinite(widthDeg))
    throw ElectionError(fmt::format("'{}' needs the natal cusps, which could not be computed", ConditionText(c, *in.tables)));
  return HeldBetweenCrossings(Relative{c.point, 0, fromDeg}, in, {0, FoldDeg(widthDeg)}, false,
                              [&](const RelativeState& s) { return Normalise(s.diffDeg) < widthDeg; });
}

const std::vector<Event>& EventsOf(const ElectionInputs& in, const Condition& c) {
  if (!in.events) throw ElectionError(fmt::format("'{}' needs the events search", ConditionText(c, *in.tables)));
  return *in.events;
}

IntervalSet MansionHeld(const InMansion& c, const ElectionInputs& in) {
  // The padas run 0..107 from 0 Aries; the Moon is in the pada it entered last.
  auto held = [&](int q) { return q / kPadas + 1 == c.mansion && (c.pada == 0 || q % kPadas + 1 == c.pada); };
  std::vector<std::pair<double, int>> entered;
  for (const Event& e : EventsOf(in, c))
    if (e.kind == EventKind::Mansion) entered.emplace_back(e.startJd, (e.entered - 1) * kPadas + (e.pada - 1));
  int q = 0;
  if (!entered.empty()) {
    q = (entered.front().second + kMansions * kPadas - 1) % (kMansions * kPadas);
  } else {
    const double lon = in.calc->PointAt((in.span.startJd + in.span.endJd) / 2, MoonIndex(*in.tables)).lon;
    q = std::clamp(static_cast<int>(std::floor(Normalise(lon) / kPadaWidthDeg)), 0, kMansions * kPadas - 1);
  }
  IntervalSet out;
  double since = in.span.startJd;
  for (const auto& [jd, next] : entered) {
    if (held(q)) out.push_back({since, jd});
    since = jd;
    q = next;
  }
  if (held(q)) out.push_back({since, in.span.endJd});
  return Clipped(Normalized(std::move(out)), in.span);
}

IntervalSet EventsHeld(const Condition& c, const ElectionInputs& in) {
  IntervalSet out;
  for (const Event& e : EventsOf(in, c)) {
    if (std::holds_alternative<MoonVoid>(c) && e.kind == EventKind::Void) out.push_back({e.startJd, e.endJd});
    if (auto* r = std::get_if<Retrograde>(&c); r && e.kind == EventKind::Retrograde && e.body == r->body)
      out.push_back({e.startJd, e.endJd});
    if (auto* s = std::get_if<Stationary>(&c); s && e.kind == EventKind::Station && e.body == s->body)
      out.push_back({e.startJd - s->withinHours / 24, e.startJd + s->withinHours / 24});
  }
  return Clipped(Normalized(std::move(out)), in.span);
}

// The local days (Julian day numbers) that the span touches, as [midnight, midnight) in UT.
template <typename Each>
void EachLocalDay(const ElectionInputs& in, const Each& each) {
  const double shift = in.timeZoneHours / 24;  // local time + shift = UT
  const long long first = static_cast<long long>(std::floor(in.span.startJd - shift + 0.5)) - 1;
  const long long last = static_cast<long long>(std::floor(in.span.endJd - shift + 0.5));
  for (long long day = first; day <= last; ++day) {
    if (in.checkCancelled) in.checkCancelled();
    each(day, static_cast<double>(day) - 0.5 + shift);
  }
}

IntervalSet TimeHeld(const TimeOfDay& c, const ElectionInputs& in) {
  const int to = c.toMinute > c.fromMinute ? c.toMinute : c.toMinute + 1440;
  IntervalSet out;
  EachLocalDay(in, [&](long long, double midnightJd) {
    out.push_back({midnightJd + c.fromMinute / 1440.0, midnightJd + to / 1440.0});
  });
  return Clipped(Normalized(std::move(out)), in.span);
}

IntervalSet WeekdaysHeld(const OnWeekdays& c, const ElectionInputs& in) {
  IntervalSet out;
  EachLocalDay(in, [&](long long day, double midnightJd) {
    // Julian day number 0 was a Monday.
    if (c.days[static_cast<size_t>(((day % 7) + 7) % 7)]) out.push_back({midnightJd, midnightJd + 1});
  });
  return Clipped(Normalized(std::move(out)), in.span);
}

}  // namespace

int MoonIndex(const ReferenceTables& tables) {
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i)
    if (tables.IsBody(i) && tables.Planet(i).sweNumber == 1 && tables.Planet(i).cls == PointClass::Planet) return i;
  return 0;
}

bool NeedsEvents(const Condition& c) {
  return std::holds_alternative<MoonVoid>(c) || std::holds_alternative<Retrograde>(c) ||
         std::holds_alternative<Stationary>(c) || std::holds_alternative<InMansion>(c);
}

bool NeedsHits(const Condition& c) { return std::holds_alternative<HitsAtLeast>(c); }

IntervalSet HeldIntervals(const Condition& condition, const ElectionInputs& in) {
  struct Evaluator {
    const ElectionInputs& in;
    const Condition& c;
    IntervalSet operator()(const AspectInOrb& a) const { return AspectHeld(a, in); }
    IntervalSet operator()(const MoonVoid&) const { return EventsHeld(c, in); }
    IntervalSet operator()(const Retrograde&) const { return EventsHeld(c, in); }
    IntervalSet operator()(const Stationary&) const { return EventsHeld(c, in); }
    IntervalSet operator()(const InSigns& s) const { return SignsHeld(s, in); }
    IntervalSet operator()(const InMansion& m) const { return MansionHeld(m, in); }
    IntervalSet operator()(const InNatalHouse& h) const { return HouseHeld(h, in); }
    IntervalSet operator()(const HitsAtLeast& h) const {
      if (!in.hitPeriods) throw ElectionError(fmt::format("'{}' needs the hits of a run", ConditionText(c, *in.tables)));
      return Clipped(HeldByAtLeast(*in.hitPeriods, h.count), in.span);
    }
    IntervalSet operator()(const TimeOfDay& t) const { return TimeHeld(t, in); }
    IntervalSet operator()(const OnWeekdays& w) const { return WeekdaysHeld(w, in); }
  };
  return std::visit(Evaluator{in, condition}, condition);
}

std::vector<ElectionWindow> RankWindows(const Election& election, const std::vector<IntervalSet>& held, Interval span,
                                        double minMinutes) {
  IntervalSet allowed{span};
  for (size_t k = 0; k < election.items.size(); ++k) {
    if (election.items[k].role == Role::Required) allowed = Intersection(allowed, held.at(k));
    if (election.items[k].role == Role::Avoided) allowed = Minus(allowed, held.at(k));
  }
  // A millisecond of slack, so that a window of exactly the least length is not lost to rounding.
  const double leastDays = minMinutes / 1440 - kOneSecondDays / 1000;
  std::vector<ElectionWindow> windows;
  for (const Interval& i : allowed)
    if (i.LengthDays() >= leastDays) windows.push_back({i, 0, {}});
  // Each preferred set is walked once along the windows, which are in time order.
  for (size_t k = 0; k < election.items.size(); ++k) {
    if (election.items[k].role != Role::Preferred) continue;
    const IntervalSet& set = held.at(k);
    size_t first = 0;
    for (ElectionWindow& w : windows) {
      while (first < set.size() && set[first].endJd <= w.interval.startJd) ++first;
      double days = 0;
      for (size_t n = first; n < set.size() && set[n].startJd < w.interval.endJd; ++n)
        days += std::min(set[n].endJd, w.interval.endJd) - std::max(set[n].startJd, w.interval.startJd);
      if (days <= 0) continue;
      w.preferred.push_back({static_cast<int>(k), days * 1440});
      w.score += election.items[k].weight * days / w.interval.LengthDays();
    }
  }
  // Scores are compared to a millionth, so that rounding does not reorder equal windows.
  auto rounded = [](double score) { return std::round(score * 1e6); };
  std::stable_sort(windows.begin(), windows.end(), [&](const ElectionWindow& a, const ElectionWindow& b) {
    if (rounded(a.score) != rounded(b.score)) return rounded(a.score) > rounded(b.score);
    if (a.interval.LengthDays() != b.interval.LengthDays()) return a.interval.LengthDays() > b.interval.LengthDays();
    return a.interval.startJd < b.interval.startJd;
  });
  return windows;
}

std::vector<ElectionWindow> FindWindows(const Election& election, const ElectionInputs& inputs, double minMinutes) {
  if (election.items.empty()) throw ElectionError("the election holds no condition");
  std::vector<IntervalSet> held;
  held.reserve(election.items.size());
  for (const ElectionItem& item : election.items) held.push_back(HeldIntervals(item.condition, inputs));
  return RankWindows(election, held, inputs.span, minMinutes);
}

}  // namespace kesmora
