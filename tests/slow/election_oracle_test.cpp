// Elections against a brute-force evaluation: every condition and the windows of whole
// elections (required, avoided and preferred together) over spans that cross sign changes,
// stations and midnight, compared with a minute-by-minute evaluation of positions straight from
// libswe, its changes narrowed by bisection. Nothing of the search is used here but its answers.
#include "core/search/election.h"
#include "core/search/events.h"
#include "core/search/sample_session.h"
#include "slow/oracle_scan.h"

namespace kesmora {
namespace {

using namespace oracle;

const Ephemeris kTropical;

using Predicate = std::function<bool(double jd)>;

// The intervals of [from, to) where the predicate holds: sampled at every minute, each change
// narrowed by bisection to a millisecond.
IntervalSet Scan(const Predicate& holds, double from, double to) {
  IntervalSet out;
  bool inside = holds(from);
  double since = from, last = from;
  for (double t = from + kMinute;; t += kMinute) {
    const double at = std::min(t, to);
    const bool now = at < to ? holds(at) : inside;
    if (now != inside) {
      double a = last, b = at;
      while (b - a > 1e-8) {
        const double m = (a + b) / 2;
        (holds(m) == inside ? a : b) = m;
      }
      if (inside) out.push_back({since, b});
      since = b;
      inside = now;
    }
    last = at;
    if (at >= to) break;
  }
  if (inside) out.push_back({since, to});
  return out;
}

// The largest distance, in seconds, between the ends of two lists of intervals of equal length.
double LargestDifferenceSeconds(const IntervalSet& a, const IntervalSet& b) {
  EXPECT_EQ(a.size(), b.size());
  double most = 0;
  for (size_t k = 0; k < std::min(a.size(), b.size()); ++k)
    most = std::max({most, std::abs(a[k].startJd - b[k].startJd), std::abs(a[k].endJd - b[k].endJd)});
  return most * 86400;
}

// Person 2 as a names-file record, the days searched and the election's lines.
struct OracleCase { const char *name, *transitRecord; int days; std::vector<std::string> lines; };
void PrintTo(const OracleCase& c, std::ostream* os) { *os << c.name; }

class ElectionOracle : public ::testing::TestWithParam<OracleCase> {
 protected:
  ElectionOracle() : sample_(GetParam().transitRecord) {}

  int Index(const std::string& name) const { return sample_.Index(name); }
  int Swe(int index) const { return sample_.session.tables.Planet(index).sweNumber; }
  double NatalJd() const { return sample_.session.chart.natalJulianDay; }
  double Zone() const { return RunOptionsOf(sample_.session.settings, sample_.session.person2).transitTimeZone; }

