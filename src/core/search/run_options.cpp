#include "core/search/run_options.h"

#include "core/persons/person_fields.h"
#include "core/reference/text.h"
#include "core/settings/settings.h"

#include <swephexp.h>

#include <algorithm>
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
  o.daysToCalculate = static_cast<int>(std::lround(LeadingNumber(s.txtDaysToCalculate)));
  o.timePeriod = s.chkEnableTimePeriod == 1;
  o.startTime = s.txtStartTime;
  o.endTime = s.txtEndTime;
  o.orbBefore = LeadingNumber(s.txtMinutesBeforeExact) / 60;
  o.orbAfter = LeadingNumber(s.txtMinutesAfterExact) / 60;
  o.periodWindow = LeadingNumber(s.txtDaysForwardBack);
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

RunSpan RunSpanOf(const RunOptions& o, int year, int month, int day) {
  double midnight = swe_julday(year, month, day, o.transitTimeZone, SE_GREG_CAL);
  if (!o.timePeriod) return {midnight, midnight + o.daysToCalculate};
  double start = HoursOfClockText(o.startTime), end = HoursOfClockText(o.endTime);
  // A window that ends before it starts runs across midnight into the next day.
  if (end < start) end += 24;
  return {midnight + start / 24, midnight + end / 24};
}

}  // namespace kesmora
