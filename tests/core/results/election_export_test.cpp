// The windows of an election written out: times on the transit place's clock in the date order,
// and calendar UIDs that name the chart, the election and the window's start, nothing else.
#include "core/results/election_export.h"

#include "core/reference/reference_tables.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <swephexp.h>

namespace kesmora {
namespace {

const ReferenceTables& Tables() {
  static const ReferenceTables tables = [] {
    ReferenceTables t;
    LoadReferenceData(t, test::ShippedDataDir());
    return t;
  }();
  return tables;
}

ElectionPicture Picture(double zone, double shiftDays = 0, int orb = 2) {
  const double start = swe_julday(2024, 3, 1, 6, SE_GREG_CAL) + shiftDays;  // UT
  Election e;
  e.items = {{Role::Required, 1, TimeOfDay{9 * 60, 17 * 60}},
             {Role::Preferred, 2, AspectInOrb{5, 9, 1, false, static_cast<double>(orb), AspectMotion::Any}}};
  std::vector<ElectionWindow> windows = {{{start, start + 90 / 1440.0}, 1.5, {{1, 67.5}}},
                                         {{start + 1, start + 1 + 20 / 1440.0}, 0, {}}};
  return BuildElectionPicture(e, {{}, {}}, windows, {start - 0.25, start + 2}, zone, nullptr);
}

TEST(ElectionExport, RowsOnTheTransitClock) {
  const ReferenceTables& tables = Tables();
  const std::vector<WindowRow> rows = ElectionWindowRows(Picture(-5.5), tables, DateOrder::DayMonthYear);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1], "01/03/2024 11:30:00");
  EXPECT_EQ(rows[0][2], "01/03/2024 13:00:00");
  EXPECT_EQ(rows[0][3], "90");
  EXPECT_EQ(rows[0][4], "1.50");
  EXPECT_NE(rows[0][5].find("(75%)"), std::string::npos);
  EXPECT_EQ(rows[1][1], "02/03/2024 11:30:00");
  const std::string csv = WindowsCsvText(rows);
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")), R"("#","Start","End","Minutes","Score","Preferred")");
}

// Exported again, the same windows keep their UIDs; another chart, another election or another
// start is another event.
TEST(ElectionExport, CalendarUidsAreStable) {
  const ReferenceTables& tables = Tables();
  auto uids = [&](const ElectionPicture& p, double natal) {
    std::vector<std::string> out;
    for (const CalendarEvent& e : ElectionCalendarEvents(p, tables, DateOrder::MonthDayYear, natal)) out.push_back(e.uid);
    return out;
  };
  const auto first = uids(Picture(-5.5), 2433200.5);
  EXPECT_EQ(uids(Picture(-5.5), 2433200.5), first);
  EXPECT_EQ(uids(Picture(3), 2433200.5), first) << "the zone changes the texts, not the events";
  EXPECT_NE(first[0], first[1]);
  for (const auto& other : {uids(Picture(-5.5), 2433201.5), uids(Picture(-5.5, 0, 3), 2433200.5),
                            uids(Picture(-5.5, 1 / 1440.0), 2433200.5)})
    for (size_t k = 0; k < 2; ++k) EXPECT_NE(other[k], first[k]);
  const auto events = ElectionCalendarEvents(Picture(-5.5), tables, DateOrder::MonthDayYear, 2433200.5);
  EXPECT_EQ(events[0].endUtc - events[0].startUtc, 90 * 60);
}

}  // namespace
}  // namespace kesmora
