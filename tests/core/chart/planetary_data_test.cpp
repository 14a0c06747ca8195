// "Calculate planetary data": reading the blocks, the input checks and the saved charts.
#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/chart/planetary_data.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kesmora {
namespace {

// 22 Sep 1949, 10:43 AM, zone 6.35889, 95 deg 23 min West, 29 deg 45 min North.
PersonFields Natal() {
  PersonFields f;
  f.name = "Example";
  f.month = "9", f.day = "22", f.year = "1949";
  f.hour = "10", f.minute = "43", f.half = HalfDay::AM;
  f.timeZone = "6.35889";
  f.longDeg = "95", f.longMin = "23", f.east = false;
  f.latDeg = "29", f.latMin = "45", f.south = false;
  return f;
}

// 7 Mar 2021, 12:00 PM at Greenwich.
PersonFields Transit() {
  PersonFields f;
  f.name = "Transits - Now";
  f.month = "3", f.day = "7", f.year = "2021";
  f.hour = "12", f.minute = "0", f.half = HalfDay::PM;
  f.timeZone = "0";
  f.longDeg = "0", f.longMin = "0";
  f.latDeg = "51", f.latMin = "30";
  return f;
}

// ---- Hour, zone and place ----------------------------------------------------------------

struct HourCase {
  const char* hour;
  const char* minute;
  HalfDay half;
  const char* zone;
  float utHour;
  float minuteValue;
};

class ChartInputsHourTest : public ::testing::TestWithParam<HourCase> {};

TEST_P(ChartInputsHourTest, ConvertsTwelveHourClockToUniversalTime) {
  const HourCase& c = GetParam();
  PersonFields f = Natal();
  f.hour = c.hour, f.minute = c.minute, f.half = c.half, f.timeZone = c.zone;
  PersonReading r = ReadPersonFields(f, DateOrder::MonthDayYear);
  ChartInputs in = ChartInputsOf(f, r);
  EXPECT_NEAR(in.hour, c.utHour, 1e-5);
  EXPECT_FLOAT_EQ(in.minute, c.minuteValue);
}

INSTANTIATE_TEST_SUITE_P(
    Clock, ChartInputsHourTest,
    ::testing::Values(HourCase{"12", "30", HalfDay::AM, "0", 0, 30}, HourCase{"12", "30", HalfDay::PM, "0", 12, 30},
                      HourCase{"1", "15", HalfDay::PM, "0", 13, 15}, HourCase{"11", "59", HalfDay::AM, "0", 11, 59},
                      HourCase{"0", "10", HalfDay::AM, "0", 0, 10}, HourCase{"0", "10", HalfDay::PM, "0", 12, 10},
                      HourCase{"3", "20", HalfDay::Unknown, "0", 12, 0},
                      HourCase{"10", "43", HalfDay::AM, "6.35889", 16.35889f, 43},
                      HourCase{"5", "0", HalfDay::PM, "-5.5", 11.5f, 0}));

TEST(ReadPersonFields, UnknownTimeWritesNoonIntoTheFields) {
  PersonFields f = Natal();
  f.half = HalfDay::Unknown;
  ReadPersonFields(f, DateOrder::MonthDayYear);
  EXPECT_EQ(f.hour, "12");
  EXPECT_EQ(f.minute, "0");
}

TEST(ReadPersonFields, SampleTimeGivesUniversalTimeOfAbout17Hours) {
  PersonFields f = Natal();
  ChartInputs in = ChartInputsOf(f, ReadPersonFields(f, DateOrder::MonthDayYear));
  // 22 Sep 1949 at 0h UT is JD 2433181.5.
  EXPECT_NEAR((JulianDayOf(in) - 2433181.5) * 24, 17.0756, 1e-4);
}

TEST(ReadPersonFields, PlaceSignsAndDirectionTexts) {
  PersonFields f = Natal();
  PersonReading r = ReadPersonFields(f, DateOrder::MonthDayYear);
  ChartInputs in = ChartInputsOf(f, r);
  EXPECT_EQ(r.eastWest, "West");
  EXPECT_EQ(r.northSouth, "North");
  EXPECT_NEAR(in.longitude, -95.38333, 1e-5);
  EXPECT_NEAR(in.latitude, 29.75, 1e-12);

  f.east = true, f.south = true;
  r = ReadPersonFields(f, DateOrder::MonthDayYear);
  in = ChartInputsOf(f, r);
  EXPECT_EQ(r.eastWest, "East");
  EXPECT_EQ(r.northSouth, "South");
  EXPECT_NEAR(in.longitude, 95.38333, 1e-5);
  EXPECT_NEAR(in.latitude, -29.75, 1e-12);

  f.longDeg = "0", f.longMin = "0";  // zero East counts as West
  EXPECT_EQ(ReadPersonFields(f, DateOrder::MonthDayYear).eastWest, "West");
}

TEST(ReadPersonFields, DateTextAsTypedInSystemOrder) {
  PersonFields f = Natal();
  EXPECT_EQ(ReadPersonFields(f, DateOrder::MonthDayYear).dateText, "9/22/1949");
  EXPECT_EQ(ReadPersonFields(f, DateOrder::DayMonthYear).dateText, "22/9/1949");
  EXPECT_EQ(ReadPersonFields(f, DateOrder::YearMonthDay).dateText, "1949/9/22");
  PersonReading r = ReadPersonFields(f, DateOrder::MonthDayYear);
  EXPECT_EQ(r.day, 22);
  EXPECT_EQ(r.month, 9);
  EXPECT_EQ(r.year, 1949);
  EXPECT_NEAR(r.timeZone, 6.35889, 1e-6);
}

// ---- Checks ------------------------------------------------------------------------------

struct CheckCase {
  const char* name;
  std::function<void(PersonFields& natal, PersonFields& transit)> change;
  int natalMessages;
  int diurnalMessages;
  const char* fields;  // the field lines of all messages, in order, "|" between them
};

class CheckPersonFieldsTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckPersonFieldsTest, OneMessagePerFailedCheckNamingItsFields) {
  PersonFields natal = Natal(), transit = Transit();
  GetParam().change(natal, transit);
  int n = 0, d = 0;
  std::string fields;
  for (const std::string& m : CheckPersonFields(natal, transit)) {
    std::string head = m.substr(0, m.find('\n'));
    if (head == NatalInputError) ++n;
    else if (head == DiurnalInputError) ++d;
    else ADD_FAILURE() << m;
    std::string rest = m.substr(head.size());
    for (char& c : rest) c = c == '\n' ? '|' : c;
    fields += rest;
  }
  EXPECT_EQ(n, GetParam().natalMessages);
  EXPECT_EQ(d, GetParam().diurnalMessages);
  EXPECT_EQ(fields.empty() ? fields : fields.substr(1), GetParam().fields);
}

