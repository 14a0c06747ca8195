// The pass and run hit tables, their size limit, the sort by exact time and the number texts.
#include "core/reference/reference_tables.h"
#include "core/search/hit_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kesmora {
namespace {

// A row told apart by field 0, with its exact time in field 9.
HitRow Row(const std::string& label, double jd = 0) {
  HitRow row;
  row[hit::MovingPoint] = label;
  row[hit::ExactJulianDay] = HitNumber(jd);
  return row;
}

// Field 0 of rows lo..hi, joined.
std::string Labels(const std::vector<HitRow>& rows, int lo, int hi) {
  std::string out;
  for (int r = lo; r <= hi; ++r) out += rows[static_cast<size_t>(r)][hit::MovingPoint];
  return out;
}

// A table whose row 0 is unused, as the run keeps it.
std::vector<HitRow> Table(const std::string& labels, const std::vector<double>& times) {
  std::vector<HitRow> rows{HitRow{}};
  for (size_t k = 0; k < labels.size(); ++k) rows.push_back(Row(std::string(1, labels[k]), times[k]));
  return rows;
}

TEST(HitRow, HasTwelveTextFields) { EXPECT_EQ(HitRow{}.size(), static_cast<size_t>(LastHitColumn) + 1); }

TEST(HitTables, PassTableKeepsOneSpareRowWhileOpen) {
  HitTables t;
  t.StartRun();
  t.StartPass();
  EXPECT_EQ(t.PassHitCount(), 1);  // the next free row
  EXPECT_EQ(t.PassRows().size(), 2u);
  t.AppendHit(Row("a"));
  t.AppendHit(Row("b"));
  EXPECT_EQ(t.PassHitCount(), 3);
  ASSERT_EQ(t.PassRows().size(), 4u);
  EXPECT_EQ(t.PassRows()[3], HitRow{});  // the spare
  t.ClosePass();
  EXPECT_EQ(t.PassHitCount(), 2);
  EXPECT_EQ(Labels(t.PassRows(), 1, 2), "ab");
}

TEST(HitTables, FirstPassReplacesTheRunTableLaterPassesAppend) {
  HitTables t;
  // A previous run leaves rows that the next run must not keep.
  t.StartRun();
  t.StartPass();
  for (const char* l : {"x", "y", "z"}) t.AppendHit(Row(l));
  t.ClosePass();
  t.AddPassToRun();
  ASSERT_EQ(t.HitCount(), 3);

  t.StartRun();
  EXPECT_EQ(t.HitCount(), 0);
  t.StartPass();
  t.AppendHit(Row("a"));
  t.AppendHit(Row("b"));
  t.ClosePass();
  t.AddPassToRun();
  EXPECT_EQ(t.HitCount(), 2);
  EXPECT_EQ(Labels(t.RunRows(), 1, 2), "ab");

  t.StartPass();  // a pass that finds nothing changes nothing
  t.ClosePass();
  t.AddPassToRun();
  EXPECT_EQ(t.HitCount(), 2);

  t.StartPass();
  t.AppendHit(Row("c"));
  t.ClosePass();
  t.AddPassToRun();
  ASSERT_EQ(t.HitCount(), 3);
  EXPECT_EQ(Labels(t.RunRows(), 1, 3), "abc");
}

TEST(HitTables, FirstPassWithoutHitsEmptiesTheRunTable) {
  HitTables t;
  t.StartRun();
  t.StartPass();
  t.AppendHit(Row("old"));
  t.ClosePass();
  t.AddPassToRun();
  t.StartRun();
  t.StartPass();
  t.ClosePass();
  t.AddPassToRun();
  EXPECT_EQ(t.HitCount(), 0);
  t.StartPass();
  t.AppendHit(Row("n"));
  t.ClosePass();
  t.AddPassToRun();
  ASSERT_EQ(t.HitCount(), 1);
  EXPECT_EQ(Labels(t.RunRows(), 1, 1), "n");
}

TEST(HitTables, AllTwelveFieldsAreCopiedToTheRun) {
  HitRow full;
  for (size_t f = 0; f < full.size(); ++f) full[f] = "f" + std::to_string(f);
  HitTables t;
  t.StartRun();
  t.StartPass();
  t.AppendHit(full);
  t.ClosePass();
  t.AddPassToRun();
  t.StartPass();
  t.AppendHit(full);
  t.ClosePass();
  t.AddPassToRun();
  ASSERT_EQ(t.HitCount(), 2);
  EXPECT_EQ(t.RunRows()[1], full);
  EXPECT_EQ(t.RunRows()[2], full);
}

TEST(HitTables, APassStopsAtTheLimitInsteadOfWrapping) {
  HitTables t(4);  // a pass holds 3 hits, its counter also counting the spare row
  t.StartRun();
  t.StartPass();
  for (const char* l : {"a", "b", "c"}) t.AppendHit(Row(l));
  EXPECT_THROW(t.AppendHit(Row("d")), HitTableFull);
  EXPECT_EQ(t.PassHitCount(), 4);
  t.ClosePass();
  EXPECT_EQ(t.PassHitCount(), 3);
  EXPECT_EQ(Labels(t.PassRows(), 1, 3), "abc");
}

TEST(HitTables, TheRunStopsWhenAPassWouldTakeItPastTheLimit) {
  HitTables t(4);
  t.StartRun();
  auto pass = [&](std::initializer_list<const char*> labels) {
    t.StartPass();
    for (const char* l : labels) t.AppendHit(Row(l));
    t.ClosePass();
    t.AddPassToRun();
  };
  pass({"a", "b", "c"});
  pass({"d"});  // exactly at the limit
  EXPECT_EQ(t.HitCount(), 4);
  EXPECT_THROW(pass({"e"}), HitTableFull);
  EXPECT_EQ(t.HitCount(), 4);
  EXPECT_EQ(Labels(t.RunRows(), 1, 4), "abcd");
}

TEST(HitTables, FullTableMessageSaysWhatToDo) {
  std::string message = HitTableFull().what();
  EXPECT_NE(message.find("32767"), std::string::npos) << message;
  EXPECT_NE(message.find("fewer"), std::string::npos) << message;
  EXPECT_EQ(message.find('\n'), std::string::npos);
}

TEST(HitTables, DefaultLimitIsTheSixteenBitCount) {
  EXPECT_EQ(MaxHitRows, 32767);
  HitTables t;
  t.StartRun();
  t.StartPass();
  for (int n = 0; n < 32766; ++n) t.AppendHit(HitRow{});
  EXPECT_THROW(t.AppendHit(HitRow{}), HitTableFull);
  t.ClosePass();
  t.AddPassToRun();
  EXPECT_EQ(t.HitCount(), 32766);
  t.StartPass();
  t.AppendHit(HitRow{});
  t.ClosePass();
  t.AddPassToRun();
  EXPECT_EQ(t.HitCount(), 32767);
  t.StartPass();
  t.AppendHit(HitRow{});
  t.ClosePass();
  EXPECT_THROW(t.AddPassToRun(), HitTableFull);
}

// Sorting, worked out by hand from the quicksort (pivot: the middle row, a half rounded to
// the even index).
struct SortCase {
  const char* name;
  std::string labels;
  std::vector<double> times;
  int lo, hi;
  std::string expected;  // labels of the whole table after sorting rows lo..hi
};

class SortHitsByTimeTest : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortHitsByTimeTest, GivesTheQuicksortOrder) {
  const SortCase& c = GetParam();
  std::vector<HitRow> rows = Table(c.labels, c.times);
  SortHitsByTime(rows, c.lo, c.hi);
  EXPECT_EQ(Labels(rows, 1, static_cast<int>(c.labels.size())), c.expected);
  EXPECT_EQ(rows[0], HitRow{});
}

