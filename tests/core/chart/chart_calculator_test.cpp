// What the chart calculator does where libswe fails: no false position, and a notice.
#include "core/chart/chart_calculator.h"
#include "core/chart/ephemeris_notices.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kesmora {
namespace {

class ChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadReferenceData(tables_, test::ShippedDataDir());
  }
  double Lon(int i) const { return record_.planetLon[static_cast<size_t>(i)]; }

  ReferenceTables tables_;
  test::ScratchDir scratch_;
  EphemerisThread ephemeris_{scratch_.path()};
  ChartRecord record_;
};

// What libswe cannot do is told, never shown as a position: Chiron and the asteroids need
// files that cover 1800 to 2399 only, the planets then come from the analytical ephemeris,
// and Placidus and Koch houses fail near the poles.
TEST_F(ChartTest, EphemerisFailuresAreNoticedAndNeverGiveAFalsePosition) {
  record_.inputs = {24, 1, 1700, 12.0f, 0.0f, -0.1, 51.5};
  ChartCalculator calc(tables_, record_, {});
  calc.CalcChart(false);
  calc.CalcNatalDeclinations();
  const int chiron = 12;
  EXPECT_TRUE(std::isnan(Lon(chiron)));
  EXPECT_TRUE(std::isnan(record_.natalDecl[chiron]));
  EXPECT_TRUE(std::isnan(calc.PointAt(record_.natalJulianDay, chiron).lon));
  EXPECT_NEAR(Lon(1), 304, 1);  // the Sun from the analytical ephemeris
  std::vector<std::string> notices = EphemerisNotices(calc.Problems(), tables_);
  ASSERT_EQ(notices.size(), 2u) << ::testing::PrintToString(notices);
  EXPECT_EQ(notices[0].rfind("Chiron, Pholus, Ceres, Pallas, Juno and Vesta cannot be computed on 24 Jan 1700: "
                             "SwissEph file 'seas_12.se1' not found", 0),
            0u)
      << notices[0];
  EXPECT_NE(notices[1].find("analytical ephemeris"), std::string::npos) << notices[1];

  record_.inputs = {1, 1, 2000, 12.0f, 0.0f, 18.9, 69.6};  // Tromso
  for (auto [houses, name] : {std::pair{HouseSystem::Placidus, "Placidus"}, std::pair{HouseSystem::Koch, "Koch"}}) {
    ChartCalculator polar(tables_, record_, {Zodiac::Tropical, houses});
    polar.CalcChart(false);
    EXPECT_EQ(EphemerisNotices(polar.Problems(), tables_),
              std::vector<std::string>{std::string("The ") + name +
                                       " houses cannot be computed at this latitude on 01 Jan 2000: the Swiss "
                                       "Ephemeris gave Porphyry houses instead."});
  }
  ChartCalculator equal(tables_, record_, {Zodiac::Tropical, HouseSystem::AscMinus30});
  equal.CalcChart(false);
  EXPECT_TRUE(equal.Problems().Empty());
}

}  // namespace
}  // namespace kesmora
