#include "core/search/hit_table.h"

#include <fmt/format.h>

#include <utility>

namespace kesmora {

HitTableFull::HitTableFull()
    : std::runtime_error(fmt::format(
          "This run found more than {} aspects, more than the results can hold. Please search "
          "fewer days, planets or aspects.", MaxHitRows)) {}

void HitTables::StartRun() { run_.clear(); }

void HitTables::StartPass() { pass_.clear(); }

void HitTables::AppendHit(const Hit& hit) {
  // The pass table keeps one spare row: it holds one hit fewer than the run table.
  if (PassHitCount() + 1 >= limit_) throw HitTableFull();
  pass_.push_back(hit);
}

void HitTables::AddPassToRun() {
  if (HitCount() + PassHitCount() > limit_) throw HitTableFull();
  run_.insert(run_.end(), pass_.begin(), pass_.end());
}

namespace {

// Midpoint of lo and hi rounded to the nearest integer, halves to the even one.
int MiddleIndex(int lo, int hi) {
  int sum = lo + hi;
  if (sum % 2 == 0) return sum / 2;
  int below = (sum - 1) / 2;
  return below % 2 == 0 ? below : below + 1;
}

}  // namespace

void SortHitsByTime(std::vector<Hit>& hits, int lo, int hi) {
  // Positions count from 1, as the pivot's rounding always has.
  auto time = [&](int r) { return hits[static_cast<size_t>(r - 1)].exactJd; };
  while (lo < hi) {
    double pivot = time(MiddleIndex(lo, hi));
    int i = lo, j = hi;
    while (i <= j) {
      while (time(i) < pivot) ++i;
      while (time(j) > pivot) --j;
      if (i <= j) {
        std::swap(hits[static_cast<size_t>(i - 1)], hits[static_cast<size_t>(j - 1)]);
        ++i;
        --j;
      }
    }
    // Recurse into the smaller part, loop on the larger: the same order, bounded depth.
    if (j - lo < hi - i) {
      if (lo < j) SortHitsByTime(hits, lo, j);
      lo = i;
    } else {
      if (i < hi) SortHitsByTime(hits, i, hi);
      hi = j;
    }
  }
}

}  // namespace kesmora
