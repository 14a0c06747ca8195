#include "elect_command.h"

#include "aspectarian_command.h"
#include "cli_common.h"
#include "core/reference/text.h"
#include "core/results/election_results.h"
#include "core/results/hotspots.h"
#include "core/search/election.h"
#include "core/search/election_file.h"
#include "core/search/events.h"
#include "core/settings/options_file.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>

namespace kesmora::cli {

namespace {

struct ElectCli {
  RunCliOptions run;
  std::string electionFile;
  std::vector<std::string> require, avoid, prefer;
  double minMinutes = kDefaultMinMinutes;
  bool traditionalVoid = false;
  int top = 0;
  std::string csv, ics;
};

// The election of the options, read once the tables are there; a fault is bad input.
Election ElectionOf(const ElectCli& o, const ReferenceTables& tables) {
  if (!o.electionFile.empty()) {
    ElectionRead read = ReadElectionFile(o.electionFile, tables);
    if (!read) throw UsageError(read.error);
    return read.election;
  }
  Election election;
  auto add = [&](const std::string& text, Role role, const char* option) {
    Parsed<ElectionItem> item{};
    if (role == Role::Preferred) {
      item = ParsePreferredArgument(text, tables);
    } else {
      auto condition = ParseCondition(text, tables);
      if (condition) item.value = ElectionItem{role, 1, *condition.value};
      item.error = condition.error;
    }
    if (!item) throw UsageError(fmt::format("{} \"{}\": {}", option, text, item.error));
    election.items.push_back(*item.value);
  };
  for (const std::string& c : o.require) add(c, Role::Required, "--require");
  for (const std::string& c : o.avoid) add(c, Role::Avoided, "--avoid");
  for (const std::string& c : o.prefer) add(c, Role::Preferred, "--prefer");
  if (election.items.empty())
    throw UsageError("the election holds no condition: give --election FILE, or --require, --avoid or --prefer");
  return election;
}

void Run(ElectCli& o, const std::string& program, int& exitCode) {
  Session session;
  ConsoleInterface ui;
  Election election;
  // The election is read before anything is computed, so that bad input stops at once.
  std::optional<RunInput> input =
      PrepareSearch(o.run, program, session, ui, [&] { election = ElectionOf(o, session.tables); });
  if (!input) {
    exitCode = 2;
    return;
  }
  bool needsEvents = false, needsHits = false;
  for (const ElectionItem& item : election.items) {
    needsEvents = needsEvents || NeedsEvents(item.condition);
    needsHits = needsHits || NeedsHits(item.condition);
  }
  const RunSpan span = RunSpanOf(input->options, input->transitYear, input->transitMonth, input->transitDay);
  ChartRecord record = session.chart;
  ChartCalculator calc(session.tables, record, session.chartOptions);

  ElectionInputs in;
  in.tables = &session.tables;
  in.chart = &session.chart;
  in.calc = &calc;
  in.span = {span.start, span.end};
  in.timeZoneHours = input->options.transitTimeZone;
  std::vector<Event> events;
  if (needsEvents) {
    // Only the kinds the conditions ask for.
    EventOptions options;
    options.ingresses = false;
    options.stations = options.mansions = options.voids = false;
    for (const ElectionItem& item : election.items) {
      const Condition& c = item.condition;
      options.voids = options.voids || std::holds_alternative<MoonVoid>(c);
      options.stations = options.stations || std::holds_alternative<Retrograde>(c) || std::holds_alternative<Stationary>(c);
      options.mansions = options.mansions || std::holds_alternative<InMansion>(c);
    }
    options.traditionalVoid = o.traditionalVoid || EventOptionsOf(session.optionValues).traditionalVoid;
    // A station just outside the span is within its hours of the span's first moments.
    double marginDays = 0;
    for (const ElectionItem& item : election.items)
      if (auto* s = std::get_if<Stationary>(&item.condition)) marginDays = std::max(marginDays, s->withinHours / 24);
    events = FindEvents(calc, session.tables, span.start - marginDays, span.end + marginDays, options);
    in.events = &events;
  }
  std::vector<Interval> hitPeriods;
  if (needsHits) {
    RunPreparedSearch(*input, session, ui);
    hitPeriods = PeriodsInForce(HotspotHitsOf(session.run));
    in.hitPeriods = &hitPeriods;
  }
  std::vector<ElectionWindow> windows;
  try {
    windows = FindWindows(election, in, o.minMinutes);
  } catch (const ElectionError& e) {
    throw UsageError(e.what());
  }
  if (o.top > 0 && windows.size() > static_cast<size_t>(o.top)) windows.resize(static_cast<size_t>(o.top));

  const HitTextContext texts = HitTextsOf(session.tables, ExtraPoints{}, session.formats.dateOrder, in.timeZoneHours);
  const std::vector<WindowRow> rows = WindowRowsOf(election, windows, texts);
  if (!o.csv.empty()) Emit(o.csv, [&](const TextSink& out) { out(WindowsCsvText(rows)); });
  if (!o.ics.empty()) {
    auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const std::string text =
        IcsText(WindowEventsOf(election, windows, texts, session.chart.natalJulianDay), now.time_since_epoch().count());
    Emit(o.ics, [&](const TextSink& out) { out(text); });
  }
  if (o.csv.empty() && o.ics.empty()) {
    if (rows.empty())
      std::cout << fmt::format("No window of at least {} minutes meets the election.\n", NumberText(o.minMinutes));
    else
      std::cout << WindowsTableText(rows);
  }
  exitCode = 0;
}

}  // namespace

void AddElectCommand(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<ElectCli>();
  CLI::App* cmd = app.add_subcommand(
      "elect", "Find the windows of time in which the chosen conditions hold, best first");
  cmd->footer(R"(Conditions, as on the command line and in an election file:
  transit P AAA natal|transit Q orb DEG [applying|separating]
                            P makes aspect AAA (000 to 180, as the aspect boxes
                            name them) to Q within DEG degrees
  Moon void                 the Moon void of course
  P retrograde              P stationary [HOURS]   (within HOURS of a station, 24)
  P in SIGN[,SIGN...]       Moon in mansion N [pada K]     P in natal house H
  hits >= N                 at least N hits of the selection in force
  time HH:MM-HH:MM          the transit place's clock (22:00-02:00 runs past midnight)
  weekday Mon[,Tue...]
Names of planets and points as planet_names.txt gives them.
An election file (.elc) holds one line per condition: "require C", "avoid C"
or "prefer [WEIGHT] C"; blank lines and lines starting with # are skipped.
Examples:
  kesmora-cli elect --natal Example --transit-now --days 30 \
    --require "time 09:00-17:00" --avoid "Moon void" --avoid "Mercury retrograde" \
    --require "transit Jupiter 120 natal Sun orb 2" --prefer "hits >= 3=2"
  kesmora-cli elect --natal Example --transit-now --days 365 --election lease.elc --top 5)");
  AddRunOptions(*cmd, o->run);
  auto* file = cmd->add_option("--election", o->electionFile, "Read the conditions from an election file (.elc)");
  auto* require = cmd->add_option("--require", o->require, "A condition that must hold (repeatable)")
                      ->allow_extra_args(false);
  auto* avoid = cmd->add_option("--avoid", o->avoid, "A condition that must not hold (repeatable)")
                    ->allow_extra_args(false);
  auto* prefer = cmd->add_option("--prefer", o->prefer, "A condition that adds its weight W when it holds: C or C=W")
                     ->allow_extra_args(false);
  file->excludes(require)->excludes(avoid)->excludes(prefer);
  cmd->add_option("--min-minutes", o->minMinutes, "The shortest window listed, minutes (default 10)")
      ->check(NumberBetween(0.0, 1440.0 * MaxDaysToCalculate));
  cmd->add_option("--top", o->top, "List only the best K windows (default: all)")->check(CLI::NonNegativeNumber);
  cmd->add_flag("--traditional-void", o->traditionalVoid,
                "The Moon is void of course by its aspects to Sun..Saturn only (also option 15 of OPTIONS.OPT)");
  cmd->add_option("--csv", o->csv, "Write the windows as CSV to FILE, or -");
  cmd->add_option("--ics", o->ics, "Write the windows as calendar events (iCalendar, UTC) to FILE, or -");
  cmd->callback([o, &exitCode, &app] { Run(*o, app.get_name(), exitCode); });
}

}  // namespace kesmora::cli
