// Chart calculator: angle helpers and the relations between the computed entries.
#include "core/chart/chart_calculator.h"
#include "core/chart/ephemeris_notices.h"
#include "core/test_support.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <string>

namespace kesmora {
namespace {

// ---- Normalise and Midpoint --------------------------------------------------------------

TEST(Normalise, WrapsIntoZeroTo360) {
  EXPECT_DOUBLE_EQ(Normalise(360), 0);
  EXPECT_DOUBLE_EQ(Normalise(-0.5), 359.5);
  EXPECT_DOUBLE_EQ(Normalise(-30), 330);
  EXPECT_DOUBLE_EQ(Normalise(720.5), 0.5);
  EXPECT_DOUBLE_EQ(Normalise(0), 0);
  EXPECT_DOUBLE_EQ(Normalise(-720), 0);
  EXPECT_DOUBLE_EQ(Normalise(359.25), 359.25);
}

struct MidpointCase {
  double a, b, mid;
};

class MidpointTest : public ::testing::TestWithParam<MidpointCase> {};

TEST_P(MidpointTest, TakesTheShorterArc) {
  EXPECT_NEAR(Midpoint(GetParam().a, GetParam().b), GetParam().mid, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Pairs, MidpointTest,
                         ::testing::Values(MidpointCase{350, 10, 0}, MidpointCase{10, 350, 0},
                                           MidpointCase{0, 180, 90}, MidpointCase{180, 0, 90},
                                           MidpointCase{90, 270, 180}, MidpointCase{10, 20, 15},
                                           MidpointCase{300, 100, 20}, MidpointCase{359, 1, 0},
                                           MidpointCase{200, 200, 200}, MidpointCase{340, 60, 20}));

// ---- Charts from the shipped tables ------------------------------------------------------

class ChartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tables_ = new ReferenceTables;
    LoadReferenceData(*tables_, test::ShippedDataDir());
  }
  static void TearDownTestSuite() {
    delete tables_;
    tables_ = nullptr;
  }
  void SetUp() override {
    PrepareEphemeris(scratch_.path());
    record_.inputs = {1, 1, 2000, 12.0f, 0.0f, -0.1, 51.5};  // 1 Jan 2000 12:00 UT, London
    record_.transitPlace = {record_.inputs.longitude, record_.inputs.latitude};
  }

  const ReferenceTables& tables() const { return *tables_; }
  int IndexOf(const std::string& code) const {
    for (int i = 1; i <= tables().NumPlanetsUsed(); ++i)
      if (tables().Planet(i).code == code) return i;
    ADD_FAILURE() << "no entry " << code;
    return 1;
  }
  int Cusp(int n) const { return IndexOf(std::to_string(n)); }
  double Lon(int i) const { return record_.planetLon[static_cast<size_t>(i)]; }
  double Speed(int i) const { return record_.planetSpeed[static_cast<size_t>(i)]; }

  ChartRecord Chart(ChartOptions options) {
    ChartCalculator calc(tables(), record_, options);
    calc.CalcChart(false);
    return record_;
  }

