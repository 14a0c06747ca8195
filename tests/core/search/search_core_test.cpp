// Pieces of the search: the crossing finder, the walk through time, the sort of the hit tables,
// the whole-degree rounding of a position and the orb of a hit beside a whole degree or at an
// angle that is no whole degree; and the target-list loaders: points numbered behind the planets
// in loading order, the pada a line names, and the lines each loader leaves out with a notice.
#include "core/search/aspect_search.h"
#include "core/search/crossing.h"
#include "core/search/hit_table.h"
#include "core/search/run_options.h"
#include "core/search/sample_session.h"
#include "core/search/walk.h"
#include "core/test_support.h"
#include "core/search/target_lists.h"
#include "core/reference/text.h"
#include "core/results/results.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <iomanip>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace kesmora {
namespace {

// --- The crossing finder and the walk ----------------------------------------------------

double Cubic(double t) { return t * t * t - 2 * t - 5; }     // 2.0945514815423265
double Steep(double t) { return std::tanh(200 * (t - 0.3)); }  // a fast body past a slow one

// What the root finder makes of a bracket.
TEST(FindCrossing, NarrowsToAMillisecondAndSaysWhyItFoundNone) {
  struct Case {
    const char* what;
    std::function<double(double)> f;
    double a, b;
    CrossingStatus status;
    double root;  // when found
  } cases[] = {
      {"cubic", Cubic, 2, 3, CrossingStatus::Found, 2.0945514815423265},
      {"steep", Steep, 0, 1, CrossingStatus::Found, 0.3},
      {"zero at the later end", [](double t) { return t - 1; }, 0, 1, CrossingStatus::Found, 1},
      // A whole-sign cusp moving on to the next sign.
      {"jump", [](double t) { return t < 0.4 ? 20 - 10 * t : -10 - 10 * t; }, 0, 1, CrossingStatus::Jump, 0},
      // The rounding between two computations of one point (the South Node and the North Node
      // turned by 180 degrees), and a zero at the end of it.
      {"noise", [](double t) { return 3e-14 * std::sin(1000 * t); }, 0.001, 0.004, CrossingStatus::Hair, 0},
      {"noise to zero", [](double t) { return t < 1 ? 1e-14 : 0.0; }, 0, 1, CrossingStatus::Hair, 0},
      // A crossing so flat that the secant creeps towards it: the search keeps the end it was
      // left at, within the residual.
      {"flat", [](double t) { return std::pow(t - 0.3, 9); }, 0, 1, CrossingStatus::NotConverged, 0.3},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Brackets(c.f(c.a), c.f(c.b))) << c.what;
    CrossingResult x = FindCrossing(c.f, c.a, c.f(c.a), c.b, c.f(c.b));
    EXPECT_EQ(x.status, c.status) << c.what;
    if (c.status == CrossingStatus::Found) {
      EXPECT_NEAR(x.at, c.root, kCrossingToleranceDays) << c.what;
    }
    const bool kept = c.status == CrossingStatus::Found || c.status == CrossingStatus::NotConverged;
    ASSERT_EQ(x.Moment().has_value(), kept) << c.what;
    if (kept) {
      EXPECT_LE(std::abs(c.f(*x.Moment())), kCrossingResidualDeg) << c.what;
    }
  }
}

// A value that is no number inside a bracket (the ephemeris failing part way through a step)
// passed the residual check, whose smaller residual it made the other end's, and gave a
// crossing at no moment at all.
TEST(FindCrossing, ANaNInsideTheBracketIsNoCrossing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto inside = [=](double t) { return t == 0 ? -0.05 : t == 1 ? 1 : nan; };
  auto amidAHair = [=](double t) { return t == 0 ? -1e-12 : t == 1 ? 1e-12 : nan; };
  for (const std::function<double(double)>& f : {std::function<double(double)>(inside), {amidAHair}}) {
    ASSERT_TRUE(Brackets(f(0), f(1)));
    CrossingResult x = FindCrossing(f, 0, f(0), 1, f(1));
    EXPECT_EQ(x.status, CrossingStatus::NonFinite);
    EXPECT_FALSE(x.Moment());
  }
}

