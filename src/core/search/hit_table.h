#pragma once
// The pass table, which collects the hits of the pass that is running, and the run table,
// which collects the hits of every pass of a run.
#include "core/search/hit.h"

#include <stdexcept>
#include <vector>

namespace kesmora {

inline constexpr int MaxHitRows = 32767;

// A run would pass the table's size: the run stops with this message.
class HitTableFull : public std::runtime_error {
 public:
  HitTableFull();
};

class HitTables {
 public:
  // `limit` is the most hits a table holds; only measurements of very large runs raise it.
  explicit HitTables(int limit = MaxHitRows) : limit_(limit) {}
  void StartRun();
  void StartPass();
  void AppendHit(const Hit& hit);
  // The pass's hits join the run's, in the order found.
  void AddPassToRun();

  std::vector<Hit>& PassHits() { return pass_; }
  std::vector<Hit>& RunHits() { return run_; }
  const std::vector<Hit>& PassHits() const { return pass_; }
  const std::vector<Hit>& RunHits() const { return run_; }
  int PassHitCount() const { return static_cast<int>(pass_.size()); }
  int HitCount() const { return static_cast<int>(run_.size()); }

 private:
  std::vector<Hit> pass_, run_;
  int limit_;
};

// Sorts hits first..last (counted from 1) by exact time with the program's quicksort, whose
// order for equal times the reports and grids have always shown.
void SortHitsByTime(std::vector<Hit>& hits, int first, int last);

}  // namespace kesmora
