// The target-list loaders: rows laid out field by field, points numbered behind the planets
// in loading order, and the lines each loader skips.
#include "core/test_support.h"
#include "core/search/target_lists.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <variant>

namespace kesmora {
namespace {

class TargetListsTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadReferenceData(tables_, test::ShippedDataDir()); }
  std::filesystem::path File(const std::string& name, const std::string& text) { return dir_.Write(name, text); }
  int N() const { return tables_.NumPlanetsUsed(); }

  test::ScratchDir dir_;
  ReferenceTables tables_;
};

bool IsText(const ExtraField& f) { return std::holds_alternative<std::string>(f); }
bool IsNumber(const ExtraField& f) { return std::holds_alternative<double>(f); }

TEST_F(TargetListsTest, MidpointRowsNameTheirComponents) {
  ExtraPoints extra;
  LoadMidpoints(extra, ListKind::MidpointsToNatal,
                File("a.mpn", "Sun/Moon\r\nno slash here\r\nSun/moon\r\n Sun/Moon\r\nSouth Node/Ascendant\r\n"), tables_);
  ASSERT_EQ(extra.Total(), 2);  // wrong case and a leading blank are not planet names
  const ExtraPointRow& r = extra.rows[0];
  EXPECT_EQ(r.Text(0), "Sun/Moon");
  EXPECT_EQ(r.Text(1), "Sun");
  EXPECT_EQ(r.Text(2), "Moon");
  EXPECT_EQ(r.Number(3), SE_SUN);
  EXPECT_EQ(r.Number(4), SE_MOON);
  EXPECT_EQ(r.Text(5), "g");
  EXPECT_EQ(r.Text(6), "g");
  EXPECT_EQ(r.Number(7), 1);
  EXPECT_EQ(r.Number(8), 2);
  EXPECT_EQ(r.Number(9), 0);
  for (int f : {0, 1, 2, 5, 6}) EXPECT_TRUE(IsText(r.field[static_cast<size_t>(f)])) << f;
  for (int f : {3, 4, 7, 8, 9}) EXPECT_TRUE(IsNumber(r.field[static_cast<size_t>(f)])) << f;
  EXPECT_EQ(extra.names[1], "South Node/Ascendant");
  EXPECT_EQ(extra.codes[1], "SOUTH NODE/ASCENDANT");
  EXPECT_EQ(extra.classes[1], "mp");
  EXPECT_EQ(extra.rows[1].Text(6), "p");
  EXPECT_EQ(extra.count[static_cast<size_t>(ListKind::MidpointsToNatal)], 2);
}

TEST_F(TargetListsTest, KindsCarryTheirPassAndClass) {
  ExtraPoints extra;
  LoadMidpoints(extra, ListKind::MidpointsToTransit, File("b.mpt", "Venus/Mars\r\n"), tables_);
  LoadMidpoints(extra, ListKind::NatalMidpoints, File("c.nmp", "Jupiter/Saturn\r\nSun/Sun\r\n"), tables_);
  ASSERT_EQ(extra.Total(), 3);
  EXPECT_EQ(extra.rows[0].Number(9), 1);
  EXPECT_EQ(extra.classes[0], "mp");
  EXPECT_EQ(extra.rows[1].Number(9), 5);
  EXPECT_EQ(extra.classes[2], "nmp");
  EXPECT_EQ(extra.names[2], "Sun/Sun");  // a planet with itself is a point on that planet
}

TEST_F(TargetListsTest, LunarMansionRowsHoldThePadaStart) {
  ExtraPoints extra;
  LoadLunarMansions(extra,
                    File("d.nak", "Nak-01, pada 1/Moon\r\nNak-27, pada 4/Sun\r\nNak-02, pada 1/Mars\r\n"
                                  "Nak-xx, pada 1/Moon\r\nNak-03, pada 2/moon\r\nNak-03 pada 2 Moon\r\n"),
                    tables_);
  ASSERT_EQ(extra.Total(), 3);
  const ExtraPointRow& first = extra.rows[0];
  EXPECT_EQ(first.Text(0), "Nak-01, pada 1");
  EXPECT_EQ(first.Text(2), "Moon");
  EXPECT_EQ(first.Number(3), 0.0);
  EXPECT_EQ(first.Number(4), SE_MOON);
  EXPECT_EQ(first.Text(5), "lm");
  EXPECT_EQ(first.Number(7), 0);
  EXPECT_EQ(first.Number(8), 2);
  EXPECT_EQ(first.Number(9), 4);
  EXPECT_EQ(extra.rows[1].Number(7), 107);
  EXPECT_NEAR(extra.rows[1].Number(3), 356.6666666666631, 1e-9);
  EXPECT_EQ(extra.rows[2].Number(7), 4);
  EXPECT_NEAR(extra.rows[2].Number(3), 13.3333333333332, 1e-9);
  EXPECT_EQ(extra.classes[0], "lm");
  EXPECT_EQ(PadaTexts().size(), 108u);
  EXPECT_EQ(PadaTexts().front(), "Nak-01, pada 1");
  EXPECT_EQ(PadaTexts().back(), "Nak-27, pada 4");
}

