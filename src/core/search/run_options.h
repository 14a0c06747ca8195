#pragma once
// The choices of an aspectarian run, as plain data filled by the window or the command line.
#include "core/chart/chart_calculator.h"
#include "core/reference/reference_tables.h"
#include "core/search/hit_table.h"

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace kesmora {

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
  int hitLimit = MaxHitRowsDefault;  // rows a run may hold: the window's; the command line may lift it
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

class RunCancelled : public std::runtime_error {
 public:
  RunCancelled() : std::runtime_error("cancelled") {}
};

// The stages a run reports its progress in: the passes 0 to 6, and these.
namespace run_stage {
inline constexpr int Sampling = -1;  // the positions of the moving bodies
inline constexpr int Periods = 7;    // the start and end periods of the hits
inline constexpr int Texts = 8;      // the report and the grid of a run that is to be shown
}  // namespace run_stage

// Progress and cancelling of a run in progress.
struct RunControl {
  // How far a stage has come, 0 to 1; told by the threads of the run one at a time, at most
  // once for each thousandth.
  std::function<void(int stage, double fraction)> progress;
  // Asked at every step of the run's work, on every thread of the run.
  std::function<bool()> cancelled;
  // When given, counts the hits the run has found so far, for a caller that shows them.
  std::atomic<long>* hitsFound = nullptr;
};

// Tells a control a stage's progress when it has moved on by a thousandth, and asks it
// whether to stop. Any thread of a run may report; one that finds another reporting leaves
// it to that one. The stages follow in the order of their numbers.
class ProgressReporter {
 public:
  explicit ProgressReporter(const RunControl& control) : control_(control) {}
  void Report(int stage, double fraction);
  // Raises RunCancelled once the control says so.
  void CheckCancelled() const;

 private:
  const RunControl& control_;
  std::mutex mutex_;
  std::atomic<int> told_{-1};  // the stage and thousandth last told, as one number
};

}  // namespace kesmora
