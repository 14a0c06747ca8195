#include "core/results/hotspots.h"

#include "core/reference/constants.h"
#include "core/search/aspectarian.h"

#include <date/date.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace kesmora {

namespace {

// Two rows of one transit-to-transit aspect, found from each point, are refined on their own
// and may land a second or so apart.
constexpr long long kTwinToleranceSeconds = 60;

long long FloorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

long long CeilDiv(long long a, long long b) { return -FloorDiv(-a, b); }

}  // namespace

HotspotHits HotspotHitsOf(const RunResult& run) {
  HotspotHits out;
  out.timeZoneHours = run.transitTimeZone;
  out.hits.reserve(run.hits.RunHits().size());
  for (const Hit& hit : run.hits.RunHits()) {
    HotspotHit h;
    h.exactJd = hit.exactJd;
    h.startJd = hit.startJd;
    h.endJd = hit.endJd;
    h.pass = PassNumber(hit.pass);
    h.movingPoint = hit.movingPoint;
    h.secondPoint = hit.secondPoint;
    h.aspect = hit.aspect;
    out.hits.push_back(h);
  }
  return out;
}

long long LocalSecondsOf(double jd, double timeZoneHours) {
  // The same arithmetic as the date and time texts: a microday added against rounding down,
  // the day from the Julian day number, the time of day rounded to the second.
  double local = jd - timeZoneHours / 24.0 + 0.000001;
  double dayNumber = std::floor(local + 0.5);
  double hour = (local - dayNumber + 0.5) * 24.0;
  return static_cast<long long>(dayNumber) * kSecondsPerDay + std::llround(hour * 3600.0);
}

long long MidnightSecondsOf(const CivilDate& d) {
  using namespace date;
  sys_days day = year{d.year} / month{static_cast<unsigned>(d.month)} / date::day{static_cast<unsigned>(d.day)};
  return (day.time_since_epoch().count() + kJulianDayOf1970) * kSecondsPerDay;
}

namespace {

// Transit-to-transit rows of the same two points and aspect at the same moment are one aspect
// seen from either point: the later row in grid order is left out. `exact` holds the hits'
// exact moments in local seconds.
std::vector<bool> TwinsLeftOut(const HotspotHits& in, const std::vector<long long>& exact, int& merged) {
  const size_t n = in.hits.size();
  std::vector<bool> skip(n, false), paired(n, false);
  std::vector<size_t> pairRows;
  for (size_t k = 0; k < n; ++k)
    if (in.hits[k].pass == 1) pairRows.push_back(k);
  auto key = [&](size_t k) {
    const HotspotHit& h = in.hits[k];
    return std::tuple(std::min(h.movingPoint, h.secondPoint), std::max(h.movingPoint, h.secondPoint), h.aspect,
                      exact[k], k);
  };
  std::sort(pairRows.begin(), pairRows.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
  for (size_t p = 0; p < pairRows.size(); ++p) {
    const size_t a = pairRows[p];
    const HotspotHit& ha = in.hits[a];
    for (size_t q = p + 1; q < pairRows.size() && !paired[a]; ++q) {
      const size_t b = pairRows[q];
      const HotspotHit& hb = in.hits[b];
      if (std::min(hb.movingPoint, hb.secondPoint) != std::min(ha.movingPoint, ha.secondPoint) ||
          std::max(hb.movingPoint, hb.secondPoint) != std::max(ha.movingPoint, ha.secondPoint) ||
          hb.aspect != ha.aspect || exact[b] - exact[a] > kTwinToleranceSeconds)
        break;
      if (!paired[b] && ha.movingPoint == hb.secondPoint && ha.secondPoint == hb.movingPoint) {
        paired[a] = paired[b] = true;
        skip[std::max(a, b)] = true;
        ++merged;
      }
    }
  }
  return skip;
}

std::vector<long long> ExactSeconds(const HotspotHits& in) {
  std::vector<long long> exact(in.hits.size());
  for (size_t k = 0; k < in.hits.size(); ++k) exact[k] = LocalSecondsOf(in.hits[k].exactJd, in.timeZoneHours);
  return exact;
}

}  // namespace

std::vector<Interval> PeriodsInForce(const HotspotHits& in) {
  int merged = 0;
  const std::vector<bool> skip = TwinsLeftOut(in, ExactSeconds(in), merged);
  std::vector<Interval> periods;
  periods.reserve(in.hits.size());
  for (size_t k = 0; k < in.hits.size(); ++k) {
    if (skip[k]) continue;
    const HotspotHit& h = in.hits[k];
    periods.push_back({h.startJd.value_or(h.exactJd - MissingPeriodDays), h.endJd.value_or(h.exactJd + MissingPeriodDays)});
  }
  return periods;
}

HotspotCount CountHotspots(const HotspotHits& in, const CivilDate& date) {
  HotspotCount result;
  const size_t n = in.hits.size();
  const std::vector<long long> exact = ExactSeconds(in);
  const std::vector<bool> skip = TwinsLeftOut(in, exact, result.twinsMerged);

  // One pass over the hits into a difference array over the minutes.
  const long long midnight = MidnightSecondsOf(date);
  std::array<int, MinutesPerDay + 1> change{};
  constexpr long long kMissing = MissingPeriodDays * kSecondsPerDay;
  for (size_t k = 0; k < n; ++k) {
    if (skip[k]) continue;
    const HotspotHit& h = in.hits[k];
    long long start = h.startJd ? LocalSecondsOf(*h.startJd, in.timeZoneHours) : exact[k] - kMissing;
    long long end = h.endJd ? LocalSecondsOf(*h.endJd, in.timeZoneHours) : exact[k] + kMissing;
    // Minute m (at midnight + 60 m) is counted when start <= it <= end.
    long long first = std::max<long long>(CeilDiv(start - midnight, 60), 0);
    long long last = std::min<long long>(FloorDiv(end - midnight, 60), MinutesPerDay - 1);
    if (first > last) continue;
    ++change[static_cast<size_t>(first)];
    --change[static_cast<size_t>(last) + 1];
  }
  int running = 0;
  for (int m = 0; m < MinutesPerDay; ++m) {
    running += change[static_cast<size_t>(m)];
    result.counts[static_cast<size_t>(m)] = running;
  }
  return result;
}

}  // namespace kesmora
