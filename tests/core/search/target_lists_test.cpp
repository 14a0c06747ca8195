// The target-list loaders: points numbered behind the planets in loading order, the pada a
// line names, and the lines each loader leaves out with a notice.
#include "core/test_support.h"
#include "core/search/target_lists.h"
#include "core/reference/text.h"
#include "core/results/results.h"

#include <gtest/gtest.h>

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

TEST_F(TargetListsTest, PointsAreNumberedBehindThePlanetsInLoadingOrder) {
  ExtraPoints extra;
  LoadDegreePairs(extra, File("g.t2n", "A 010/1\r\nB 020/2\r\n"));
  LoadAuspiciousPoints(extra, File("h.apt", "C 030/Sun\r\n"), tables_);
  LoadLunarMansions(extra, File("i.nak", "Nak-27, pada 4/Moon\r\nNak-02, pada 1/Mars\r\n"), tables_);
  LoadMidpoints(extra, ListKind::NatalMidpoints, File("j.nmp", "Sun/Moon\r\n"), tables_);
  LoadMidpoints(extra, ListKind::NatalMidpoints, dir_.path() / "missing.nmp", tables_);  // adds nothing
  LoadMidpoints(extra, ListKind::MidpointsToNatal, File("empty.mpn", ""), tables_);
  ASSERT_EQ(extra.Total(), 6);
  // The first mansion point follows two degree pairs and one auspicious point.
  EXPECT_EQ(extra.FirstIndex(ListKind::LunarMansions, N()), N() + 4);
  EXPECT_EQ(extra.Point(N() + 4, N())->name, "Nak-27, pada 4");
  EXPECT_EQ(extra.FirstIndex(ListKind::NatalMidpoints, N()), N() + 6);
  EXPECT_EQ(extra.Point(N() + 7, N()), nullptr);
  // The pada's number from 0 and the degree where it starts, 3 deg 20' each.
  EXPECT_EQ(std::get<MansionPada>(extra.points[3].data).pada, 107);
  EXPECT_NEAR(*extra.points[3].FixedLonDeg(), 356.6666666666631, 1e-9);
  EXPECT_NEAR(*extra.points[4].FixedLonDeg(), 13.3333333333332, 1e-9);
  // A later degree-pair file starts the table afresh; a missing one leaves it.
  LoadDegreePairs(extra, dir_.path() / "missing.t2n");
  EXPECT_EQ(extra.Total(), 6);
  LoadDegreePairs(extra, File("k.t2n", "Z 001/1\r\n"));
  EXPECT_EQ(extra.Total(), 1);
}

// The target of a mansion's first pada stands on the mansion's first degree; the reports once
// showed it, from Nak-21 on, in the mansion before or in its last pada.
TEST_F(TargetListsTest, APadaTargetIsReportedInItsOwnMansionAndPada) {
  std::string text;
  for (const std::string& pada : PadaTexts()) text += pada + "/Moon\r\n";
  ExtraPoints extra;
  LoadTargetListText(extra, ListKind::LunarMansions, "all.nak", text, tables_);
  ASSERT_EQ(extra.Total(), 108);
  for (int q = 0; q < 108; ++q) {
    const ExtraPoint& point = extra.points[static_cast<size_t>(q)];
    double lon = *point.FixedLonDeg();
    EXPECT_EQ(MansionNumber(lon), q / 4 + 1) << point.name;
    EXPECT_EQ(PadaNumber(lon), q % 4 + 1) << point.name;
  }
}

