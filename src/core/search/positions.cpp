#include "core/search/positions.h"

#include "core/search/crossing.h"

#include <swephexp.h>

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

// The Moon moves some 13 degrees a day; four samples a day keep its interpolant within a few
// thousandths of an arc second. Every other body is smooth enough at one sample a day.
double SampleStepDays(const PlanetEntry& body) { return body.sweNumber == SE_MOON ? 0.25 : 1.0; }

bool IsAngle(const std::string& code) { return code == "ASC" || code == "MC"; }

}  // namespace

size_t ExactPositions::KeyHash::operator()(const Key& k) const {
  return std::hash<double>()(k.jd) ^ (static_cast<size_t>(k.index) * 2 + k.declination) * 0x9e3779b97f4a7c15ULL;
}

PointState ExactPositions::Remembered(const Key& key) {
  if (auto it = known_.find(key); it != known_.end()) return it->second;
  // A long run asks for many moments once each: the memory stays bounded.
  if (known_.size() > 1'000'000) known_.clear();
  PointState p = key.declination ? calc_.DeclinationAt(key.jd, key.index) : calc_.PointAt(key.jd, key.index);
  known_.emplace(key, p);
  return p;
}

PointState ExactPositions::At(double jd, int index) { return Remembered({jd, index, false}); }

PointState ExactPositions::Declination(double jd, int index) { return Remembered({jd, index, true}); }

bool Track::Covers(double jd) const {
  return !value.empty() && jd >= fromJd && jd <= fromJd + stepDays * static_cast<double>(value.size() - 1);
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

PositionSamples SamplePositions(ChartCalculator& calc, const ReferenceTables& tables, const SampleRequest& request) {
  PositionSamples samples;
  auto sample = [&](int index, bool declination) {
    Track track;
    track.fromJd = request.fromJd;
    track.stepDays = SampleStepDays(tables.Planet(index));
    int steps = static_cast<int>(std::ceil((request.toJd - request.fromJd) / track.stepDays)) + 1;
    for (int n = 0; n <= steps; ++n) {
      double jd = request.fromJd + n * track.stepDays;
      PointState p = declination ? calc.DeclinationAt(jd, index) : calc.PointAt(jd, index);
      // Longitudes are unwrapped, so the interpolant runs on through 0 Aries.
      if (!declination && !track.value.empty()) p.lon = track.value.back() + FoldDeg(p.lon - track.value.back());
      track.value.push_back(p.lon);
      track.speed.push_back(p.speed);
    }
    return track;
  };
  for (int index : request.longitudes) samples.longitude.emplace(index, sample(index, false));
  for (int index : request.declinations) samples.declination.emplace(index, sample(index, true));
  if (request.houses)
    samples.houses.emplace(Place{calc.Record().transitPlace}, calc.Options(), request.fromJd, request.toJd);
  return samples;
}

InterpolatedPositions::InterpolatedPositions(const PositionSamples& samples, ChartCalculator& calc,
                                             const ReferenceTables& tables, const ExtraPoints* extra)
    : samples_(samples), calc_(calc), tables_(tables), extra_(extra) {}

PointState InterpolatedPositions::Planet(double jd, int index) {
  const PlanetEntry& e = tables_.Planet(index);
  if (auto it = samples_.longitude.find(index); it != samples_.longitude.end() && it->second.Covers(jd)) {
    PointState p = it->second.At(jd);
    return {Normalise(p.lon), p.speed};
  }
  bool housePoint = e.cls == "c" || e.cls == "p" || e.cls == "l";
  if (!housePoint || !samples_.houses || !samples_.houses->Covers(jd)) return calc_.PointAt(jd, index);
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
  const ExtraPointRow* row = extra_ ? extra_->Row(index, tables_.NumPlanetsUsed()) : nullptr;
  if (!row) return calc_.PointAt(jd, index);
  int kind = static_cast<int>(row->Number(9));
  if (kind == 2 || kind == 3 || kind == 4) return {row->Number(3), 0};
  // A midpoint of two planets at the transit place.
  int a = static_cast<int>(row->Number(7)), b = static_cast<int>(row->Number(8));
  auto component = [&](int i) -> PointState {
    if (i < 1 || i > tables_.NumPlanetsUsed()) return {};
    return Planet(jd, i);
  };
  PointState pa = component(a), pb = component(b);
  return {Midpoint(pa.lon, pb.lon), (pa.speed + pb.speed) / 2};
}

PointState InterpolatedPositions::Declination(double jd, int index) {
  if (auto it = samples_.declination.find(index); it != samples_.declination.end() && it->second.Covers(jd))
    return it->second.At(jd);
  return calc_.DeclinationAt(jd, index);
}

}  // namespace kesmora
