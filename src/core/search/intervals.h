#pragma once
// Sets of moments as sorted, disjoint, half-open intervals [startJd, endJd) of UT Julian days,
// and their algebra. Every operation walks its inputs once, so its cost is linear in the
// number of intervals. An interval set is kept normal: sorted by start, no interval empty,
// none touching or overlapping the next.
#include <vector>

namespace kesmora {

struct Interval {
  double startJd = 0;
  double endJd = 0;
  double LengthDays() const { return endJd - startJd; }
  bool operator==(const Interval&) const = default;
};

using IntervalSet = std::vector<Interval>;

// Sorts the intervals, drops the empty ones and joins those that overlap or touch.
IntervalSet Normalized(IntervalSet intervals);
// Whether a set is normal (as Normalized leaves it).
bool IsNormal(const IntervalSet& set);

// The moments in either set, in both, and in the first but not the second.
IntervalSet Union(const IntervalSet& a, const IntervalSet& b);
IntervalSet Intersection(const IntervalSet& a, const IntervalSet& b);
IntervalSet Minus(const IntervalSet& a, const IntervalSet& b);
// The moments of `span` not in the set.
IntervalSet Complement(const IntervalSet& set, Interval span);
// The set cut to the span.
IntervalSet Clipped(const IntervalSet& set, Interval span);
// The total length of the set within the interval, days.
double CoveredDays(const IntervalSet& set, Interval within);
// Whether a moment lies in the set.
bool Contains(const IntervalSet& set, double jd);

// The moments at which at least `least` of the given intervals (in any order, overlapping)
// hold at once; `least` of 0 or less gives the whole of each interval's union.
IntervalSet HeldByAtLeast(const std::vector<Interval>& intervals, int least);

}  // namespace kesmora
