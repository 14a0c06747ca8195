// Elections: conditions read from and written to text, the files they are kept in, the
// intervals of the conditions found from events and the clock, and the ranking of windows; and
// their interval algebra, checked point by point against the sets' membership on random sets (a
// fixed seed). The conditions computed from positions are checked against libswe in tests/slow.
#include "core/search/election.h"
#include "core/search/election_file.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace kesmora {
namespace {

class ElectionTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadReferenceData(tables_, test::ShippedDataDir()); }
  int Index(const std::string& name) const {
    for (int i = 1; i <= tables_.NumPlanetsUsed(); ++i)
      if (tables_.Planet(i).name == name) return i;
    return 0;
  }
  Condition Parse(const std::string& text) const {
    auto parsed = ParseCondition(text, tables_);
    EXPECT_TRUE(parsed) << text << ": " << parsed.error;
    return parsed ? *parsed.value : Condition{};
  }
  ReferenceTables tables_;
  test::ScratchDir dir_;
};

// Each condition reads back from the text it is written as; sloppy spelling is written tidily.
TEST_F(ElectionTest, ConditionsReadBackFromTheirText) {
  const std::pair<const char*, const char*> cases[] = {
      {"transit Jupiter 120 natal Sun orb 2", ""}, {"transit Mars 090 natal Ascendant orb 1", ""},
      {"transit Moon 000 transit Venus orb 5.5 applying", ""},
      {"transit North Node 180 natal Cusp 10 orb 0.25 separating", ""},
      {"TRANSIT moon 060  natal  sun ORB 3", "transit Moon 060 natal Sun orb 3"},
      {"Moon void", ""}, {"Mercury retrograde", ""}, {"Mercury stationary 24", ""},
      {"Mercury stationary", "Mercury stationary 24"}, {"Moon in Taurus,Cancer", ""},
      {"Venus in pisces, aries", "Venus in Aries,Pisces"}, {"Moon in mansion 4 pada 2", ""},
      {"Moon in mansion 27", ""}, {"Venus in natal house 10", ""}, {"hits >= 3", ""}, {"time 09:00-17:00", ""},
      {"time 22:30-24:00", ""}, {"time 22:00-02:00", ""}, {"weekday Mon,Tue,Wed", ""},
      {"weekday friday, sun", "weekday Fri,Sun"},
      // Numbers are kept to a millionth, so that they are written as they read back.
      {"transit Sun 000 natal Sun orb 0.30000000000000004", "transit Sun 000 natal Sun orb 0.3"},
      {"Mars stationary 1.0000004", "Mars stationary 1"},
  };
  for (auto [text, tidy] : cases) {
    SCOPED_TRACE(text);
    Condition c = Parse(text);
    const std::string written = ConditionText(c, tables_);
    EXPECT_EQ(written, *tidy ? tidy : text);
    EXPECT_EQ(Parse(written), c);
  }
  auto a = std::get<AspectInOrb>(Parse("transit Moon 000 transit Venus orb 5.5 applying"));
  EXPECT_EQ(a.transitPoint, Index("Moon"));
  EXPECT_EQ(a.otherPoint, Index("Venus"));
  EXPECT_TRUE(a.otherIsTransit);
  EXPECT_EQ(a.orbDeg, 5.5);
  EXPECT_EQ(std::get<TimeOfDay>(Parse("time 22:00-02:00")), (TimeOfDay{1320, 120}));
}