  static ReferenceTables* tables_;
  test::ScratchDir scratch_;
  ChartRecord record_;
};

ReferenceTables* ChartTest::tables_ = nullptr;

TEST_F(ChartTest, SouthNodeIsOppositeTheNorthNodeWithTheSameSpeed) {
  Chart({});
  EXPECT_NEAR(Lon(13), Normalise(Lon(11) + 180), 1e-9);
  EXPECT_DOUBLE_EQ(Speed(13), Speed(11));
  EXPECT_DOUBLE_EQ(record_.natalJulianDay, 2451545.0);
}

TEST_F(ChartTest, RetrogradeFlagsFollowTheSpeeds) {
  Chart({});
  ASSERT_EQ(record_.retrograde.size(), 52u);
  EXPECT_EQ(record_.retrograde[0], ' ');   // the Sun never moves backwards
  EXPECT_EQ(record_.retrograde[13], 'R');  // the mean node always does
  for (int i = 1; i <= 52; ++i) EXPECT_EQ(record_.retrograde[static_cast<size_t>(i - 1)] == 'R', Speed(i) < 0) << i;
}

TEST_F(ChartTest, DeclinationOfTheSouthNodeIsNegated) {
  ChartCalculator calc(tables(), record_, {});
  calc.CalcNatalDeclinations();
  EXPECT_DOUBLE_EQ(record_.natalDecl[13], -record_.natalDecl[11]);
  EXPECT_NE(record_.natalDecl[11], 0);
  EXPECT_LT(record_.natalDecl[1], -22.5);  // the Sun just after the December solstice
  EXPECT_EQ(record_.natalDecl[static_cast<size_t>(IndexOf("ASC"))], 0);
  EXPECT_EQ(record_.natalDecl[static_cast<size_t>(Cusp(1))], 0);
}

TEST_F(ChartTest, WholeSignCuspsAreSignStartsCountedFromTheAscendantSign) {
  Chart({Zodiac::Tropical, HouseSystem::WholeSign});
  double first = 30 * std::floor(record_.ascendantLon / 30);
  for (int n = 1; n <= 12; ++n) {
    double cusp = Lon(Cusp(n));
    EXPECT_DOUBLE_EQ(std::fmod(cusp, 30), 0) << n;
    EXPECT_NEAR(cusp, Normalise(first + 30 * (n - 1)), 1e-9) << n;
  }
}

TEST_F(ChartTest, AscMinus30GivesEqualHousesFromTheAscendant) {
  Chart({Zodiac::Tropical, HouseSystem::AscMinus30});
  for (int n = 1; n <= 12; ++n) EXPECT_NEAR(Lon(Cusp(n)), Normalise(record_.ascendantLon + 30 * (n - 1)), 1e-9) << n;
}

TEST_F(ChartTest, QuadrantSystemsPutAngleCuspsOnAscAndMcAndDiffer) {
  ChartRecord placidus = Chart({Zodiac::Tropical, HouseSystem::Placidus});
  ChartRecord koch = Chart({Zodiac::Tropical, HouseSystem::Koch});
  int asc = IndexOf("ASC"), mc = IndexOf("MC");
  for (const ChartRecord* r : {&placidus, &koch}) {
    EXPECT_NEAR(r->planetLon[static_cast<size_t>(Cusp(1))], r->planetLon[static_cast<size_t>(asc)], 1e-9);
    EXPECT_NEAR(r->planetLon[static_cast<size_t>(Cusp(10))], r->planetLon[static_cast<size_t>(mc)], 1e-9);
  }
  EXPECT_GT(std::abs(placidus.planetLon[static_cast<size_t>(Cusp(11))] - koch.planetLon[static_cast<size_t>(Cusp(11))]), 0.01);
}

TEST_F(ChartTest, LowerCaseHouseLetterGivesTheUpperCaseSystem) {
  Chart({Zodiac::Tropical, HouseSystem::Placidus});
  double cusps[13] = {}, ascmc[10] = {};
  double jd = JulianDayOf(record_.inputs);
  swe_houses_ex(jd, SEFLG_SWIEPH | SEFLG_SPEED, record_.inputs.latitude, record_.inputs.longitude, 'P', cusps, ascmc);
  for (int n = 1; n <= 12; ++n) EXPECT_NEAR(Lon(Cusp(n)), cusps[n], 1e-9) << n;
  EXPECT_NEAR(record_.ascendantLon, ascmc[0], 1e-9);
}

TEST_F(ChartTest, NoHouseSystemLeavesHousePointsAtZero) {
  Chart({Zodiac::Tropical, HouseSystem::None});
  EXPECT_EQ(record_.ascendantLon, 0);
  for (int n = 1; n <= 12; ++n) EXPECT_EQ(Lon(Cusp(n)), 0) << n;
  for (const char* code : {"ASC", "MC", "VERTEX", "EQU_ASC"}) EXPECT_EQ(Lon(IndexOf(code)), 0) << code;
  EXPECT_NEAR(Lon(IndexOf("POF_d")), Normalise(Lon(2) - Lon(1)), 1e-9);
  EXPECT_NEAR(Lon(IndexOf("POF_n")), Normalise(Lon(1) - Lon(2)), 1e-9);
}

TEST_F(ChartTest, PartsOfFortuneFollowSunMoonAndAscendant) {
  Chart({});
  double asc = record_.ascendantLon;
  EXPECT_NEAR(Lon(IndexOf("ASC")), asc, 1e-12);
  EXPECT_NEAR(Lon(IndexOf("POF_d")), Normalise(Lon(2) + asc - Lon(1)), 1e-9);
  EXPECT_NEAR(Lon(IndexOf("POF_n")), Normalise(asc - Lon(2) + Lon(1)), 1e-9);
  EXPECT_EQ(Lon(IndexOf("ARIES_PT")), 0);
  EXPECT_EQ(Lon(IndexOf("AP_6")), 0);
}

TEST_F(ChartTest, ArabicPartsFromTheirFixedIndexes) {
  Chart({});
  double asc = record_.ascendantLon;
  double pofDay = Lon(IndexOf("POF_d")), pofNight = Lon(IndexOf("POF_n"));
  EXPECT_NEAR(Lon(IndexOf("AP_1")), Normalise(Lon(Cusp(5)) + asc - Lon(11)), 1e-9);
  EXPECT_NEAR(Lon(IndexOf("AP_2")), Normalise(Lon(12) + asc - Lon(52)), 1e-9);
  EXPECT_NEAR(Lon(IndexOf("AP_3")), Normalise(Lon(6) + asc - Lon(8)), 1e-9);
  EXPECT_NEAR(Lon(IndexOf("AP_4")), Normalise(Lon(11) + asc - pofDay), 1e-9);
  EXPECT_NEAR(Lon(IndexOf("AP_5")), Normalise(Lon(11) + asc - pofNight), 1e-9);
}

TEST_F(ChartTest, SiderealIsTropicalMinusOneAyanamsa) {
  ChartRecord tropical = Chart({Zodiac::Tropical, HouseSystem::Placidus});
  ChartRecord sidereal = Chart({Zodiac::Sidereal, HouseSystem::Placidus});
  double ayanamsa = Normalise(tropical.planetLon[1] - sidereal.planetLon[1]);
  EXPECT_GT(ayanamsa, 24.0);
  EXPECT_LT(ayanamsa, 25.0);
  for (int i = 1; i <= tables().NumPlanetsUsed(); ++i) {
    if (!tables().IsBody(i)) continue;
    double diff = Normalise(tropical.planetLon[static_cast<size_t>(i)] - sidereal.planetLon[static_cast<size_t>(i)]);
    EXPECT_NEAR(diff, ayanamsa, 0.01) << i;
  }
  EXPECT_NEAR(Normalise(tropical.ascendantLon - sidereal.ascendantLon), ayanamsa, 0.01);
}

TEST_F(ChartTest, WholeChartSpeedsOfHousePointsAreZero) {
  Chart({});
  for (int i = 1; i <= tables().NumPlanetsUsed(); ++i)
    if (tables().IsHouseDependent(i)) {
      EXPECT_EQ(Speed(i), 0) << i;
    }
  EXPECT_NE(Speed(1), 0);
}

TEST_F(ChartTest, PointAtTheChartMomentMatchesTheWholeChart) {
  for (HouseSystem system : {HouseSystem::Placidus, HouseSystem::WholeSign}) {
    ChartRecord chart = Chart({Zodiac::Tropical, system});
    ChartCalculator calc(tables(), record_, {Zodiac::Tropical, system});
    for (int i = 1; i <= tables().NumPlanetsUsed(); ++i) {
      double lon = calc.CalcPointAt(chart.natalJulianDay, i);
      EXPECT_NEAR(lon, chart.planetLon[static_cast<size_t>(i)], 1e-9) << i;
      EXPECT_EQ(Lon(i), lon) << i;
      if (tables().IsBody(i)) {
        EXPECT_NEAR(record_.lastPointSpeed, chart.planetSpeed[static_cast<size_t>(i)], 1e-12) << i;
      }
    }
    EXPECT_NEAR(record_.ascendantLon, chart.ascendantLon, 1e-9);
  }
}

TEST_F(ChartTest, PointAtGivesHousePointsTheMarkerSpeedExceptAriesPoint) {
  Chart({});
  ChartCalculator calc(tables(), record_, {});
  double jd = JulianDayOf(record_.inputs);
  int aries = IndexOf("ARIES_PT");
  for (int i = 1; i <= tables().NumPlanetsUsed(); ++i) {
    if (!tables().IsHouseDependent(i)) continue;
    calc.CalcPointAt(jd, i);
    double expected = i == aries ? 0.0 : HousePointSpeed;
    EXPECT_EQ(Speed(i), expected) << i;
    EXPECT_EQ(record_.lastPointSpeed, expected) << i;
  }
  EXPECT_EQ(calc.CalcPointAt(jd + 0.3, aries), 0);
}

TEST_F(ChartTest, PointAtUsesThePlaceOfTheLastChart) {
  Chart({});
  ChartCalculator calc(tables(), record_, {});
  double jd = JulianDayOf(record_.inputs);
  double london = calc.CalcPointAt(jd, IndexOf("ASC"));
  record_.inputs.longitude = 139.7;  // Tokyo
  record_.inputs.latitude = 35.7;
  double tokyo = calc.CalcPointAt(jd, IndexOf("ASC"));
  EXPECT_GT(std::abs(london - tokyo), 1.0);
  EXPECT_EQ(record_.ascendantLon, tokyo);
}

// ---- Entries the calculator does not know ------------------------------------------------

ReferenceTables SmallTables() {
  ReferenceTables t;
  t.planets = {PlanetEntry{},
               {"Sun", "g", "SUN", SE_SUN, 1},
               {"Moon", "g", "MOON", SE_MOON, 2},
               {"Odd", "p", "NOPE", 0, 3},
               {"Asc", "p", "ASC", 0, 4},
               {"Skipped", "", "", 0, 0},
               {"Other", "x", "ASC", SE_MARS, 5}};
  return t;
}

TEST(ChartUnknownEntries, KeepTheirPreviousLongitudeAndSpeed) {
  test::ScratchDir scratch;
  PrepareEphemeris(scratch.path());
  ReferenceTables t = SmallTables();
  ChartRecord r;
  r.Size(t.NumPlanetsUsed());
  r.inputs = {1, 1, 2000, 12.0f, 0.0f, -0.1, 51.5};
  for (int i : {3, 5, 6}) {
    r.planetLon[static_cast<size_t>(i)] = 100.0 + i;
    r.planetSpeed[static_cast<size_t>(i)] = 7.0;
  }
  ChartCalculator calc(t, r, {});
  calc.CalcChart(false);
  for (int i : {3, 5, 6}) {
    EXPECT_EQ(r.planetLon[static_cast<size_t>(i)], 100.0 + i) << i;
    EXPECT_EQ(r.planetSpeed[static_cast<size_t>(i)], 7.0) << i;
  }
  EXPECT_EQ(r.planetLon[4], r.ascendantLon);
  EXPECT_NE(r.planetLon[4], 0);

  EXPECT_EQ(calc.CalcPointAt(r.natalJulianDay + 1, 3), 103.0);
  EXPECT_EQ(r.planetSpeed[3], 7.0);
}

// ---- Extra points ------------------------------------------------------------------------

TEST_F(ChartTest, ExtraPointsByKind) {
  ChartRecord chart = Chart({});
  double jd = chart.natalJulianDay;
  const int n = tables().NumPlanetsUsed();
  auto midpointRow = [](double swe1, double swe2, const char* cls1, const char* cls2, int p1, int p2) {
    ExtraPointRow row;
    row.field[3] = swe1;
    row.field[4] = swe2;
    row.field[5] = std::string(cls1);
    row.field[6] = std::string(cls2);
    row.field[7] = static_cast<double>(p1);
    row.field[8] = static_cast<double>(p2);
    return row;
  };
  std::vector<ExtraPointRow> rows{midpointRow(SE_SUN, SE_MOON, "g", "g", 1, 2),
                                  midpointRow(SE_TRUE_NODE, SE_SUN, "t", "g", 13, 1),
                                  midpointRow(0, 0, "p", "c", IndexOf("ASC"), Cusp(1))};
  rows.push_back(ExtraPointRow{});
  rows.back().field[3] = 123.5;
  rows.back().field[9] = 3.0;  // an auspicious point

  ChartCalculator calc(tables(), record_, {});
  calc.SetExtraPoints({&rows});
  EXPECT_NEAR(calc.CalcPointAt(jd, n + 1), Midpoint(chart.planetLon[1], chart.planetLon[2]), 1e-9);
  EXPECT_NEAR(record_.lastPointValue, Midpoint(chart.planetLon[1], chart.planetLon[2]), 1e-9);
  EXPECT_NEAR(record_.lastPointSpeed, (chart.planetSpeed[1] + chart.planetSpeed[2]) / 2, 1e-12);
  // A component at index 13 is turned like the South Node.
  EXPECT_NEAR(calc.CalcPointAtPlace(jd, n + 2, 1), Midpoint(chart.planetLon[13], chart.planetLon[1]), 1e-9);
  EXPECT_NEAR(calc.CalcPointAtPlace(jd, n + 3, 1), chart.ascendantLon, 1e-9);
  EXPECT_EQ(record_.lastPointSpeed, HousePointSpeed);

  // A point of a fixed kind stands at its field 3, at any moment.
  EXPECT_EQ(calc.CalcPointAt(jd, n + 4), 123.5);
  EXPECT_EQ(calc.CalcPointAt(jd + 10, n + 4), 123.5);
  EXPECT_EQ(record_.lastPointValue, 123.5);
}

}  // namespace
}  // namespace kesmora

