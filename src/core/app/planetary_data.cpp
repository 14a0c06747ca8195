#include "core/app/planetary_data.h"

#include "core/app/user_interface.h"
#include "core/chart/ephemeris_notices.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <tuple>

namespace kesmora {

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
  s.chartPerson1 = s.person1;
  s.chartPerson2 = s.person2;
  s.chartOptions = ChartOptionsOf(s.settings);
  ui.SetBusy(false);
  std::vector<std::string> notices = EphemerisNotices(calc.Problems(), s.tables);
  if (!notices.empty()) ui.ShowMessage({MessageIcon::Information, "Information", JoinNotices(notices)});
  return true;
}

namespace {

bool SameChartFields(const PersonFields& a, const PersonFields& b) {
  auto key = [](const PersonFields& f) {
    return std::tie(f.name, f.month, f.day, f.year, f.hour, f.minute, f.half, f.timeZone, f.longDeg, f.longMin, f.east,
                    f.latDeg, f.latMin, f.south);
  };
  return key(a) == key(b);
}

}  // namespace

bool ChartsOfFields(const Session& s, const PersonFields& natal, const PersonFields& transit) {
  const ChartOptions now = ChartOptionsOf(s.settings);
  return s.chartsComputed && SameChartFields(s.chartPerson1, natal) && SameChartFields(s.chartPerson2, transit) &&
         s.chartOptions.zodiac == now.zodiac && s.chartOptions.houses == now.houses;
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
