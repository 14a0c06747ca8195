#include "core/search/events.h"

#include "core/reference/constants.h"
#include "core/search/crossing.h"
#include "core/search/positions.h"
#include "core/search/walk.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>

namespace kesmora {

namespace {

constexpr double kSignWidthDeg = 30;
constexpr int kPadas = kMansions * 4;
// How far beyond the span the walks look for the ends of periods under way: the Moon stays in
// a sign under three days; a retrograde period (Pluto's) lasts under half a year.
constexpr double kMoonSignStayDays = 3;
constexpr double kRetrogradeReachDays = 400;
// How far a linear estimate of a Moon aspect within one sign may be off: the Moon's and the
// planet's acceleration over three days move the relative angle by well under half a degree,
// at a relative speed above ten degrees a day.
constexpr double kAspectEstimateErrorDays = 0.15;

// The bodies of the events, by the constant that names them in planets_used.txt, with the step
// their walk takes: short enough that no step holds two stations (Mercury's come three weeks
// apart) and that the Moon moves well under a quarter turn in one.
struct BodyRule {
  const char* constant;
  double stepDays;
  bool stations;     // Mercury..Pluto
  bool turns;        // its motion turns: the walk is split there
  bool traditional;  // Sun..Saturn, the planets of the traditional void of course
};
constexpr std::array<BodyRule, 13> kBodies{{
    {"SE_SUN", 10, false, false, true},
    {"SE_MOON", 2, false, false, false},
    {"SE_MERCURY", 4, true, true, true},
    {"SE_VENUS", 8, true, true, true},
    {"SE_MARS", 8, true, true, true},
    {"SE_JUPITER", 16, true, true, true},
    {"SE_SATURN", 16, true, true, true},
    {"SE_URANUS", 16, true, true, false},
    {"SE_NEPTUNE", 16, true, true, false},
    {"SE_PLUTO", 16, true, true, false},
    // The true node wobbles: it turns some four times a month. Two turns can come within half an
    // hour where it all but stands still, by far less than the boundary of a sign could be
    // passed and passed back in; a step of half a day finds every turn that moves it further.
    {"SE_TRUE_NODE", 0.5, false, true, false},
    {"SE_MEAN_NODE", 30, false, false, false},
    {"SE_SOUTH_NODE", 0, false, false, false},  // the true node turned half a circle
}};
constexpr size_t kMoonRule = 1, kTrueNodeRule = 10, kSouthNodeRule = 12;

// The planet index of the entry named by a constant, 0 when planets_used.txt lacks it.
int IndexOfConstant(const ReferenceTables& tables, const char* constant) {
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) {
    const PlanetEntry& e = tables.Planet(i);
    if (e.constRow >= 1 && e.constRow <= tables.NumConsts() && tables.constName[static_cast<size_t>(e.constRow)] == constant)
      return i;
  }
  return 0;
}

// A body's positions, each moment asked of the ephemeris once: the walk's turn test and its
// pieces, and the root finder's bracket ends, ask for the same moments in turn. The Moon's
// come from its samples (a cubic on position and speed four times a day, as the aspect search
// interpolates it), which err by far less than a millisecond of its motion.
class BodyTrack {
 public:
  BodyTrack(ChartCalculator& calc, int index, const Track* samples = nullptr)
      : calc_(&calc), index_(index), samples_(samples) {}
  PointState At(double jd) {
    if (samples_ && samples_->Covers(jd)) {
      PointState p = samples_->At(jd);
      return {Normalise(p.lon), p.speed};
    }
    for (const auto& [t, state] : memo_)
      if (t == jd) return state;
    PointState state = calc_->PointAt(jd, index_);
    memo_[next_] = {jd, state};
    next_ = (next_ + 1) % memo_.size();
    return state;
  }
  int Index() const { return index_; }

