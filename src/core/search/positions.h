#pragma once
// Where the search takes its positions from.
//
// The exact source asks the ephemeris at every moment the search looks at. The interpolated
// source samples each moving body once per step over the run (the Moon four times a day, the
// other bodies once) and takes positions between samples from a cubic Hermite interpolant on
// position and speed; house points come from a HouseClock of the transit place. Samples are
// made once per run and shared by its workers; a moment outside them is asked of the
// ephemeris. Interpolated exact times are polished with the real ephemeris by the search.
#include "core/chart/chart_calculator.h"
#include "core/chart/house_clock.h"
#include "core/reference/reference_tables.h"
#include "core/search/target_lists.h"

#include <map>
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
};

// Asks the ephemeris, keeping what it answered for the moments asked again (every pair of a
// moving point asks for the same moments of it).
class ExactPositions : public PositionSource {
 public:
  explicit ExactPositions(ChartCalculator& calc) : calc_(calc) {}
  PointState At(double jd, int index) override;
  PointState Declination(double jd, int index) override;

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
  PointState Remembered(const Key& key);

  ChartCalculator& calc_;
  std::unordered_map<Key, PointState, KeyHash> known_;
};

// Samples of one quantity at regular steps: value (unwrapped, for longitudes) and speed.
struct Track {
  double fromJd = 0, stepDays = 1;
  std::vector<double> value, speed;
  bool Covers(double jd) const;
  PointState At(double jd) const;
};

// What a run samples before it searches: the planet indexes whose longitudes and
// declinations are interpolated, and whether the transit place's houses are needed.
struct SampleRequest {
  std::set<int> longitudes, declinations;
  bool houses = false;
  double fromJd = 0, toJd = 0;
};

struct PositionSamples {
  std::map<int, Track> longitude, declination;  // by planet index
  std::optional<HouseClock> houses;
};

// The samples of a request; every sample is one ephemeris call through the calculator.
PositionSamples SamplePositions(ChartCalculator& calc, const ReferenceTables& tables, const SampleRequest& request);

class InterpolatedPositions : public PositionSource {
 public:
  // `calc` answers what the samples do not cover; `extra` gives the extra points.
  InterpolatedPositions(const PositionSamples& samples, ChartCalculator& calc, const ReferenceTables& tables,
                        const ExtraPoints* extra);
  PointState At(double jd, int index) override;
  PointState Declination(double jd, int index) override;
  // Whether a house system had to be replaced at a moment this source gave houses for.
  bool HousesReplaced() const { return housesReplaced_; }

 private:
  PointState Planet(double jd, int index);

  const PositionSamples& samples_;
  ChartCalculator& calc_;
  const ReferenceTables& tables_;
  const ExtraPoints* extra_;
  bool housesReplaced_ = false;
};

}  // namespace kesmora
