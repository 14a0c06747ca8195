#pragma once
// Exact aspect times between a moving point and a second point, and the periods around them.
//
// A pair is scanned over the run span in steps (a day for bodies, 1/52 day where a house point
// takes part, 1/104 day for degree pairs), by the one walk of walk.h: each step is split where
// the pair's relative motion turns (a station) and where a midpoint flips, so that within a
// piece the separation of the two points less the aspect angle, folded into (-180, 180], is a
// smooth function of time with at most one crossing; where it changes sign, FindCrossing gives
// the exact time. Only crossings inside the run span, [start, end), are hits. Positions come
// from a PositionSource; when it interpolates, each exact time and period end found on it is
// polished with a Newton step on the real ephemeris.
#include "core/chart/chart_calculator.h"
#include "core/search/hit.h"
#include "core/search/positions.h"
#include "core/search/run_options.h"
#include "core/search/target_lists.h"
#include "core/search/walk.h"

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace kesmora {

// What the search needs to know of the run besides the options.
struct SearchContext {
  const ReferenceTables* tables = nullptr;
  const ChartRecord* chart = nullptr;  // natal longitudes, speeds and declinations
  const ExtraPoints* extra = nullptr;  // the points of the target lists
  RunOptions options;
  RunSpan span;
  // Asked at every step: true ends the run as cancelled. The run may also raise its own reason
  // to stop from it (a hit table that is full).
  std::function<bool()> cancelled;
  // Where the searches count, before each such question, the hits they have found and the
  // steps they have taken (in batches of kStepsPerCount), so that the run stops at its hit
  // limit within a step and shows how far it has come; either may be null.
  std::atomic<long>* hitsFound = nullptr;
  std::atomic<long>* stepsTaken = nullptr;
};
inline constexpr long kStepsPerCount = 64;

// A function of time whose crossings of zero the search looks for (an angle less its target,
// degrees), and what polishing a crossing found on interpolated positions needs.
struct CrossingCurve {
  std::function<double(double jd)> value;      // on the search's positions
  std::function<double(double jd)> errorDeg;   // how far `value` may be from the ephemeris's
  // The value and its rate on the real ephemeris; empty where nothing is to be polished.
  std::function<std::pair<double, double>(double jd)> exact;
};

// A longitude whose decimal text would read d.99999 or more is one rounding short of a whole
// degree: it is kept as the whole degree (d + 1, below 360).
double RoundedNearWholeDegree(double lonDeg);

class AspectSearch {
 public:
  // `positions` serves the scan; `exact` (the same source on the exact path) the polish.
  AspectSearch(const SearchContext& context, PositionSource& positions, PositionSource& exact, bool polish);
  void SetOutput(std::vector<Hit>* hits) {
    out_ = hits;
    counted_ = hits ? hits->size() : 0;
  }

  // Step of the scan for a pair, in days.
  double StepDaysFor(Pass pass, int i, int j) const;
  // The step the scan of a pair takes: that of StepDaysFor, or longer where it can.
  double ScanStepDaysFor(Pass pass, int i, int j) const;
  // Every ticked aspect 0..14 between moving point i and second point j over the run span.
  void ScanPair(Pass pass, int i, int j);
  // Parallels and contra-parallels of a ticked transit body to the ticked natal bodies.
  void DeclinationsOf(int i);
  bool TakesPartInDeclinations(int index, bool transit) const;
  // The start and end period of a hit, when found.
  void FindPeriods(Hit& hit);

  bool IsHouseDependent(int index) const;
  // Counts the hits and steps, then raises RunCancelled once the run is to stop.
  void CheckCancelled() const;

 private:
  // Position of the moving and of the second point of a pair in a pass.
  PointState Moving(Pass pass, double jd, int i, PositionSource& source);
  PointState Second(Pass pass, double jd, int i, int j, PositionSource& source);
  const ExtraPoint* Extra(int index) const;
  bool PlanetIndex(int index) const { return index >= 1 && index <= ctx_.tables->NumPlanetsUsed(); }
  // A planet (no extra point) that moves with the houses.
  bool IsHousePlanet(int index) const;
  // Whether a point is a midpoint of two transit points, which flips as they pass opposition.
  bool IsTransitMidpoint(int index) const;
  // Where in [a, b] a transit midpoint flips, with the moments around it in which it may still
  // lie on the longer arc.
  std::optional<std::pair<double, double>> FlipOf(int index, double a, double b);
  // The plan of a walk in steps from `fromJd` to `toJd`, split where `rate` turns and where
  // point `flipping` flips (0: none).
  WalkPlan PlanOf(double fromJd, double toJd, double stepDays, std::function<double(double)> rate, int flipping);
  // Whether a crossing at x lies in the run span, [start, end).
  bool InSpan(double x) const { return x >= ctx_.span.start && x < ctx_.span.end; }
  // The crossing in [a, b] of a curve whose ends bracket one, found on the search's positions
  // and polished on the real ones where the positions may err by more than kPolishAboveDays
  // of time there.
  std::optional<double> Crossing(const CrossingCurve& curve, double a, double fa, double b, double fb) const;
  // The first crossing of a curve met on a walk, or the first flip the curve jumps over zero at.
  std::optional<double> FirstCrossing(const CrossingCurve& curve, const WalkPlan& walk) const;
  // A piece of a walk over the moving point alone, with its positions at both ends.
  struct MoverPiece {
    double a, b;
    PointState pa, pb;
  };
  // One pair's scan as its pieces see it: whose positions, and how crossings are polished.
  struct PairScan {
    Pass pass;
    int i, j;
    bool polish;
    std::function<double(double)> errorDeg;
  };
  // The hit where the pair's separation less `offsetDeg` (the aspect angle, on the side
  // looked at) crosses zero in [a, b], when it lies in the run span.
  std::optional<Hit> AspectHit(const PairScan& scan, int aspectIndex, double offsetDeg, double a, double fa, double b,
                               double fb);
  void LongitudePeriods(Hit& hit);
  void PairPeriods(Hit& hit);
  void DeclinationPeriods(Hit& hit);

  const SearchContext& ctx_;
  PositionSource& positions_;
  PositionSource& exact_;
  bool polish_;
  std::vector<Hit>* out_ = nullptr;
  mutable size_t counted_ = 0;  // hits of out_ already counted in ctx_.hitsFound
  mutable long uncountedSteps_ = 0;
  // The pieces of the last moving point whose pairs meet still second points: its walk over
  // the span, shared by those pairs.
  struct MoverStepsKey {
    int mover = -1;
    double step = 0, startJd = 0, endJd = 0;
    bool turns = false;
    bool operator==(const MoverStepsKey&) const = default;
  };
  MoverStepsKey moverStepsKey_;
  std::vector<MoverPiece> moverPieces_;
};

}  // namespace kesmora
