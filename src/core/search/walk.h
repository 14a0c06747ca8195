#pragma once
// The one walk of the search through time. The scan of a pair over the run span, the parallels
// of a body and the walk from an exact moment to the ends of its period all step through time
// the same way: in steps of a fixed length, each step split where the motion turns (a station,
// so that no piece holds two crossings of one target) and where a midpoint flips to the other
// side of the circle (its components pass opposition: the midpoint jumps by half a turn, and a
// crossing beside the jump would be lost in it). Each moment is evaluated once; the caller
// looks for crossings piece by piece with the one root finder (crossing.h).
#include "core/search/crossing.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>

namespace kesmora {

// How a walk steps through time.
struct WalkPlan {
  double fromJd = 0;
  double toJd = 0;  // where the walk ends; before fromJd for a walk back in time
  double stepDays = 1;
  // Changes sign where the motion turns; the step is split there. Empty: nothing turns.
  std::function<double(double jd)> turnRate;
  // The moments either side of a flip within [a, b], if there is one: a point that jumps by
  // half a turn (a midpoint whose components pass opposition) is walked up to the first and on
  // from the second, never across. Empty: nothing flips.
  std::function<std::optional<std::pair<double, double>>(double a, double b)> flip;
  // Called at every step; raises to end the walk (a cancelled run).
  std::function<void()> checkCancelled;
};

// A jump of a point's longitude larger than this within a step is a flip, not motion: no point
// the search walks moves a quarter turn in one step.
inline constexpr double kFlipJumpDeg = 90;

// Where in [a, b] a point's longitude jumps by half a turn, given its longitudes at both ends:
// the two moments, less than kStationToleranceDays apart, either side of the jump.
template <typename Lon>
std::optional<std::pair<double, double>> FindFlip(const Lon& lon, double a, double lonA, double b, double lonB) {
  if (!std::isfinite(lonA) || !std::isfinite(lonB) || std::abs(FoldDeg(lonB - lonA)) <= kFlipJumpDeg) return std::nullopt;
  while (b - a > kStationToleranceDays) {
    double m = (a + b) / 2;
    (std::abs(FoldDeg(lon(m) - lonA)) > kFlipJumpDeg ? b : a) = m;
  }
  return std::pair{a, b};
}

// Walks the plan step by step and hands every piece to `piece(a, valueA, b, valueB)` (a < b),
// nearest the walk's start first, with `eval(jd)` at both ends; each moment is evaluated once.
// A piece returning true ends the walk.
template <typename Eval, typename Piece>
void WalkSteps(const WalkPlan& plan, const Eval& eval, const Piece& piece) {
  using Value = decltype(eval(0.0));
  const double direction = plan.toJd >= plan.fromJd ? 1 : -1;
  std::optional<std::pair<double, Value>> last;  // the moment evaluated last: the next piece's near end
  auto at = [&](double jd) -> Value {
    if (!last || last->first != jd) last.emplace(jd, eval(jd));
    return last->second;
  };
  for (long n = 0;; ++n) {
    const double u0 = plan.fromJd + direction * static_cast<double>(n) * plan.stepDays;
    if ((plan.toJd - u0) * direction <= 0) break;
    if (plan.checkCancelled) plan.checkCancelled();
    double u1 = plan.fromJd + direction * static_cast<double>(n + 1) * plan.stepDays;
    if ((plan.toJd - u1) * direction < 0) u1 = plan.toJd;
    const double a = std::min(u0, u1), b = std::max(u0, u1);
    // The cuts of the step, in time order: a turn is one moment, a flip two.
    std::optional<std::pair<double, double>> flip;
    if (plan.flip)
      if ((flip = plan.flip(a, b))) flip = std::pair{std::max(flip->first, a), std::min(flip->second, b)};
    std::optional<double> turn;
    if (plan.turnRate) turn = FindTurn(plan.turnRate, a, b);
    if (turn && flip && *turn >= flip->first && *turn <= flip->second) turn.reset();
    std::pair<double, double> cuts[2];
    size_t count = 0;
    if (turn) cuts[count++] = {*turn, *turn};
    if (flip) cuts[count++] = *flip;
    if (count == 2 && cuts[1].first < cuts[0].first) std::swap(cuts[0], cuts[1]);
    // The pieces between the cuts.
    std::pair<double, double> pieces[3];
    size_t pieceCount = 0;
    double start = a;
    for (size_t c = 0; c < count; ++c) {
      if (cuts[c].first > start) pieces[pieceCount++] = {start, cuts[c].first};
      start = cuts[c].second;
    }
    if (b > start) pieces[pieceCount++] = {start, b};
    for (size_t k = 0; k < pieceCount; ++k) {
      auto [pa, pb] = pieces[direction > 0 ? k : pieceCount - 1 - k];
      // The near end first: it is the far end of the piece before.
      Value va, vb;
      if (direction > 0) {
        va = at(pa);
        vb = at(pb);
      } else {
        vb = at(pb);
        va = at(pa);
      }
      if (piece(pa, va, pb, vb)) return;
    }
  }
}

}  // namespace kesmora
