// "Calculate planetary data": reading the blocks, the input checks and the saved charts; what
// the chart calculator does where libswe fails: no false position, and a notice; and chart
// positions against independent reference values (astronomy-engine 2.1.19 with textbook house
// formulas; see tests/reference/README.md for the source, the cases and the tolerance of each
// row, in arcseconds).
#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/app/planetary_data.h"
#include "core/chart/ephemeris_notices.h"
#include "core/test_support.h"
#include "core/chart/chart_calculator.h"
#include "core/reference/reference_tables.h"
#include "core/reference/text.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
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

// What libswe cannot do is told, never shown as a position: Chiron and the asteroids need
// files that cover 1800 to 2399 only, the planets then come from the analytical ephemeris,
// and Placidus and Koch houses fail near the poles.
TEST_F(PlanetaryDataTest, EphemerisFailuresAreNoticedAndNeverGiveAFalsePosition) {
  ChartRecord record;
  record.inputs = {24, 1, 1700, 12.0f, 0.0f, -0.1, 51.5};
  ChartCalculator calc(s.tables, record, {});
  calc.CalcChart(false);
  calc.CalcNatalDeclinations();
  const int chiron = 12;
  EXPECT_TRUE(std::isnan(record.planetLon[chiron]));
  EXPECT_TRUE(std::isnan(record.natalDecl[chiron]));
  EXPECT_TRUE(std::isnan(calc.PointAt(record.natalJulianDay, chiron).lon));
  EXPECT_NEAR(record.planetLon[1], 304, 1);  // the Sun from the analytical ephemeris
  std::vector<std::string> notices = EphemerisNotices(calc.Problems(), s.tables);
  ASSERT_EQ(notices.size(), 2u) << ::testing::PrintToString(notices);
  EXPECT_EQ(notices[0].rfind("Chiron, Pholus, Ceres, Pallas, Juno and Vesta cannot be computed on 24 Jan 1700: "
                             "SwissEph file 'seas_12.se1' not found", 0),
            0u)
      << notices[0];
  EXPECT_NE(notices[1].find("analytical ephemeris"), std::string::npos) << notices[1];

  record.inputs = {1, 1, 2000, 12.0f, 0.0f, 18.9, 69.6};  // Tromso
  for (auto [houses, name] : {std::pair{HouseSystem::Placidus, "Placidus"}, std::pair{HouseSystem::Koch, "Koch"}}) {
    ChartCalculator polar(s.tables, record, {Zodiac::Tropical, houses});
    polar.CalcChart(false);
    EXPECT_EQ(EphemerisNotices(polar.Problems(), s.tables),
              std::vector<std::string>{std::string("The ") + name +
                                       " houses cannot be computed at this latitude on 01 Jan 2000: the Swiss "
                                       "Ephemeris gave Porphyry houses instead."});
  }
  ChartCalculator equal(s.tables, record, {Zodiac::Tropical, HouseSystem::AscMinus30});
  equal.CalcChart(false);
  EXPECT_TRUE(equal.Problems().Empty());
}

// ---- Reference positions -----------------------------------------------------------------

struct ReferenceRow {
  std::string caseName;
  double jdUt = 0, latitude = 0, longitude = 0;
  bool sidereal = false;
  std::string point;
  double value = 0;
  double toleranceArcsec = 0;
};

std::vector<ReferenceRow> ReadReference() {
  auto lines = ReadLines(std::filesystem::path(KESMORA_REFERENCE_DIR) / "chart_reference.csv");
  if (!lines) ADD_FAILURE() << "chart_reference.csv not found";
  std::vector<ReferenceRow> rows;
  for (size_t i = 1; lines && i < lines->size(); ++i) {
    std::stringstream ss((*lines)[i]);
    std::string f[8];
    for (auto& field : f) std::getline(ss, field, ',');
    rows.push_back({f[0], std::stod(f[1]), std::stod(f[2]), std::stod(f[3]), f[4] == "sidereal", f[5],
                    std::stod(f[6]), std::stod(f[7])});
  }
  return rows;
}

double ArcsecondsApart(double a, double b) {
  double d = std::fmod(std::abs(a - b), 360.0);
  return std::min(d, 360.0 - d) * 3600.0;
}

