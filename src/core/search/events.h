#pragma once
// The events astrologers time by, found on the same ephemeris, zodiac and stepping loop as
// the aspect search: sign ingresses, stations and the retrograde periods between them, the
// Moon's lunar-mansion (and pada) ingresses and the void-of-course Moon. Times are UT Julian
// days, exact to well under a second.
#include "core/chart/chart_calculator.h"
#include "core/settings/options_file.h"

#include <functional>
#include <vector>

namespace kesmora {

enum class EventKind {
  Ingress,     // `body` enters sign `entered` (0 Aries .. 11 Pisces) at startJd
  Station,     // `body` turns at startJd: retrograde when `turnsRetrograde`, else direct
  Retrograde,  // `body` is retrograde over [startJd, endJd)
  Mansion,     // the Moon enters mansion `entered` (1..27), pada `pada` (1..4), at startJd
  Void,        // the Moon is void of course over [startJd, endJd); endJd is its next sign ingress
};

struct Event {
  EventKind kind = EventKind::Ingress;
  int body = 0;        // planet index (the program's numbering, 1..NumPlanetsUsed)
  double startJd = 0;  // UT
  double endJd = 0;    // UT; equal to startJd for a moment (ingress, station, mansion)
  int entered = 0;     // sign 0..11 or mansion 1..27; for a void period, the sign it ends in
  int pada = 0;        // 1..4 for a mansion ingress
  bool turnsRetrograde = false;  // a station
};

// Which events a search looks for.
struct EventOptions {
  bool ingresses = true, stations = true, mansions = true, voids = true;
  // Void of course counts the Moon's major aspects to Sun..Saturn only (the traditional
  // planets) instead of Sun..Pluto.
  bool traditionalVoid = false;
};

// The options of OPTIONS.OPT: option 15 not 0 makes the void of course traditional. Files from
// before it say "reserved" there with 0, and read as before.
EventOptions EventOptionsOf(const OptionValues& values);

// The events in [fromJd, toJd), sorted by startJd. Periods (retrograde, void) that overlap the
// span are listed whole, with their true start and end, even where these lie outside it.
// `checkCancelled` is called at every step and raises to stop the search.
std::vector<Event> FindEvents(ChartCalculator& calc, const ReferenceTables& tables, double fromJd, double toJd,
                              const EventOptions& options, const std::function<void()>& checkCancelled = {});

}  // namespace kesmora
