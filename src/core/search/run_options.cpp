#include "core/search/run_options.h"

#include "core/persons/person_fields.h"
#include "core/reference/text.h"
#include "core/settings/settings.h"

#include <swephexp.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace kesmora {

RunOptions RunOptionsOf(const Settings& s, const PersonFields& transit) {
  RunOptions o;
  for (size_t k = 0; k < o.transitPlanets.size(); ++k) {
    o.transitPlanets[k] = s.chkP1Planets[k] == 1;
    o.natalPlanets[k] = s.chkP2Planets[k] == 1;
  }
  for (size_t k = 0; k < o.aspects.size(); ++k) o.aspects[k] = s.chkAspects[k] == 1;
  o.transitToNatal = s.chkNatal_Transit[0] == 1;
  o.transitToTransit = s.chkNatal_Transit[1] == 1;
  o.degreePairs = s.chkIncludeTDeg_to_NDeg == 1;
  o.auspiciousPoints = s.chkIncludeAuspiciousPoints == 1;
  o.lunarMansions = s.chkIncludeLunarMansions == 1;
  o.transitMidpointsToNatalPlanets = s.chkInclude_Transit_Midpoints_to_Natal_Planets == 1;
  o.transitMidpointsToTransitPlanets = s.chkInclude_Transit_Midpoints_to_Transit_Planets == 1;
  o.transitPlanetsToNatalMidpoints = s.chkInclude_Transit_Planets_to_Natal_Midpoints == 1;
  o.transitMidpointsToNatalMidpoints = s.chkInclude_Transit_Midpoints_to_Natal_Midpoints == 1;
  // Numbers from the fields or the settings file are held within what a run can do.
  o.daysToCalculate = std::clamp(ClampedInt(LeadingNumber(s.txtDaysToCalculate)), 0, MaxDaysToCalculate);
  o.timePeriod = s.chkEnableTimePeriod == 1;
  o.startTime = s.txtStartTime;
  o.endTime = s.txtEndTime;
  o.orbBefore = std::clamp(LeadingNumber(s.txtMinutesBeforeExact) / 60, 0.0, MaxOrbDeg);
  o.orbAfter = std::clamp(LeadingNumber(s.txtMinutesAfterExact) / 60, 0.0, MaxOrbDeg);
  o.periodWindow = std::clamp(LeadingNumber(s.txtDaysForwardBack), 0.0, MaxPeriodWindowDays);
  o.transitTimeZone = LeadingNumber(transit.timeZone);
  o.chart = ChartOptionsOf(s);
  return o;
}

double HoursOfClockText(const std::string& text) {
  std::string t = text;
  std::replace(t.begin(), t.end(), ':', '.');
  double v = LeadingNumber(t);
  double whole = std::trunc(v);
  return whole + (v - whole) * 100 / 60;
}

std::optional<double> ClockTimeHours(const std::string& text) {
  std::string t = Trim(text);
  size_t point = t.find_first_of(".:");
  std::string_view hoursText = std::string_view(t).substr(0, point);
  std::string_view minutesText = point == std::string::npos ? std::string_view() : std::string_view(t).substr(point + 1);
  auto digits = [](std::string_view s, bool mayBeEmpty) {
    if (s.size() > 2 || (s.empty() && !mayBeEmpty)) return false;
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
  };
  if (!digits(hoursText, false) || !digits(minutesText, true)) return std::nullopt;
  long long hours = *WholeNumber(hoursText);
  long long minutes = minutesText.empty() ? 0 : *WholeNumber(minutesText);
  if (minutesText.size() == 1) minutes *= 10;  // "10.5" is 10:50, as the hh.mm fields read it
  if (hours > 23 || minutes > 59) return std::nullopt;
  return static_cast<double>(hours) + static_cast<double>(minutes) / 60.0;
}

std::optional<std::string> TimePeriodProblem(const RunOptions& o) {
  if (!o.timePeriod || (ClockTimeHours(o.startTime) && ClockTimeHours(o.endTime))) return std::nullopt;
  return TimePeriodInputError;
}

RunSpan RunSpanOf(const RunOptions& o, int year, int month, int day) {
  double midnight = swe_julday(year, month, day, o.transitTimeZone, SE_GREG_CAL);
  // No days at all still searches the transit date itself.
  if (!o.timePeriod) return {midnight, midnight + std::max(o.daysToCalculate, 1)};
  double start = HoursOfClockText(o.startTime), end = HoursOfClockText(o.endTime);
  // A window that ends before it starts runs across midnight into the next day.
  if (end < start) end += 24;
  return {midnight + start / 24, midnight + end / 24};
}

}  // namespace kesmora
