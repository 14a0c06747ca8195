#include "core/search/positions.h"

#include "core/search/crossing.h"

#include <swephexp.h>

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

// The Moon moves some 13 degrees a day; four samples a day keep its interpolant within a few
// thousandths of an arc second. Every other body is smooth enough at one sample a day.
double StepOf(const PlanetEntry& body) { return body.sweNumber == SE_MOON ? 0.25 : 1.0; }

bool IsAngle(const std::string& code) { return code == "ASC" || code == "MC"; }

// A cubic Hermite interpolant errs by at most h^4/384 of the fourth derivative over a step;
// the fourth difference of five samples is h^4 times that derivative. Twice that, for the
// derivative's change within the window.
constexpr double kFourthDifferenceToError = 2.0 / 384;

}  // namespace

size_t ExactPositions::KeyHash::operator()(const Key& k) const {
  return std::hash<double>()(k.jd) ^ (static_cast<size_t>(k.index) * 2 + k.declination) * 0x9e3779b97f4a7c15ULL;
}

PointState ExactPositions::Ask(const Key& key) {
  auto compute = [&] { return key.declination ? calc_.DeclinationAt(key.jd, key.index) : calc_.PointAt(key.jd, key.index); };
  if (!remember_) return compute();
  if (auto it = known_.find(key); it != known_.end()) return it->second;
  // A long run asks for many moments once each: the memory stays bounded.
  if (known_.size() > 1'000'000) known_.clear();
  return known_.emplace(key, compute()).first->second;
}

PointState ExactPositions::At(double jd, int index) { return Ask({jd, index, false}); }

PointState ExactPositions::Declination(double jd, int index) { return Ask({jd, index, true}); }

bool Track::Covers(double jd) const {
  return value.size() >= 2 && jd >= fromJd && jd <= fromJd + stepDays * static_cast<double>(value.size() - 1);
}

PointState Track::At(double jd) const {
  double offset = (jd - fromJd) / stepDays;
  size_t n = std::min(static_cast<size_t>(std::max(offset, 0.0)), value.size() - 2);
  double s = offset - static_cast<double>(n);
  double y0 = value[n], y1 = value[n + 1];
  double m0 = speed[n] * stepDays, m1 = speed[n + 1] * stepDays;
  // Cubic Hermite on value and speed at both ends of the step.
  double s2 = s * s, s3 = s2 * s;
  double y = (2 * s3 - 3 * s2 + 1) * y0 + (s3 - 2 * s2 + s) * m0 + (-2 * s3 + 3 * s2) * y1 + (s3 - s2) * m1;
  double dy = (6 * s2 - 6 * s) * y0 + (3 * s2 - 4 * s + 1) * m0 + (-6 * s2 + 6 * s) * y1 + (3 * s2 - 2 * s) * m1;
  return {y, dy / stepDays};
}

double Track::ErrorBoundDeg(double jd) const {
  double offset = (jd - fromJd) / stepDays;
  size_t n = std::min(static_cast<size_t>(std::max(offset, 0.0)), errorDeg.size() - 1);
  return errorDeg[n];
}

void Track::BoundErrors(const std::vector<bool>& nearTheSun) {
  const size_t steps = value.size() - 1;
  errorDeg.assign(steps, 0.0);
  for (size_t n = 0; n < steps; ++n) {
    // Five samples around the step, moved inside the track at its ends.
    size_t first = std::min(n > 0 ? n - 1 : 0, value.size() - 5);
    double d4 = value[first] - 4 * value[first + 1] + 6 * value[first + 2] - 4 * value[first + 3] + value[first + 4];
    errorDeg[n] = std::abs(d4) * kFourthDifferenceToError;
    bool near = n < nearTheSun.size() && (nearTheSun[n] || (n + 1 < nearTheSun.size() && nearTheSun[n + 1]));
    if (near) errorDeg[n] = std::max(errorDeg[n], kNearTheSunErrorDeg);
    if (!std::isfinite(errorDeg[n])) errorDeg[n] = 1;  // a body the ephemeris could not give
  }
}

