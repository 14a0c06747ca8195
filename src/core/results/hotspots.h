#pragma once
// Hotspots: how many hits are in force at each minute of one day. A hit is in force from the
// start to the end of its period, both ends included, compared in whole seconds of the local
// time that the grid shows.
#include "core/reference/format.h"
#include "core/search/intervals.h"

#include <array>
#include <optional>
#include <vector>

namespace kesmora {

struct RunResult;

inline constexpr int MinutesPerDay = 1440;

// One hit as the counting needs it: numbers only.
struct HotspotHit {
  double exactJd = 0;                    // UT
  std::optional<double> startJd, endJd;  // the period, when the search found its ends
  int pass = 0;                          // 0..6; declination hits are found in pass 0
  int movingPoint = 0, secondPoint = 0;  // point indexes; 0 for the degree of a degree pair
  int aspect = 0;                        // aspect index 0..16
};

struct HotspotHits {
  std::vector<HotspotHit> hits;
  double timeZoneHours = 0;  // of the hits' local times; west positive
};

// The hits of a finished run in the order of its grid.
HotspotHits HotspotHitsOf(const RunResult& run);

// Hits in force at each minute after local midnight: index m is the minute m.
using MinuteCounts = std::array<int, MinutesPerDay>;

struct HotspotCount {
  MinuteCounts counts{};
  // Transit-to-transit aspects that the search found from both points (A-B and B-A): each is
  // counted once, with the period of the row found first.
  int twinsMerged = 0;
};

// A hit without a start (end) counts from two days before (until two days after) its exact
// moment.
inline constexpr int MissingPeriodDays = 2;

HotspotCount CountHotspots(const HotspotHits& hits, const CivilDate& date);

// The periods (UT) in which the hits are in force as CountHotspots counts them, over any span:
// a missing start or end MissingPeriodDays from the exact moment, an aspect found from both
// transit points once.
std::vector<Interval> PeriodsInForce(const HotspotHits& hits);

// The moment of a Julian day in whole seconds of local time, rounded as the date and time
// texts round it, counted from the start of the Julian day count.
long long LocalSecondsOf(double jd, double timeZoneHours);
// Local midnight at the start of a date on the same count.
long long MidnightSecondsOf(const CivilDate& date);

}  // namespace kesmora
