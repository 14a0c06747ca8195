// The texts of a run's hits: the report of a pass and the rows of the data grid, byte for
// byte where the command-line golden files do not reach (every pass and kind of row).
#include "core/results/results.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

// Four planets (1 Sun, 2 Moon, 3 Mars, 4 Ascendant), then extra points 5 "Sun/Moon",
// 6 a degree pair whose natal degree reads "123.50", 7 a point whose name is longer than any
// column.
struct Texts {
  Texts() {
    tables.planets = {PlanetEntry{}, PlanetEntry{"Sun", "g", "", 0, 1}, PlanetEntry{"Moon", "g", "", 1, 2},
                      PlanetEntry{"Mars", "g", "", 4, 5}, PlanetEntry{"Ascendant", "p", "ASC", 0, 15}};
    tables.aspectCaptions = {"000", "018", "030", "036", "040", "045", "060", "072", "090",
                             "108", "120", "135", "144", "150", "180", "par", "c.p"};
    for (const char* name : {"Sun/Moon", "Near zero 123", "A point with a long, long name"}) {
      ExtraPointRow row;
      row.field[8] = std::string(name[0] == 'N' ? "123.50" : "");
      extra.rows.push_back(row);
      extra.names.push_back(name);
    }
  }
  HitTextContext Context(DateOrder order = DateOrder::DayMonthYear) { return HitTextsOf(tables, extra, order, 0); }
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

std::vector<std::string> LinesOf(const std::string& block) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = block.find("\r\n", start)) != std::string::npos) {
    lines.push_back(block.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, block.size()) << "the block does not end with CR LF";
  return lines;
}

TEST(Report, PairPassesPadTheirPartsAndGroupTheDays) {
  Texts t;
  const Pass passes[] = {Pass::TransitToNatal, Pass::TransitToTransit};
  for (Pass pass : passes) {
    std::string block = ReportPassHits({H(1, 8, 2, At(1, 3, 2024, 9), pass, 7.5, 245.25),
                                        H(3, 14, 4, At(1, 3, 2024, 17, 45, 10), pass, 0, 359.99996),
                                        H(2, 0, 1, At(2, 3, 2024, 0, 0, 1), pass, 100.123456, 12)},
                                       pass, t.Context());
    EXPECT_EQ(block, std::string("\r\n") + PassHeading(pass) +
                         "\r\n"
                         "\r\n"
                         "  Sun                       090  Moon                01/03/2024 09:00:00   007.5000   245.2500\r\n"
                         "  Mars                      180  Ascendant           01/03/2024 17:45:10   000.0000   000.0000\r\n"
                         "\r\n"
                         "  Moon                      000  Sun                 02/03/2024 00:00:01   100.1235   012.0000\r\n");
  }
}

TEST(Report, TargetPassesDegreePairsDeclinationsAndLongNames) {
  Texts t;
  std::vector<std::string> lines = LinesOf(ReportPassHits(
      {H(2, 10, 5, At(1, 3, 2024, 10), Pass::TransitToNatalMidpoint, 1, 2),
       H(6, 0, 0, At(1, 3, 2024, 11), Pass::DegreePair, 123.5, 123.5),
       H(2, 15, 1, At(2, 3, 2024, 1), Pass::TransitToNatal, -23.4, -23.4, HitKind::Declination),
       H(7, 10, 7, At(2, 3, 2024, 9), Pass::TransitMidpointToNatalMidpoint, 1, 2)},
      Pass::TransitToNatalMidpoint, t.Context()));
  const std::string name = "A point with a long, long name";
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[3], "  Moon                      120  Sun/Moon                    01/03/2024 10:00:00   001.0000   002.0000");
  EXPECT_EQ(lines[4], "  123.50                    000  Near zero 123       01/03/2024 11:00:00");
  EXPECT_EQ(lines[5], "");  // the parallel's new day gives its blank line, but no line of its own
  EXPECT_EQ(lines[6], "  " + name + "120  " + name + "02/03/2024 09:00:00   001.0000   002.0000");
}

TEST(Report, DayKeysFollowTheDateOrder) {
  Texts t;
  for (auto [order, key] : {std::pair{DateOrder::MonthDayYear, "12/31/2024"}, std::pair{DateOrder::DayMonthYear, "31/12/2024"},
                            std::pair{DateOrder::YearMonthDay, "2024/12/31"}}) {
    std::vector<std::string> lines = LinesOf(ReportPassHits(
        {H(1, 0, 2, At(31, 12, 2024, 23, 59, 59), Pass::TransitToNatal), H(2, 0, 1, At(1, 1, 2025, 0), Pass::TransitToNatal)},
        Pass::TransitToNatal, t.Context(order)));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3].substr(53, 10), key);
    EXPECT_EQ(lines[4], "");
  }
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

struct MansionCase {
  double longitude;
  int mansion, pada;
};

// 27 mansions of 13 deg 20', four padas of 3 deg 20' each.
TEST(GridRows, MansionAndPadaOfALongitude) {
  const MansionCase cases[] = {{0, 1, 1},     {359.99, 27, 4}, {13.34, 2, 1},  {10.0, 1, 4},   {3.3, 1, 1},
                               {3.34, 1, 2},  {26.6, 2, 4},    {120.5, 10, 1}, {186.7, 15, 1}, {351, 27, 2}};
  for (const MansionCase& c : cases) {
    EXPECT_EQ(MansionNumber(c.longitude), c.mansion) << c.longitude;
    EXPECT_EQ(PadaNumber(c.longitude), c.pada) << c.longitude;
  }
}

// Every cell is quoted; a quote inside one (the seconds mark) is doubled, as CSV readers expect.
TEST(Csv, EmptyCellsStayAndQuotesInsideACellAreDoubled) {
  GridRow row{};
  row[0] = "7";  // the row number is not exported
  row[2] = "a\"b";
  row[13] = "end\"";
  EXPECT_EQ(CsvText({row}), "\"\",\"a\"\"b\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"end\"\"\"\r\n");
}

}  // namespace
}  // namespace kesmora
