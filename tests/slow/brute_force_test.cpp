// Whole runs against a brute-force oracle: positions straight from libswe, a scan of the
// transit span minute by minute, sign changes refined by bisection. Every crossing of an
// aspect must be a hit within one second and every hit a crossing inside the span; every start
// and end period must lie within one second of the moment the oracle finds by the same scan.
// The oracle shares nothing with the search but the reference tables and libswe itself. The
// positions interpolated along a body's track must give the same run as exact positions, on
// these cases and over a year of every body.
#include "core/app/run.h"
#include "core/app/planetary_data.h"
#include "core/search/aspectarian.h"
#include "core/search/crossing.h"
#include "core/search/sample_session.h"
#include "slow/oracle_scan.h"

#include <iomanip>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace kesmora {
namespace {

using namespace oracle;

struct Place {
  double latitude, longitude;  // degrees, North and East positive
};

// Longitude of a planet-table entry at a moment and place.
class Oracle {
 public:
  Oracle(const ReferenceTables& tables, Zodiac zodiac, HouseSystem houses)
      : tables_(tables), houses_(houses), swe_(zodiac == Zodiac::Sidereal) {}

  double Point(double jd, int index, const Place& at) const {
    const PlanetEntry& e = tables_.Planet(index);
    if (tables_.IsBody(index)) return index == 13 ? Wrap360(swe_.Lon(jd, e.sweNumber) + 180) : swe_.Lon(jd, e.sweNumber);
    double cusps[13], ascmc[10];
    char letter = houses_ == HouseSystem::Koch ? 'K' : houses_ == HouseSystem::Placidus ? 'P' : 'E';
    swe_houses_ex(jd, swe_.Flags(), at.latitude, at.longitude, letter, cusps, ascmc);
    if (e.cls == PointClass::Cusp) {
      double c = cusps[std::stoi(e.code)];
      return houses_ == HouseSystem::WholeSign ? 30 * std::floor(c / 30) : c;
    }
    if (e.code == "ASC") return ascmc[SE_ASC];
    if (e.code == "MC") return ascmc[SE_MC];
    if (e.code == "VERTEX") return ascmc[SE_VERTEX];
    if (e.code == "ARIES_PT") return 0;
    if (e.code == "POF_d") return Wrap360(swe_.Lon(jd, SE_MOON) + ascmc[SE_ASC] - swe_.Lon(jd, SE_SUN));
    if (e.code == "POF_n") return Wrap360(ascmc[SE_ASC] - swe_.Lon(jd, SE_MOON) + swe_.Lon(jd, SE_SUN));
    ADD_FAILURE() << "the oracle has no point " << e.code;
    return 0;
  }
  double Declination(double jd, int index) const {
    const double d = Ephemeris::Declination(jd, tables_.Planet(index).sweNumber);
    return index == 13 ? -d : d;
  }