// Each bad condition is refused with what was expected at the place it went wrong.
TEST_F(ElectionTest, BadConditionsSayWhatWasExpected) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "expected a condition"},
      {"transit Jupitor 120 natal Sun orb 2", "a planet or point after 'transit', not 'Jupitor"},
      {"transit Jupiter 100 natal Sun orb 2", "an aspect (000 018 030"},
      {"transit Jupiter par natal Sun orb 2", "an aspect"},
      {"transit Jupiter 120 natal Sun orb -1", "orb of more than 0 and at most 180 degrees after 'orb', not '-1'"},
      {"transit Jupiter 120 natal Sun orb 200", "not '200'"},
      {"transit Jupiter 120 natal Sun orb nan", "not 'nan'"}, {"transit Jupiter 120 natal Sun orb 0", "not '0'"},
      {"transit Jupiter 120 natal Sun orb 0.0000001", "not '0.0000001'"},
      {"transit Jupiter 120 natal Sun", "expected 'orb'"},
      {"transit Jupiter 120 natal Sun orb 2 soon", "the end of the condition, not 'soon'"},
      {"transit Jupiter 120 natal Sun orb 2 applying separating", "not 'separating'"},
      {"transit Venus 000 transit Venus orb 2", "another point"},
      {"transit Venus 000 radix Sun orb 2", "'natal' or 'transit'"},
      {"Mars void", "only the Moon"}, {"Ascendant retrograde", "a planet before 'retrograde'"},
      {"Mercury stationary 0", "hours from the station"},
      {"Moon in mansion 28", "a mansion from 1 to 27 after 'mansion', not '28'"},
      {"Moon in mansion 0", "a mansion from 1 to 27"}, {"Moon in mansion 4 pada 5", "a pada from 1 to 4"},
      {"Mars in mansion 4", "mansions are the Moon's"}, {"Moon in Taurus,Caner", "signs Aries to Pisces"},
      {"Moon in natal house 13", "a house from 1 to 12"}, {"hits >= 0", "1 or more"}, {"hits > 3", "'>='"},
      {"time 25:00-26:00", "HH:MM-HH:MM"}, {"time 09:60-10:00", "HH:MM-HH:MM"}, {"time 24:00-01:00", "HH:MM-HH:MM"},
      {"time 9:00-17:00", "HH:MM-HH:MM"}, {"time 10:00-10:00", "ends after it starts"},
      {"weekday Mon,Xyz", "Mon to Sun"}, {"weekday", "Mon to Sun"},
      {"Moon", "'void', 'retrograde', 'stationary' or 'in'"}, {"nothing at all", "not 'nothing'"},
  };
  for (auto [text, expected] : cases) {
    auto parsed = ParseCondition(text, tables_);
    EXPECT_FALSE(parsed) << text;
    EXPECT_NE(parsed.error.find(expected), std::string::npos) << text << ": " << parsed.error;
  }
}

TEST_F(ElectionTest, RolesAndWeightsOfLinesAndArguments) {
  auto line = ParseElectionLine("prefer 2 hits >= 3", tables_);
  ASSERT_TRUE(line) << line.error;
  EXPECT_EQ(line.value->role, Role::Preferred);
  EXPECT_EQ(line.value->weight, 2);
  EXPECT_EQ(ElectionLineText(*line.value, tables_), "prefer 2 hits >= 3");
  // On the command line the weight follows "=", after a condition that may hold ">=".
  auto argument = ParsePreferredArgument("hits >= 3=2", tables_);
  ASSERT_TRUE(argument) << argument.error;
  EXPECT_EQ(*argument.value, *line.value);
  argument = ParsePreferredArgument("hits >= 3", tables_);
  ASSERT_TRUE(argument) << argument.error;
  EXPECT_EQ(argument.value->weight, 1);
  EXPECT_EQ(std::get<HitsAtLeast>(argument.value->condition).count, 3);
  EXPECT_EQ(ElectionLineText(*argument.value, tables_), "prefer hits >= 3");
  for (const char* bad : {"prefer 0 Moon void", "prefer -1 Moon void", "prefer 1001 Moon void", "maybe Moon void"})
    EXPECT_FALSE(ParseElectionLine(bad, tables_)) << bad;
  EXPECT_FALSE(ParsePreferredArgument("Moon void=0", tables_));
  EXPECT_EQ(ParseElectionLine("avoid Moon void", tables_).value->role, Role::Avoided);
}

