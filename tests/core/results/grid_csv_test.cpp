// The rows of the data grid and their CSV export.
#include "core/results/results_fixture.h"
#include "core/results/results.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

using test::RowSpec;

std::vector<GridRow> Grid(const std::vector<RowSpec>& specs, const std::vector<AspectSearch::Periods>& periods = {}) {
  std::vector<HitRow> rows = test::MakeTable(specs);
  return GridRowsOf(rows, static_cast<int>(specs.size()), test::SmallNames(), test::SmallTables(), periods);
}

TEST(GridRows, HeaderAndColumns) {
  EXPECT_EQ(GridColumns, 14);
  const char* headers[] = {"#",  "Type", "T. Planet", "Exact T. Position", "LM", "Q", "Asp", "P2 Planet",
                           "Exact P2 Position", "LM", "Q", "Start Period", "Exact Date and Time", "End Period"};
  for (int c = 0; c < GridColumns; ++c) EXPECT_STREQ(GridHeaders[c], headers[c]);
  // Left aligned: the two planets and their positions.
  for (int c = 0; c < GridColumns; ++c) EXPECT_EQ(GridCentred[c], c != 2 && c != 3 && c != 7 && c != 8) << c;
}

TEST(GridRows, NoHitsNoRows) { EXPECT_TRUE(Grid({}).empty()); }

TEST(GridRows, TransitToNatalRow) {
  std::vector<GridRow> g = Grid({{"2", "8", "3", "01/03/2024 09:00:00", "0", "75.5", "245.25", ""}});
  ASSERT_EQ(g.size(), 1u);
  GridRow expected = {"1",        "t. to n.", "Moon",         "15 Gem 30' 00\"", "6", "3", "090",
                      "Mars",     "05 Sag 15' 00\"", "19", "2",   "",  "01/03/2024 09:00:00", ""};
  EXPECT_EQ(g[0], expected);
}

struct TypeCase {
  const char* name;
  std::string pass, moving, decl;
  const char* label;
};

class TypeLabel : public ::testing::TestWithParam<TypeCase> {};

