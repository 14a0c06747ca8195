#pragma once
// The pass table, which collects the hits of the pass that is running, and the run table,
// which collects the hits of every pass of a run. The running pass appends to the end of the
// run table: its rows are the pass table until the pass is added to the run.
#include "core/search/hit.h"

#include <span>
#include <stdexcept>
#include <vector>

namespace kesmora {

// The most hits a run holds unless its options say otherwise: the window's grid holds no more.
inline constexpr int MaxHitRowsDefault = 32767;

// A run would pass the table's size: the run stops with this message, which names the limit.
class HitTableFull : public std::runtime_error {
 public:
  explicit HitTableFull(int limit);
  int Limit() const { return limit_; }

 private:
  int limit_;
};

class HitTables {
 public:
  // `limit` is the most hits the run table holds; the pass table holds one fewer.
  explicit HitTables(int limit = MaxHitRowsDefault) : limit_(limit) {}
  int Limit() const { return limit_; }
  void StartRun();
  void StartPass();
  // How many hits the running pass may hold: its table keeps one spare row, and the run's
  // holds no more than the limit.
  int PassRoom() const;
  // Raises HitTableFull when the pass has no room left.
  void AppendHit(const Hit& hit);
  // The pass's hits join the run's, in the order found.
  void AddPassToRun();

  std::span<const Hit> PassHits() const;
  std::vector<Hit>& RunHits() { return run_; }
  const std::vector<Hit>& RunHits() const { return run_; }
  int PassHitCount() const { return static_cast<int>(run_.size()) - committed_; }
  int HitCount() const { return committed_; }

 private:
  std::vector<Hit> run_;
  int committed_ = 0;  // rows of passes added to the run
  int limit_;
};

// Sorts hits first..last (counted from 1) by exact time with the program's quicksort, whose
// order for equal times the reports and grids have always shown.
void SortHitsByTime(std::vector<Hit>& hits, int first, int last);
// The same order for rows of `hits` listed in `rows` (positions first..last of the list are
// sorted), the rows themselves staying where they are.
void SortRowsByTime(std::vector<int>& rows, const std::vector<Hit>& hits, int first, int last);

// Rows of a hit table in the order in which they are shown.
class HitsInOrder {
 public:
  // `order` null: the table's own order.
  explicit HitsInOrder(const std::vector<Hit>& table, const std::vector<int>* order = nullptr)
      : table_(table), order_(order) {}
  size_t size() const { return order_ ? order_->size() : table_.size(); }
  const Hit& operator[](size_t n) const { return order_ ? table_[static_cast<size_t>((*order_)[n])] : table_[n]; }

 private:
  const std::vector<Hit>& table_;
  const std::vector<int>* order_;
};

}  // namespace kesmora
