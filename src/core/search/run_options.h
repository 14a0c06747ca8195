#pragma once
// The choices of an aspectarian run, as plain data filled by the window or the command line.
#include "core/chart/chart_calculator.h"
#include "core/reference/reference_tables.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace kesmora {

inline constexpr int MaxHitRowsDefault = 32767;
struct Settings;
struct PersonFields;

struct RunOptions {
  std::array<bool, NumPlanetBoxes> transitPlanets{};  // chkP1Planets: moving points
  std::array<bool, NumPlanetBoxes> natalPlanets{};    // chkP2Planets: natal second points
  std::array<bool, NumAspectBoxes> aspects{};
  bool transitToNatal = true;   // pass 0
  bool transitToTransit = false;  // pass 1
  bool degreePairs = false, auspiciousPoints = false, lunarMansions = false;
  bool transitMidpointsToNatalPlanets = false, transitMidpointsToTransitPlanets = false;
  bool transitPlanetsToNatalMidpoints = false, transitMidpointsToNatalMidpoints = false;

  int daysToCalculate = 1;
  bool timePeriod = false;
  std::string startTime = "10.00", endTime = "10.59";
  double orbBefore = 0.5;     // degrees (the field holds arc minutes)
  double orbAfter = 0.5;
  double periodWindow = 3;    // days
  double transitTimeZone = 0;  // hours, west positive
  ChartOptions chart;

  // How the work is done; the hits are the same either way.
  bool exactEphemeris = false;  // every position from the ephemeris, none interpolated
  bool computePeriods = true;
  int hitLimit = MaxHitRowsDefault;  // rows a run may hold; raised only by measurements
  int threads = 0;                   // threads of the run; 0: one per processor core
};

// Reads the run's choices from the main window's settings and the transit time zone field.
RunOptions RunOptionsOf(const Settings& settings, const PersonFields& transit);

// Hours after midnight of an "hh.mm" or "hh:mm" text ("13.30" is 13.5).
double HoursOfClockText(const std::string& text);
// The same for a text that is a time of day: hours 0 to 23, minutes 0 to 59, nothing else
// ("99.99" and "10.75" are no times).
std::optional<double> ClockTimeHours(const std::string& text);

// The message for a time period whose Start or End Time is no time of day; nothing when the
// period is off or both are times.
inline constexpr const char* TimePeriodInputError =
    "Error in the time period: Start Time and End Time are hh.mm, hours 00 to 23 and minutes 00 to 59. Please correct.";
std::optional<std::string> TimePeriodProblem(const RunOptions& options);

// The largest orb of a run, either side of exact: half the circle.
inline constexpr double MaxOrbDeg = 180;
// Limits of the run's spans, as the command line also takes them.
inline constexpr int MaxDaysToCalculate = 36500;
inline constexpr double MaxPeriodWindowDays = 3650;

struct RunSpan {
  double start = 0, end = 0;  // UT Julian days
};
// Local midnight of the transit date plus the days (0 days: the one day of the transit date),
// or the time window on that date (one that ends before it starts, such as 22.00 to 02.00,
// ends on the next day). A run lists the hits from its start up to, not including, its end.
RunSpan RunSpanOf(const RunOptions& options, int year, int month, int day);

// Progress and cancelling of a run in progress.
struct RunControl {
  std::function<void(int pass, double fraction)> progress;
  std::function<bool()> cancelled;
};

class RunCancelled : public std::runtime_error {
 public:
  RunCancelled() : std::runtime_error("cancelled") {}
};

}  // namespace kesmora