// A file is read whole or not at all; a bad line is named with its number and text.
TEST_F(ElectionTest, ElectionFilesAreReadWholeOrRefusedWithTheLine) {
  const std::string good = "# Signing the lease\nrequire time 09:00-17:00\r\n\n  avoid Moon void  \r\nprefer 2 hits >= 3";
  ElectionRead read = ParseElectionText(good, "lease.elc", tables_);
  ASSERT_TRUE(read) << read.error;
  ASSERT_EQ(read.election.items.size(), 3u);
  // Written with CR LF and read back the same.
  const std::string text = ElectionFileText(read.election, tables_, "Signing the lease");
  EXPECT_EQ(test::SplitCrlf(text), (std::vector<std::string>{"# Signing the lease", "require time 09:00-17:00",
                                                             "avoid Moon void", "prefer 2 hits >= 3"}));
  EXPECT_EQ(ParseElectionText(text, "x.elc", tables_).election.items, read.election.items);

  ElectionRead bad = ParseElectionText("require time 09:00-17:00\r\n# fine\r\navoid Moon in mansion 28\r\n",
                                       "/home/a/lease.elc", tables_);
  EXPECT_FALSE(bad);
  EXPECT_TRUE(bad.election.items.empty());
  EXPECT_EQ(bad.error,
            "The election file /home/a/lease.elc cannot be read: line 3 (avoid Moon in mansion 28): expected a mansion "
            "from 1 to 27 after 'mansion', not '28'.");
  for (const char* empty : {"", "# nothing\r\n\r\n"}) {
    ElectionRead none = ParseElectionText(empty, "e.elc", tables_);
    EXPECT_FALSE(none);
    EXPECT_NE(none.error.find("holds no condition"), std::string::npos);
  }
  EXPECT_FALSE(ReadElectionFile(dir_.path() / "missing.elc", tables_));

  const auto file = dir_.path() / "saved.elc";
  ASSERT_TRUE(WriteElectionFile(file, read.election, tables_));
  EXPECT_EQ(ReadElectionFile(file, tables_).election.items, read.election.items);
}

ElectionInputs ClockInputs(const ReferenceTables& tables, Interval span, double zoneHours) {
  ElectionInputs in;
  in.tables = &tables;
  in.span = span;
  in.timeZoneHours = zoneHours;
  return in;
}

// 2460000.5 is 2023-02-25 00:00 UT, a Saturday.
constexpr double kSaturday = 2460000.5;

void ExpectNear(const IntervalSet& actual, const IntervalSet& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t k = 0; k < actual.size(); ++k) {
    EXPECT_NEAR(actual[k].startJd, expected[k].startJd, 1e-9) << k;
    EXPECT_NEAR(actual[k].endJd, expected[k].endJd, 1e-9) << k;
  }
}

TEST_F(ElectionTest, TimeAndWeekdayFollowTheTransitPlacesClock) {
  const double h = 1.0 / 24, sat = kSaturday;
  // Sydney, 10 hours east (-10 west positive): 09:00-17:00 local is 23:00-07:00 UT from the day before.
  ElectionInputs in = ClockInputs(tables_, {sat, sat + 2}, -10);
  ExpectNear(HeldIntervals(Parse("time 09:00-17:00"), in), {{sat, sat + 7 * h}, {sat + 23 * h, sat + 31 * h}, {sat + 47 * h, sat + 2}});
  // Over midnight: 22:00 to 02:00 local in New York (5 hours west) is 03:00 to 07:00 UT.
  in.timeZoneHours = 5;
  ExpectNear(HeldIntervals(Parse("time 22:00-02:00"), in), {{sat + 3 * h, sat + 7 * h}, {sat + 27 * h, sat + 31 * h}});
  ExpectNear(HeldIntervals(Parse("time 23:00-24:00"), in), {{sat + 4 * h, sat + 5 * h}, {sat + 28 * h, sat + 29 * h}});
  // Sunday in Sydney ends at 14:00 UT on Sunday.
  in.timeZoneHours = -10;
  ExpectNear(HeldIntervals(Parse("weekday Sat,Sun"), in), {{sat, sat + 38 * h}});
  ExpectNear(HeldIntervals(Parse("weekday Mon"), in), {{sat + 38 * h, sat + 2}});
  EXPECT_TRUE(HeldIntervals(Parse("weekday Wed"), in).empty());
}

Event Ev(EventKind kind, int body, double start, double end = 0, int entered = 0, int pada = 0) {
  Event e;
  e.kind = kind;
  e.body = body;
  e.startJd = start;
  e.endJd = end ? end : start;
  e.entered = entered;
  e.pada = pada;
  return e;
}