// Planet index of a point name in the shipped tables, and the house system it needs.
struct Target { int index = 0; HouseSystem houses = HouseSystem::Placidus; bool declination = false; };

std::optional<Target> TargetOf(const ReferenceTables& t, const std::string& point) {
  auto indexByName = [&](const std::string& name) {
    for (int i = 1; i <= t.NumPlanetsUsed(); ++i)
      if (t.Planet(i).name == name) return i;
    return 0;
  };
  auto indexByCode = [&](PointClass cls, const std::string& code) {
    for (int i = 1; i <= t.NumPlanetsUsed(); ++i)
      if (t.Planet(i).cls == cls && t.Planet(i).code == code) return i;
    return 0;
  };
  if (point.rfind("Decl_", 0) == 0) return Target{indexByName(point.substr(5)), HouseSystem::Placidus, true};
  if (point == "ASC") return Target{indexByCode(PointClass::Point, "ASC")};
  if (point == "MC") return Target{indexByCode(PointClass::Point, "MC")};
  if (point == "Vertex") return Target{indexByCode(PointClass::Point, "VERTEX")};
  const std::pair<const char*, HouseSystem> systems[] = {
      {"Placidus_", HouseSystem::Placidus}, {"Koch_", HouseSystem::Koch}, {"Equal_", HouseSystem::AscMinus30}};
  for (auto [prefix, system] : systems)
    if (point.rfind(prefix, 0) == 0) return Target{indexByCode(PointClass::Cusp, point.substr(std::strlen(prefix))), system};
  if (int i = indexByName(point)) return Target{i};
  return std::nullopt;
}

ChartInputs InputsAt(double jdUt, double latitude, double longitude) {
  int y = 0, m = 0, d = 0;
  double hour = 0;
  swe_revjul(jdUt, SE_GREG_CAL, &y, &m, &d, &hour);
  ChartInputs in;
  in.year = y, in.month = m, in.day = d;
  // The hour goes in whole and the rest as minutes, so a float hour loses nothing.
  in.hour = static_cast<float>(std::floor(hour));
  in.minute = static_cast<float>((hour - std::floor(hour)) * 60.0);
  in.latitude = latitude;
  in.longitude = longitude;
  return in;
}

using ReferencePositions = PlanetaryDataTest;  // the shipped tables on a thread of its own

TEST_F(ReferencePositions, AgreeWithIndependentValuesWithinTheirTolerance) {
  std::vector<ReferenceRow> rows = ReadReference();
  ASSERT_GE(rows.size(), 600u);
  std::map<std::string, double> worstRatio;  // by point kind: error / tolerance
  for (const ReferenceRow& row : rows) {
    std::optional<Target> target = TargetOf(s.tables, row.point);
    ASSERT_TRUE(target && target->index > 0) << "no table entry for " << row.point;
    ChartRecord record;
    record.Size(s.tables.NumPlanetsUsed());
    record.inputs = InputsAt(row.jdUt, row.latitude, row.longitude);
    ChartOptions options{row.sidereal ? Zodiac::Sidereal : Zodiac::Tropical, target->houses};
    ChartCalculator calc(s.tables, record, options);
    double ours = 0;
    if (target->declination) {
      calc.CalcNatalDeclinations();
      ours = record.natalDecl[static_cast<size_t>(target->index)];
    } else {
      calc.CalcChart(false);
      ours = record.planetLon[static_cast<size_t>(target->index)];
    }
    double error = target->declination ? std::abs(ours - row.value) * 3600 : ArcsecondsApart(ours, row.value);
    std::string kind = row.point.substr(0, row.point.find('_'));
    worstRatio[kind] = std::max(worstRatio[kind], error / row.toleranceArcsec);
    EXPECT_LE(error, row.toleranceArcsec)
        << row.caseName << " " << (row.sidereal ? "sidereal " : "tropical ") << row.point
        << ": expected " << row.value << ", ours " << ours << ", error " << error << "\"";
  }
  for (const auto& [kind, ratio] : worstRatio) RecordProperty("worst_" + kind, std::to_string(ratio));
}

}  // namespace
}  // namespace kesmora