  // The brute-force form of a condition, from its parts as ParseCondition gave them.
  Predicate Brute(const Condition& c) const {
    const double zone = Zone();
    if (auto* a = std::get_if<AspectInOrb>(&c)) {
      const double angle = sample_.session.tables.AspectAngle(a->aspect);
      const int p = Swe(a->transitPoint), q = Swe(a->otherPoint);
      const bool transit = a->otherIsTransit;
      const double natal = transit ? 0 : kTropical.Lon(NatalJd(), q);
      const AspectMotion motion = a->motion;
      const double orb = a->orbDeg;
      return [=](double jd) {
        Motion bp = kTropical.At(jd, p);
        Motion bq = transit ? kTropical.At(jd, q) : Motion{natal, 0};
        const double d = Wrap180(bp.lonDeg - bq.lonDeg);
        const double off = std::abs(d) - angle;
        if (std::abs(off) > orb) return false;
        if (motion == AspectMotion::Any) return true;
        // Applying: the separation moves toward the aspect's angle.
        const double widening = (d < 0 ? -1 : 1) * (bp.speedDegPerDay - bq.speedDegPerDay);
        return (off * widening < 0) == (motion == AspectMotion::Applying);
      };
    }
    if (auto* s = std::get_if<InSigns>(&c)) {
      const int p = Swe(s->point);
      const auto signs = s->signs;
      return [=](double jd) { return signs[static_cast<size_t>(std::floor(kTropical.Lon(jd, p) / 30))]; };
    }
    if (auto* h = std::get_if<InNatalHouse>(&c)) {
      double cusps[13], ascmc[10];
      const Place natal = sample_.session.chart.natalPlace;
      swe_houses(NatalJd(), natal.latitude, natal.longitude, 'P', cusps, ascmc);
      const double from = cusps[h->house], to = cusps[h->house % 12 + 1];
      const int p = Swe(h->point);
      return [=](double jd) { return Wrap360(kTropical.Lon(jd, p) - from) < Wrap360(to - from); };
    }
    if (auto* t = std::get_if<TimeOfDay>(&c)) {
      const int from = t->fromMinute, to = t->toMinute;
      return [=](double jd) {
        const double local = jd - zone / 24 + 0.5;
        const double minute = (local - std::floor(local)) * 1440;
        return from < to ? minute >= from && minute < to : minute >= from || minute < to;
      };
    }
    if (auto* w = std::get_if<OnWeekdays>(&c)) {
      const auto days = w->days;
      // swe_day_of_week: 0 Monday.
      return [=](double jd) { return days[static_cast<size_t>(swe_day_of_week(jd - zone / 24))]; };
    }
    if (auto* r = std::get_if<Retrograde>(&c)) {
      const int p = Swe(r->body);
      return [=](double jd) { return kTropical.At(jd, p).speedDegPerDay < 0; };
    }
    if (auto* st = std::get_if<Stationary>(&c)) {
      const double reach = st->withinHours / 24;
      const std::vector<double> stations =
          SweTrack(kTropical, Swe(st->body), span_.startJd - reach - 1, span_.endJd + reach + 1).Stations();
      return [=](double jd) {
        return std::any_of(stations.begin(), stations.end(), [&](double s) { return std::abs(jd - s) <= reach; });
      };
    }
    if (auto* m = std::get_if<InMansion>(&c)) {
      const int mansion = m->mansion, pada = m->pada;
      return [=](double jd) {
        const int q = static_cast<int>(std::floor(kTropical.Lon(jd, SE_MOON) / (360.0 / 108)));
        return q / 4 + 1 == mansion && (pada == 0 || q % 4 + 1 == pada);
      };
    }
    if (std::holds_alternative<MoonVoid>(c)) {
      IntervalSet voids;
      for (const MoonCourse& course : MoonCourses(kTropical, span_.startJd - 3, span_.endJd + 3, false))
        voids.push_back({course.voidJd, course.exitJd});
      return [=](double jd) { return Contains(voids, jd); };
    }
    ADD_FAILURE() << "no brute force for this condition";
    return [](double) { return false; };
  }

