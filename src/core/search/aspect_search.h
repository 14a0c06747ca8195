#pragma once
// Exact aspect times between a moving point and a second point: the time scan with its
// bracket test, the secant refinement, the declination pass and the start and end periods.
#include "core/chart/chart_calculator.h"
#include "core/reference/format.h"
#include "core/search/hit_table.h"
#include "core/search/run_options.h"
#include "core/search/target_lists.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace kesmora {

// Signed separation of a moving position P from a target Q against the aspect angle A (all
// degrees): the folded distance minus A, positive while P is ahead of Q.
double SignedSeparation(double q, double p, double angle);

inline constexpr double LongitudeTolerance = 3.5e-07;   // day
inline constexpr double DeclinationTolerance = 7e-06;   // day
inline constexpr double PairPeriodTolerance = 7e-06;    // day
inline constexpr int MaxRefineIterations = 100;

// The secant refinement of an exact time in [x0, x1]; 0 when it does not converge, jumps over
// a wrap of the separation or steps too far.
template <typename F>
double RefineSecant(F f, double x0, double x1, double tolerance, int maxIterations) {
  for (int n = 1; n <= maxIterations; ++n) {
    double f1 = f(x1), f0 = f(x0);
    double delta = 0;
    if (f1 - f0 == 0)
      x1 = (x0 + x1) / 2;
    else
      delta = (x1 - x0) / (f1 - f0) * f1;
    if (std::abs(f1 - f0) > 20 && n >= 2) return 0;
    if (std::abs(delta) < tolerance) return x1;
    x0 = x1;
    if (std::abs(delta) >= 1.001) return 0;
    x1 -= delta;
  }
  return 0;
}

// Bisection for an interval whose ends have opposite signs; nothing when the sign change is
// a jump of the separation (at a fold) rather than a crossing of zero.
template <typename F>
std::optional<double> BisectCrossing(F f, double a, double b, double tolerance) {
  double fa = f(a), fb = f(b);
  if (!(fa < 0 && fb > 0) && !(fa > 0 && fb < 0)) return std::nullopt;
  while (b - a > tolerance) {
    double m = (a + b) / 2;
    double fm = f(m);
    if (fm == 0) return m;
    if ((fm < 0) == (fa < 0)) {
      a = m;
      fa = fm;
    } else {
      b = m;
    }
  }
  double x = (a + b) / 2;
  constexpr double kLargestResidual = 1.0;  // degrees; a jump at a fold is far larger
  if (std::abs(f(x)) > kLargestResidual) return std::nullopt;
  return x;
}

// Positions of points during a run. Shared, each point and moment is computed once and kept
// for the pass; otherwise every request goes to the calculator, as each pair would ask.
class PointSource {
 public:
  PointSource(ChartCalculator& calculator, bool shared) : calc_(calculator), shared_(shared) {}
  PointState At(double jd, int index);
  PointState Declination(double jd, int index);
  void Forget();
  bool Shared() const { return shared_; }

 private:
  ChartCalculator& calc_;
  bool shared_;
  std::unordered_map<int, std::unordered_map<double, PointState>> lon_, decl_;
};

// What the search needs to know of the run besides the options.
struct SearchContext {
  const ReferenceTables* tables = nullptr;
  const ChartRecord* chart = nullptr;  // natal longitudes, speeds and declinations
  const ExtraPoints* extra = nullptr;  // the points of the target lists
  RunOptions options;
  RunSpan span;
  DateOrder dateOrder = DateOrder::MonthDayYear;
  std::function<bool()> cancelled;  // asked at every scan step; true ends the run
};

class AspectSearch {
 public:
  AspectSearch(const SearchContext& context, PointSource& points);
  // Where found hits go, in the order found.
  void SetOutput(std::vector<HitRow>* rows) { out_ = rows; }

  // Step length of the scan for a pair, in days.
  double StepFor(int pass, int i, int j) const;
  // Scans the run span for every ticked aspect 0..14 between moving point i and second
  // point j, appending hits to the pass table.
  void ScanPair(int pass, int i, int j);
  // Parallels and contra-parallels of a ticked transit body to the ticked natal bodies.
  void DeclinationsOf(int i);
  bool TakesPartInDeclinations(int index, bool transit) const;

  struct Periods {
    std::string start, end;                // date and time texts, empty when not found
    std::optional<double> startJd, endJd;  // the same moments as UT Julian days
  };
  Periods PeriodsOf(const HitRow& row);

  bool IsHouseDependent(int index) const;
  std::string DateTimeText(double jd) const;
  // Raises RunCancelled once the run is to stop.
  void CheckCancelled() const;

 private:
  struct Interval {
    double t0, t1;
    PointState p0, p1, q0, q1;
  };
  // The point that moves in a pass: the ascendant stands in for a degree pair.
  static int MovingIndex(int pass, int i) { return pass == 2 ? kDegreePairMover : i; }
  PointState Moving(int pass, double jd, int i) { return points_.At(jd, MovingIndex(pass, i)); }
  PointState Second(int pass, double jd, int i, int j);
  const ExtraPointRow* ExtraRow(int index) const;
  std::string ClassOf(int index) const;
  static constexpr int kDegreePairMover = 15;
  void ScanInterval(int pass, int i, int j, double t, double step);
  void SearchAspect(int pass, int i, int j, int k, Interval iv, double lo, double hi);
  std::optional<double> ExactTime(int pass, int i, int j, double angle, double a, double b);
  void AppendHit(int pass, int i, int j, int k, double x);
  bool PlanetIndex(int index) const { return index >= 1 && index <= ctx_.tables->NumPlanetsUsed(); }

  std::vector<double> DeclinationBreaks(int i, double t);
  std::optional<double> FindSignChange(const std::function<double(double)>& value, double t);

  std::optional<double> FindDegreeTime(int i, double target, double a, double b);
  Periods LongitudePeriods(const HitRow& row);
  Periods PairPeriods(const HitRow& row);
  Periods DeclinationPeriods(const HitRow& row);

  const SearchContext& ctx_;
  PointSource& points_;
  std::vector<HitRow>* out_ = nullptr;
  std::unordered_map<int, std::unordered_map<double, std::vector<double>>> breakCache_;
};

}  // namespace kesmora
