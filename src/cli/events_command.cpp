#include "events_command.h"

#include "cli_common.h"
#include "core/chart/ephemeris_notices.h"
#include "core/persons/person_checks.h"
#include "core/reference/text.h"
#include "core/results/calendar.h"
#include "core/results/event_texts.h"
#include "core/search/events.h"
#include "core/search/run_options.h"

#include <fmt/format.h>

#include <chrono>
#include <memory>
#include <sstream>

namespace kesmora::cli {

namespace {

struct EventsCli {
  CommonOptions common;
  int days = 1;
  std::string kinds;
  bool traditionalVoid = false;
  std::string csv, ics;
};

void ApplyKinds(EventOptions& options, const std::string& list) {
  options.ingresses = options.stations = options.mansions = options.voids = false;
  std::stringstream ss(list);
  std::string item;
  while (std::getline(ss, item, ',')) {
    item = Trim(item);
    if (item == "ingress") options.ingresses = true;
    else if (item == "station") options.stations = true;
    else if (item == "mansion") options.mansions = true;
    else if (item == "void") options.voids = true;
    else throw UsageError(fmt::format("unknown kind '{}' (ingress, station, mansion, void)", item));
  }
}

void Run(EventsCli& o, const std::string& program, int& exitCode) {
  // The command line is checked whole before anything is computed or written.
  EventOptions options;
  if (!o.kinds.empty()) ApplyKinds(options, o.kinds);  // checked before anything is read or written
  Session s;
  ConsoleInterface ui;
  // The events need the transit person alone: its date, clock and the chart choices.
  o.common.natalUsed = false;
  PrepareSession(s, o.common, program, ui);
  const std::vector<std::string> failures = CheckTransitFields(s.person2);
  for (const std::string& text : failures) ui.ShowMessage({MessageIcon::Information, "Warning!", text});
  if (!failures.empty()) {
    exitCode = 2;
    return;
  }
  s.reading2 = ReadPersonFields(s.person2, s.formats.dateOrder);
  options.traditionalVoid = o.traditionalVoid || EventOptionsOf(s.optionValues).traditionalVoid;
  RunOptions run = RunOptionsOf(s.settings, s.person2);
  run.daysToCalculate = o.days;
  run.timePeriod = false;
  const RunSpan span = RunSpanOf(run, s.reading2.year, s.reading2.month, s.reading2.day);

  ChartRecord record;
  ChartCalculator calc(s.tables, record, run.chart);
  const std::vector<Event> events = FindEvents(calc, s.tables, span.start, span.end, options);
  for (const std::string& notice : EphemerisNotices(calc.Problems(), s.tables))
    ui.ShowMessage({MessageIcon::Information, "Information", notice});

  const ExtraPoints none;
  const HitTextContext texts = HitTextsOf(s.tables, none, s.formats.dateOrder, run.transitTimeZone);
  // Every text is made before the first file is written.
  std::vector<std::pair<std::string, std::string>> outputs;
  if (!o.csv.empty()) outputs.emplace_back(o.csv, EventsCsv(events, texts));
  if (!o.ics.empty()) {
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    outputs.emplace_back(o.ics, IcsText(EventCalendarOf(events, texts), now.time_since_epoch().count()));
  }
  if (outputs.empty()) outputs.emplace_back("-", EventsText(events, texts));
  for (const auto& [target, text] : outputs) Emit(target, [&text](const TextSink& out) { out(text); });
  exitCode = 0;
}

}  // namespace

void AddEventsCommand(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<EventsCli>();
  CLI::App* cmd = app.add_subcommand(
      "events", "List sign ingresses, stations and retrograde periods, lunar-mansion ingresses and the void-of-course "
                "Moon over the transit days");
  o->common.AddTo(*cmd);
  cmd->add_option("--days", o->days, "Days from local midnight of the transit date (0: the one day)")
      ->check(CLI::Range(0, MaxDaysToCalculate));
  cmd->add_option("--kinds", o->kinds,
                  "Comma-separated kinds: ingress, station (with the retrograde periods), mansion, void (default: all)");
  cmd->add_flag("--traditional-void", o->traditionalVoid,
                "Void of course by the Moon's aspects to Sun..Saturn only (as option 15 of OPTIONS.OPT)");
  cmd->add_option("--csv", o->csv, "Write the events as CSV to FILE, or -");
  cmd->add_option("--ics", o->ics, "Write the events as calendar events (iCalendar, UTC) to FILE, or -");
  cmd->callback([o, &exitCode, &app] { Run(*o, app.get_name(), exitCode); });
}

}  // namespace kesmora::cli