 private:
  const ReferenceTables& tables_;
  HouseSystem houses_;
  Ephemeris swe_;
};

// Both ways of finding positions give the same hits, exact times and periods within a second.
void ExpectSameRun(const RunResult& interpolated, const RunResult& exact) {
  const auto& a = interpolated.hits.RunHits();
  const auto& b = exact.hits.RunHits();
  ASSERT_EQ(a.size(), b.size());
  auto within = [](std::optional<double> x, std::optional<double> y) {
    return x.has_value() == y.has_value() && (!x || std::abs(*x - *y) < kOneSecondDays);
  };
  for (size_t n = 0; n < a.size(); ++n) {
    // Hits a few milliseconds apart may change places in the sorted table; points that are one
    // (the ascendant and the first cusp) meet a third at the same moment, several pairs at once.
    size_t m = n;
    for (size_t k = n > 16 ? n - 16 : 0; k < std::min(b.size(), n + 17); ++k)
      if (std::tie(a[n].movingPoint, a[n].secondPoint, a[n].aspect, a[n].pass) ==
          std::tie(b[k].movingPoint, b[k].secondPoint, b[k].aspect, b[k].pass) &&
          std::abs(a[n].exactJd - b[k].exactJd) < kOneSecondDays)
        m = k;
    EXPECT_LT(std::abs(a[n].exactJd - b[m].exactJd), kOneSecondDays) << "hit " << n;
    EXPECT_TRUE(within(a[n].startJd, b[m].startJd)) << "start of hit " << n;
    EXPECT_TRUE(within(a[n].endJd, b[m].endJd)) << "end of hit " << n;
    EXPECT_NEAR(std::remainder(a[n].movingDeg - b[m].movingDeg, 360.0), 0, 1e-4) << "hit " << n;  // 359.99999 is 0.00001
  }
}

// ---- The cases -------------------------------------------------------------------------------

struct Case {
  const char* name;
  const char* transitRecord;  // names-file record of Person 2
  int days;
  Zodiac zodiac;
  HouseSystem houses;
  std::vector<const char*> moving, natal;
  std::vector<int> aspects;
  bool transitToTransit;
  // Target lists, as file contents; empty when the list is not used.
  const char *degreePairs, *natalMidpoints, *transitMidpoints, *padas, *degrees;
  const char* transitMidpointsToTransit;
  // Aspect captions other than those of the shipped aspect file: index and caption.
  std::vector<std::pair<int, const char*>> captions;
};

// A failing case is named, not dumped as bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    // Mercury turns retrograde on 24 October 2026.
    {"mercury_station_houston", "Houston,20 Oct 2026,0.00,A,6,95.22,29.46,TX,Houston", 10, Zodiac::Tropical,
     HouseSystem::Placidus, {"Sun", "Moon", "Mercury", "Venus", "Ascendant"},
     {"Sun", "Moon", "Mercury", "Ascendant", "Midheaven", "Aries Point"}, {0, 1, 6, 7, 8, 10, 14}, true, "", "", "", "",
     "", "", {}},
    {"high_latitude_reykjavik", "Reykjavik,21 Jun 2026,0.00,A,0,21.56,64.08,,Reykjavik", 3, Zodiac::Tropical,
     HouseSystem::Koch, {"Moon", "Ascendant", "Midheaven", "Cusp 2"}, {"Sun", "Venus", "Jupiter"}, {0, 5, 8, 14},
     true, "", "", "", "", "", "", {}},
    {"southern_east_sydney", "Sydney,01 Mar 2024,0.00,A,-11,-151.12,-33.52,NSW,Sydney", 6, Zodiac::Tropical,
     HouseSystem::Placidus, {"Moon", "Mars", "Chiron", "South Node", "Asc+Moon-Sun"},
     {"Sun", "Saturn", "Jupiter", "Ascendant"}, {0, 2, 4, 9, 11, 12}, true, "", "", "", "", "", "", {}},
    // New moon on 11 January 2024 and full moon on 25 January: transit-to-transit periods
    // of conjunctions and oppositions.
    {"lunation_greenwich", "Greenwich,10 Jan 2024,0.00,A,0,0.00,51.29,,Greenwich", 16, Zodiac::Tropical,
     HouseSystem::Placidus, {"Sun", "Moon", "Mercury", "Venus", "Mars"}, {"Sun"}, {0, 14}, true, "", "", "", "", "", "", {}},
    // Degree pairs, one whose target lies just past 0 Aries (the natal ascendant is 241.73), natal midpoints met by transit planets
    // and by transit midpoints, and a transit midpoint against natal planets. Every pada and degree is reached in the span.
    {"lists_london", "London,06 Dec 2026,0.00,A,0,0.07,51.30,,London", 4, Zodiac::Tropical, HouseSystem::Placidus,
     {"Sun", "Moon", "Venus", "Mars"}, {"Sun", "Moon"}, {0, 6, 14}, false,
     "Near zero 001/242.4333\r\nLate 300/120.25\r\n", "Sun/Moon\r\nVenus/Mars\r\n", "Sun/Moon\r\nMoon/Mars\r\n",
     "Nak-18, pada 1/Moon\r\nNak-20, pada 2/Sun\r\n", "Lucky 240/Moon\r\nGood 242/Mercury\r\n", "", {}},
    // The padas are entered where the sidereal Moon reaches them, a day and more after the tropical one.
    {"lists_sidereal_whole_sign", "Delhi,10 Jan 2025,0.00,A,-5.5,-77.13,28.37,,Delhi", 3, Zodiac::Sidereal,
     HouseSystem::WholeSign, {"Moon", "Mercury", "Ascendant"}, {"Sun", "Moon", "Mars"}, {0, 8, 10}, true,
     "Dawn 010/200\r\n", "Sun/Mars\r\nMoon/Venus\r\nJupiter/Saturn\r\nSun/Moon\r\n", "Moon/Mercury\r\n",
     "Nak-04, pada 1/Moon\r\nNak-05, pada 3/Moon\r\n", "Home 180/Moon\r\n", "", {}},
    // An aspect file that says 022.5 and 040.25: the periods lie around the exact aspect.
    {"fractional_angles_sydney", "Sydney,01 Mar 2024,0.00,A,-11,-151.12,-33.52,NSW,Sydney", 4, Zodiac::Tropical,
     HouseSystem::Placidus, {"Sun", "Moon", "Mercury", "Mars", "Ascendant"}, {"Sun", "Moon", "Venus", "Jupiter", "Ascendant"},
     {0, 1, 4, 8}, true, "", "", "", "", "", "", {{1, "022.5"}, {4, "040.25"}}},
    // The full moon of 25 January 2024 at 17:54 UT: the Sun/Moon midpoint flips to the other side
    // of the circle, and Mars/Ascendant does every day. Hits beside the flips, from transit
    // midpoints to natal and to transit planets (Sun/Moon 036 natal Sun at 18:15:58 UT).
    {"midpoint_flips_full_moon", "Greenwich,24 Jan 2024,0.00,A,0,0.00,51.29,,Greenwich", 3, Zodiac::Tropical,
     HouseSystem::Placidus, {"Sun", "Moon", "Mars"}, {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn",
     "Ascendant", "Midheaven"}, {0, 1, 2, 3, 5, 6, 8, 10, 12, 14}, true, "", "", "Sun/Moon\r\nMars/Ascendant\r\n",
     "", "", "Sun/Moon\r\nMars/Ascendant\r\n", {}},
    // Pairs that are always in aspect (the nodes, the ascendant and the first cusp, the midheaven
    // and the tenth) give no hits; the Moon and the angles meet the nodes.
    {"always_in_aspect_greenwich", "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich", 3, Zodiac::Tropical,
     HouseSystem::Placidus, {"Moon", "North Node", "South Node", "Ascendant", "Cusp 1", "Midheaven", "Cusp 10"},
     {"Sun", "North Node"}, {0, 14}, true, "", "", "", "", "", "", {}},
};