// A list's lines come back from the points they load, byte for byte (blanks, trailing zeros and
// all), and the list editor's read and write give the file back as it was.
TEST_F(TargetListsTest, ListLinesComeBackFromTheirPointsByteForByte) {
  const struct {
    ListKind kind;
    const char* line;
    double lonDeg;  // where a fixed point stands; -1 for a midpoint
    int planet;     // the planet that meets it, or the midpoint's second planet
  } cases[] = {
      {ListKind::DegreePairs, "Wedding 010/123.50", 10, 0},
      {ListKind::DegreePairs, "T 359/0.5", 359, 0},
      {ListKind::AuspiciousPoints, "Good 120/Sun", 120, 1},
      {ListKind::AuspiciousPoints, "Fortune  005/Ascendant", 5, 15},
      {ListKind::LunarMansions, "Nak-01, pada 1/Moon", 0, 2},
      {ListKind::LunarMansions, "Nak-14, pada 3/Mars", 13 * 40.0 / 3 + 2 * 10.0 / 3, 5},
      {ListKind::MidpointsToNatal, "Sun/Moon", -1, 2},
      {ListKind::MidpointsToTransit, "Mars/Mars", -1, 5},
      {ListKind::NatalMidpoints, "Venus/Midheaven", -1, 16},
  };
  for (const auto& c : cases) {
    ExtraPoints extra;
    LoadTargetListText(extra, c.kind, "my.lst", std::string(c.line) + "\r\n", tables_);
    ASSERT_EQ(extra.Total(), 1) << c.line;
    const ExtraPoint& point = extra.points[0];
    EXPECT_EQ(point.kind, c.kind);
    std::string line;
    if (const auto* pair = std::get_if<DegreePair>(&point.data)) {
      line = point.name + "/" + pair->natalText;
      EXPECT_EQ(pair->natalDeg, std::stod(pair->natalText)) << c.line;
    } else if (const MidpointPair* mid = point.Midpoint()) {
      line = tables_.Planet(mid->first).name + "/" + tables_.Planet(mid->second).name;
      EXPECT_EQ(point.name, c.line);
      EXPECT_EQ(mid->second, c.planet) << c.line;
    } else {
      line = point.name + "/" + tables_.Planet(point.MeetingPlanet()).name;
      EXPECT_EQ(point.MeetingPlanet(), c.planet) << c.line;
    }
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(point.FixedLonDeg().has_value(), c.lonDeg >= 0) << c.line;
    if (c.lonDeg >= 0) {
      EXPECT_NEAR(*point.FixedLonDeg(), c.lonDeg, 1e-9) << c.line;
    }
  }
  // The editor reads the lines of a file and writes them CR LF: a CR LF file comes back whole.
  std::string text;
  for (const auto& c : cases) text += std::string(c.line) + "\r\n";
  std::optional<std::vector<std::string>> lines = ReadLines(File("all.lst", text));
  ASSERT_TRUE(lines);
  EXPECT_EQ(JoinCrlf(*lines), text);
}

// Rows that cannot be a point are left out with one notice each, and the rows around them load.
TEST_F(TargetListsTest, EveryRefusedRowGivesANoticeNamingFileLineAndCause) {
  const struct {
    ListKind kind;
    const char *line, *why;
  } cases[] = {
      {ListKind::DegreePairs, "T 10/1e308", "the natal degree must be a number above 0 and below 360"},
      {ListKind::DegreePairs, "T 999/359", "the transit degree 999 is not below 360"},
      {ListKind::DegreePairs, "T x/10", "its label does not end in a whole number of degrees"},
      {ListKind::AuspiciousPoints, "Far 999/Moon", "the degree 999 is not below 360"},
      {ListKind::AuspiciousPoints, "Good 120/Nobody", "\"Nobody\" is not the name of a planet"},
      {ListKind::LunarMansions, "Nak-28, pada 1/Moon", "there is no mansion 28 (1 to 27)"},
      {ListKind::LunarMansions, "Nak-01, pada 5/Moon", "there is no pada 5 (1 to 4)"},
      {ListKind::LunarMansions, "Nak-xx, pada 1/Moon", "it does not begin with a pada such as \"Nak-05, pada 3\""},
      {ListKind::MidpointsToNatal, " Sun/Moon", "\" Sun\" is not the name of a planet"},
      {ListKind::MidpointsToNatal, "no slash here", "it has no \"/\""},
  };
  const char* good[] = {"", "A 010/1", "B 020/Sun", "Nak-02, pada 1/Moon", "Sun/Moon", "Sun/Moon", "Sun/Moon"};
  for (const auto& c : cases) {
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

}  // namespace
}  // namespace kesmora