TEST_F(ElectionTest, EventConditionsTakeTheirIntervalsFromTheEvents) {
  const int moon = Index("Moon"), mercury = Index("Mercury"), venus = Index("Venus");
  const std::vector<Event> events = {
      Ev(EventKind::Retrograde, mercury, 90, 112),  // began before the span, listed whole
      Ev(EventKind::Station, mercury, 90),
      Ev(EventKind::Void, moon, 100.2, 100.5, 3),
      Ev(EventKind::Mansion, moon, 100.25, 0, 4, 2),
      Ev(EventKind::Mansion, moon, 100.5, 0, 4, 3),
      Ev(EventKind::Retrograde, venus, 101, 140),
      Ev(EventKind::Station, venus, 101),
      Ev(EventKind::Mansion, moon, 100.75, 0, 4, 4),
      Ev(EventKind::Mansion, moon, 101, 0, 5, 1),
      Ev(EventKind::Station, mercury, 112),
  };
  ElectionInputs in = ClockInputs(tables_, {100, 115}, 0);
  in.events = &events;
  EXPECT_EQ(HeldIntervals(Parse("Moon void"), in), (IntervalSet{{100.2, 100.5}}));
  EXPECT_EQ(HeldIntervals(Parse("Mercury retrograde"), in), (IntervalSet{{100, 112}}));
  EXPECT_EQ(HeldIntervals(Parse("Venus retrograde"), in), (IntervalSet{{101, 115}}));
  EXPECT_EQ(HeldIntervals(Parse("Mercury stationary 48"), in), (IntervalSet{{110, 114}}));
  EXPECT_EQ(HeldIntervals(Parse("Venus stationary 12"), in), (IntervalSet{{100.5, 101.5}}));
  // Before its first mansion event the Moon is in the pada before: mansion 4, pada 1.
  EXPECT_EQ(HeldIntervals(Parse("Moon in mansion 4"), in), (IntervalSet{{100, 101}}));
  EXPECT_EQ(HeldIntervals(Parse("Moon in mansion 4 pada 1"), in), (IntervalSet{{100, 100.25}}));
  EXPECT_EQ(HeldIntervals(Parse("Moon in mansion 4 pada 3"), in), (IntervalSet{{100.5, 100.75}}));
  EXPECT_EQ(HeldIntervals(Parse("Moon in mansion 5"), in), (IntervalSet{{101, 115}}));
  // Without the events search these conditions are an error, not an empty set.
  in.events = nullptr;
  EXPECT_THROW(HeldIntervals(Parse("Moon void"), in), ElectionError);
}

TEST_F(ElectionTest, HitsAtLeastCountsThePeriodsInForce) {
  const std::vector<Interval> periods = {{10, 14}, {11, 12}, {11.5, 13}, {20, 21}};
  ElectionInputs in = ClockInputs(tables_, {10.5, 30}, 0);
  in.hitPeriods = &periods;
  EXPECT_EQ(HeldIntervals(Parse("hits >= 2"), in), (IntervalSet{{11, 13}}));
  EXPECT_EQ(HeldIntervals(Parse("hits >= 3"), in), (IntervalSet{{11.5, 12}}));
  EXPECT_EQ(HeldIntervals(Parse("hits >= 1"), in), (IntervalSet{{10.5, 14}, {20, 21}}));
}

// Required, avoided and preferred together: the windows, their least length and their order.
TEST_F(ElectionTest, WindowsAreRankedByScoreThenLength) {
  Election e;
  e.items = {{Role::Required, 1, Parse("time 09:00-17:00")},
             {Role::Avoided, 1, Parse("Moon void")},
             {Role::Preferred, 2, Parse("hits >= 3")},
             {Role::Preferred, 1, Parse("Mercury retrograde")}};
  const double m = 1.0 / 1440;
  const std::vector<IntervalSet> held = {
      {{0, 100 * m}, {200 * m, 400 * m}, {500 * m, 509 * m}, {600 * m, 700 * m}, {800 * m, 810 * m}},
      {{50 * m, 60 * m}},                 // cuts the first into 50 and 40 minutes
      {{250 * m, 300 * m}, {600 * m, 700 * m}},
      {{0, 1000 * m}},
  };
  auto windows = RankWindows(e, held, {0, 1}, 10);
  // 500-509 is too short; 800-810 is exactly long enough.
  ASSERT_EQ(windows.size(), 5u);
  EXPECT_EQ(windows[0].interval, (Interval{600 * m, 700 * m}));  // 2 x 1 + 1
  EXPECT_DOUBLE_EQ(windows[0].score, 3);
  EXPECT_EQ(windows[1].interval, (Interval{200 * m, 400 * m}));  // 2 x 1/4 + 1
  EXPECT_NEAR(windows[1].score, 1.5, 1e-12);
  ASSERT_EQ(windows[1].preferred.size(), 2u);
  EXPECT_EQ(windows[1].preferred[0].item, 2);
  EXPECT_NEAR(windows[1].preferred[0].heldMinutes, 50, 1e-6);
  // Equal scores: the longer first, then the earlier.
  EXPECT_EQ(windows[2].interval, (Interval{0, 50 * m}));
  EXPECT_EQ(windows[3].interval, (Interval{60 * m, 100 * m}));
  EXPECT_EQ(windows[4].interval, (Interval{800 * m, 810 * m}));
  EXPECT_NEAR(windows[4].Minutes(), 10, 1e-6);

  // Nothing required: the span less the avoided.
  Election avoidOnly;
  avoidOnly.items = {{Role::Avoided, 1, Parse("Moon void")}};
  EXPECT_EQ(RankWindows(avoidOnly, {{{0.25, 0.5}}}, {0, 1}, 10).size(), 2u);
  EXPECT_THROW(FindWindows(Election{}, ClockInputs(tables_, {0, 1}, 0)), ElectionError);
}