const Track* PositionSamples::Longitude(int index) const {
  size_t i = static_cast<size_t>(index);
  return i < longitude.size() && longitude[i] ? &*longitude[i] : nullptr;
}

const Track* PositionSamples::DeclinationOf(int index) const {
  size_t i = static_cast<size_t>(index);
  return i < declination.size() && declination[i] ? &*declination[i] : nullptr;
}

double SampleStepDays(const ReferenceTables& tables, int index) { return StepOf(tables.Planet(index)); }

Track SampleNutation(const ChartCalculator& calc, double fromJd, double toJd) {
  // Two days beyond either end, for the differences there; on the tracks' own grid, so that
  // a daily track meets the nutation at its samples.
  Track nutation;
  nutation.fromJd = fromJd - 2;
  int days = static_cast<int>(std::ceil(toJd - fromJd)) + 4;
  for (int n = 0; n <= days; ++n) nutation.value.push_back(calc.NutationInLongitudeDeg(nutation.fromJd + n));
  // Rates by five-point differences, which for its terms of weeks err by a thousandth of an
  // arc second a day or less.
  const std::vector<double>& v = nutation.value;
  nutation.speed.assign(v.size(), 0.0);
  for (size_t n = 2; n + 2 < v.size(); ++n) nutation.speed[n] = (v[n - 2] - 8 * v[n - 1] + 8 * v[n + 1] - v[n + 2]) / 12;
  // The two steps at either end have no rates: only the inner part is used.
  nutation.fromJd += 2;
  nutation.value.erase(nutation.value.begin(), nutation.value.begin() + 2);
  nutation.speed.erase(nutation.speed.begin(), nutation.speed.begin() + 2);
  nutation.value.resize(nutation.value.size() - 2);
  nutation.speed.resize(nutation.speed.size() - 2);
  nutation.BoundErrors({});
  return nutation;
}

Track SampleTrack(ChartCalculator& calc, const ReferenceTables& tables, int index, bool declination, double fromJd,
                  double toJd, const Track* nutation, const std::function<void()>& eachSample) {
  Track track;
  track.fromJd = fromJd;
  track.stepDays = StepOf(tables.Planet(index));
  int steps = std::max(static_cast<int>(std::ceil((toJd - fromJd) / track.stepDays)), 4);
  for (int n = 0; n <= steps; ++n) {
    double jd = fromJd + n * track.stepDays;
    std::optional<PointState> mean, dpsi;
    if (nutation && !declination && nutation->Covers(jd) && std::isfinite((dpsi = nutation->At(jd))->lon))
      mean = calc.MeanEquinoxBodyAt(jd, index);
    PointState p = mean ? PointState{Normalise(mean->lon + dpsi->lon), mean->speed + dpsi->speed}
                        : declination ? calc.DeclinationAt(jd, index) : calc.PointAt(jd, index);
    // Longitudes are unwrapped, so the interpolant runs on through 0 Aries.
    if (!declination && !track.value.empty()) p.lon = track.value.back() + FoldDeg(p.lon - track.value.back());
    track.value.push_back(p.lon);
    track.speed.push_back(p.speed);
    if (eachSample) eachSample();
  }
  track.BoundErrors({});
  return track;
}

void MarkNearTheSun(PositionSamples& samples, const ReferenceTables& tables) {
  const Track* sun = samples.Longitude(1);
  if (!sun) return;
  for (size_t index = 2; index < samples.longitude.size(); ++index) {
    std::optional<Track>& track = samples.longitude[index];
    if (!track || !tables.IsBody(static_cast<int>(index))) continue;
    std::vector<bool> near(track->value.size(), false);
    bool any = false;
    for (size_t n = 0; n < near.size(); ++n) {
      double jd = track->fromJd + static_cast<double>(n) * track->stepDays;
      if (!sun->Covers(jd)) continue;
      near[n] = std::abs(FoldDeg(track->value[n] - sun->At(jd).lon)) < kNearTheSunDeg;
      any = any || near[n];
    }
    if (!any) continue;
    track->BoundErrors(near);
    if (index < samples.declination.size() && samples.declination[index]) samples.declination[index]->BoundErrors(near);
  }
}