 private:
  ChartCalculator* calc_;
  int index_;
  const Track* samples_;
  std::array<std::pair<double, PointState>, 4> memo_{{{NAN, {}}, {NAN, {}}, {NAN, {}}, {NAN, {}}}};
  size_t next_ = 0;
};

// The crossings of the boundaries of equal divisions of the circle (`count` of them, from 0
// degrees) by a body over a piece of its walk within which it moves one way: each with the
// index of the division entered.
struct BoundaryCrossing {
  double jd;
  int entered;
};
std::vector<BoundaryCrossing> BoundaryCrossings(BodyTrack& track, int count, double a, const PointState& pa, double b,
                                                const PointState& pb) {
  std::vector<BoundaryCrossing> found;
  if (!std::isfinite(pa.lon) || !std::isfinite(pb.lon)) return found;
  const double width = 360.0 / count;
  const double delta = FoldDeg(pb.lon - pa.lon);
  const bool forward = delta > 0;
  // The boundaries passed: forward those in (lonA, lonA + delta], back those in [lonA + delta, lonA).
  const double lo = forward ? pa.lon : pa.lon + delta, hi = forward ? pa.lon + delta : pa.lon;
  long first = static_cast<long>(std::floor(lo / width)) + (forward ? 1 : 0);
  for (long k = first; static_cast<double>(k) * width <= hi; ++k) {
    // k * 360 / count is exact where the boundary is a whole degree (the sign boundaries).
    const double boundary = static_cast<double>(k) * 360.0 / count;
    if (!forward && boundary >= hi) continue;
    auto f = [&](double t) { return FoldDeg(track.At(t).lon - boundary); };
    if (auto x = CrossingBetween(f, a, FoldDeg(pa.lon - boundary), b, FoldDeg(pb.lon - boundary))) {
      const long entered = forward ? k : k - 1;
      found.push_back({*x, static_cast<int>(((entered % count) + count) % count)});
    }
  }
  return found;
}

// A station within a piece of a walk: the piece's ends move opposite ways, and the one that
// barely moves is the turn the walk split the step at.
std::optional<Event> StationIn(int body, double a, const PointState& pa, double b, const PointState& pb) {
  if (!std::isfinite(pa.speed) || !std::isfinite(pb.speed) || (pa.speed < 0) == (pb.speed < 0)) return std::nullopt;
  Event e;
  e.kind = EventKind::Station;
  e.body = body;
  e.startJd = e.endJd = std::abs(pa.speed) < std::abs(pb.speed) ? a : b;
  e.turnsRetrograde = pb.speed < 0;
  return e;
}

WalkPlan PlanOf(double fromJd, double toJd, double stepDays, BodyTrack* turning, const std::function<void()>& check) {
  WalkPlan plan;
  plan.fromJd = fromJd;
  plan.toJd = toJd;
  plan.stepDays = stepDays;
  if (turning) plan.turnRate = [turning](double jd) { return turning->At(jd).speed; };
  plan.checkCancelled = check;
  return plan;
}

// The first station met walking from `fromJd` towards `toJd`.
std::optional<Event> FirstStation(BodyTrack& track, const BodyRule& rule, double fromJd, double toJd,
                                  const std::function<void()>& check) {
  std::optional<Event> station;
  WalkSteps(PlanOf(fromJd, toJd, rule.stepDays, &track, check), [&](double t) { return track.At(t); },
            [&](double a, const PointState& pa, double b, const PointState& pb) {
              return (station = StationIn(track.Index(), a, pa, b, pb)).has_value();
            });
  return station;
}

bool Within(double jd, double fromJd, double toJd) { return jd >= fromJd && jd < toJd; }

// A body's ingresses and stations in [fromJd, toJd) and its retrograde periods that overlap
// the span, whole.
void PlanetEvents(ChartCalculator& calc, const BodyRule& rule, int body, int southNode, double fromJd, double toJd,
                  const EventOptions& options, const std::function<void()>& check, std::vector<Event>& out) {
  BodyTrack track(calc, body);
  const bool stations = rule.stations && options.stations;
  std::vector<Event> turns;
  WalkSteps(PlanOf(fromJd, toJd, rule.stepDays, rule.turns ? &track : nullptr, check),
            [&](double t) { return track.At(t); },
            [&](double a, const PointState& pa, double b, const PointState& pb) {
              if (options.ingresses)
                for (const BoundaryCrossing& c : BoundaryCrossings(track, 12, a, pa, b, pb)) {
                  if (!Within(c.jd, fromJd, toJd)) continue;
                  out.push_back({EventKind::Ingress, body, c.jd, c.jd, c.entered, 0, false});
                  if (southNode) out.push_back({EventKind::Ingress, southNode, c.jd, c.jd, (c.entered + 6) % 12, 0, false});
                }
              if (stations)
                if (auto s = StationIn(body, a, pa, b, pb); s && Within(s->startJd, fromJd, toJd)) turns.push_back(*s);
              return false;
            });
  if (!stations) return;
  out.insert(out.end(), turns.begin(), turns.end());
  // The retrograde periods: from each station turning retrograde to the next turning direct,
  // the one under way at the span's start and the one still under way at its end found whole.
  const bool retrogradeAtStart = track.At(fromJd).speed < 0;
  if (retrogradeAtStart)
    if (auto s = FirstStation(track, rule, fromJd, fromJd - kRetrogradeReachDays, check)) turns.insert(turns.begin(), *s);
  const bool retrogradeAtEnd = turns.empty() ? retrogradeAtStart : turns.back().turnsRetrograde;
  if (retrogradeAtEnd)
    if (auto s = FirstStation(track, rule, toJd, toJd + kRetrogradeReachDays, check)) turns.push_back(*s);
  for (size_t k = 0; k < turns.size(); ++k) {
    if (!turns[k].turnsRetrograde) continue;
    // A period whose end the walk could not reach (the ephemeris ends) is not listed half.
    if (k + 1 < turns.size() && !turns[k + 1].turnsRetrograde)
      out.push_back({EventKind::Retrograde, body, turns[k].startJd, turns[k + 1].startJd, 0, 0, false});
  }
}

// The Moon's aspects that end a sign's void of course: 0, 60, 90, 120 and 180 degrees either way.
constexpr std::array<double, 8> kVoidAspectsDeg{0, 60, 90, 120, 180, 240, 270, 300};

struct PlanetAtIngresses {
  BodyTrack track;
  std::vector<PointState> at;  // by Moon ingress, filled as needed
};

// The void-of-course periods of the Moon's stays in the signs between its ingresses `signs`
// that overlap [fromJd, toJd): from its last exact major aspect to a planet in the sign (or
// from its ingress, when it makes none) to the next ingress.
void VoidPeriods(ChartCalculator& calc, BodyTrack& moonTrack, int moon, const std::vector<BoundaryCrossing>& signs,
                 const std::array<int, kBodies.size()>& index, const EventOptions& options, double fromJd,
                 double toJd, const std::function<void()>& check, std::vector<Event>& out) {
  std::vector<PlanetAtIngresses> planets;
  for (size_t k = 0; k < kTrueNodeRule; ++k)
    if (k != kMoonRule && index[k] != 0 && (!options.traditionalVoid || kBodies[k].traditional))
      planets.push_back({BodyTrack(calc, index[k]), std::vector<PointState>(signs.size(), PointState{NAN, NAN})});
  auto planetAt = [&](PlanetAtIngresses& p, size_t n) {
    if (std::isnan(p.at[n].lon)) p.at[n] = p.track.At(signs[n].jd);
    return p.at[n];
  };
  for (size_t n = 0; n + 1 < signs.size(); ++n) {
    const double entry = signs[n].jd, exit = signs[n + 1].jd;
    if (!(exit > fromJd && entry < toJd)) continue;
    if (check) check();
    // Each planet's last aspect in the sign, estimated along the relative angle, which
    // grows all the while (the Moon outruns every planet).
    struct Candidate {
      double estimateJd, angleDeg;
      PlanetAtIngresses* planet;
    };
    std::vector<Candidate> candidates;
    const double moonEntry = signs[n].entered * kSignWidthDeg, moonExit = signs[n + 1].entered * kSignWidthDeg;
    for (PlanetAtIngresses& p : planets) {
      const PointState pa = planetAt(p, n), pb = planetAt(p, n + 1);
      const double dA = moonEntry - pa.lon;
      const double dB = dA + FoldDeg(moonExit - pb.lon - dA);
      if (!std::isfinite(dB) || dB <= dA) continue;
      std::optional<double> last;
      for (double angle : kVoidAspectsDeg) {
        double at = dA + (angle - dA - 360.0 * std::floor((angle - dA) / 360.0));
        if (at > dA && at <= dB && (!last || at > *last)) last = at;
      }
      if (last) candidates.push_back({entry + (*last - dA) / (dB - dA) * (exit - entry), *last, &p});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& x, const Candidate& y) { return x.estimateJd > y.estimateJd; });
    std::optional<double> lastAspect;
    for (const Candidate& c : candidates) {
      if (lastAspect && c.estimateJd + kAspectEstimateErrorDays <= *lastAspect) break;
      auto f = [&](double t) { return FoldDeg(moonTrack.At(t).lon - c.planet->track.At(t).lon - c.angleDeg); };
      const double fa = FoldDeg(moonEntry - planetAt(*c.planet, n).lon - c.angleDeg);
      const double fb = FoldDeg(moonExit - planetAt(*c.planet, n + 1).lon - c.angleDeg);
      if (auto x = CrossingBetween(f, entry, fa, exit, fb); x && (!lastAspect || *x > *lastAspect)) lastAspect = x;
    }
    const double start = lastAspect.value_or(entry);
    if (start < exit && exit > fromJd && start < toJd)
      out.push_back({EventKind::Void, moon, start, exit, signs[n + 1].entered, 0, false});
  }
}

}  // namespace