class BruteForce : public ::testing::TestWithParam<Case> {
 protected:
  BruteForce() : sample_(GetParam().transitRecord) {}

  RunOptions Options() {
    const Case& c = GetParam();
    Session& s = sample_.session;
    s.settings.optZodiac = {c.zodiac == Zodiac::Tropical, c.zodiac == Zodiac::Sidereal};
    s.settings.optHouseSystem = {c.houses == HouseSystem::Placidus, c.houses == HouseSystem::Koch,
                                 c.houses == HouseSystem::WholeSign, c.houses == HouseSystem::AscMinus30};
    auto list = [&](const char* contents, const char* name) {
      return *contents ? sample_.home.Write(name, contents).string() : std::string();
    };
    s.degreePairFile = list(c.degreePairs, "pairs.t2n");
    s.settings.nmpFilename = list(c.natalMidpoints, "natal.nmp");
    s.settings.mpnFilename = list(c.transitMidpoints, "transit.mpn");
    s.settings.nakFilename = list(c.padas, "padas.nak");
    s.settings.aptFilename = list(c.degrees, "degrees.apt");
    s.settings.mptFilename = list(c.transitMidpointsToTransit, "transit.mpt");
    for (auto [k, caption] : c.captions) s.tables.aspectCaptions[static_cast<size_t>(k)] = caption;
    EXPECT_TRUE(CalculatePlanetaryData(s, sample_.ui));
    RunOptions o = sample_.Options({}, {}, {}, c.days);
    for (const char* n : c.moving) o.transitPlanets[static_cast<size_t>(sample_.Index(n) - 1)] = true;
    for (const char* n : c.natal) o.natalPlanets[static_cast<size_t>(sample_.Index(n) - 1)] = true;
    for (int k : c.aspects) o.aspects[static_cast<size_t>(k)] = true;
    o.chart = ChartOptionsOf(s.settings);
    o.transitToTransit = c.transitToTransit;
    o.degreePairs = *c.degreePairs;
    o.auspiciousPoints = *c.degrees;
    o.lunarMansions = *c.padas;
    o.transitMidpointsToNatalPlanets = o.transitMidpointsToNatalMidpoints = *c.transitMidpoints;
    o.transitPlanetsToNatalMidpoints = *c.natalMidpoints;
    o.transitMidpointsToTransitPlanets = *c.transitMidpointsToTransit;
    o.orbBefore = 0.5;
    o.orbAfter = 0.25;
    o.periodWindow = 2;
    return o;
  }

