#include "core/chart/planetary_data.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/chart/ephemeris_notices.h"
#include "core/reference/text.h"

#include <cmath>
#include <functional>

namespace kesmora {

namespace {

bool Empty(const std::string& text) { return Trim(text).empty(); }
double Value(const std::string& text) { return LeadingNumber(text); }
int IntegerValue(const std::string& text) { return static_cast<int>(std::lround(Value(text))); }

using Check = std::function<bool(const PersonFields&)>;  // true when the check fails

// Presence and sign: each entry is one message when it fails.
const std::vector<Check>& PresenceChecks() {
  static const std::vector<Check> checks{
      [](const PersonFields& f) { return Value(f.month) < 0 || Value(f.day) < 0 || Value(f.year) < 0; },
      [](const PersonFields& f) { return Empty(f.month) || Empty(f.day) || Empty(f.year); },
      [](const PersonFields& f) { return Empty(f.hour) || Empty(f.minute) || Empty(f.timeZone); },
      [](const PersonFields& f) { return Empty(f.longDeg) || Empty(f.longMin); },
      [](const PersonFields& f) { return Empty(f.latDeg) || Empty(f.latMin); },
      [](const PersonFields& f) { return Value(f.timeZone) < -2 && !f.east; },
  };
  return checks;
}

const std::vector<Check>& RangeChecks() {
  static const std::vector<Check> checks{
      [](const PersonFields& f) { return Value(f.month) > 12 || Value(f.day) > 31 || Value(f.year) > 2099; },
      [](const PersonFields& f) { return Value(f.hour) > 12 || Value(f.minute) > 60; },
      [](const PersonFields& f) { return Value(f.timeZone) > 12 || Value(f.timeZone) < -13; },
      [](const PersonFields& f) { return Value(f.longDeg) > 180 || Value(f.longMin) > 59; },
      [](const PersonFields& f) { return Value(f.latMin) > 59; },
  };
  return checks;
}

void RunChecks(const std::vector<Check>& checks, const PersonFields& f, const char* message,
               std::vector<std::string>& out) {
  for (const Check& failed : checks)
    if (failed(f)) out.emplace_back(message);
}

}  // namespace

std::string JoinNotices(const std::vector<std::string>& notices) {
  std::string text;
  for (const std::string& n : notices) text += (text.empty() ? "" : "\n\n") + n;
  return text;
}

std::vector<std::string> CheckPersonFields(const PersonFields& natal, const PersonFields& transit) {
  std::vector<std::string> messages;
  RunChecks(PresenceChecks(), natal, NatalInputError, messages);
  RunChecks(PresenceChecks(), transit, DiurnalInputError, messages);
  RunChecks(RangeChecks(), natal, NatalInputError, messages);
  RunChecks(RangeChecks(), transit, DiurnalInputError, messages);
  return messages;
}

PersonReading ReadPersonFields(PersonFields& f, DateOrder order) {
  PersonReading r;
  r.month = IntegerValue(f.month);
  r.day = IntegerValue(f.day);
  r.year = IntegerValue(f.year);
  switch (order) {
    case DateOrder::YearMonthDay: r.dateText = f.year + "/" + f.month + "/" + f.day; break;
    case DateOrder::DayMonthYear: r.dateText = f.day + "/" + f.month + "/" + f.year; break;
    default: r.dateText = f.month + "/" + f.day + "/" + f.year; break;
  }
  if (f.half == HalfDay::Unknown) {
    f.hour = "12";
    f.minute = "0";
  }
  r.timeZone = static_cast<float>(Value(f.timeZone));
  double lon = Value(f.longDeg) + Value(f.longMin) / 100;
  if (f.east) lon = -lon;
  r.eastWest = lon >= 0 ? "West" : "East";
  double lat = Value(f.latDeg) + Value(f.latMin) / 100;
  if (f.south) lat = -lat;
  r.northSouth = lat >= 0 ? "North" : "South";
  return r;
}

ChartInputs ChartInputsOf(const PersonFields& f, const PersonReading& r) {
  ChartInputs in;
  in.day = r.day;
  in.month = r.month;
  in.year = r.year;
  float hour = static_cast<float>(Value(f.hour));
  int whole = static_cast<int>(hour);
  if (f.half == HalfDay::AM) {
    if (whole == 12) hour -= 12;
  } else if (whole != 12) {
    hour += 12;  // PM, and Unknown, which reads as noon
  }
  in.hour = hour + r.timeZone;
  in.minute = static_cast<float>(Value(f.minute));
  in.longitude = Value(f.longDeg) + Value(f.longMin) / 60;
  in.latitude = Value(f.latDeg) + Value(f.latMin) / 60;
  if (ToUpper(r.eastWest) == "WEST") in.longitude = -in.longitude;
  if (ToUpper(r.northSouth) == "SOUTH") in.latitude = -in.latitude;
  return in;
}

bool CalculatePlanetaryData(Session& s, UserInterface& ui) {
  // Every calculation starts the data window's lines afresh, for Save and "Print data" too.
  s.output.Reset();
  std::vector<std::string> failures = CheckPersonFields(s.person1, s.person2);
  for (const std::string& text : failures) ui.ShowMessage({MessageIcon::Information, "Warning!", text});
  if (!failures.empty()) return false;

  ui.SetBusy(true);
  ChartCalculator calc(s.tables, s.chart, ChartOptionsOf(s.settings));
  const size_t size = static_cast<size_t>(s.tables.NumPlanetsUsed()) + 1;
  // Computes one person's chart and keeps its longitudes, speeds, retrograde marks and place.
  auto chartOf = [&](PersonFields& fields, bool transit, std::vector<double>& lon, std::vector<double>& speed,
                     std::string& retrograde, Place& place) {
    PersonReading reading = ReadPersonFields(fields, s.formats.dateOrder);
    s.chart.inputs = ChartInputsOf(fields, reading);
    place = {s.chart.inputs.longitude, s.chart.inputs.latitude};
    calc.CalcChart(transit);
    lon.assign(s.chart.planetLon.begin(), s.chart.planetLon.begin() + static_cast<long>(size));
    speed.assign(s.chart.planetSpeed.begin(), s.chart.planetSpeed.begin() + static_cast<long>(size));
    retrograde = s.chart.retrograde;
    return reading;
  };
  s.reading1 = chartOf(s.person1, false, s.chart.natalLon, s.chart.natalSpeed, s.chart.natalRetrograde,
                       s.chart.natalPlace);
  calc.CalcNatalDeclinations();
  // The transit chart comes last, so the chart inputs keep the transit place.
  s.reading2 = chartOf(s.person2, true, s.chart.transitLon, s.chart.transitSpeed, s.chart.transitRetrograde,
                       s.chart.transitPlace);
  s.transitDateText = s.reading2.dateText;
  s.chartsComputed = true;
  ui.SetBusy(false);
  std::vector<std::string> notices = EphemerisNotices(calc.Problems(), s.tables);
  if (!notices.empty()) ui.ShowMessage({MessageIcon::Information, "Information", JoinNotices(notices)});
  return true;
}

std::vector<PlanetGridRow> PlanetGridRows(const Session& s) {
  std::vector<PlanetGridRow> rows;
  const int n = s.tables.NumPlanetsUsed();
  auto mark = [](const std::string& flags, int i) {
    return static_cast<size_t>(i - 1) < flags.size() ? flags[static_cast<size_t>(i - 1)] : ' ';
  };
  auto lonAt = [](const std::vector<double>& v, int i) {
    return static_cast<size_t>(i) < v.size() ? v[static_cast<size_t>(i)] : 0.0;
  };
  for (int i = 1; i <= n; ++i) {
    PlanetGridRow row;
    row.index = i;
    row.name = s.tables.Planet(i).name;
    // A position the ephemeris could not give is NaN and shows as such, never as 0 degrees.
    auto text = [](double lon) { return std::isfinite(lon) ? FormatLongitude(lon) : std::string("n/a"); };
    row.transit = text(lonAt(s.chart.transitLon, i)) + " " + mark(s.chart.transitRetrograde, i);
    row.natal = text(lonAt(s.chart.natalLon, i)) + " " + mark(s.chart.natalRetrograde, i);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace kesmora