// Which ends bracket a crossing at all.
TEST(FindCrossing, BracketsOnlyASignChangeNearZero) {
  EXPECT_TRUE(Brackets(-1, 2));
  EXPECT_TRUE(Brackets(1, 0));    // a zero at the later end belongs to this interval
  EXPECT_FALSE(Brackets(0, 1));   // and not to the next
  EXPECT_FALSE(Brackets(FoldDeg(179.0), FoldDeg(182.0)));  // 179 to -178: the fold of an opposition
  EXPECT_FALSE(Brackets(std::nan(""), 1));  // a position the ephemeris could not give
}

// A walk's pieces: each step split at a turn of the motion and either side of a midpoint's flip
// (to a tenth of a second), back in time nearest the start first, the last step cut at the
// walk's end; each moment evaluated once, the cancelling asked at every step.
TEST(WalkSteps, SplitsStepsWhereTheMotionTurnsAndWhereAMidpointFlips) {
  struct Case {
    double from, to, turnAt, flipAt;  // NaN: no turn, no flip
    std::vector<std::pair<double, double>> pieces;
  } cases[] = {{0, 2.5, NAN, NAN, {{0, 1}, {1, 2}, {2, 2.5}}},
               {0, 2, 1.25, NAN, {{0, 1}, {1, 1.25}, {1.25, 2}}},
               {0, 2, NAN, 0.6, {{0, 0.6}, {0.6, 1}, {1, 2}}},
               {0, 1, 0.8, 0.3, {{0, 0.3}, {0.3, 0.8}, {0.8, 1}}},
               {2, 0, 0.5, NAN, {{1, 2}, {0.5, 1}, {0, 0.5}}}};
  for (const Case& c : cases) {
    // A midpoint moving 10 degrees a day that jumps to the other side of the circle.
    auto lon = [&](double t) { return 10 * t + (t > c.flipAt ? 180 : 0); };
    WalkPlan plan{c.from, c.to, 1, nullptr, nullptr, nullptr};
    if (!std::isnan(c.turnAt)) plan.turnRate = [&](double t) { return t - c.turnAt; };
    if (!std::isnan(c.flipAt)) plan.flip = [&](double a, double b) { return FindFlip(lon, a, lon(a), b, lon(b)); };
    int evaluated = 0, steps = 0;
    plan.checkCancelled = [&] { ++steps; };
    std::vector<std::pair<double, double>> pieces;
    WalkSteps(plan, [&](double t) { return ++evaluated, t; }, [&](double, double va, double, double vb) {
      return pieces.emplace_back(va, vb), false;
    });
    ASSERT_EQ(pieces.size(), c.pieces.size()) << c.from << " " << c.to;
    for (size_t n = 0; n < pieces.size(); ++n) {
      EXPECT_NEAR(pieces[n].first, c.pieces[n].first, kStationToleranceDays) << c.flipAt << " piece " << n;
      EXPECT_NEAR(pieces[n].second, c.pieces[n].second, kStationToleranceDays) << c.flipAt << " piece " << n;
    }
    EXPECT_TRUE(!std::isnan(c.flipAt) || evaluated == static_cast<int>(pieces.size()) + 1) << evaluated;
    EXPECT_EQ(steps, static_cast<int>(std::ceil(std::abs(c.to - c.from))));
  }
}

// --- Hit tables --------------------------------------------------------------------------

std::vector<Hit> Hits(const std::vector<double>& times) {
  std::vector<Hit> hits;
  for (size_t n = 0; n < times.size(); ++n) {
    Hit h;
    h.movingPoint = static_cast<int>(n);  // the hit's own label
    h.exactJd = times[n];
    hits.push_back(h);
  }
  return hits;
}

std::string Labels(const std::vector<Hit>& hits) {
  std::string s;
  for (const Hit& h : hits) s += static_cast<char>('A' + h.movingPoint);
  return s;
}