  RunResult Run(const RunOptions& o) const { return RunAspectarian(RunInputOf(sample_.session, o)); }
  Oracle MakeOracle() const { return {sample_.session.tables, GetParam().zodiac, GetParam().houses}; }
  Place TransitPlace() const { return {sample_.session.chart.transitPlace.latitude, sample_.session.chart.transitPlace.longitude}; }
  Place NatalPlace() const { return {sample_.session.chart.natalPlace.latitude, sample_.session.chart.natalPlace.longitude}; }

  test::SampleSession sample_;
};

// How far the nearest of the run's hits that `is` picks lies from a crossing, in days.
template <typename Pick>
double NearestHitDays(const RunResult& run, double x, Pick is) {
  double best = 1e9;
  for (const Hit& h : run.hits.RunHits())
    if (is(h)) best = std::min(best, std::abs(h.exactJd - x));
  return best;
}

// One pair of a pass: its separation curve (zero at the exact aspect), and the curve of the
// period ends: the moving position against a target degree, or the distance from the exact
// aspect against the orb for two moving points.
struct OraclePair {
  Curve moving;  // longitude of the moving point
  Curve second;  // longitude of the second point
  bool bothMove;
  std::vector<double> movingSamples, secondSamples;  // minute by minute over the span
};

TEST_P(BruteForce, HitsAndPeriodsAgreeWithTheOracleWithinOneSecond) {
  const RunOptions o = Options();
  const RunResult run = Run(o);
  const ReferenceTables& t = sample_.session.tables;
  const int n = t.NumPlanetsUsed();
  const Oracle oracle = MakeOracle();
  const Place transitPlace = TransitPlace(), natalPlace = NatalPlace();
  auto natal = [&](int index) { return oracle.Point(sample_.session.chart.natalJulianDay, index, natalPlace); };
  auto transit = [&](int index) -> Curve { return [&, index](double jd) { return oracle.Point(jd, index, transitPlace); }; };

  // The points of the lists, from the run's own rows only for what the files said.
  auto point = [&](int index) -> const ExtraPoint& { return run.extra.points[static_cast<size_t>(index - n - 1)]; };
  auto component = [&](int index, int c) { return c == 0 ? point(index).Midpoint()->first : point(index).Midpoint()->second; };
  auto moverCurve = [&](int index) -> Curve {
    if (index <= n) return transit(index);
    return [&, index](double jd) {
      return ArcMidpoint(oracle.Point(jd, component(index, 0), transitPlace),
                              oracle.Point(jd, component(index, 1), transitPlace));
    };
  };
  auto natalMidpoint = [&](int index) { return ArcMidpoint(natal(component(index, 0)), natal(component(index, 1))); };
  // Minute samples over the span, each transit point computed once.
  std::vector<double> times;
  for (int m = 0; run.span.start + m * kMinute <= run.span.end; ++m) times.push_back(run.span.start + m * kMinute);
  std::map<int, std::vector<double>> tracks;
  auto track = [&](int index) -> const std::vector<double>& {
    std::vector<double>& v = tracks[index];
    if (v.empty())
      for (double jd : times) v.push_back(oracle.Point(jd, index, transitPlace));
    return v;
  };
  auto samplesOf = [&](int index) {
    if (index <= n) return track(index);
    std::vector<double> v;
    const auto &a = track(component(index, 0)), &b = track(component(index, 1));
    for (size_t m = 0; m < times.size(); ++m) v.push_back(ArcMidpoint(a[m], b[m]));
    return v;
  };
  auto constant = [&](double q) { return std::vector<double>(times.size(), q); };

  // Every pair the run searches, by pass, moving point and second point.
  std::map<std::tuple<int, int, int>, OraclePair> pairs;
  auto ticked = [&](const auto& boxes, int i) { return i <= n && boxes[static_cast<size_t>(i - 1)]; };
  for (int i = 1; i <= n + run.extra.Total(); ++i) {
    // The pass whose moving points a list gives (natal midpoints: 5, the second points).
    auto passOf = [&](int index) {
      if (index <= n) return -1;
      const ListKind kinds[] = {ListKind::MidpointsToNatal, ListKind::MidpointsToTransit, ListKind::DegreePairs,
                                ListKind::AuspiciousPoints, ListKind::LunarMansions, ListKind::NatalMidpoints};
      for (int pass = 0; pass < 6; ++pass)
        if (point(index).kind == kinds[pass]) return pass;
      return -1;
    };
    int kind = passOf(i);
    bool planet = i <= n && ticked(o.transitPlanets, i);
    for (int j = 1; j <= n + run.extra.Total(); ++j) {
      int jKind = passOf(j);
      if ((planet || kind == 0) && ticked(o.natalPlanets, j)) {
        double q = natal(j);
        pairs[{0, i, j}] = {moverCurve(i), [q](double) { return q; }, false, samplesOf(i), constant(q)};
      }
      if (o.transitToTransit && ((planet && j != i) || kind == 1) && ticked(o.transitPlanets, j))
        pairs[{1, i, j}] = {moverCurve(i), transit(j), true, samplesOf(i), samplesOf(j)};
      if (jKind == 5 && (planet || kind == 0)) {
        double q = natalMidpoint(j);
        pairs[{planet ? 5 : 6, i, j}] = {moverCurve(i), [q](double) { return q; }, false, samplesOf(i), constant(q)};
      }
    }
    if (kind == 3 || kind == 4) {
      // The planet meets the fixed degree: the planet is the second point of the row.
      int planetIndex = point(i).MeetingPlanet();
      double degree = kind == 4 ? std::get<MansionPada>(point(i).data).pada * 40.0 / 12
                                : std::get<AuspiciousPoint>(point(i).data).lonDeg;
      pairs[{kind, i, planetIndex}] = {[degree](double) { return degree; }, transit(planetIndex), false,
                                       constant(degree), samplesOf(planetIndex)};
    }
  }

  // The hits of the run by pass, points and aspect.
  const std::vector<Hit>& runHits = run.hits.RunHits();
  for (const Hit& h : runHits)
    EXPECT_TRUE(h.exactJd >= run.span.start && h.exactJd < run.span.end)
        << "a hit outside the span: pass " << PassNumber(h.pass) << " " << h.movingPoint << " " << h.aspect << " "
        << h.secondPoint << " at JD " << std::setprecision(12) << h.exactJd;
  std::multimap<std::tuple<int, int, int, int>, int> hits;  // position in the run table, from 1
  for (size_t r = 0; r < runHits.size(); ++r) {
    const Hit& h = runHits[r];
    if (h.kind == HitKind::Declination || h.pass == Pass::DegreePair) continue;
    hits.emplace(std::tuple{PassNumber(h.pass), h.movingPoint, h.secondPoint, h.aspect}, static_cast<int>(r) + 1);
  }
  auto exactOf = [&](int r) { return runHits[static_cast<size_t>(r - 1)].exactJd; };

  std::map<int, int> crossingsByPass;
  std::set<int> matchedRows;
  auto comparePeriod = [&](const char* which, std::optional<double> program, std::optional<double> expected,
                           double limitDays, double exact, const std::string& what) {
    // Beyond the period window the program may stop looking; within it both must agree.
    if (expected && std::abs(*expected - exact) > limitDays) return;
    if (!expected) {
      EXPECT_FALSE(program) << what << ": " << which << " period found where the oracle finds none";
    } else {
      ASSERT_TRUE(program) << what << ": no " << which << " period; the oracle finds JD " << *expected;
      EXPECT_LT(std::abs(*program - *expected), kOneSecond)
          << what << ": " << which << " period " << (*program - *expected) * 86400 << " s from the oracle's";
    }
  };

  for (const auto& [key, pair] : pairs) {
    auto [pass, i, j] = key;
    for (int k = 0; k <= 14; ++k) {
      if (!o.aspects[static_cast<size_t>(k)]) continue;
      double angle = t.AspectAngle(k);
      std::ostringstream name;
      name << "pass " << pass << " " << (i <= n ? t.Planet(i).name : point(i).name) << " "
           << t.aspectCaptions[static_cast<size_t>(k)] << " " << (j <= n ? t.Planet(j).name : point(j).name);
      // The moving point is the aspect angle ahead of the second one, or behind it.
      for (double side : angle == 0 || angle == 180 ? std::vector<double>{1} : std::vector<double>{1, -1}) {
        Curve f = [&, side, angle](double jd) { return Wrap180(pair.moving(jd) - pair.second(jd) - side * angle); };
        std::vector<double> samples;
        for (size_t m = 0; m < times.size(); ++m)
          samples.push_back(Wrap180(pair.movingSamples[m] - pair.secondSamples[m] - side * angle));
        for (double x : Zeros(f, samples, run.span.start, kMinute)) {
          ++crossingsByPass[pass];
          auto [lo, hi] = hits.equal_range({pass, i, j, k});
          int best = 0;
          for (auto it = lo; it != hi; ++it)
            if (!best || std::abs(exactOf(it->second) - x) < std::abs(exactOf(best) - x)) best = it->second;
          if (!best || std::abs(exactOf(best) - x) >= kOneSecond) {
            ADD_FAILURE() << name.str() << " at JD " << std::setprecision(12) << x << ": no hit within a second"
                          << (best ? " (nearest " + std::to_string((exactOf(best) - x) * 86400) + " s)" : "");
            continue;
          }
          matchedRows.insert(best);
          const Hit& p = runHits[static_cast<size_t>(best - 1)];
          double exact = exactOf(best);
          if (pair.bothMove) {
            // The distance from the exact aspect reaches the orb; the separation is measured on
            // the shorter arc, 0 to 180 degrees, whichever point is ahead.
            Curve distance = [&](double jd) { return std::abs(std::abs(Wrap180(pair.moving(jd) - pair.second(jd))) - angle); };
            auto before = FirstZero([&](double jd) { return distance(jd) - o.orbBefore; }, exact, exact - o.periodWindow - 3);
            auto after = FirstZero([&](double jd) { return distance(jd) - o.orbAfter; }, exact, exact + o.periodWindow + 3);
            comparePeriod("start", p.startJd, before, o.periodWindow, exact, name.str());
            comparePeriod("end", p.endJd, after, o.periodWindow + 2, exact, name.str());
          } else {
            // The moving body (the planet for a fixed degree) reaches the exact degree less
            // the orb before and plus the orb after, in the direction it moves.
            bool fixedDegree = pass == 3 || pass == 4;
            const Curve& body = fixedDegree ? pair.second : pair.moving;
            double degree = body(exact);
            // Its motion over a minute either side; a midpoint that flips beside the exact moment
            // jumps by half a turn on one side, far more than it moves on the other.
            double ahead = Wrap180(body(exact + kMinute) - degree), behind = Wrap180(degree - body(exact - kMinute));
            double sign = (std::abs(ahead) < std::abs(behind) ? ahead : behind) >= 0 ? 1 : -1;
            auto reach = [&](double target, double towards) {
              return FirstZero([&](double jd) { return Wrap180(body(jd) - target); }, exact, towards);
            };
            comparePeriod("start", p.startJd, reach(degree - sign * o.orbBefore, exact - o.periodWindow - 3), o.periodWindow - 1,
                          exact, name.str());
            comparePeriod("end", p.endJd, reach(degree + sign * o.orbAfter, exact + o.periodWindow + 3), o.periodWindow + 1, exact,
                          name.str());
          }
        }
      }
    }
  }
  for (const auto& [key, r] : hits)
    if (exactOf(r) > run.span.start + kMinute && exactOf(r) < run.span.end - kMinute && !matchedRows.count(r))
      ADD_FAILURE() << "hit without a crossing: pass " << std::get<0>(key) << " " << std::get<1>(key) << " "
                    << std::get<3>(key) << " " << std::get<2>(key) << " at JD " << std::setprecision(12) << exactOf(r);
  // Each pass searched meets something in the span, or the case would prove nothing about it.
  std::set<int> searched;
  for (const auto& entry : pairs) searched.insert(std::get<0>(entry.first));
  for (int pass : searched) EXPECT_GT(crossingsByPass[pass], 0) << "pass " << pass << " meets nothing in the span";
}