TEST_F(TargetListsTest, AuspiciousPointsTakeTheDegreeAtTheEndOfTheLabel) {
  ExtraPoints extra;
  LoadAuspiciousPoints(extra,
                       File("e.apt", "Spring 000/Sun\r\nLucky  15/Moon\r\nBad x1/Moon\r\nGood 120/Nobody\r\nnone\r\n"),
                       tables_);
  ASSERT_EQ(extra.Total(), 2);
  EXPECT_EQ(extra.rows[0].Number(3), 0);
  EXPECT_EQ(extra.rows[1].Number(3), 15);
  EXPECT_EQ(extra.rows[1].Text(5), "ap");
  EXPECT_EQ(extra.rows[1].Text(6), "g");
  EXPECT_EQ(extra.rows[1].Number(8), 2);
  EXPECT_EQ(extra.rows[1].Number(9), 3);
  EXPECT_EQ(extra.classes[1], "ap");
}

TEST_F(TargetListsTest, DegreePairsKeepTheNatalDegreeAsText) {
  ExtraPoints extra;
  LoadDegreePairs(extra, File("f.t2n", "Pair 100/123.5\r\nZero 010/0\r\nHalf 020/0.5\r\nNeg 030/-4\r\nx/1\r\n"));
  ASSERT_EQ(extra.Total(), 2);
  const ExtraPointRow& r = extra.rows[0];
  EXPECT_EQ(r.Text(2), "123.5");
  EXPECT_EQ(r.Number(3), 100);
  EXPECT_TRUE(IsText(r.field[4]));
  EXPECT_EQ(r.Text(5), "tn");
  EXPECT_EQ(r.Text(6), "c");
  EXPECT_TRUE(IsText(r.field[8]));
  EXPECT_EQ(r.Number(8), 123.5);
  EXPECT_EQ(r.Number(9), 2);
  EXPECT_EQ(extra.rows[1].Text(0), "Half 020");
}

TEST_F(TargetListsTest, PointsAreNumberedBehindThePlanetsInLoadingOrder) {
  ExtraPoints extra;
  LoadDegreePairs(extra, File("g.t2n", "A 010/1\r\nB 020/2\r\n"));
  LoadAuspiciousPoints(extra, File("h.apt", "C 030/Sun\r\n"), tables_);
  LoadLunarMansions(extra, File("i.nak", "Nak-02, pada 1/Moon\r\n"), tables_);
  LoadMidpoints(extra, ListKind::NatalMidpoints, File("j.nmp", "Sun/Moon\r\n"), tables_);
  ASSERT_EQ(extra.Total(), 5);
  // The first mansion point follows two degree pairs and one auspicious point.
  EXPECT_EQ(extra.FirstIndex(ListKind::LunarMansions, N()), N() + 4);
  EXPECT_EQ(extra.Row(N() + 4, N())->Text(0), "Nak-02, pada 1");
  EXPECT_EQ(extra.rows[0].Text(0), "A 010");  // earlier rows unchanged
  EXPECT_EQ(extra.rows[2].Text(0), "C 030");
  EXPECT_EQ(extra.FirstIndex(ListKind::NatalMidpoints, N()), N() + 5);
  EXPECT_EQ(extra.Row(N() + 6, N()), nullptr);
  // A later degree-pair file starts the table afresh.
  LoadDegreePairs(extra, File("k.t2n", "Z 001/1\r\n"));
  EXPECT_EQ(extra.Total(), 1);
}

TEST_F(TargetListsTest, MissingOrEmptyFilesAddNothing) {
  ExtraPoints extra;
  LoadMidpoints(extra, ListKind::MidpointsToNatal, File("l.mpn", "Sun/Moon\r\n"), tables_);
  LoadMidpoints(extra, ListKind::NatalMidpoints, dir_.path() / "missing.nmp", tables_);
  LoadMidpoints(extra, ListKind::NatalMidpoints, File("empty.nmp", ""), tables_);
  LoadLunarMansions(extra, "", tables_);
  EXPECT_EQ(extra.Total(), 1);
  EXPECT_EQ(extra.count[static_cast<size_t>(ListKind::NatalMidpoints)], 0);
  // A missing degree-pair file leaves what was loaded.
  LoadDegreePairs(extra, dir_.path() / "missing.t2n");
  EXPECT_EQ(extra.Total(), 1);
}

