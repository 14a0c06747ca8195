#pragma once
// Where the search takes its positions from.
//
// The exact source asks the ephemeris at every moment the search looks at. The interpolated
// source samples each moving body once per step over the run (the Moon four times a day, the
// other bodies once) and takes positions between samples from a cubic Hermite interpolant on
// position and speed; house points come from a HouseClock of the transit place. Samples are
// made once per run and shared by its workers; a moment outside them is asked of the
// ephemeris.
//
// Each sampled step carries a bound of its interpolant's error, from the fourth differences of
// the samples around it. Near the Sun the light's deflection gives the apparent positions a
// sharp feature that samples a day apart do not show: within kNearTheSunDeg of the Sun a body's
// bound is raised to kNearTheSunErrorDeg, so that the search polishes what it finds there on
// the real ephemeris.
#include "core/chart/chart_calculator.h"
#include "core/chart/house_clock.h"
#include "core/reference/reference_tables.h"
#include "core/search/target_lists.h"

#include <functional>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

namespace kesmora {

class PositionSource {
 public:
  virtual ~PositionSource() = default;
  // Longitude and speed of a point index (a planet or an extra point) at a UT moment.
  virtual PointState At(double jd, int index) = 0;
  // Declination of a body and its speed in declination.
  virtual PointState Declination(double jd, int index) = 0;
  // How far At (or Declination) may be from the ephemeris at a moment, degrees.
  virtual double ErrorBoundDeg(double jd, int index, bool declination) = 0;
};

// Asks the ephemeris; when `remember` is set it keeps what it answered for the moments asked
// again (every pair of a moving point asks for the same moments of it).
class ExactPositions : public PositionSource {
 public:
  explicit ExactPositions(ChartCalculator& calc, bool remember = true) : calc_(calc), remember_(remember) {}
  PointState At(double jd, int index) override;
  PointState Declination(double jd, int index) override;
  double ErrorBoundDeg(double, int, bool) override { return 0; }

 private:
  struct Key {
    double jd;
    int index;
    bool declination;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const;
  };
  PointState Ask(const Key& key);

  ChartCalculator& calc_;
  bool remember_;
  std::unordered_map<Key, PointState, KeyHash> known_;
};

inline constexpr double kNearTheSunDeg = 3;
inline constexpr double kNearTheSunErrorDeg = 1.0 / 3600;

// Samples of one quantity at regular steps: value (unwrapped, for longitudes) and speed, and
// a bound of the interpolant's error over each step.
struct Track {
  double fromJd = 0, stepDays = 1;
  std::vector<double> value, speed, errorDeg;
  bool Covers(double jd) const;
  PointState At(double jd) const;
  double ErrorBoundDeg(double jd) const;
  // Fills errorDeg from the samples; `nearTheSun` tells the samples (by index) to distrust.
  void BoundErrors(const std::vector<bool>& nearTheSun);
};

// The nutation in longitude at one-day steps (its shortest terms run over weeks), shared by
// the tracks of a run's bodies: each of them is sampled on the mean equinox of date and the
// nutation added back, one nutation a day instead of one per body and moment.
Track SampleNutation(const ChartCalculator& calc, double fromJd, double toJd);

// What a run samples before it searches: the planet indexes whose longitudes and
// declinations are interpolated, and whether the transit place's houses are needed.
struct SampleRequest {
  std::set<int> longitudes, declinations;
  bool houses = false;
  double fromJd = 0, toJd = 0;
};

struct PositionSamples {
  std::vector<std::optional<Track>> longitude, declination;  // by planet index
  std::optional<HouseClock> houses;
  const Track* Longitude(int index) const;
  const Track* DeclinationOf(int index) const;
};

// The step at which a planet index is sampled.
double SampleStepDays(const ReferenceTables& tables, int index);
// The track of one planet index; every sample is one ephemeris call through the calculator.
// With `nutation` a body's longitudes are taken on the mean equinox and the nutation added.
// `eachSample` is called after every sample (to count them, or to stop by raising).
Track SampleTrack(ChartCalculator& calc, const ReferenceTables& tables, int index, bool declination, double fromJd,
                  double toJd, const Track* nutation = nullptr, const std::function<void()>& eachSample = {});
// Raises the error bounds of the tracks where their body stands near the Sun (planet index 1).
void MarkNearTheSun(PositionSamples& samples, const ReferenceTables& tables);

class InterpolatedPositions : public PositionSource {
 public:
  // `calc` answers what the samples do not cover; `extra` gives the extra points.
  InterpolatedPositions(const PositionSamples& samples, ChartCalculator& calc, const ReferenceTables& tables,
                        const ExtraPoints* extra);
  PointState At(double jd, int index) override;
  PointState Declination(double jd, int index) override;
  double ErrorBoundDeg(double jd, int index, bool declination) override;
  // Whether a house system had to be replaced at a moment this source gave houses for.
  bool HousesReplaced() const { return housesReplaced_; }

 private:
  PointState Planet(double jd, int index);
  double PlanetErrorDeg(double jd, int index);

  const PositionSamples& samples_;
  ChartCalculator& calc_;
  const ReferenceTables& tables_;
  const ExtraPoints* extra_;
  bool housesReplaced_ = false;
};

}  // namespace kesmora
