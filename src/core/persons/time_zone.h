#pragma once
// The time in force at a place and a clock time, from the system's time-zone database (the
// IANA tzdata): the zone to add to clock time to give universal time, and whether it is
// standard time, daylight saving time or local mean time.
#include "core/persons/person_fields.h"
#include "core/reference/format.h"

#include <chrono>
#include <optional>
#include <string>

namespace kesmora {

// A clock time on the 24-hour clock.
struct LocalMoment {
  CivilDate date;
  int hour = 0, minute = 0;
};

// The clock time of a block: its date, and its hour on the 24-hour clock (with AM an hour of
// 12 becomes 0; with PM or Unknown 12 is added to hours 1 to 11). Nothing when the date is no
// day of the calendar or the time is no time of the day.
std::optional<LocalMoment> MomentOfBlock(const PersonFields& fields);

enum class TimeKind { Standard, Daylight, LocalMean };
// Whether the clock time was skipped when the clocks went forward, or came twice when they
// went back; the offset of before the change is used for both, as the clocks showed it first.
enum class ClockChange { None, Skipped, Repeated };

struct ZoneInForce {
  double hoursWest = 0;      // added to clock time to give UT; for local mean time longitude / 15
  double standardHoursWest = 0;  // the same without the daylight saving in force
  TimeKind kind = TimeKind::Standard;
  double daylightHours = 0;  // how far the clocks were put forward (1, 2, or 0.5 at Lord Howe)
  ClockChange change = ClockChange::None;
  std::string abbreviation;  // "CDT", "LMT", "+0545"
};

// The time in force in the zone (an IANA name such as "America/Chicago") at the clock time.
// Where the database has a mean time (its "LMT", or the mean time of some city, such as Madras
// time in Bombay), the place's own mean time is used: its longitude (west positive) / 15 hours.
// Nothing, with the reason in `error`, when the zone is not in the database.
std::optional<ZoneInForce> ZoneAt(const std::string& zoneName, const LocalMoment& moment,
                                  double longitudeWestDeg, std::string* error = nullptr);
// The zone's standard time at the same moment: its answer without the daylight saving.
ZoneInForce StandardTimeOf(const ZoneInForce& zone);

// An instant of universal time, to the second.
using UtcInstant = std::chrono::sys_seconds;
// The system clock now.
UtcInstant CurrentInstant();
// The clock of a zone at an instant: the clock time and the zone in force (west positive).
struct ZoneClock {
  LocalMoment clock;
  double hoursWest = 0;
};
// The clock of the zone named (an IANA name); nothing when the database does not know it.
std::optional<ZoneClock> ZoneClockAt(const std::string& zoneName, UtcInstant instant);
// The clock of a fixed zone (hours west) at an instant.
ZoneClock FixedZoneClockAt(double hoursWest, UtcInstant instant);

// The IANA name of the system's time zone: $TZ when it names a zone of the database
// ("Asia/Kolkata", ":America/New_York", or a path under /usr/share/zoneinfo), else the zone of
// /etc/localtime; links followed ("Asia/Calcutta" gives "Asia/Kolkata"); empty when neither is
// known.
std::string SystemZoneName();
// The city whose clock a zone records, from its name: "America/Argentina/Buenos_Aires" gives
// "Buenos Aires"; empty for names of no city ("UTC", "Etc/GMT+5", "EST5EDT").
std::string ZoneCityName(const std::string& zoneName);

// "standard time", "daylight saving time (1 hour)", "local mean time", and for a mean time
// with the clocks put forward "local mean time with daylight saving time (1 hour)".
std::string TimeKindText(const ZoneInForce& zone);
// The zone as the Time Zone field shows it: a number of at most five decimals ("5", "-5.75").
std::string ZoneFieldText(double hoursWest);

}  // namespace kesmora