TEST_P(TypeLabel, OfPassAndMovingPoint) {
  const TypeCase& c = GetParam();
  std::vector<GridRow> g = Grid({{c.moving, "0", "1", "01/03/2024 09:00:00", c.pass, "1", "1", c.decl}});
  EXPECT_EQ(g[0][1], c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Passes, TypeLabel,
    ::testing::Values(TypeCase{"planet_to_natal", "0", "4", "", "t. to n."},
                      TypeCase{"midpoint_to_natal", "0", "5", "", "tmp to n."},
                      TypeCase{"planet_to_transit", "1", "2", "", "t. to t."},
                      TypeCase{"midpoint_to_transit", "1", "5", "", "tmp to t."},
                      TypeCase{"degree_pair", "2", "6", "", "t. to t."},
                      TypeCase{"auspicious_point", "3", "6", "", ""}, TypeCase{"lunar_mansion", "4", "6", "", ""},
                      TypeCase{"planet_to_natal_midpoint", "5", "1", "", "t to nmp"},
                      TypeCase{"midpoint_to_natal_midpoint", "6", "5", "", "tmp2nmp"},
                      TypeCase{"declination", "", "2", "d", "t. to n."}, TypeCase{"no_pass", "", "2", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridRows, DeclinationRowHasTwoDecimalsAndNoMansions) {
  std::vector<GridRow> g = Grid({{"2", "15", "1", "01/03/2024 09:00:00", "", "-23.4392911", "5", "d"},
                                 {"3", "16", "2", "01/03/2024 10:00:00", "", "0.004", "-0.004", "d"}});
  EXPECT_EQ(g[0][3], "-23.44");
  EXPECT_EQ(g[0][8], "5.00");
  EXPECT_EQ(g[0][6], "par");
  EXPECT_EQ(g[0][7], "Sun");
  for (int c : {4, 5, 9, 10}) EXPECT_EQ(g[0][static_cast<size_t>(c)], "") << c;
  EXPECT_EQ(g[1][3], "0.00");
  EXPECT_EQ(g[1][8], "0.00");
  EXPECT_EQ(g[1][6], "c.p");
}

struct MansionCase {
  double longitude;
  int mansion, pada;
};

class MansionAndPada : public ::testing::TestWithParam<MansionCase> {};

TEST_P(MansionAndPada, OfALongitude) {
  const MansionCase& c = GetParam();
  EXPECT_EQ(MansionNumber(c.longitude), c.mansion);
  EXPECT_EQ(PadaNumber(c.longitude), c.pada);
  std::string lon = HitNumber(c.longitude);
  std::vector<GridRow> g = Grid({{"1", "0", "2", "01/03/2024 09:00:00", "0", lon, lon, ""}});
  EXPECT_EQ(g[0][4], std::to_string(c.mansion));
  EXPECT_EQ(g[0][5], std::to_string(c.pada));
  EXPECT_EQ(g[0][9], std::to_string(c.mansion));
  EXPECT_EQ(g[0][10], std::to_string(c.pada));
}

// 27 mansions of 13 deg 20', four padas of 3 deg 20' each.
INSTANTIATE_TEST_SUITE_P(Longitudes, MansionAndPada,
                         ::testing::Values(MansionCase{0, 1, 1}, MansionCase{359.99, 27, 4}, MansionCase{13.34, 2, 1},
                                           MansionCase{10.0, 1, 4}, MansionCase{3.3, 1, 1}, MansionCase{3.34, 1, 2},
                                           MansionCase{26.6, 2, 4}, MansionCase{120.5, 10, 1},
                                           MansionCase{186.7, 15, 1}, MansionCase{351, 27, 2}));

TEST(GridRows, DegreePairShowsTheStoredDegree) {
  std::vector<GridRow> g = Grid({{"6", "0", "123.50", "01/03/2024 09:00:00", "2", "123.5", "123.5", ""},
                                 {"6", "0", "4", "01/03/2024 10:00:00", "2", "4", "4", ""},
                                 {"1", "0", "4", "01/03/2024 11:00:00", "0", "4", "4", ""}});
  EXPECT_EQ(g[0][7], "123.50");
  EXPECT_EQ(g[1][7], "4");  // not the name of point 4
  EXPECT_EQ(g[2][7], "Ascendant");
  EXPECT_EQ(g[0][2], "Nak-05, pada 2");
}

TEST(GridRows, PeriodsGoIntoColumns11And13) {
  std::vector<AspectSearch::Periods> periods(3);
  periods[1] = {"01/03/2024 08:00:00", "01/03/2024 10:30:00", {}, {}};
  periods[2] = {"", "01/03/2024 12:00:00", {}, {}};
  std::vector<GridRow> g = Grid({{"1", "0", "2", "01/03/2024 09:00:00", "0", "1", "1", ""},
                                 {"1", "0", "3", "01/03/2024 11:00:00", "0", "1", "1", ""},
                                 {"1", "0", "4", "01/03/2024 13:00:00", "0", "1", "1", ""}},
                                periods);
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[0][11], "01/03/2024 08:00:00");
  EXPECT_EQ(g[0][12], "01/03/2024 09:00:00");
  EXPECT_EQ(g[0][13], "01/03/2024 10:30:00");
  EXPECT_EQ(g[1][11], "");
  EXPECT_EQ(g[1][13], "01/03/2024 12:00:00");
  EXPECT_EQ(g[2][11], "");  // beyond the periods given
  EXPECT_EQ(g[2][13], "");
  EXPECT_EQ(g[2][0], "3");
}

TEST(Csv, NoRowsNoText) { EXPECT_EQ(CsvText({}), ""); }

TEST(Csv, ThirteenQuotedFieldsPerLine) {
  std::vector<AspectSearch::Periods> periods(3);
  periods[1] = {"01/03/2024 08:00:00", "01/03/2024 10:30:00", {}, {}};
  std::vector<GridRow> g = Grid({{"2", "8", "3", "01/03/2024 09:00:00", "0", "75.5", "245.25", ""},
                                 {"2", "15", "1", "01/03/2024 10:00:00", "", "-23.4392911", "5", "d"}},
                                periods);
  EXPECT_EQ(CsvText(g),
            "\"t. to n.\",\"Moon\",\"15 Gem 30' 00\"\"\",\"6\",\"3\",\"090\",\"Mars\",\"05 Sag 15' 00\"\"\",\"19\",\"2\","
            "\"01/03/2024 08:00:00\",\"01/03/2024 09:00:00\",\"01/03/2024 10:30:00\"\r\n"
            "\"t. to n.\",\"Moon\",\"-23.44\",\"\",\"\",\"par\",\"Sun\",\"5.00\",\"\",\"\",\"\","
            "\"01/03/2024 10:00:00\",\"\"\r\n");
}

TEST(Csv, EmptyCellsStayAndQuotesInsideACellAreDoubled) {
  GridRow row{};
  row[0] = "7";  // the row number is not exported
  row[2] = "a\"b";
  row[13] = "end\"";
  EXPECT_EQ(CsvText({row}),
            "\"\",\"a\"\"b\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"end\"\"\"\r\n");
}

}  // namespace
}  // namespace kesmora
