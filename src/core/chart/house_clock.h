#pragma once
// The houses of one place at any moment of a span, from the sidereal time, the true
// obliquity and the ayanamsa sampled once a day. swe_houses_ex works out all three anew on
// every call; between daily samples they move smoothly (the sidereal time at its steady rate
// plus the slow equation of the equinoxes), so interpolating them gives the same cusps and
// angles to far below a millisecond of time, at a fraction of the cost. The ascendant and the
// midheaven come from their closed formulas where those agree with libswe.
#include "core/chart/chart_calculator.h"

#include <vector>

namespace kesmora {

class HouseClock {
 public:
  // Samples [fromJd, toJd] (UT) for the place; the calling thread's ephemeris is used.
  HouseClock(Place place, ChartOptions options, double fromJd, double toJd);

  bool Covers(double jd) const { return jd >= fromJd_ && jd <= toJd_; }
  // The houses at a moment of the span: every cusp and angle, or (`anglesOnly`) the ascendant
  // and midheaven alone where they have a closed formula. `replaced` is set when libswe gave
  // Porphyry houses for a system it cannot compute there.
  ChartCalculator::Houses At(double jd, bool anglesOnly, bool* replaced = nullptr) const;

 private:
  Place place_;
  ChartOptions options_;
  double fromJd_, toJd_;
  std::vector<double> armcDeg_, epsDeg_, ayanamsaDeg_;  // daily, from fromJd_
};

}  // namespace kesmora