const SortCase kSortCases[] = {
    // Times 1 1 2 1 2 1. Rows 1..6: pivot row 4 (3.5 rounds to 4), time 1; swaps 1<->6 and
    // 2<->4 give F D C B E A, split 1..2 and 3..6. Rows 1..2: pivot row 2 (1.5 -> 2), swap:
    // D F. Rows 3..6 (C B E A): pivot row 4 (4.5 -> 4), time 1; swap 3<->6 gives A B E C,
    // then 4 with itself; rows 5..6 (E C): pivot row 6 (5.5 -> 6), swap: C E.
    // A pivot of row 3 (truncated middle) would give F D A B E C instead.
    {"equal_times_half_to_even", "ABCDEF", {1, 1, 2, 1, 2, 1}, 1, 6, "DFABCE"},
    // All equal: pivot row 2 (2.5 -> 2); swaps 1<->4 and 2<->3 give D C B A; rows 1..2 swap
    // to C D, rows 3..4 (pivot row 4) to A B.
    {"all_equal", "ABCD", {7, 7, 7, 7}, 1, 4, "CDAB"},
    // Distinct times end ascending whatever the start.
    {"distinct", "ABCDE", {5, 3, 4, 1, 2}, 1, 5, "DEBCA"},
    // Only rows 2..4 are sorted; rows 1 and 5 stay.
    {"sub_range", "ABCDE", {9, 3, 2, 1, 0}, 2, 4, "ADCBE"},
    // Real Julian days one second apart sort by their numeric value, not their text.
    {"julian_days", "ABC", {2460370.5 + 2.0 / 86400, 2460370.5, 2460370.5 + 1.0 / 86400}, 1, 3, "BCA"},
    // Nine and ten: the numeric value decides, "10" sorts after "9".
    {"numeric_not_text", "AB", {10, 9}, 1, 2, "BA"},
    // One row: nothing to do.
    {"single", "A", {1}, 1, 1, "A"},
};