EventOptions EventOptionsOf(const OptionValues& values) {
  EventOptions options;
  options.traditionalVoid = values[option::TraditionalVoid] != 0;
  return options;
}

std::vector<Event> FindEvents(ChartCalculator& calc, const ReferenceTables& tables, double fromJd, double toJd,
                              const EventOptions& options, const std::function<void()>& checkCancelled) {
  std::vector<Event> out;
  if (!(toJd > fromJd)) return out;
  const std::function<void()> check = checkCancelled;
  std::array<int, kBodies.size()> index{};
  for (size_t k = 0; k < kBodies.size(); ++k) index[k] = IndexOfConstant(tables, kBodies[k].constant);

  for (size_t k = 0; k < kBodies.size(); ++k) {
    if (k == kMoonRule || k == kSouthNodeRule || index[k] == 0) continue;
    if (!options.ingresses && !(kBodies[k].stations && options.stations)) continue;
    const int southNode = k == kTrueNodeRule ? index[kSouthNodeRule] : 0;
    PlanetEvents(calc, kBodies[k], index[k], southNode, fromJd, toJd, options, check, out);
  }

  const int moon = index[kMoonRule];
  if (moon != 0 && (options.ingresses || options.mansions || options.voids)) {
    // The Moon's pada boundaries, of which every ninth is a sign boundary, walked from the
    // ingress before the span to the one after it, so that void periods are found whole.
    std::vector<BoundaryCrossing> signs;
    const double walkFrom = options.voids ? fromJd - kMoonSignStayDays : fromJd;
    const double walkTo = options.voids ? toJd + kMoonSignStayDays : toJd;
    const Track samples = SampleTrack(calc, tables, moon, false, walkFrom - 1, walkTo + 1, nullptr, check);
    BodyTrack track(calc, moon, &samples);
    WalkSteps(PlanOf(walkFrom, walkTo, kBodies[kMoonRule].stepDays, nullptr, check),
              [&](double t) { return track.At(t); },
              [&](double a, const PointState& pa, double b, const PointState& pb) {
                for (const BoundaryCrossing& c : BoundaryCrossings(track, kPadas, a, pa, b, pb)) {
                  const bool inSpan = Within(c.jd, fromJd, toJd);
                  if (c.entered % 9 == 0) {
                    signs.push_back({c.jd, c.entered / 9});
                    if (inSpan && options.ingresses) out.push_back({EventKind::Ingress, moon, c.jd, c.jd, c.entered / 9, 0, false});
                  }
                  if (inSpan && options.mansions)
                    out.push_back({EventKind::Mansion, moon, c.jd, c.jd, c.entered / 4 + 1, c.entered % 4 + 1, false});
                }
                return false;
              });

    if (options.voids) VoidPeriods(calc, track, moon, signs, index, options, fromJd, toJd, check, out);
  }

  std::stable_sort(out.begin(), out.end(), [](const Event& x, const Event& y) {
    return std::tie(x.startJd, x.kind, x.body) < std::tie(y.startJd, y.kind, y.body);
  });
  return out;
}

}  // namespace kesmora