// A random normal set of whole-number ends in [0, 60).
IntervalSet RandomSet(std::mt19937& rng) {
  std::uniform_int_distribution<int> count(0, 6), end(0, 60);
  std::vector<Interval> raw;
  for (int n = count(rng); n > 0; --n) {
    int a = end(rng), b = end(rng);
    raw.push_back({static_cast<double>(std::min(a, b)), static_cast<double>(std::max(a, b))});
  }
  return Normalized(raw);
}

bool In(const IntervalSet& set, double x) {
  for (const Interval& i : set)
    if (x >= i.startJd && x < i.endJd) return true;
  return false;
}

TEST(IntervalsTest, TheOperationsAgreeWithMembershipAtEveryPoint) {
  std::mt19937 rng(20261207);
  const Interval span{5, 50};
  for (int round = 0; round < 400; ++round) {
    const IntervalSet a = RandomSet(rng), b = RandomSet(rng);
    const IntervalSet u = Union(a, b), i = Intersection(a, b), m = Minus(a, b), c = Complement(a, span);
    for (const IntervalSet* s : {&a, &b, &u, &i, &m, &c}) ASSERT_TRUE(IsNormal(*s));
    // Every whole and half point: the ends are whole numbers.
    for (double x = -1; x <= 61; x += 0.5) {
      SCOPED_TRACE(::testing::Message() << "round " << round << " at " << x);
      ASSERT_EQ(In(u, x), In(a, x) || In(b, x));
      ASSERT_EQ(In(i, x), In(a, x) && In(b, x));
      ASSERT_EQ(In(m, x), In(a, x) && !In(b, x));
      ASSERT_EQ(In(c, x), x >= span.startJd && x < span.endJd && !In(a, x));
      ASSERT_EQ(Contains(a, x), In(a, x));
    }
    double covered = 0;
    for (double x = 10.25; x < 30; x += 0.5) covered += In(a, x) ? 0.5 : 0;
    ASSERT_DOUBLE_EQ(CoveredDays(a, {10, 30}), covered);
  }
}

TEST(IntervalsTest, NormalizedJoinsTouchingAndDropsEmptyIntervals) {
  EXPECT_EQ(Normalized({{3, 4}, {1, 2}, {2, 3}, {7, 7}, {6, 5}}), (IntervalSet{{1, 4}}));
  EXPECT_FALSE(IsNormal({{1, 2}, {2, 3}}));
}

TEST(IntervalsTest, HeldByAtLeastCountsTheIntervalsInForceAtOnce) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> end(0, 40);
  for (int round = 0; round < 200; ++round) {
    std::vector<Interval> raw;
    for (int n = 0; n < 8; ++n) {
      int a = end(rng), b = end(rng);
      raw.push_back({static_cast<double>(std::min(a, b)), static_cast<double>(std::max(a, b))});
    }
    for (int least : {1, 2, 3, 5}) {
      const IntervalSet held = HeldByAtLeast(raw, least);
      ASSERT_TRUE(IsNormal(held));
      for (double x = 0; x <= 40; x += 0.5) {
        int count = 0;
        for (const Interval& i : raw) count += x >= i.startJd && x < i.endJd;
        ASSERT_EQ(In(held, x), count >= least) << "round " << round << ", at least " << least << ", at " << x;
      }
    }
  }
}

}  // namespace
}  // namespace kesmora
