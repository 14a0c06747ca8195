#pragma once
// Hit rows and the pass and run tables that collect them.
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace kesmora {

// Twelve text fields per hit: 0 moving point, 1 aspect index, 2 second point (or the natal
// degree of a degree pair), 3 exact date and time text, 4 pass number (empty for
// declination hits), 5 and 6 positions, 7 and 8 speeds, 9 exact Julian day, 10 "d" for a
// declination hit, 11 reserved.
using HitRow = std::array<std::string, 12>;

namespace hit {
inline constexpr int MovingPoint = 0, Aspect = 1, SecondPoint = 2, ExactText = 3, Pass = 4;
inline constexpr int MovingPosition = 5, SecondPosition = 6, MovingSpeed = 7, SecondSpeed = 8;
inline constexpr int ExactJulianDay = 9, Declination = 10;
}  // namespace hit

inline constexpr int MaxHitRows = 32767;

// A run would pass the table's size: the run stops with this message.
class HitTableFull : public std::runtime_error {
 public:
  HitTableFull();
};

// The shortest decimal text that reads back as the same number ("15", "245.25").
std::string HitNumber(double value);
double HitValue(const std::string& text);

class HitTables {
 public:
  // `limit` is the most rows a table holds; only measurements of very large runs raise it.
  explicit HitTables(int limit = MaxHitRows);
  void StartRun();
  void StartPass();
  void AppendHit(const HitRow& row);
  void ClosePass();
  void AddPassToRun();

  // Rows 1..count; row 0 is never used.
  std::vector<HitRow>& PassRows() { return pass_; }
  std::vector<HitRow>& RunRows() { return run_; }
  const std::vector<HitRow>& PassRows() const { return pass_; }
  const std::vector<HitRow>& RunRows() const { return run_; }
  int PassHitCount() const { return passHitCount_; }
  int HitCount() const { return hitCount_; }

 private:
  std::vector<HitRow> pass_, run_;
  int limit_;
  int passHitCount_ = 0;
  int hitCount_ = 0;
  bool passAddedThisRun_ = false;
};

// Sorts rows lo..hi by the numeric value of field 9 with the program's quicksort, whose order
// for equal times the reports and grids show.
void SortHitsByTime(std::vector<HitRow>& rows, int lo, int hi);

}  // namespace kesmora
