// The rows of the data grid, text for text where the command-line golden files do not reach
// (every pass and kind of row).
#include "core/results/results.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

// Four planets (1 Sun, 2 Moon, 3 Mars, 4 Ascendant), then extra points 5 "Sun/Moon" and
// 6 a degree pair whose natal degree reads "123.50".
struct Texts {
  Texts() {
    const PointClass body = PointClass::Planet;
    tables.planets = {PlanetEntry{}, PlanetEntry{"Sun", body, "", 0, 1}, PlanetEntry{"Moon", body, "", 1, 2},
                      PlanetEntry{"Mars", body, "", 4, 5}, PlanetEntry{"Ascendant", PointClass::Point, "ASC", 0, 15}};
    tables.aspectCaptions = {"000", "018", "030", "036", "040", "045", "060", "072", "090",
                             "108", "120", "135", "144", "150", "180", "par", "c.p"};
    extra.points = {{ListKind::MidpointsToNatal, "Sun/Moon", MidpointPair{1, 2}},
                    {ListKind::DegreePairs, "Near zero 123", DegreePair{123, 123.5, "123.50"}}};
  }
  HitTextContext Context() { return HitTextsOf(tables, extra, DateOrder::DayMonthYear, 0); }
  ReferenceTables tables;
  ExtraPoints extra;
};

// A UT moment "dd/mm/yyyy hh:nn:ss" in the day-month-year order.
double At(int day, int month, int year, int hour, int minute = 0, int second = 0) {
  return swe_julday(year, month, day, hour + minute / 60.0 + second / 3600.0, SE_GREG_CAL);
}

Hit H(int moving, int k, int second, double jd, Pass pass, double p = 1, double q = 1,
      HitKind kind = HitKind::Longitude) {
  Hit h;
  h.kind = kind;
  h.pass = pass;
  h.movingPoint = moving, h.aspect = k, h.secondPoint = second;
  h.exactJd = jd, h.movingDeg = p, h.secondDeg = q;
  return h;
}

TEST(GridRows, EveryKindOfRow) {
  Texts t;
  Hit moonMars = H(2, 8, 3, At(1, 3, 2024, 9), Pass::TransitToNatal, 75.5, 245.25);
  moonMars.startJd = At(1, 3, 2024, 8);
  moonMars.endJd = At(1, 3, 2024, 10, 30);
  std::vector<GridRow> g = GridRowsOf(
      {moonMars, H(5, 0, 1, At(1, 3, 2024, 9), Pass::TransitToNatal), H(2, 0, 1, At(1, 3, 2024, 9), Pass::TransitToTransit),
       H(5, 0, 1, At(1, 3, 2024, 9), Pass::TransitToTransit), H(6, 0, 0, At(1, 3, 2024, 9), Pass::DegreePair),
       H(6, 0, 2, At(1, 3, 2024, 9), Pass::AuspiciousPoint), H(6, 0, 2, At(1, 3, 2024, 9), Pass::LunarMansion),
       H(1, 0, 5, At(1, 3, 2024, 9), Pass::TransitToNatalMidpoint),
       H(5, 0, 5, At(1, 3, 2024, 9), Pass::TransitMidpointToNatalMidpoint),
       H(2, 15, 1, At(1, 3, 2024, 9), Pass::TransitToNatal, -23.4392911, 5, HitKind::Declination),
       H(3, 16, 2, At(1, 3, 2024, 9), Pass::TransitToNatal, 0.004, -0.004, HitKind::Declination)},
      t.Context());
  ASSERT_EQ(g.size(), 11u);
  EXPECT_EQ(g[0], (GridRow{"1", "t. to n.", "Moon", "15 Gem 30' 00\"", "6", "3", "090", "Mars", "05 Sag 15' 00\"", "19",
                           "2", "01/03/2024 08:00:00", "01/03/2024 09:00:00", "01/03/2024 10:30:00"}));
  const char* labels[] = {"t. to n.", "tmp to n.", "t. to t.", "tmp to t.", "t. to t.", "", "", "t to nmp", "tmp2nmp",
                          "t. to n.", "t. to n."};
  for (size_t r = 0; r < g.size(); ++r) EXPECT_EQ(g[r][1], labels[r]) << r;
  EXPECT_EQ(g[4][7], "123.50");  // the degree pair's natal degree as its list gives it
  EXPECT_EQ(g[9][3], "-23.44");
  EXPECT_EQ(g[9][8], "5.00");
  EXPECT_EQ(g[10][3], "0.00");
  EXPECT_EQ(g[10][6], "c.p");
  for (int c : {4, 5, 9, 10, 11, 13}) EXPECT_EQ(g[9][static_cast<size_t>(c)], "") << c;
  EXPECT_EQ(g[10][0], "11");
}

}  // namespace
}  // namespace kesmora
