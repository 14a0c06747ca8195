#pragma once
// The hits of a run as calendar events (iCalendar, RFC 5545): each hit from the start to the
// end of its period, in UTC, with a UID that stays the same when the run is exported again.
#include "core/results/results.h"

#include <string>
#include <vector>

namespace kesmora {

struct RunResult;

struct CalendarEvent {
  std::string uid;
  long long startUtc = 0, endUtc = 0;  // seconds since 1970-01-01 00:00 UTC
  std::string summary;                 // "Moon 060 Venus (t. to n.)"
  std::string description;             // exact moment, positions and periods, lines joined by "\n"
};

// A whole calendar of these events: CR LF lines folded at 75 octets. `stampUtc` is the moment
// of writing.
std::string IcsText(const std::vector<CalendarEvent>& events, long long stampUtc);

// The calendar of a finished run (CR LF lines folded at 75 octets), written event by event:
// one event per hit, in grid order. A hit without a start (end) of its period starts (ends) at
// its exact moment, so one without either is a moment. The natal moment is part of each UID,
// so that the same transit to another chart is another event. `stampUtc` is the moment of
// writing.
void WriteCalendar(const TextSink& out, const RunResult& run, const HitTextContext& texts, double natalJulianDay,
                   long long stampUtc);

// A UID made of a key that names the event, the same for the same key in every export.
std::string CalendarUid(const std::string& key);

// The UTC time of a UT Julian day as the grid shows it: rounded to the second of the local
// time of the zone (hours, west positive), then taken back to UTC.
long long UtcSecondsAsShown(double jd, double timeZoneHours);

}  // namespace kesmora
