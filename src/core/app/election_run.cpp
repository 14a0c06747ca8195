#include "core/app/election_run.h"

#include "core/app/run.h"
#include "core/results/hotspots.h"
#include "core/search/run_options.h"

#include <algorithm>

namespace kesmora {

ElectionRunInput ElectionRunInputOf(const Session& session, const RunOptions& options, Election election) {
  ElectionRunInput in;
  in.run = RunInputOf(session, options);
  in.election = std::move(election);
  in.events = EventOptionsOf(session.optionValues);
  return in;
}

ElectionPicture RunElection(const ElectionRunInput& in, const RunControl& control) {
  const EphemerisThread ephemeris(in.run.programDir);
  const RunSpan runSpan = RunSpanOf(in.run.options, in.run.transitYear, in.run.transitMonth, in.run.transitDay);
  const Interval span{runSpan.start, runSpan.end};
  const double zone = in.run.options.transitTimeZone;
  auto check = [&control] {
    if (control.cancelled && control.cancelled()) throw RunCancelled();
  };
  auto progress = [&control](int stage, double fraction) {
    if (control.progress) control.progress(stage, fraction);
  };

  // The hits of the selection, for "hits >= N", from a run of the aspectarian over the span.
  std::vector<Interval> hitPeriods;
  const auto& items = in.election.items;
  if (std::any_of(items.begin(), items.end(), [](const ElectionItem& i) { return NeedsHits(i.condition); }))
    hitPeriods = PeriodsInForce(HotspotHitsOf(RunAspectarian(in.run, control)));

  ChartRecord record = in.run.chart;
  ChartCalculator calc(in.run.tables, record, in.run.options.chart);
  // The void Moon and the retrograde periods are shown whatever the conditions.
  progress(election_stage::Events, 0);
  const std::vector<Event> events = FindEvents(calc, in.run.tables, span.startJd, span.endJd, in.events, check);

  ElectionInputs inputs;
  inputs.tables = &in.run.tables;
  inputs.chart = &in.run.chart;
  inputs.calc = &calc;
  inputs.span = span;
  inputs.timeZoneHours = zone;
  inputs.events = &events;
  inputs.hitPeriods = &hitPeriods;
  inputs.checkCancelled = check;
  std::vector<IntervalSet> held;
  for (size_t k = 0; k < items.size(); ++k) {
    progress(election_stage::Conditions, static_cast<double>(k) / static_cast<double>(items.size()));
    held.push_back(HeldIntervals(items[k].condition, inputs));
  }
  check();
  std::vector<ElectionWindow> windows = RankWindows(in.election, held, span, in.minMinutes);
  return BuildElectionPicture(in.election, std::move(held), std::move(windows), span, zone, &events);
}

}  // namespace kesmora