struct RefusedRowCase {
  ListKind kind;
  const char* line;
  const char* why;
};

// Rows that cannot be a point are left out with one notice each, and the rows around them load.
TEST_F(TargetListsTest, EveryRefusedRowGivesANoticeNamingFileLineAndCause) {
  const RefusedRowCase cases[] = {
      {ListKind::DegreePairs, "T 10/1e308", "the natal degree must be a number above 0 and below 360"},
      {ListKind::DegreePairs, "T 999/359", "the transit degree 999 is not below 360"},
      {ListKind::DegreePairs, "Zero 010/0", "the natal degree must be a number above 0 and below 360"},
      {ListKind::DegreePairs, "T x/10", "its label does not end in a whole number of degrees"},
      {ListKind::AuspiciousPoints, "Far 999/Moon", "the degree 999 is not below 360"},
      {ListKind::AuspiciousPoints, "Good 120/Nobody", "\"Nobody\" is not the name of a planet"},
      {ListKind::LunarMansions, "Nak-28, pada 1/Moon", "there is no mansion 28 (1 to 27)"},
      {ListKind::LunarMansions, "Nak-01, pada 5/Moon", "there is no pada 5 (1 to 4)"},
      {ListKind::LunarMansions, "Nak-xx, pada 1/Moon", "it does not begin with a pada such as \"Nak-05, pada 3\""},
      {ListKind::LunarMansions, "Nak-02, pada 1/moon", "\"moon\" is not the name of a planet"},
      {ListKind::NatalMidpoints, "Sun/Nobody", "\"Nobody\" is not the name of a planet"},
      {ListKind::MidpointsToNatal, "no slash here", "it has no \"/\""},
  };
  const char* good[] = {"", "A 010/1", "B 020/Sun", "Nak-02, pada 1/Moon", "Sun/Moon", "Sun/Moon", "Sun/Moon"};
  for (const RefusedRowCase& c : cases) {
    ExtraPoints extra;
    std::string text = std::string(good[static_cast<int>(c.kind)]) + "\r\n\r\n" + c.line + "\r\n";
    LoadTargetListText(extra, c.kind, "my.lst", text, tables_);
    EXPECT_EQ(extra.Total(), 1) << c.line;
    ASSERT_EQ(extra.notices.size(), 1u) << c.line;
    EXPECT_EQ(extra.notices[0].substr(extra.notices[0].find('\'')),
              "'my.lst', line 3: \"" + std::string(c.line) + "\" is left out: " + c.why + ".");
  }
  ExtraPoints extra;
  LoadLunarMansions(extra, File("my.nak", "Nak-28, pada 1/Moon\r\n"), tables_);
  EXPECT_EQ(extra.notices, std::vector<std::string>{
                               "Lunar mansion file 'my.nak', line 1: \"Nak-28, pada 1/Moon\" is left out: there is no "
                               "mansion 28 (1 to 27)."});
}

TEST_F(TargetListsTest, NatalMidpointsLieOnTheShorterArcAtTheNatalMoment) {
  test::ScratchDir ephemeris;
  PrepareEphemeris(ephemeris.path());
  ChartRecord record;
  record.Size(N());
  record.inputs = ChartInputs{22, 9, 1949, 16.35889f, 43, -95.3833, 29.75};
  ChartCalculator calc(tables_, record, {});
  calc.CalcChart(false);
  record.natalPlace = {record.inputs.longitude, record.inputs.latitude};
  std::vector<double> lon(record.planetLon), speed(record.planetSpeed);

  ExtraPoints extra;
  LoadAuspiciousPoints(extra, File("m.apt", "C 030/Sun\r\n"), tables_);
  LoadMidpoints(extra, ListKind::NatalMidpoints, File("n.nmp", "Sun/Moon\r\nJupiter/Saturn\r\n"), tables_);
  calc.SetExtraPoints({&extra.rows});
  ComputeNatalMidpoints(extra, calc, record.natalJulianDay, N());
  EXPECT_EQ(extra.natalMidpointLon[0], 0.0);  // the auspicious point is no midpoint
  EXPECT_NEAR(extra.natalMidpointLon[1], Midpoint(lon[1], lon[2]), 1e-9);
  EXPECT_NEAR(extra.natalMidpointSpeed[1], (speed[1] + speed[2]) / 2, 1e-9);
  EXPECT_NEAR(extra.natalMidpointLon[2], Midpoint(lon[6], lon[7]), 1e-9);
}

}  // namespace
}  // namespace kesmora
