#pragma once
// The weeks of an election's span at a glance: one row a local day of the transit place, the
// 1440 minutes of the day across. Each minute carries the weight of the preferred conditions
// in force at its start and whether the required and avoided ones allow it; the windows, the
// void-of-course Moon and the retrograde periods lie over it. Built from the intervals each
// item holds over, so nothing is evaluated twice.
#include "core/reference/format.h"
#include "core/search/election.h"
#include "core/search/events.h"
#include "core/search/intervals.h"

#include <cstdint>
#include <vector>

namespace kesmora {

inline constexpr int kPictureMinutesPerDay = 1440;

// Where a minute stands: outside the span searched, ruled out by a required or avoided
// condition, or allowed.
enum class MinuteState : std::uint8_t { OutsideSpan, RuledOut, Allowed };

struct PictureBand {
  enum class Kind { Void, Retrograde };
  Kind kind = Kind::Void;
  int body = 0;  // the retrograde body's planet index; the Moon's for a void
  // Days after the first row's midnight (1.5: noon of the second row), cut to the rows.
  double fromDay = 0, toDay = 0;
};

// A stretch of one row: minutes [fromMinute, toMinute) of day `day`.
struct RowStretch {
  int day = 0;
  int fromMinute = 0, toMinute = 0;
};

struct ElectionPicture {
  CivilDate firstDate;         // the local date of the first row
  double firstMidnightJd = 0;  // UT of its local midnight
  int days = 0;
  double timeZoneHours = 0;  // the transit place's, west positive
  Interval span;             // UT
  // days x 1440, row by row.
  std::vector<float> score;
  std::vector<MinuteState> state;
  double maxScore = 0;  // the highest score of an allowed minute
  std::vector<ElectionWindow> windows;  // best first, as ranked
  std::vector<PictureBand> bands;
  // The items and what each holds over, for the conditions of a minute.
  Election election;
  std::vector<IntervalSet> held;

  size_t Index(int day, int minute) const { return static_cast<size_t>(day) * kPictureMinutesPerDay + minute; }
  // The UT start of a minute of a row.
  double MinuteJd(int day, int minute) const;
  // The row and minute whose start is at or before the moment; false outside the rows.
  bool MinuteOf(double jd, int& day, int& minute) const;
  // The rank (index into windows) of the window the minute's start lies in, or -1.
  int WindowAt(int day, int minute) const;
  // The items (indexes into election.items) that hold at the minute's start.
  std::vector<int> ItemsAt(int day, int minute) const;
  // A stretch of days (as in PictureBand) cut into the stretches of the rows it covers.
  std::vector<RowStretch> RowStretches(double fromDay, double toDay) const;
};

// The picture of the span (UT) in the local days of the zone (hours, west positive). `held` is
// what each item of the election holds over, in the order of the items; `windows` as
// RankWindows gives them; `events` (may be null) gives the void and retrograde bands.
ElectionPicture BuildElectionPicture(const Election& election, std::vector<IntervalSet> held,
                                     std::vector<ElectionWindow> windows, Interval span, double timeZoneHours,
                                     const std::vector<Event>* events);

}  // namespace kesmora