using P = PersonFields;
INSTANTIATE_TEST_SUITE_P(
    Fields, CheckPersonFieldsTest,
    ::testing::Values(
        CheckCase{"Valid", [](P&, P&) {}, 0, 0, ""},
        CheckCase{"Month13AndEmptyMinute", [](P&, P& t) { t.month = "13", t.minute = ""; }, 0, 2,
                  "Birth Min: empty|Month: 13 (above 12)"},
        CheckCase{"ZoneMinus3West", [](P& n, P&) { n.timeZone = "-3"; }, 1, 0, "Time Zone: -3 (below -2 with West)"},
        CheckCase{"ZoneMinus2West", [](P& n, P&) { n.timeZone = "-2"; }, 0, 0, ""},
        CheckCase{"ZoneMinus3East", [](P& n, P&) { n.timeZone = "-3", n.east = true; }, 0, 0, ""},
        CheckCase{"ZoneMinus14West", [](P& n, P&) { n.timeZone = "-14"; }, 2, 0,
                  "Time Zone: -14 (below -2 with West)|Time Zone: -14 (below -13)"},
        CheckCase{"ZoneAbove12", [](P&, P& t) { t.timeZone = "12.5"; }, 0, 1, "Time Zone: 12.5 (above 12)"},
        CheckCase{"Minute60Passes", [](P& n, P&) { n.minute = "60"; }, 0, 0, ""},
        CheckCase{"Minute61", [](P& n, P&) { n.minute = "61"; }, 1, 0, "Birth Min: 61 (above 60)"},
        CheckCase{"Hour13", [](P&, P& t) { t.hour = "13"; }, 0, 1, "Birth Hour: 13 (above 12)"},
        CheckCase{"Hour25", [](P&, P& t) { t.hour = "25"; }, 0, 1, "Birth Hour: 25 (above 12)"},
        CheckCase{"NegativeHourAndMinute", [](P& n, P&) { n.hour = "-1", n.minute = "-5"; }, 1, 0,
                  "Birth Hour: -1 (below 0)|Birth Min: -5 (below 0)"},
        CheckCase{"HugeHour", [](P& n, P&) { n.hour = "1e300"; }, 1, 0, "Birth Hour: 1e300 (above 12)"},
        CheckCase{"NegativeMonth", [](P& n, P&) { n.month = "-1"; }, 1, 0, "Month: -1 (below 0)"},
        CheckCase{"DayAndYearOneCheck", [](P& n, P&) { n.day = "32", n.year = "2100"; }, 1, 0,
                  "Day: 32 (above 31)|Year: 2100 (above 2099)"},
        CheckCase{"February31", [](P& n, P&) { n.month = "2", n.day = "31"; }, 1, 0,
                  "Day: 31 (no such day in 2/1949)"},
        CheckCase{"February29OfALeapYear", [](P&, P& t) { t.month = "2", t.day = "29", t.year = "2024"; }, 0, 0, ""},
        CheckCase{"DayZero", [](P&, P& t) { t.day = "0"; }, 0, 1, "Day: 0 (no such day in 3/2021)"},
        CheckCase{"MonthZero", [](P& n, P&) { n.month = "0"; }, 1, 0, "Month: 0 (no such month)"},
        CheckCase{"EmptyDay", [](P& n, P&) { n.day = ""; }, 1, 0, "Day: empty"},
        CheckCase{"EmptyZone", [](P&, P& t) { t.timeZone = ""; }, 0, 1, "Time Zone: empty"},
        CheckCase{"EmptyLongMin", [](P& n, P&) { n.longMin = ""; }, 1, 0, "Long Min: empty"},
        CheckCase{"EmptyLatDeg", [](P&, P& t) { t.latDeg = ""; }, 0, 1, "Lat Deg: empty"},
        CheckCase{"LongDeg181", [](P& n, P&) { n.longDeg = "181"; }, 1, 0, "Long Deg: 181 (above 180)"},
        CheckCase{"LongDeg180Min30", [](P& n, P&) { n.longDeg = "180", n.longMin = "30"; }, 1, 0,
                  "Long Min: 30 (beyond 180 degrees)"},
        CheckCase{"LongMin60", [](P& n, P&) { n.longMin = "60"; }, 1, 0, "Long Min: 60 (above 59)"},
        CheckCase{"LatMin60", [](P&, P& t) { t.latMin = "60"; }, 0, 1, "Lat Min: 60 (above 59)"},
        CheckCase{"LatDeg95", [](P&, P& t) { t.latDeg = "95"; }, 0, 1, "Lat Deg: 95 (above 90)"},
        CheckCase{"LatDeg90Passes", [](P&, P& t) { t.latDeg = "90", t.latMin = "0"; }, 0, 0, ""},
        CheckCase{"HugeLongitude", [](P& n, P&) { n.longDeg = "1e300"; }, 1, 0, "Long Deg: 1e300 (above 180)"},
        CheckCase{"BothBlocks", [](P& n, P& t) { n.hour = ""; t.day = "40"; }, 1, 1, "Birth Hour: empty|Day: 40 (above 31)"}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(CheckPersonFields, MessagesInShowingOrder) {
  PersonFields natal = Natal(), transit = Transit();
  natal.month = "13";   // natal range
  transit.hour = "";    // transit presence
  EXPECT_EQ(CheckPersonFields(natal, transit),
            (std::vector<std::string>{std::string(DiurnalInputError) + "\nBirth Hour: empty",
                                      std::string(NatalInputError) + "\nMonth: 13 (above 12)"}));
}

// ---- The whole operation -----------------------------------------------------------------

class PlanetaryDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareEphemeris(scratch.path());
    LoadReferenceData(s.tables, test::ShippedDataDir());
    s.chart.Size(s.tables.NumPlanetsUsed());
    s.person1 = Natal();
    s.person2 = Transit();
  }
  test::ScratchDir scratch;
  Session s;
  RecordingInterface ui;
};

