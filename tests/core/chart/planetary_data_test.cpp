// "Calculate planetary data": reading the blocks, the input checks and the saved charts.
#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/app/planetary_data.h"
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
  f.name = "Example", f.month = "9", f.day = "22", f.year = "1949", f.hour = "10", f.minute = "43";
  f.half = HalfDay::AM, f.timeZone = "6.35889";
  f.longDeg = "95", f.longMin = "23", f.east = false, f.latDeg = "29", f.latMin = "45", f.south = false;
  return f;
}

// 7 Mar 2021, 12:00 PM at Greenwich.
PersonFields Transit() {
  PersonFields f;
  f.name = "Transits - Now", f.month = "3", f.day = "7", f.year = "2021", f.hour = "12", f.minute = "0";
  f.half = HalfDay::PM, f.timeZone = "0", f.longDeg = "0", f.longMin = "0", f.latDeg = "51", f.latMin = "30";
  return f;
}

// ---- Checks ------------------------------------------------------------------------------

// The messages of the checks, "N:" for the natal block and "D:" for the diurnal one, each
// followed by its field lines ("|" between them).
std::string Messages(const PersonFields& natal, const PersonFields& transit) {
  std::string all;
  for (const std::string& m : CheckPersonFields(natal, transit)) {
    std::string head = m.substr(0, m.find('\n'));
    std::string rest = m.substr(std::min(m.size(), head.size() + 1));
    for (char& c : rest) c = c == '\n' ? '|' : c;
    all += std::string(all.empty() ? "" : " ") + (head == NatalInputError ? "N:" : head == DiurnalInputError ? "D:" : "?:") + rest;
  }
  return all;
}

TEST(CheckPersonFields, OneMessagePerFailedCheckNamingItsFieldsInShowingOrder) {
  using P = PersonFields;
  const std::pair<std::function<void(P& natal, P& transit)>, const char*> cases[] = {
      {[](P&, P&) {}, ""},
      {[](P&, P& t) { t.month = "13", t.minute = ""; }, "D:Birth Min: empty D:Month: 13 (above 12)"},
      {[](P& n, P& t) { n.month = "13", t.hour = ""; }, "D:Birth Hour: empty N:Month: 13 (above 12)"},
      {[](P& n, P& t) { n.hour = "", t.day = "40"; }, "N:Birth Hour: empty D:Day: 40 (above 31)"},
      {[](P& n, P&) { n.timeZone = "-3"; }, "N:Time Zone: -3 (below -2 with West)"},
      {[](P& n, P&) { n.timeZone = "-3", n.east = true; }, ""},
      {[](P& n, P&) { n.timeZone = "-14"; }, "N:Time Zone: -14 (below -2 with West) N:Time Zone: -14 (below -13)"},
      {[](P&, P& t) { t.timeZone = "12.5"; }, "D:Time Zone: 12.5 (above 12)"},
      {[](P& n, P&) { n.minute = "61"; }, "N:Birth Min: 61 (above 60)"},
      {[](P& n, P&) { n.hour = "25"; }, "N:Birth Hour: 25 (above 12)"},
      {[](P&, P& t) { t.hour = "1e300"; }, "D:Birth Hour: 1e300 (above 12)"},
      {[](P& n, P&) { n.hour = "-1", n.minute = "-5"; }, "N:Birth Hour: -1 (below 0)|Birth Min: -5 (below 0)"},
      {[](P& n, P&) { n.day = "32", n.year = "2100"; }, "N:Day: 32 (above 31)|Year: 2100 (above 2099)"},
      {[](P& n, P&) { n.month = "2", n.day = "31"; }, "N:Day: 31 (no such day in 2/1949)"},
      {[](P&, P& t) { t.month = "2", t.day = "29", t.year = "2024"; }, ""},
      {[](P&, P& t) { t.day = "0"; }, "D:Day: 0 (no such day in 3/2021)"},
      {[](P& n, P&) { n.month = "0"; }, "N:Month: 0 (no such month)"},
      {[](P&, P& t) { t.timeZone = ""; }, "D:Time Zone: empty"},
      {[](P& n, P&) { n.longDeg = "181"; }, "N:Long Deg: 181 (above 180)"},
      {[](P& n, P&) { n.longDeg = "180", n.longMin = "30"; }, "N:Long Min: 30 (beyond 180 degrees)"},
      {[](P&, P& t) { t.latDeg = "95"; }, "D:Lat Deg: 95 (above 90)"},
      {[](P&, P& t) { t.latDeg = "90", t.latMin = "0"; }, ""}};
  for (const auto& [change, expected] : cases) {
    PersonFields natal = Natal(), transit = Transit();
    change(natal, transit);
    EXPECT_EQ(Messages(natal, transit), expected);
  }
}

