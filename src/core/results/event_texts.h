#pragma once
// The events as the events list, its CSV and its calendar show them: one row per event, times
// in the transit person's local time and the date order, as the grid writes them.
#include "core/results/calendar.h"
#include "core/results/results.h"
#include "core/search/events.h"

#include <array>
#include <string>
#include <vector>

namespace kesmora {

// Kind, body, start, end (periods only) and what is entered: a sign ("Aries"), a pada
// ("Nak-05, pada 3"), "retrograde" or "direct" for a station; for a void period the sign the
// Moon enters at its end.
inline constexpr int EventColumns = 5;
using EventRow = std::array<std::string, EventColumns>;
EventRow EventRowOf(const Event& event, const HitTextContext& context);

const char* EventKindName(EventKind kind);

// Every row as five quoted CSV cells, CR LF ended.
std::string EventsCsv(const std::vector<Event>& events, const HitTextContext& context);
// Every row in columns padded with blanks, CR LF ended.
std::string EventsText(const std::vector<Event>& events, const HitTextContext& context);
// One calendar event per event, a moment or a period, in UTC as the rows show it; the UID is
// made of the kind, body, what is entered and the minute of the start, so that a later export
// of the same events updates them.
std::vector<CalendarEvent> EventCalendarOf(const std::vector<Event>& events, const HitTextContext& context);

}  // namespace kesmora
