#include "core/search/hit_table.h"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

namespace kesmora {

HitTableFull::HitTableFull(int limit)
    : std::runtime_error(fmt::format(
          "This run found more than {} aspects, more than the results can hold. Please search "
          "fewer days, planets or aspects.", limit)),
      limit_(limit) {}

void HitTables::StartRun() {
  run_.clear();
  committed_ = 0;
}

// A pass that was not added to the run leaves nothing behind.
void HitTables::StartPass() { run_.resize(static_cast<size_t>(committed_)); }

int HitTables::PassRoom() const { return std::min(limit_ - 1, limit_ - committed_); }

void HitTables::AppendHit(const Hit& hit) {
  if (PassHitCount() >= PassRoom()) throw HitTableFull(limit_);
  run_.push_back(hit);
}

void HitTables::AddPassToRun() { committed_ = static_cast<int>(run_.size()); }

std::span<const Hit> HitTables::PassHits() const {
  return {run_.data() + committed_, run_.size() - static_cast<size_t>(committed_)};
}

namespace {

// Midpoint of lo and hi rounded to the nearest integer, halves to the even one.
int MiddleIndex(int lo, int hi) {
  int sum = lo + hi;
  if (sum % 2 == 0) return sum / 2;
  int below = (sum - 1) / 2;
  return below % 2 == 0 ? below : below + 1;
}

// The quicksort over positions lo..hi (counted from 1) of `rows`, by the time of each.
template <typename Row, typename Time>
void Quicksort(std::vector<Row>& rows, int lo, int hi, const Time& timeOf) {
  auto time = [&](int r) { return timeOf(rows[static_cast<size_t>(r - 1)]); };
  while (lo < hi) {
    double pivot = time(MiddleIndex(lo, hi));
    int i = lo, j = hi;
    while (i <= j) {
      while (time(i) < pivot) ++i;
      while (time(j) > pivot) --j;
      if (i <= j) {
        std::swap(rows[static_cast<size_t>(i - 1)], rows[static_cast<size_t>(j - 1)]);
        ++i;
        --j;
      }
    }
    // Recurse into the smaller part, loop on the larger: the same order, bounded depth.
    if (j - lo < hi - i) {
      if (lo < j) Quicksort(rows, lo, j, timeOf);
      lo = i;
    } else {
      if (i < hi) Quicksort(rows, i, hi, timeOf);
      hi = j;
    }
  }
}

}  // namespace

void SortHitsByTime(std::vector<Hit>& hits, int lo, int hi) {
  Quicksort(hits, lo, hi, [](const Hit& h) { return h.exactJd; });
}

void SortRowsByTime(std::vector<int>& rows, const std::vector<Hit>& hits, int lo, int hi) {
  Quicksort(rows, lo, hi, [&](int row) { return hits[static_cast<size_t>(row)].exactJd; });
}

}  // namespace kesmora
