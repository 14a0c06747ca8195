// Chart positions against independent reference values (astronomy-engine 2.1.19 with
// textbook house formulas; see tests/reference/README.md for the source, the cases and the
// tolerance of each row, in arcseconds).
#include "core/chart/chart_calculator.h"
#include "core/test_support.h"
#include "core/reference/reference_tables.h"
#include "core/reference/text.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>

namespace kesmora {
namespace {

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
struct Target {
  int index = 0;
  HouseSystem houses = HouseSystem::Placidus;
  bool declination = false;
};

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

class ReferencePositions : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadReferenceData(tables_, test::ShippedDataDir());
  }
  test::ScratchDir scratch_;
  EphemerisThread ephemeris_{scratch_.path()};
  ReferenceTables tables_;
};

TEST_F(ReferencePositions, AgreeWithIndependentValuesWithinTheirTolerance) {
  std::vector<ReferenceRow> rows = ReadReference();
  ASSERT_GE(rows.size(), 600u);
  std::map<std::string, double> worstRatio;  // by point kind: error / tolerance
  int compared = 0;
  for (const ReferenceRow& row : rows) {
    std::optional<Target> target = TargetOf(tables_, row.point);
    ASSERT_TRUE(target && target->index > 0) << "no table entry for " << row.point;
    ChartRecord record;
    record.Size(tables_.NumPlanetsUsed());
    record.inputs = InputsAt(row.jdUt, row.latitude, row.longitude);
    ChartOptions options{row.sidereal ? Zodiac::Sidereal : Zodiac::Tropical, target->houses};
    ChartCalculator calc(tables_, record, options);
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
    ++compared;
  }
  EXPECT_EQ(compared, static_cast<int>(rows.size()));
  for (const auto& [kind, ratio] : worstRatio) RecordProperty("worst_" + kind, std::to_string(ratio));
}

}  // namespace
}  // namespace kesmora