// The ascendant reaches the degree of each pair: T less (D less the natal ascendant).
class DegreePairsBruteForce : public BruteForce {};

TEST_P(DegreePairsBruteForce, AgreeWithTheOracleWithinOneSecond) {
  const RunResult run = Run(Options());
  const Oracle oracle = MakeOracle();
  const int asc = sample_.Index("Ascendant");
  const Place transitPlace = TransitPlace();
  const double natalAsc = oracle.Point(sample_.session.chart.natalJulianDay, asc, NatalPlace());
  int crossings = 0;
  std::istringstream lines(GetParam().degreePairs);
  for (std::string line; std::getline(lines, line);) {
    size_t slash = line.find('/');
    double transitDegree = std::stod(line.substr(slash - 3, 3)), natalDegree = std::stod(line.substr(slash + 1));
    double target = Wrap360(transitDegree - Wrap360(natalDegree - natalAsc));
    Curve f = [&](double jd) { return Wrap180(oracle.Point(jd, asc, transitPlace) - target); };
    for (double x : Zeros(f, run.span.start, run.span.end)) {
      ++crossings;
      EXPECT_LT(NearestHitDays(run, x, [&](const Hit& h) {
                  const ExtraPoint* point = run.extra.Point(h.movingPoint, sample_.session.tables.NumPlanetsUsed());
                  const DegreePair* pair = point ? std::get_if<DegreePair>(&point->data) : nullptr;
                  return h.pass == Pass::DegreePair && h.aspect == 0 && pair && std::abs(pair->natalDeg - natalDegree) < 1e-9;
                }),
                kOneSecond) << line << " at JD " << std::setprecision(12) << x << " target " << target;
    }
  }
  EXPECT_GT(crossings, 0);
}