namespace kesmora {
namespace {

// What libswe cannot do is told, never shown as a position: Chiron and the asteroids need
// files that cover 1800 to 2399 only, the planets then come from the analytical ephemeris,
// and Placidus and Koch houses fail near the poles.
TEST_F(ChartTest, EphemerisFailuresAreNoticedAndNeverGiveAFalsePosition) {
  record_.inputs = {24, 1, 1700, 12.0f, 0.0f, -0.1, 51.5};
  ChartCalculator calc(tables(), record_, {});
  calc.CalcChart(false);
  calc.CalcNatalDeclinations();
  const int chiron = 12;
  EXPECT_TRUE(std::isnan(Lon(chiron)));
  EXPECT_TRUE(std::isnan(record_.natalDecl[chiron]));
  EXPECT_TRUE(std::isnan(calc.PointAt(record_.natalJulianDay, chiron).lon));
  EXPECT_TRUE(std::isfinite(Lon(1)));  // the Sun from the analytical ephemeris
  EXPECT_NEAR(Lon(1), 304, 1);
  std::vector<std::string> notices = EphemerisNotices(calc.Problems(), tables());
  ASSERT_EQ(notices.size(), 2u) << ::testing::PrintToString(notices);
  EXPECT_EQ(notices[0].rfind("Chiron, Pholus, Ceres, Pallas, Juno and Vesta cannot be computed on 24 Jan 1700: "
                             "SwissEph file 'seas_12.se1' not found",
                             0),
            0u)
      << notices[0];
  EXPECT_NE(notices[1].find("analytical ephemeris"), std::string::npos) << notices[1];

  record_.inputs = {1, 1, 2000, 12.0f, 0.0f, 18.9, 69.6};  // Tromso
  for (auto [houses, name] : {std::pair{HouseSystem::Placidus, "Placidus"}, std::pair{HouseSystem::Koch, "Koch"}}) {
    ChartCalculator polar(tables(), record_, {Zodiac::Tropical, houses});
    polar.CalcChart(false);
    notices = EphemerisNotices(polar.Problems(), tables());
    ASSERT_EQ(notices.size(), 1u) << name;
    EXPECT_EQ(notices[0], std::string("The ") + name +
                              " houses cannot be computed at this latitude on 01 Jan 2000: the Swiss Ephemeris gave "
                              "Porphyry houses instead.");
  }
  ChartCalculator equal(tables(), record_, {Zodiac::Tropical, HouseSystem::AscMinus30});
  equal.CalcChart(false);
  EXPECT_TRUE(equal.Problems().Empty());
}

// Declination does not depend on the zodiac, on either side of a run.
TEST_F(ChartTest, DeclinationsAreTheSameInBothZodiacs) {
  ChartCalculator tropical(tables(), record_, {Zodiac::Tropical, HouseSystem::Placidus});
  ChartCalculator sidereal(tables(), record_, {Zodiac::Sidereal, HouseSystem::Placidus});
  for (int i : {1, 2, 10}) EXPECT_EQ(tropical.DeclinationAt(2451545.25, i).lon, sidereal.DeclinationAt(2451545.25, i).lon) << i;
}

}  // namespace
}  // namespace kesmora