// ---- The whole operation -----------------------------------------------------------------

class PlanetaryDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadReferenceData(s.tables, test::ShippedDataDir());
    s.chart.Size(s.tables.NumPlanetsUsed());
    s.person1 = Natal();
    s.person2 = Transit();
  }
  test::ScratchDir scratch;
  EphemerisThread ephemeris{scratch.path()};
  Session s;
  RecordingInterface ui;
};

TEST_F(PlanetaryDataTest, FailedChecksShowWarningsAndKeepSavedCharts) {
  s.chart.natalLon[1] = 42, s.chart.transitLon[1] = 43;
  s.person2.month = "13", s.person2.minute = "";
  EXPECT_FALSE(CalculatePlanetaryData(s, ui));
  ASSERT_EQ(ui.messages.size(), 2u);
  for (const Message& m : ui.messages) {
    EXPECT_EQ(m.title, "Warning!");
    EXPECT_EQ(m.text.rfind(DiurnalInputError, 0), 0u) << m.text;
  }
  EXPECT_EQ(s.chart.natalLon[1] + s.chart.transitLon[1], 42 + 43);
  EXPECT_FALSE(s.chartsComputed);
  EXPECT_EQ(ui.busyCount, 0);
}

// Every calculation also starts the data window's lines afresh: Save and "Print data" carry no
// earlier person's reports.
TEST_F(PlanetaryDataTest, ACalculationSavesBothChartsAndDropsAnEarlierPersonsReport) {
  s.output.outLine = "an earlier report";
  s.output.AddOutLine();
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  EXPECT_EQ(s.output.AllLineCount() + s.output.PageLineCount(), 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(s.chartsComputed);
  // 22 Sep 1949 at 0h UT is JD 2433181.5; 10:43 AM at zone 6.35889 is 17:05:32 UT.
  EXPECT_NEAR(s.chart.natalJulianDay, 2433181.5 + 17.0755567 / 24, 1e-6);
  EXPECT_NEAR(s.chart.transitJulianDay, 2459281.0, 1e-9);
  EXPECT_NEAR(s.chart.natalPlace.longitude, -95.38333, 1e-5);
  // The working chart is left on the transit chart.
  EXPECT_EQ(s.chart.planetLon[1], s.chart.transitLon[1]);
  std::vector<PlanetGridRow> rows = PlanetGridRows(s);
  ASSERT_EQ(rows.size(), 52u);
  EXPECT_EQ(rows[0].natal, FormatLongitude(s.chart.natalLon[1]) + "  ");
  EXPECT_EQ(rows[13].transit, FormatLongitude(s.chart.transitLon[14]) + " R");  // the mean node
}

TEST_F(PlanetaryDataTest, APositionTheEphemerisCannotGiveShowsAsNotAvailable) {
  s.person1.year = "1700";
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  std::vector<PlanetGridRow> rows = PlanetGridRows(s);
  EXPECT_EQ(rows[11].name + " " + rows[11].natal, "Chiron n/a  ");
  EXPECT_NE(rows[11].transit, "n/a  ");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Information");
  EXPECT_EQ(ui.messages[0].text.rfind("Chiron, Pholus, Ceres, Pallas, Juno and Vesta cannot be computed on 22 Sep 1700", 0), 0u)
      << ui.messages[0].text;
}

TEST_F(PlanetaryDataTest, UnknownTimeIsLocalNoonAndMinuteSixtyCarries) {
  s.person1.half = HalfDay::Unknown;
  s.person2.minute = "60";
  ASSERT_TRUE(CalculatePlanetaryData(s, ui));
  EXPECT_EQ(s.person1.hour, "12");
  EXPECT_EQ(s.person1.minute, "0");
  EXPECT_NEAR(s.chart.natalJulianDay, 2433181.5 + (12 + 6.35889) / 24, 1e-6);
  EXPECT_NEAR(s.chart.transitJulianDay, 2459281.0 + 1.0 / 24, 1e-9);
}

}  // namespace
}  // namespace kesmora