TEST_F(PlanetaryDataTest, FailedChecksShowWarningsAndKeepSavedCharts) {
  s.chart.natalLon[1] = 42;
  s.chart.transitLon[1] = 43;
  s.chart.natalJulianDay = 1;
  s.person2.month = "13";
  s.person2.minute = "";
  EXPECT_FALSE(CalculatePlanetaryData(s, ui));
  ASSERT_EQ(ui.messages.size(), 2u);
  for (const Message& m : ui.messages) {
    EXPECT_EQ(m.title, "Warning!");
    EXPECT_EQ(m.text.rfind(DiurnalInputError, 0), 0u) << m.text;
    EXPECT_EQ(m.icon, MessageIcon::Information);
  }
  EXPECT_EQ(s.chart.natalLon[1], 42);
  EXPECT_EQ(s.chart.transitLon[1], 43);
  EXPECT_EQ(s.chart.natalJulianDay, 1);
  EXPECT_FALSE(s.chartsComputed);
  EXPECT_EQ(ui.busyCount, 0);
}

TEST_F(PlanetaryDataTest, GoodRunSavesNatalAndTransitCharts) {
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(s.chartsComputed);
  EXPECT_EQ(ui.busyCount, 1);
  EXPECT_FALSE(ui.busyNow);

  const size_t size = static_cast<size_t>(s.tables.NumPlanetsUsed()) + 1;
  EXPECT_EQ(s.chart.natalLon.size(), size);
  EXPECT_EQ(s.chart.transitLon.size(), size);
  EXPECT_EQ(s.chart.natalDecl.size(), size);
  EXPECT_NEAR(s.chart.natalJulianDay, 2433181.5 + 17.0755567 / 24, 1e-6);
  EXPECT_NEAR(s.chart.transitJulianDay, 2459281.0, 1e-9);
  // The Sun a day before the September 1949 equinox, and in Pisces in early March 2021.
  EXPECT_GT(s.chart.natalLon[1], 178.5);
  EXPECT_LT(s.chart.natalLon[1], 180.0);
  EXPECT_GT(s.chart.transitLon[1], 330.0);
  EXPECT_LT(s.chart.transitLon[1], 360.0);
  EXPECT_NE(s.chart.natalDecl[1], 0);

  EXPECT_NEAR(s.chart.natalPlace.longitude, -95.38333, 1e-5);
  EXPECT_NEAR(s.chart.natalPlace.latitude, 29.75, 1e-9);
  EXPECT_NEAR(s.chart.transitPlace.latitude, 51.5, 1e-9);
  // The working chart and its inputs are left on the transit chart.
  EXPECT_EQ(s.chart.inputs.year, 2021);
  EXPECT_EQ(s.chart.planetLon[1], s.chart.transitLon[1]);
  EXPECT_EQ(s.transitDateText, "3/7/2021");
  EXPECT_EQ(s.chart.natalRetrograde[13], 'R');  // mean node
  EXPECT_EQ(s.chart.transitRetrograde[13], 'R');
}