INSTANTIATE_TEST_SUITE_P(Tables, SortHitsByTimeTest, ::testing::ValuesIn(kSortCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SortHitsByTime, LargeTableWithManyEqualTimesIsAscendingAndKeepsEveryRow) {
  std::vector<HitRow> rows{HitRow{}};
  for (int n = 0; n < 5000; ++n) rows.push_back(Row(std::to_string(n), (n * 7919) % 37));
  SortHitsByTime(rows, 1, 5000);
  std::vector<bool> seen(5000);
  for (int r = 1; r <= 5000; ++r) {
    if (r > 1) {
      EXPECT_LE(HitValue(rows[static_cast<size_t>(r - 1)][9]), HitValue(rows[static_cast<size_t>(r)][9]));
    }
    seen[static_cast<size_t>(std::stoi(rows[static_cast<size_t>(r)][0]))] = true;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 5000);
}

TEST(SortHitsByTime, AlreadySortedAndReversedTablesOfManyRows) {
  // Deep recursion on ordered input would overflow the stack if it were not bounded.
  for (bool reversed : {false, true}) {
    std::vector<HitRow> rows{HitRow{}};
    for (int n = 0; n < 30000; ++n) rows.push_back(Row("r", reversed ? 30000 - n : n));
    SortHitsByTime(rows, 1, 30000);
    for (int r = 2; r <= 30000; ++r)
      ASSERT_LT(HitValue(rows[static_cast<size_t>(r - 1)][9]), HitValue(rows[static_cast<size_t>(r)][9]));
  }
}

class HitNumberRoundTrip : public ::testing::TestWithParam<double> {};

TEST_P(HitNumberRoundTrip, ReadsBackExactly) {
  double x = GetParam();
  std::string text = HitNumber(x);
  EXPECT_EQ(HitValue(text), x) << text;
  EXPECT_EQ(text.find(','), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Awkward, HitNumberRoundTrip,
    ::testing::Values(0.1 + 0.2, 1.0 / 3, 2460370.5 + 1.0 / 86400, 2451545.0, 359.99999999999994, -23.4392911,
                      1e-300, 1.5e-05, -7.25e-06, std::numeric_limits<double>::denorm_min(),
                      std::numeric_limits<double>::max(), std::numeric_limits<double>::min(), 123456789012345680.0,
                      std::nextafter(1.0, 2.0), 0.0));

TEST(HitNumber, ShortestText) {
  EXPECT_EQ(HitNumber(15), "15");
  EXPECT_EQ(HitNumber(245.25), "245.25");
  EXPECT_EQ(HitNumber(-0.5), "-0.5");
  EXPECT_EQ(HitNumber(0.1 + 0.2), "0.30000000000000004");
}

}  // namespace
}  // namespace kesmora