  test::SampleSession sample_;
  Interval span_;
};

TEST_P(ElectionOracle, ConditionsAndWindowsMatchABruteForceScan) {
  const ReferenceTables& tables = sample_.session.tables;
  ASSERT_EQ(sample_.session.chartOptions.houses, HouseSystem::Placidus);
  Election election;
  for (const std::string& line : GetParam().lines) {
    auto item = ParseElectionLine(line, tables);
    ASSERT_TRUE(item) << line << ": " << item.error;
    election.items.push_back(*item.value);
  }
  ChartRecord record = sample_.session.chart;
  ChartCalculator calc(tables, record, sample_.session.chartOptions);
  ElectionInputs in;
  in.tables = &tables;
  in.chart = &sample_.session.chart;
  in.calc = &calc;
  const RunOptions options = sample_.Options({}, {}, {}, GetParam().days);
  const RunSpan span = RunSpanOf(options, sample_.session.reading2.year, sample_.session.reading2.month,
                                 sample_.session.reading2.day);
  in.span = span_ = {span.start, span.end};
  // The events search over the span, and a day either side for the stations near it.
  std::vector<Event> events;
  bool needsEvents = false;
  for (const ElectionItem& item : election.items) needsEvents = needsEvents || NeedsEvents(item.condition);
  if (needsEvents) {
    events = FindEvents(calc, tables, span.start - 2, span.end + 2, EventOptions{});
    in.events = &events;
  }
  in.timeZoneHours = Zone();

  // Each condition on its own.
  std::vector<IntervalSet> brute;
  double largest = 0;
  for (const ElectionItem& item : election.items) {
    SCOPED_TRACE(ConditionText(item.condition, tables));
    brute.push_back(Scan(Brute(item.condition), in.span.startJd, in.span.endJd));
    const IntervalSet found = HeldIntervals(item.condition, in);
    largest = std::max(largest, LargestDifferenceSeconds(found, brute.back()));
    std::printf("  %s: %zu intervals\n", ConditionText(item.condition, tables).c_str(), found.size());
  }
  // The windows: every required condition, none of the avoided, at least ten minutes.
  auto allowed = [&](double jd) {
    for (size_t k = 0; k < election.items.size(); ++k) {
      const bool held = Contains(brute[k], jd);
      if (election.items[k].role == Role::Required && !held) return false;
      if (election.items[k].role == Role::Avoided && held) return false;
    }
    return true;
  };
  IntervalSet expected;
  for (const Interval& i : Scan(allowed, in.span.startJd, in.span.endJd))
    if (i.LengthDays() * 1440 >= 10) expected.push_back(i);
  std::vector<ElectionWindow> windows = FindWindows(election, in, 10);
  ASSERT_FALSE(expected.empty());
  IntervalSet found;
  for (const ElectionWindow& w : windows) found.push_back(w.interval);
  std::sort(found.begin(), found.end(), [](const Interval& a, const Interval& b) { return a.startJd < b.startJd; });
  largest = std::max(largest, LargestDifferenceSeconds(found, expected));
  // Scores from the brute-force sets, and the order they give.
  for (size_t w = 0; w < windows.size(); ++w) {
    double score = 0;
    for (size_t k = 0; k < election.items.size(); ++k)
      if (election.items[k].role == Role::Preferred)
        score += election.items[k].weight * CoveredDays(brute[k], windows[w].interval) / windows[w].interval.LengthDays();
    // Ends a second apart move a score by that second's share of the window.
    EXPECT_NEAR(windows[w].score, score, 3 * 2.0 / (windows[w].Minutes() * 60)) << "window " << w;
    if (w > 0) {
      EXPECT_GE(windows[w - 1].score, windows[w].score - 1e-6);
    }
  }
  std::printf("%s: %zu windows; largest difference from the brute force %.3f s\n", GetParam().name, windows.size(),
              largest);
  EXPECT_LT(largest, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Elections, ElectionOracle,
    ::testing::Values(
        // Mercury turns retrograde on 24 October 2026 near the sextile to the natal Sun, which
        // turns from applying to separating there; Venus, retrograde, goes back into Libra; the
        // Moon changes sign every two days or so.
        OracleCase{"mercury_station_houston",
                   "Houston,20 Oct 2026,0.00,A,6,95.22,29.46,TX,Houston",
                   30,
                   {"require transit Mercury 060 natal Sun orb 10", "prefer 2 transit Mercury 060 natal Sun orb 10 applying",
                    "require time 22:00-02:00", "avoid Moon in Cancer,Capricorn", "require weekday Mon,Tue,Wed,Thu,Fri",
                    "prefer transit Moon 090 transit Sun orb 8 separating", "prefer Venus in Scorpio",
                    "prefer 0.5 Venus in natal house 11", "avoid transit Mars 000 transit Saturn orb 3"}},
        // The event conditions in the same weeks: Mercury's station, the Moon's void periods
        // and mansions.
        OracleCase{"events_houston",
                   "Houston,20 Oct 2026,0.00,A,6,95.22,29.46,TX,Houston",
                   24,
                   {"avoid Moon void", "require Mercury retrograde", "prefer 2 Mercury stationary 36",
                    "avoid Moon in mansion 16 pada 2", "prefer Moon in mansion 20", "require time 08:00-20:00",
                    "prefer Venus retrograde"}},
        // East of Greenwich, over the southern summer.
        OracleCase{"sydney_summer",
                   "Sydney,01 Mar 2024,0.00,A,-11,-151.12,-33.52,NSW,Sydney",
                   20,
                   {"require Moon in Aries,Taurus,Gemini,Leo,Libra,Sagittarius",
                    "avoid transit Moon 180 natal Moon orb 10", "require time 06:00-20:30",
                    "prefer transit Moon 120 transit Jupiter orb 6 applying", "prefer 3 Moon in natal house 6",
                    "avoid weekday Sun"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kesmora
