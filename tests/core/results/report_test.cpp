// The text report of a pass, byte for byte.
#include "core/results/results_fixture.h"
#include "core/results/results.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

using test::RowSpec;

std::string Report(const std::vector<RowSpec>& specs, int pass, DateOrder order = DateOrder::DayMonthYear) {
  std::vector<HitRow> rows = test::MakeTable(specs);
  return ReportPassHits(rows, static_cast<int>(specs.size()), pass, test::SmallNames(), test::SmallTables(), order);
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

struct HeadingCase {
  int pass;
  const char* heading;
};

class EmptyPassReport : public ::testing::TestWithParam<HeadingCase> {};

TEST_P(EmptyPassReport, IsTheHeadingBetweenLineBreaks) {
  EXPECT_EQ(Report({}, GetParam().pass), std::string("\r\n") + GetParam().heading + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Passes, EmptyPassReport,
    ::testing::Values(HeadingCase{0, "  Aspects found - transit to natal:"},
                      HeadingCase{1, "  Aspects found - transit to transit:"},
                      HeadingCase{2, "  Aspects found - transit deg to natal deg:"},
                      HeadingCase{3, "  Aspects found - transit to transit Auspicious Points:"},
                      HeadingCase{4, "  Aspects found - transit to transit Lunar Mansions (Nakshatras):"},
                      HeadingCase{5, "  Aspects found - transit planets to natal midpoints:"},
                      HeadingCase{6, "  Aspects found - transit midpoints to natal midpoints:"}),
    [](const auto& info) { return "pass" + std::to_string(info.param.pass); });

class PairPassReport : public ::testing::TestWithParam<const char*> {};

TEST_P(PairPassReport, ThreeHitsOnTwoDays) {
  std::string pass = GetParam();
  std::string block = Report({{"1", "8", "2", "01/03/2024 09:00:00", pass, "7.5", "245.25", ""},
                              {"3", "14", "4", "01/03/2024 17:45:10", pass, "0", "359.99994", ""},
                              {"2", "0", "1", "02/03/2024 00:00:01", pass, "100.123456", "12", ""}},
                             std::stoi(pass));
  std::string heading = pass == "0" ? "  Aspects found - transit to natal:" : "  Aspects found - transit to transit:";
  EXPECT_EQ(block,
            "\r\n" + heading + "\r\n"
            "\r\n"
            "  Sun                       090  Moon                01/03/2024 09:00:00   007.5000   245.2500\r\n"
            "  Mars                      180  Ascendant           01/03/2024 17:45:10   000.0000   359.9999\r\n"
            "\r\n"
            "  Moon                      000  Sun                 02/03/2024 00:00:01   100.1235   012.0000\r\n");
}

INSTANTIATE_TEST_SUITE_P(Passes, PairPassReport, ::testing::Values("0", "1"),
                         [](const auto& info) { return std::string("pass") + info.param; });

TEST(Report, ExactMomentStartsInColumn54ForPassesZeroAndOne) {
  for (const std::string& line : LinesOf(Report({{"2", "10", "1", "05/06/2024 12:00:00", "0", "1", "2", ""}}, 0)))
    if (line.size() > 40) {
      EXPECT_EQ(line.find("05/06/2024"), 53u);
      EXPECT_EQ(line.find("120  Sun"), 28u);
    }
}

class ExtraPassReport : public ::testing::TestWithParam<int> {};

TEST_P(ExtraPassReport, SecondPointPaddedTo26AndExactMomentInColumn62) {
  int pass = GetParam();
  std::string block = Report({{"3", "10", "5", "02/03/2024 10:00:00", std::to_string(pass), "0", "359.99994", ""},
                              {"5", "0", "6", "02/03/2024 11:00:00", std::to_string(pass), "245.25", "7.5", ""}},
                             pass);
  std::vector<std::string> lines = LinesOf(block);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "  Mars                      120  Sun/Moon                    02/03/2024 10:00:00   000.0000   359.9999");
  EXPECT_EQ(lines[4], "  Sun/Moon                  000  Nak-05, pada 2              02/03/2024 11:00:00   245.2500   007.5000");
  EXPECT_EQ(lines[3].find("02/03/2024"), 61u);
}

INSTANTIATE_TEST_SUITE_P(Passes, ExtraPassReport, ::testing::Values(3, 4, 5, 6));

TEST(Report, DegreePairRowShowsTheDegreeAndNoPositions) {
  std::string block = Report({{"4", "0", "123.50", "01/03/2024 09:00:00", "2", "123.5", "123.5", ""}}, 2);
  EXPECT_EQ(block,
            "\r\n  Aspects found - transit deg to natal deg:\r\n"
            "\r\n"
            "  123.50                    000  Ascendant           01/03/2024 09:00:00\r\n");
}

TEST(Report, DegreeRowsCanFollowOtherRowsInOneBlock) {
  // The layout follows field 4 of each row, not the pass of the block.
  std::vector<std::string> lines = LinesOf(Report({{"1", "8", "2", "01/03/2024 09:00:00", "0", "7.5", "245.25", ""},
                                                  {"4", "0", "7", "01/03/2024 10:00:00", "2", "7", "7", ""}},
                                                 0));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4], "  7                         000  Ascendant           01/03/2024 10:00:00");
}