TEST_F(PlanetaryDataTest, GridRowsShowBothChartsWithRetrogradeMarks) {
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  std::vector<PlanetGridRow> rows = PlanetGridRows(s);
  ASSERT_EQ(rows.size(), 52u);
  EXPECT_EQ(rows[0].index, 1);
  EXPECT_EQ(rows[0].name, "Sun");
  EXPECT_EQ(rows[0].natal, FormatLongitude(s.chart.natalLon[1]) + "  ");
  EXPECT_EQ(rows[0].transit, FormatLongitude(s.chart.transitLon[1]) + "  ");
  EXPECT_EQ(rows[13].index, 14);
  EXPECT_EQ(rows[13].natal, FormatLongitude(s.chart.natalLon[14]) + " R");
  EXPECT_EQ(rows[13].transit, FormatLongitude(s.chart.transitLon[14]) + " R");
  EXPECT_EQ(rows[51].name, s.tables.Planet(52).name);
}

// Every calculation starts the data window's lines afresh: Save and "Print data" carry no
// earlier person's reports.
TEST_F(PlanetaryDataTest, ACalculationEmptiesTheOutputBuffer) {
  s.output.outLine = "an earlier report";
  s.output.AddOutLine();
  s.output.AddOutLine();
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  EXPECT_EQ(s.output.AllLineCount(), 0);
  EXPECT_EQ(s.output.PageLineCount(), 0);
}

TEST_F(PlanetaryDataTest, APositionTheEphemerisCannotGiveShowsAsNotAvailable) {
  s.person1.year = "1700";
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  std::vector<PlanetGridRow> rows = PlanetGridRows(s);
  EXPECT_EQ(rows[11].name, "Chiron");
  EXPECT_EQ(rows[11].natal, "n/a  ");
  EXPECT_NE(rows[11].transit, "n/a  ");
  EXPECT_NE(rows[0].natal.substr(0, 3), "n/a");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Information");
  EXPECT_EQ(ui.messages[0].text.rfind("Chiron, Pholus, Ceres, Pallas, Juno and Vesta cannot be computed on 22 Sep 1700", 0), 0u)
      << ui.messages[0].text;
}

TEST_F(PlanetaryDataTest, UnknownTimeComputesLocalNoon) {
  s.person1.half = HalfDay::Unknown;
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  EXPECT_EQ(s.person1.hour, "12");
  EXPECT_EQ(s.person1.minute, "0");
  EXPECT_NEAR(s.chart.natalJulianDay, 2433181.5 + (12 + 6.35889) / 24, 1e-6);
}

TEST_F(PlanetaryDataTest, MinuteSixtyCarriesIntoTheNextHour) {
  s.person2.minute = "60";
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  EXPECT_NEAR(s.chart.transitJulianDay, 2459281.0 + 1.0 / 24, 1e-9);
}

}  // namespace
}  // namespace kesmora
