#pragma once
// Elections: the times at which a list of conditions is met.
//
// A condition holds over a set of time intervals (intervals.h): a transit aspect within its
// orb, the Moon void of course, a planet retrograde or near a station, a point in chosen
// signs, the Moon in a lunar mansion, a point in a natal house, at least N hits of a run in
// force at once, a time of day or a day of the week in the transit place's clock. An election
// lists conditions, each required, avoided or preferred with a weight; its windows are the
// longest stretches of the span in which every required condition holds and no avoided one
// does, ranked by how much of them the preferred conditions cover.
//
// A condition is written as one line of text, the same on the command line and in an election
// file (election_file.h):
//
//   transit Jupiter 120 natal Sun orb 2            aspect within 2 degrees of exact
//   transit Moon 000 transit Venus orb 5 applying  ... only while it applies (or: separating)
//   Moon void                                      void of course
//   Mercury retrograde
//   Mercury stationary 24                          within 24 hours of a station
//   Moon in Taurus,Cancer                          in one of the signs
//   Moon in mansion 4 pada 2                       in a lunar mansion (1..27), pada 1..4 optional
//   Venus in natal house 10                        in a house of Person 1's chart
//   hits >= 3                                      at least 3 hits of the selection in force
//   time 09:00-17:00                               transit place's clock; 22:00-02:00 wraps
//   weekday Mon,Tue,Wed
//
// Names of points are those of the planet table (any letter case), aspects the captions of the
// aspect boxes ("000" to "180"); a name that is not in the tables is refused.
#include "core/chart/chart_calculator.h"
#include "core/reference/reference_tables.h"
#include "core/search/events.h"
#include "core/search/intervals.h"

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kesmora {

enum class AspectMotion { Any, Applying, Separating };

// Transit point `transitPoint` makes aspect `aspect` (index 0..14) to point `otherPoint`, natal
// or transit, within `orbDeg` of exact.
struct AspectInOrb {
  int transitPoint = 0;
  int aspect = 0;
  int otherPoint = 0;
  bool otherIsTransit = false;
  double orbDeg = 1;
  AspectMotion motion = AspectMotion::Any;
  bool operator==(const AspectInOrb&) const = default;
};
struct MoonVoid {
  bool operator==(const MoonVoid&) const = default;
};
struct Retrograde {
  int body = 0;
  bool operator==(const Retrograde&) const = default;
};
// Within `withinHours` of a station, either side.
struct Stationary {
  int body = 0;
  double withinHours = 24;
  bool operator==(const Stationary&) const = default;
};
struct InSigns {
  int point = 0;
  std::array<bool, 12> signs{};  // 0 Aries .. 11 Pisces
  bool operator==(const InSigns&) const = default;
};
// The Moon in mansion 1..27; pada 1..4, or 0 for any pada.
struct InMansion {
  int mansion = 1;
  int pada = 0;
  bool operator==(const InMansion&) const = default;
};
// A transit point in house 1..12 of Person 1's chart (from its cusp up to the next one).
struct InNatalHouse {
  int point = 0;
  int house = 1;
  bool operator==(const InNatalHouse&) const = default;
};
struct HitsAtLeast {
  int count = 1;
  bool operator==(const HitsAtLeast&) const = default;
};
// Minutes after local midnight, [from, to); `toMinute` may be 1440 (24:00); a `toMinute`
// before `fromMinute` runs on over midnight.
struct TimeOfDay {
  int fromMinute = 0;
  int toMinute = 1440;
  bool operator==(const TimeOfDay&) const = default;
};
struct OnWeekdays {
  std::array<bool, 7> days{};  // 0 Monday .. 6 Sunday, local days of the transit place
  bool operator==(const OnWeekdays&) const = default;
};

using Condition = std::variant<AspectInOrb, MoonVoid, Retrograde, Stationary, InSigns, InMansion, InNatalHouse,
                               HitsAtLeast, TimeOfDay, OnWeekdays>;

// The planet index of the Moon (the ephemeris body); 0 when the planet table has none.
int MoonIndex(const ReferenceTables& tables);

// Whether a condition is found among the events of the events search (FindEvents).
bool NeedsEvents(const Condition& condition);
// Whether a condition counts the hits of an aspectarian run.
bool NeedsHits(const Condition& condition);

// What reading a condition gave: the condition, or what was expected where the text went wrong.
template <typename T>
struct Parsed {
  std::optional<T> value;
  std::string error;  // "an orb from 0 to 180 degrees after 'orb', not '200'"
  explicit operator bool() const { return value.has_value(); }
};

Parsed<Condition> ParseCondition(std::string_view text, const ReferenceTables& tables);
// The condition as ParseCondition reads it back (names as the tables spell them).
std::string ConditionText(const Condition& condition, const ReferenceTables& tables);

enum class Role { Required, Avoided, Preferred };

struct ElectionItem {
  Role role = Role::Required;
  double weight = 1;  // of a preferred condition; greater than 0
  Condition condition;
  bool operator==(const ElectionItem&) const = default;
};

struct Election {
  std::vector<ElectionItem> items;
};

// One line of an election file: "require C", "avoid C" or "prefer [W] C".
Parsed<ElectionItem> ParseElectionLine(std::string_view text, const ReferenceTables& tables);
std::string ElectionLineText(const ElectionItem& item, const ReferenceTables& tables);
// A preferred condition as the command line gives it: "C" or "C=W".
Parsed<ElectionItem> ParsePreferredArgument(std::string_view text, const ReferenceTables& tables);

inline constexpr double kMaxStationHours = 24 * 30;
inline constexpr double kMaxWeight = 1000;

// What the conditions are evaluated on.
struct ElectionInputs {
  const ReferenceTables* tables = nullptr;
  const ChartRecord* chart = nullptr;  // Person 1's longitudes (natal points and cusps)
  ChartCalculator* calc = nullptr;     // transit positions, houses of the transit place
  Interval span;                       // UT
  double timeZoneHours = 0;            // the transit place's, west positive: time and weekday
  // The events search over the span (for the Moon void, stations, retrograde periods and
  // mansions); null when no condition needs it.
  const std::vector<Event>* events = nullptr;
  // The periods in which the hits of the run are in force (for hits >= N).
  const std::vector<Interval>* hitPeriods = nullptr;
  // Called at every step; raises to stop.
  std::function<void()> checkCancelled;
};

// Raised where a condition cannot be evaluated on the inputs (a natal house without the cusps
// in the planet table, events or hits not given); the text says why.
class ElectionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The moments of the span at which the condition holds.
IntervalSet HeldIntervals(const Condition& condition, const ElectionInputs& inputs);

// How long a preferred condition holds inside a window.
struct PreferredShare {
  int item = 0;             // index into Election::items
  double heldMinutes = 0;
};

struct ElectionWindow {
  Interval interval;
  // The sum over the preferred conditions of weight times the fraction of the window in which
  // the condition holds.
  double score = 0;
  std::vector<PreferredShare> preferred;  // those that hold somewhere in the window, in list order
  double Minutes() const { return interval.LengthDays() * 1440; }
};

inline constexpr double kDefaultMinMinutes = 10;

// The windows of an election, given the intervals over which each of its items holds (in the
// order of the items): the stretches of the span where every required item holds and no
// avoided one does, of at least `minMinutes`, best first: by score, then by length, then by
// time.
std::vector<ElectionWindow> RankWindows(const Election& election, const std::vector<IntervalSet>& held, Interval span,
                                        double minMinutes = kDefaultMinMinutes);

// Evaluates every item and ranks the windows.
std::vector<ElectionWindow> FindWindows(const Election& election, const ElectionInputs& inputs,
                                        double minMinutes = kDefaultMinMinutes);

}  // namespace kesmora