// The quicksort's order, worked out by hand (pivot: the middle row counted from 1, a half
// rounded to the even row), shown for equal times by the reports and grids.
TEST(SortHitsByTime, GivesTheQuicksortOrder) {
  struct Case { std::vector<double> times; int first, last; const char* expected; } cases[] = {
      // Rows 1..6: pivot row 4, swaps 1-6 and 2-4, then each part; a truncated middle (row 3)
      // would give F D A B E C.
      {{1, 1, 2, 1, 2, 1}, 1, 6, "DFABCE"},
      {{9, 3, 2, 1, 0}, 2, 4, "ADCBE"},  // only rows 2..4
      {{2460370.5 + 2.0 / 86400, 2460370.5, 2460370.5 + 1.0 / 86400}, 1, 3, "BCA"},
  };
  for (const Case& c : cases) {
    std::vector<Hit> hits = Hits(c.times);
    SortHitsByTime(hits, c.first, c.last);
    EXPECT_EQ(Labels(hits), c.expected);
  }
  // Deep recursion on ordered input would overflow the stack if it were not bounded.
  std::vector<double> many;
  for (int n = 0; n < 30000; ++n) many.push_back(30000 - n);
  std::vector<Hit> hits = Hits(many);
  SortHitsByTime(hits, 1, 30000);
  for (size_t r = 1; r < hits.size(); ++r) ASSERT_LT(hits[r - 1].exactJd, hits[r].exactJd);
}

// --- Scans on real positions ----------------------------------------------------------------

// The search of one chart from exact positions.
struct ChartSearch {
  ChartSearch(const test::SampleSession& sample, const RunOptions& o, RunSpan span, const ChartRecord& chart)
      : natal(chart), record(chart), ctx{&sample.session.tables, &natal, nullptr, o, span, {}},
        calc(sample.session.tables, record, o.chart), positions(calc), search(ctx, positions, positions, false) {
    search.SetOutput(&hits);
  }
  ChartRecord natal, record;
  SearchContext ctx;
  ChartCalculator calc;
  ExactPositions positions;
  AspectSearch search;
  std::vector<Hit> hits;
};

// The hits of one moving point against natal points.
std::vector<Hit> Scan(const test::SampleSession& sample, const RunOptions& o, RunSpan span, const ChartRecord& chart,
                      int i, const std::vector<int>& seconds) {
  ChartSearch s(sample, o, span, chart);
  for (int j : seconds) s.search.ScanPair(Pass::TransitToNatal, i, j);
  return s.hits;
}

// The Sun reaches 0 Aries at the March equinox of 2024, 20 March 03:06:21 UT, and 1 Aries a
// day later.
TEST(EquinoxScan, APositionJustShortOfAWholeDegreeIsKeptAsThatDegree) {
  test::SampleSession sample("Greenwich,19 Mar 2024,0.00,A,0,0.00,51.48,,Greenwich");
  RunOptions o = sample.Options({"Sun"}, {}, {0}, 3);
  ChartRecord chart = sample.session.chart;
  const std::pair<double, double> targets[] = {{359.9999995, 0}, {0.9999995, 1}, {359.999955, 359.999955}};
  for (auto [natal, kept] : targets) {
    chart.natalLon[1] = natal;
    std::vector<Hit> hits = Scan(sample, o, RunSpanOf(o, 2024, 3, 19), chart, sample.Index("Sun"), {1});
    ASSERT_EQ(hits.size(), 1u) << natal;
    EXPECT_NEAR(hits[0].movingDeg, kept, 1e-6) << natal;  // four nines are not enough
    EXPECT_NEAR(hits[0].secondDeg, kept, 1e-6) << natal;
  }
  chart.natalLon[1] = 0;
  std::vector<Hit> hits = Scan(sample, o, RunSpanOf(o, 2024, 3, 19), chart, sample.Index("Sun"), {1});
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_NEAR(hits[0].exactJd, swe_julday(2024, 3, 20, 3 + 6 / 60.0 + 21 / 3600.0, SE_GREG_CAL), 30 * kOneSecondDays);
}