// Parallels and contra-parallels against a minute-by-minute scan of the declination. A
// declination does not depend on the zodiac: the sidereal case is measured on the same equator.
class ParallelsBruteForce : public BruteForce {};

TEST_P(ParallelsBruteForce, EveryParallelIsAHitWithinOneSecond) {
  RunOptions o = Options();
  o.aspects.fill(false);
  o.aspects[15] = o.aspects[16] = true;
  o.transitToTransit = o.degreePairs = o.auspiciousPoints = o.lunarMansions = false;
  o.transitPlanetsToNatalMidpoints = o.transitMidpointsToNatalMidpoints = o.transitMidpointsToNatalPlanets = false;
  const RunResult run = Run(o);
  const ReferenceTables& t = sample_.session.tables;
  const Oracle oracle = MakeOracle();
  for (const Hit& h : run.hits.RunHits())
    EXPECT_TRUE(h.exactJd >= run.span.start && h.exactJd < run.span.end) << "a parallel outside the span at " << h.exactJd;
  int crossings = 0;
  for (int i = 1; i <= t.NumPlanetsUsed(); ++i) {
    if (!o.transitPlanets[static_cast<size_t>(i - 1)] || !t.IsBody(i)) continue;
    for (int j = 1; j <= t.NumPlanetsUsed(); ++j) {
      if (!o.natalPlanets[static_cast<size_t>(j - 1)] || !t.IsBody(j)) continue;
      double natalDecl = oracle.Declination(sample_.session.chart.natalJulianDay, j);
      for (int k : {15, 16}) {
        double target = k == 15 ? natalDecl : -natalDecl;
        for (double x : Zeros([&](double jd) { return oracle.Declination(jd, i) - target; }, run.span.start, run.span.end)) {
          ++crossings;
          EXPECT_LT(NearestHitDays(run, x, [&](const Hit& h) {
                      return h.kind == HitKind::Declination && h.movingPoint == i && h.secondPoint == j && h.aspect == k;
                    }),
                    kOneSecond) << t.Planet(i).name << " " << (k == 15 ? "par" : "c.p") << " "
                                      << t.Planet(j).name << " at JD " << std::setprecision(12) << x;
        }
      }
    }
  }
  EXPECT_GT(crossings, 0);
}