struct OrderCase {
  const char* name;
  DateOrder order;
  const char *day1, *day2;
};

class DayGrouping : public ::testing::TestWithParam<OrderCase> {};

TEST_P(DayGrouping, BlankLineBeforeEachNewDay) {
  const OrderCase& c = GetParam();
  std::string d1 = c.day1, d2 = c.day2;
  std::vector<std::string> lines = LinesOf(Report({{"1", "0", "2", d1 + " 09:00:00", "0", "1", "1", ""},
                                                  {"1", "8", "3", d1 + " 23:59:59", "0", "1", "1", ""},
                                                  {"2", "0", "1", d2 + " 00:00:00", "0", "1", "1", ""},
                                                  {"3", "0", "1", d2 + " 08:00:00", "0", "1", "1", ""}},
                                                 0, c.order));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3].substr(53, 10), d1);
  EXPECT_EQ(lines[4].substr(53, 10), d1);
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6].substr(53, 10), d2);
  EXPECT_EQ(lines[7].substr(53, 10), d2);
}

INSTANTIATE_TEST_SUITE_P(Orders, DayGrouping,
                         ::testing::Values(OrderCase{"month_day_year", DateOrder::MonthDayYear, "03/01/2024", "03/02/2024"},
                                           OrderCase{"day_month_year", DateOrder::DayMonthYear, "31/12/2024", "01/01/2025"},
                                           OrderCase{"year_month_day", DateOrder::YearMonthDay, "2024/03/01", "2024/03/02"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Report, DeclinationRowsGiveNoLineButStartANewDay) {
  std::vector<std::string> lines =
      LinesOf(Report({{"2", "0", "1", "01/03/2024 09:00:00", "0", "1", "1", ""},
                      {"2", "15", "1", "02/03/2024 01:00:00", "", "-23.4", "-23.4", "d"},
                      {"2", "16", "3", "02/03/2024 02:00:00", "", "12.1", "-12.1", "d"},
                      {"1", "0", "2", "02/03/2024 09:00:00", "0", "1", "1", ""},
                      {"1", "15", "2", "03/03/2024 09:00:00", "", "1", "1", "d"}},
                     0));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1], "  Aspects found - transit to natal:");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3].substr(53), "01/03/2024 09:00:00   001.0000   001.0000");
  EXPECT_EQ(lines[4], "");  // the parallels of 2 March
  EXPECT_EQ(lines[5].substr(0, 7), "  Sun  ");
  EXPECT_EQ(lines[6], "");  // the parallel of 3 March
}

TEST(Report, LongPartsAreNeverCut) {
  std::vector<std::string> lines =
      LinesOf(Report({{"7", "10", "7", "01/03/2024 09:00:00", "0", "1", "2", ""},
                      {"7", "10", "7", "01/03/2024 09:00:00", "5", "1", "2", ""},
                      {"1", "0", "123.456789012345678901234567", "01/03/2024 09:00:00", "2", "1", "2", ""}},
                     0));
  ASSERT_EQ(lines.size(), 6u);
  const std::string name = "A point with a long, long name";
  EXPECT_EQ(lines[3], "  " + name + "120  " + name + "01/03/2024 09:00:00   001.0000   002.0000");
  EXPECT_EQ(lines[4], "  " + name + "120  " + name + "01/03/2024 09:00:00   001.0000   002.0000");
  EXPECT_EQ(lines[5], "  123.456789012345678901234567000  Sun               01/03/2024 09:00:00");
}

struct DegreesCase {
  const char* field;
  const char* text;
};

class DegreesFormat : public ::testing::TestWithParam<DegreesCase> {};

TEST_P(DegreesFormat, ThreeIntegerDigitsAndFourDecimals) {
  std::string line = LinesOf(Report({{"1", "0", "2", "01/03/2024 09:00:00", "0", GetParam().field, "0", ""}}, 0))[3];
  EXPECT_EQ(line.substr(75, 8), GetParam().text) << line;
}

INSTANTIATE_TEST_SUITE_P(Values, DegreesFormat,
                         ::testing::Values(DegreesCase{"7.5", "007.5000"}, DegreesCase{"245.25", "245.2500"},
                                           DegreesCase{"0", "000.0000"}, DegreesCase{"12", "012.0000"},
                                           DegreesCase{"99.99996", "100.0000"}, DegreesCase{"0.00004", "000.0000"},
                                           DegreesCase{"359.12344", "359.1234"}, DegreesCase{"359.99996", "000.0000"}));

}  // namespace
}  // namespace kesmora
