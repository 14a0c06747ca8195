#pragma once
// Exact aspect times between a moving point and a second point, and the periods around them.
//
// A pair is scanned over the run span in steps (a day for bodies, 1/52 day where a house point
// takes part, 1/104 day for degree pairs). Within a step the separation of the two points less
// the aspect angle, folded into (-180, 180], is a smooth function of time: where it changes
// sign, FindCrossing gives the exact time. A step in which the pair's relative motion turns
// (a station) is split at the turn first, so that no piece holds two crossings of an aspect.
// Positions come from a PositionSource; when it interpolates, each exact time and period end
// found on it is polished with a Newton step on the real ephemeris.
#include "core/chart/chart_calculator.h"
#include "core/search/hit.h"
#include "core/search/positions.h"
#include "core/search/run_options.h"
#include "core/search/target_lists.h"

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
  using Curve = std::function<double(double jd)>;
  // Position of the moving and of the second point of a pair in a pass.
  PointState Moving(Pass pass, double jd, int i, PositionSource& source);
  PointState Second(Pass pass, double jd, int i, int j, PositionSource& source);
  const ExtraPointRow* ExtraRow(int index) const;
  bool PlanetIndex(int index) const { return index >= 1 && index <= ctx_.tables->NumPlanetsUsed(); }
  std::string ClassOf(int index) const;
  // A crossing of f in [a, b] found on the search's positions, polished on the real ones
  // where the positions may err by more than kPolishAboveDays of time there: `errorDeg`
  // bounds the error of f at a moment, `exactRate` gives the real f and its rate.
  std::optional<double> Crossing(const Curve& f, double a, double fa, double b, double fb,
                                 const std::function<double(double)>& errorDeg,
                                 const std::function<std::pair<double, double>(double)>& exactRate) const;
  // The first crossing of f met walking from `fromJd` in `direction` (+1 or -1) in steps,
  // over at most `limitDays`; steps are split where `rate` turns.
  std::optional<double> FirstCrossing(const Curve& f, const Curve& rate, double fromJd, double direction,
                                      double stepDays, double limitDays, const std::function<double(double)>& errorDeg,
                                      const std::function<std::pair<double, double>(double)>& exactRate) const;
  // One step of a pair's scan: its ends (split where the pair's rate turns) and the
  // positions of both points there.
  struct ScanStep {
    std::array<double, 3> ends{};
    std::array<PointState, 3> p{}, q{};
    size_t count = 2;
  };
  template <typename Rate>
  void FillSteps(std::vector<ScanStep>& steps, Pass pass, int i, int j, double step, double endJd, bool turns,
                 const Rate& rate, bool second);
  void AppendHit(Pass pass, int i, int j, int k, double x);
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
  // The scan steps of the last moving point whose pairs meet still second points.
  struct MoverStepsKey {
    int mover = -1;
    double step = 0, endJd = 0, startJd = 0;
    bool turns = false;
    bool operator==(const MoverStepsKey&) const = default;
  };
  MoverStepsKey moverStepsKey_;
  std::vector<ScanStep> moverSteps_;
};

}  // namespace kesmora
