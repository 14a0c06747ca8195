#include "core/search/hit_table.h"

#include "core/reference/text.h"

#include <fmt/format.h>

#include <utility>

namespace kesmora {

HitTableFull::HitTableFull()
    : std::runtime_error(fmt::format(
          "This run found more than {} aspects, more than the results can hold. Please search "
          "fewer days, planets or aspects.", MaxHitRows)) {}

std::string HitNumber(double value) { return fmt::format("{}", value); }

double HitValue(const std::string& text) { return LeadingNumber(text); }

HitTables::HitTables(int limit) : pass_(1), run_(1), limit_(limit) {}

void HitTables::StartRun() {
  hitCount_ = 0;
  passAddedThisRun_ = false;
  run_.assign(1, HitRow{});
}

void HitTables::StartPass() {
  pass_.assign(2, HitRow{});
  passHitCount_ = 1;
}

void HitTables::AppendHit(const HitRow& row) {
  if (passHitCount_ >= limit_) throw HitTableFull();
  pass_[static_cast<size_t>(passHitCount_)] = row;
  ++passHitCount_;
  pass_.emplace_back();
}

void HitTables::ClosePass() { --passHitCount_; }

void HitTables::AddPassToRun() {
  if (!passAddedThisRun_) {
    run_.assign(pass_.begin(), pass_.begin() + passHitCount_ + 1);
    hitCount_ = passHitCount_;
    passAddedThisRun_ = true;
    return;
  }
  if (hitCount_ + passHitCount_ > limit_) throw HitTableFull();
  run_.insert(run_.end(), pass_.begin() + 1, pass_.begin() + passHitCount_ + 1);
  hitCount_ += passHitCount_;
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

void SortHitsByTime(std::vector<HitRow>& rows, int lo, int hi) {
  while (lo < hi) {
    double pivot = HitValue(rows[static_cast<size_t>(MiddleIndex(lo, hi))][hit::ExactJulianDay]);
    int i = lo, j = hi;
    auto time = [&](int r) { return HitValue(rows[static_cast<size_t>(r)][hit::ExactJulianDay]); };
    while (i <= j) {
      while (time(i) < pivot) ++i;
      while (time(j) > pivot) --j;
      if (i <= j) {
        std::swap(rows[static_cast<size_t>(i)], rows[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    }
    // Recurse into the smaller part, loop on the larger: the same order, bounded depth.
    if (j - lo < hi - i) {
      if (lo < j) SortHitsByTime(rows, lo, j);
      lo = i;
    } else {
      if (i < hi) SortHitsByTime(rows, i, hi);
      hi = j;
    }
  }
}

}  // namespace kesmora