// The positions interpolated along the track and those computed at every step give the same run.
TEST_P(BruteForce, InterpolatedAndExactPositionsGiveTheSameRun) {
  RunOptions o = Options();
  RunResult interpolated = Run(o);
  o.exactEphemeris = true;
  RunResult exact = Run(o);
  ASSERT_GT(interpolated.hits.HitCount(), 10);
  ExpectSameRun(interpolated, exact);
}

// A year of every body of the shipped set against four natal points: the interpolants of
// every body, the Moon's, the nodes' and the asteroids' included, near stations and
// conjunctions with the Sun.
TEST(YearOfEveryBody, InterpolatedAndExactPositionsGiveTheSameRun) {
  test::SampleSession sample("Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  RunOptions o = sample.Options({}, {"Sun", "Moon", "Ascendant", "Midheaven"}, {0, 5, 7, 9, 14}, 365);
  for (int i = 1; i <= sample.session.tables.NumPlanetsUsed(); ++i)
    o.transitPlanets[static_cast<size_t>(i - 1)] = sample.session.tables.IsBody(i);
  o.hitLimit = 1 << 20;
  RunResult interpolated = RunAspectarian(RunInputOf(sample.session, o));
  o.exactEphemeris = true;
  RunResult exact = RunAspectarian(RunInputOf(sample.session, o));
  ASSERT_GT(interpolated.hits.HitCount(), 500);
  ExpectSameRun(interpolated, exact);
}

const auto kCaseName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Charts, BruteForce, ::testing::ValuesIn(kCases), kCaseName);
// The southern chart again in the sidereal zodiac: its parallels fall where the tropical ones do.
Case Sidereal(Case c) {
  c.name = "southern_east_sydney_sidereal";
  c.zodiac = Zodiac::Sidereal;
  return c;
}

INSTANTIATE_TEST_SUITE_P(Charts, ParallelsBruteForce,
                         ::testing::Values(kCases[0], kCases[1], kCases[2], kCases[3], Sidereal(kCases[2])), kCaseName);
INSTANTIATE_TEST_SUITE_P(Charts, DegreePairsBruteForce, ::testing::Values(kCases[4], kCases[5]), kCaseName);

}  // namespace
}  // namespace kesmora
