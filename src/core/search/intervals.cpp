#include "core/search/intervals.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace kesmora {

namespace {

// Appends an interval to a normal set being built in time order, joining it to the last one
// where they touch.
void Append(IntervalSet& out, double startJd, double endJd) {
  if (!(endJd > startJd)) return;
  if (!out.empty() && startJd <= out.back().endJd) {
    out.back().endJd = std::max(out.back().endJd, endJd);
    return;
  }
  out.push_back({startJd, endJd});
}

}  // namespace

IntervalSet Normalized(IntervalSet intervals) {
  std::sort(intervals.begin(), intervals.end(),
            [](const Interval& a, const Interval& b) { return a.startJd < b.startJd; });
  IntervalSet out;
  out.reserve(intervals.size());
  for (const Interval& i : intervals) Append(out, i.startJd, i.endJd);
  return out;
}

bool IsNormal(const IntervalSet& set) {
  for (size_t k = 0; k < set.size(); ++k) {
    if (!(set[k].endJd > set[k].startJd)) return false;
    if (k > 0 && !(set[k].startJd > set[k - 1].endJd)) return false;
  }
  return true;
}

IntervalSet Union(const IntervalSet& a, const IntervalSet& b) {
  IntervalSet out;
  out.reserve(a.size() + b.size());
  size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    const Interval& next = j >= b.size() || (i < a.size() && a[i].startJd <= b[j].startJd) ? a[i++] : b[j++];
    Append(out, next.startJd, next.endJd);
  }
  return out;
}

IntervalSet Intersection(const IntervalSet& a, const IntervalSet& b) {
  IntervalSet out;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    Append(out, std::max(a[i].startJd, b[j].startJd), std::min(a[i].endJd, b[j].endJd));
    // The interval that ends first meets nothing more of the other set.
    if (a[i].endJd < b[j].endJd)
      ++i;
    else
      ++j;
  }
  return out;
}

IntervalSet Minus(const IntervalSet& a, const IntervalSet& b) {
  IntervalSet out;
  size_t j = 0;
  for (const Interval& i : a) {
    double start = i.startJd;
    while (j < b.size() && b[j].endJd <= start) ++j;
    // The intervals of b that overlap i cut it; the last of them may overlap the next i too.
    size_t k = j;
    while (k < b.size() && b[k].startJd < i.endJd) {
      Append(out, start, b[k].startJd);
      start = std::max(start, b[k].endJd);
      if (b[k].endJd > i.endJd) break;
      ++k;
    }
    Append(out, start, i.endJd);
    j = k;
  }
  return out;
}

IntervalSet Complement(const IntervalSet& set, Interval span) { return Minus(IntervalSet{span}, set); }

IntervalSet Clipped(const IntervalSet& set, Interval span) { return Intersection(set, IntervalSet{span}); }

double CoveredDays(const IntervalSet& set, Interval within) {
  auto first = std::lower_bound(set.begin(), set.end(), within.startJd,
                                [](const Interval& i, double jd) { return i.endJd <= jd; });
  double days = 0;
  for (auto it = first; it != set.end() && it->startJd < within.endJd; ++it)
    days += std::max(0.0, std::min(it->endJd, within.endJd) - std::max(it->startJd, within.startJd));
  return days;
}

bool Contains(const IntervalSet& set, double jd) {
  auto it = std::upper_bound(set.begin(), set.end(), jd, [](double t, const Interval& i) { return t < i.startJd; });
  return it != set.begin() && jd < std::prev(it)->endJd;
}

IntervalSet HeldByAtLeast(const std::vector<Interval>& intervals, int least) {
  if (least <= 1) return Normalized(intervals);
  // A sweep over the ends: +1 at each start, -1 at each end; at one moment the ends come
  // before the starts, so that intervals that only touch do not overlap.
  std::vector<std::pair<double, int>> ends;
  ends.reserve(intervals.size() * 2);
  for (const Interval& i : intervals) {
    if (!(i.endJd > i.startJd)) continue;
    ends.emplace_back(i.startJd, +1);
    ends.emplace_back(i.endJd, -1);
  }
  std::sort(ends.begin(), ends.end());
  IntervalSet out;
  int count = 0;
  double since = 0;
  for (const auto& [jd, change] : ends) {
    const int before = count;
    count += change;
    if (before < least && count >= least) since = jd;
    if (before >= least && count < least) Append(out, since, jd);
  }
  return out;
}

}  // namespace kesmora