InterpolatedPositions::InterpolatedPositions(const PositionSamples& samples, ChartCalculator& calc,
                                             const ReferenceTables& tables, const ExtraPoints* extra)
    : samples_(samples), calc_(calc), tables_(tables), extra_(extra) {}

PointState InterpolatedPositions::Planet(double jd, int index) {
  if (const Track* track = samples_.Longitude(index); track && track->Covers(jd)) {
    PointState p = track->At(jd);
    return {Normalise(p.lon), p.speed};
  }
  const PlanetEntry& e = tables_.Planet(index);
  if (!IsHouseDependent(e.cls) || !samples_.houses || !samples_.houses->Covers(jd)) return calc_.PointAt(jd, index);
  bool replaced = false;
  ChartCalculator::Houses h = samples_.houses->At(jd, IsAngle(e.code), &replaced);
  housesReplaced_ = housesReplaced_ || replaced;
  ChartCalculator::PartInputs parts;
  if (calc_.NeedsParts(index)) {
    std::array<double, 7> lon{};
    for (size_t k = 0; k < ChartCalculator::kPartBodies.size(); ++k) {
      int body = ChartCalculator::kPartBodies[k];
      if (body <= tables_.NumPlanetsUsed()) lon[k] = Planet(jd, body).lon;
    }
    parts = ChartCalculator::PartInputsOf(lon, h.ascmc[0]);
  }
  if (auto p = calc_.HousePoint(index, h, parts)) return *p;
  return calc_.PointAt(jd, index);
}

PointState InterpolatedPositions::At(double jd, int index) {
  if (index <= tables_.NumPlanetsUsed()) return Planet(jd, index);
  const ExtraPoint* point = extra_ ? extra_->Point(index, tables_.NumPlanetsUsed()) : nullptr;
  if (!point) return calc_.PointAt(jd, index);
  if (std::optional<double> fixed = point->FixedLonDeg()) return {*fixed, 0};
  // A midpoint of two planets at the transit place.
  auto component = [&](int i) -> PointState {
    if (i < 1 || i > tables_.NumPlanetsUsed()) return {};
    return Planet(jd, i);
  };
  PointState pa = component(point->Midpoint()->first), pb = component(point->Midpoint()->second);
  return {Midpoint(pa.lon, pb.lon), (pa.speed + pb.speed) / 2};
}

PointState InterpolatedPositions::Declination(double jd, int index) {
  if (const Track* track = samples_.DeclinationOf(index); track && track->Covers(jd)) return track->At(jd);
  return calc_.DeclinationAt(jd, index);
}

double InterpolatedPositions::PlanetErrorDeg(double jd, int index) {
  if (index < 1 || index > tables_.NumPlanetsUsed()) return 0;
  if (const Track* track = samples_.Longitude(index); track && track->Covers(jd)) return track->ErrorBoundDeg(jd);
  // A house point: the houses are exact; its parts carry the errors of their bodies.
  if (!calc_.NeedsParts(index)) return 0;
  double error = 0;
  for (int body : ChartCalculator::kPartBodies)
    if (body <= tables_.NumPlanetsUsed() && samples_.Longitude(body)) error += PlanetErrorDeg(jd, body);
  return error;
}

double InterpolatedPositions::ErrorBoundDeg(double jd, int index, bool declination) {
  if (declination) {
    const Track* track = samples_.DeclinationOf(index);
    return track && track->Covers(jd) ? track->ErrorBoundDeg(jd) : 0;
  }
  if (index <= tables_.NumPlanetsUsed()) return PlanetErrorDeg(jd, index);
  const ExtraPoint* point = extra_ ? extra_->Point(index, tables_.NumPlanetsUsed()) : nullptr;
  const MidpointPair* pair = point ? point->Midpoint() : nullptr;
  if (!pair) return 0;
  // A midpoint moves by half of what its components move.
  return (PlanetErrorDeg(jd, pair->first) + PlanetErrorDeg(jd, pair->second)) / 2;
}

}  // namespace kesmora