// The rounding of a position d.99999 or more up to d + 1 is arithmetic: at every whole degree
// it draws the line where the shortest decimal text of the position begins "d.99999". Positions
// within a ten-thousandth of a degree of 0 were once rounded to 0 where their text, in
// exponent form, read "9.99999e-05".
TEST(RoundedNearWholeDegree, RoundsWhereTheDecimalTextReadsFiveNines) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<double, double> cases[] = {
      {359.99999, 0},    {0.99999, 1},         {12.9999951, 13},     {12.99998, 12.99998},
      {-0.99999, 359},   {9.99999e-05, 9.99999e-05}, {9.999999e-06, 9.999999e-06}, {12.5, 12.5}, {inf, inf}};
  for (auto [lon, kept] : cases) EXPECT_EQ(RoundedNearWholeDegree(lon), kept) << lon;
  EXPECT_TRUE(std::isnan(RoundedNearWholeDegree(std::nan(""))));
  // The shortest text of each side of the line, at every whole degree.
  auto textReadsFiveNines = [](double lon) {
    char text[64];
    *std::to_chars(text, text + sizeof text - 1, lon).ptr = 0;
    const char* point = std::strchr(text, '.');
    return point && std::strncmp(point + 1, "99999", 5) == 0;
  };
  for (int deg = 0; deg < 360; ++deg) {
    const double line = deg + 0.99999;
    for (double lon : {std::nextafter(line, 0.0), line, std::nextafter(line, 360.0), std::nextafter(deg + 1.0, 0.0)}) {
      const bool rounded = RoundedNearWholeDegree(lon) != lon;
      EXPECT_EQ(rounded, textReadsFiveNines(lon)) << std::setprecision(17) << lon;
    }
  }
}

// A hit whose moving position falls a hair short of the whole degree its target lies on: the
// orb runs around that degree (the Sun at 0.5 and 1.5 Aries), never a degree lower. The same
// when the aspect is no whole degree (the user's aspect file may say 022.5): the orb runs
// around the exact aspect, not around the natal degree's fraction.
TEST(EquinoxScan, TheOrbOfAHitLiesAroundTheExactAspect) {
  test::SampleSession sample("Greenwich,19 Mar 2024,0.00,A,0,0.00,51.48,,Greenwich");
  auto sun = [](double jd) { return test::SweCalc(jd, SE_SUN)[0]; };
  // The natal Sun and the aspect that the transit Sun makes to it at 1 Aries.
  for (auto [natal, aspect, caption] : {std::tuple{1.0, 0, "000"}, {338.5, 1, "022.5"}, {23.75, 1, "022.75"}}) {
    sample.session.tables.aspectCaptions[static_cast<size_t>(aspect)] = caption;
    RunOptions o = sample.Options({"Sun"}, {}, {aspect}, 4);
    ChartRecord chart = sample.session.chart;
    chart.natalLon[1] = natal;
    ChartSearch s(sample, o, RunSpanOf(o, 2024, 3, 19), chart);
    s.search.ScanPair(Pass::TransitToNatal, sample.Index("Sun"), 1);
    ASSERT_EQ(s.hits.size(), 1u) << caption;
    Hit hit = s.hits[0];
    hit.movingDeg = 0.9999999;
    s.search.FindPeriods(hit);
    ASSERT_TRUE(hit.startJd && hit.endJd) << caption;
    EXPECT_NEAR(sun(*hit.startJd), 1 - o.orbBefore, 2e-5) << caption;  // a second and a half of the Sun's motion
    EXPECT_NEAR(sun(*hit.endJd), 1 + o.orbAfter, 2e-5) << caption;
  }
}

// ---- Target lists ------------------------------------------------------------------------

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
      {ListKind::DegreePairs, "Wedding 010/123.50", 10, 0}, {ListKind::DegreePairs, "T 359/0.5", 359, 0},
      {ListKind::AuspiciousPoints, "Good 120/Sun", 120, 1},
      {ListKind::AuspiciousPoints, "Fortune  005/Ascendant", 5, 15},
      {ListKind::LunarMansions, "Nak-01, pada 1/Moon", 0, 2},
      {ListKind::LunarMansions, "Nak-14, pada 3/Mars", 13 * 40.0 / 3 + 2 * 10.0 / 3, 5},
      {ListKind::MidpointsToNatal, "Sun/Moon", -1, 2}, {ListKind::MidpointsToTransit, "Mars/Mars", -1, 5},
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
  const struct { ListKind kind; const char *line, *why; } cases[] = {
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
