#include "aspectarian_command.h"

#include "core/app/run.h"
#include "core/app/planetary_data.h"
#include "cli_common.h"
#include "core/reference/text.h"
#include "core/results/calendar.h"
#include "core/results/results.h"
#include "core/search/aspectarian.h"
#include "core/search/run_options.h"
#include "core/reference/format.h"
#include "core/settings/selection_file.h"

#include <fmt/format.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>

namespace kesmora::cli {

namespace {

struct AspectarianCli {
  RunCliOptions run;
  std::string report, csv, ics;
};

const char* kPassNames[] = {"t2n", "t2t", "deg", "apt", "nak", "t2nmp", "tmp2nmp"};

void ApplyPasses(Settings& s, const std::string& list) {
  std::array<bool, 7> on{};
  std::stringstream ss(list);
  std::string item;
  while (std::getline(ss, item, ',')) {
    item = Trim(item);
    bool known = false;
    for (size_t p = 0; p < on.size(); ++p)
      if (item == kPassNames[p]) on[p] = known = true;
    if (!known) throw UsageError(fmt::format("unknown pass '{}' (t2n, t2t, deg, apt, nak, t2nmp, tmp2nmp)", item));
  }
  s.chkNatal_Transit = {on[0] || on[5] || on[6] ? 1 : 0, on[1] ? 1 : 0};
  s.chkIncludeTDeg_to_NDeg = on[2];
  s.chkIncludeAuspiciousPoints = on[3];
  s.chkIncludeLunarMansions = on[4];
  s.chkInclude_Transit_Planets_to_Natal_Midpoints = on[5];
  s.chkInclude_Transit_Midpoints_to_Natal_Midpoints = on[6];
}

void ApplyPeriod(Settings& s, const std::string& period) {
  size_t dash = period.find('-');
  if (dash == std::string::npos || !ClockTimeHours(period.substr(0, dash)) || !ClockTimeHours(period.substr(dash + 1)))
    throw UsageError(fmt::format("'{}' is not a period HH.MM-HH.MM (hours 00 to 23, minutes 00 to 59)", period));
  s.chkEnableTimePeriod = 1;
  s.txtStartTime = period.substr(0, dash);
  s.txtEndTime = period.substr(dash + 1);
}

const char* ListOption(ListKind kind) {
  switch (kind) {
    case ListKind::DegreePairs: return "--t2n";
    case ListKind::AuspiciousPoints: return "--apt";
    case ListKind::LunarMansions: return "--nak";
    case ListKind::MidpointsToNatal: return "--mpn";
    case ListKind::MidpointsToTransit: return "--mpt";
    case ListKind::NatalMidpoints: return "--nmp";
  }
  return "";
}

}  // namespace

CLI::Validator NumberBetween(double least, double most) {
  return CLI::Validator(
      [least, most](std::string& text) -> std::string {
        double value = 0;
        if (!CLI::detail::lexical_cast(text, value) || !(value >= least && value <= most))
          return fmt::format("'{}' is not a number from {} to {}", text, least, most);
        return {};
      },
      fmt::format("NUMBER in [{} - {}]", least, most));
}

void Emit(const std::string& target, const std::function<void(const TextSink&)>& write) {
  if (target == "-") {
    write([](std::string_view piece) { std::cout.write(piece.data(), static_cast<std::streamsize>(piece.size())); });
    std::cout.flush();
    return;
  }
  if (WriteResult written = WriteFileAtomically(target, write); !written)
    throw UsageError(fmt::format("cannot write '{}': {}", target, written.error));
}

namespace {

void Run(AspectarianCli& o, const std::string& program, int& exitCode) {
  Session session;
  ConsoleInterface ui;
  if (!RunSearch(o.run, program, session, ui)) {
    exitCode = 2;
    return;
  }
  // Hit by hit, so that a run of any size is written without its texts being held.
  const HitTextContext texts = RunTexts(session);
  if (o.report.empty() && o.csv.empty() && o.ics.empty()) o.report = "-";
  if (!o.report.empty()) Emit(o.report, [&](const TextSink& out) { WriteRunReport(out, session.run, texts); });
  if (!o.csv.empty()) Emit(o.csv, [&](const TextSink& out) { WriteCsv(out, session.run.hits.RunHits(), texts); });
  if (!o.ics.empty()) {
    auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    Emit(o.ics, [&](const TextSink& out) {
      WriteCalendar(out, session.run, texts, session.chart.natalJulianDay, now.time_since_epoch().count());
    });
  }
  exitCode = 0;
}

}  // namespace

std::optional<RunInput> PrepareSearch(RunCliOptions& o, const std::string& program, Session& session,
                                      ConsoleInterface& ui, const std::function<void()>& beforeCharts) {
  PrepareSession(session, o.common, program, ui);
  if (beforeCharts) beforeCharts();
  Settings& s = session.settings;
  if (!o.selection.empty()) {
    SelectionLoad load = ReadSelectionFile(s, o.selection);
    if (load.status == SelectionLoad::Status::Unreadable)
      throw UsageError(fmt::format("cannot read the selection file '{}'", o.selection));
    if (!load) throw UsageError(SelectionLoadError(load, o.selection));
  }
  if (o.days) s.txtDaysToCalculate = std::to_string(*o.days);
  if (!o.period.empty()) ApplyPeriod(s, o.period);
  if (o.orbBefore) s.txtMinutesBeforeExact = NumberText(*o.orbBefore);
  if (o.orbAfter) s.txtMinutesAfterExact = NumberText(*o.orbAfter);
  if (o.window) s.txtDaysForwardBack = NumberText(*o.window);
  if (!o.passes.empty()) ApplyPasses(s, o.passes);
  if (o.tmpNatal) s.chkInclude_Transit_Midpoints_to_Natal_Planets = 1;
  if (o.tmpTransit) s.chkInclude_Transit_Midpoints_to_Transit_Planets = 1;
  if (o.tNmp) s.chkInclude_Transit_Planets_to_Natal_Midpoints = 1;
  if (o.tmpNmp) s.chkInclude_Transit_Midpoints_to_Natal_Midpoints = 1;
  for (auto [file, setting] : {std::pair{&o.mpn, &s.mpnFilename}, std::pair{&o.mpt, &s.mptFilename},
                               std::pair{&o.nmp, &s.nmpFilename}, std::pair{&o.nak, &s.nakFilename},
                               std::pair{&o.apt, &s.aptFilename}, std::pair{&o.t2n, &session.degreePairFile}})
    if (!file->empty()) *setting = std::filesystem::absolute(*file).string();

  if (!CalculatePlanetaryData(session, ui)) return std::nullopt;
  RunOptions options = RunOptionsOf(s, session.person2);
  options.exactEphemeris = o.exactEphemeris;
  options.threads = o.threads;
  options.hitLimit = o.maxHits > 0 ? o.maxHits : std::numeric_limits<int>::max();
  return RunInputOf(session, options);
}

void RunPreparedSearch(const RunInput& input, Session& session, ConsoleInterface& ui) {
  // Without a window to choose a missing list in, a missing list is an error.
  for (ListKind kind : ListsNeeded(input.options)) {
    const auto& file = input.lists.file[static_cast<size_t>(kind)];
    if (file.empty() || !FileExists(file))
      throw UsageError(fmt::format("the {} list file {} is missing", ListOption(kind),
                                   file.empty() ? "was not given" : "'" + file.string() + "'"));
  }
  RunControl control;
  std::atomic<long> found{0};
  control.hitsFound = &found;
  if (isatty(fileno(stderr))) {
    control.progress = [&found](int stage, double fraction) {
      const std::string name = stage == run_stage::Sampling ? "positions"
                               : stage == run_stage::Periods ? "periods"
                                                             : fmt::format("pass {}", stage);
      std::fprintf(stderr, "\r%-9s %3.0f%%  %ld aspects", name.c_str(), fraction * 100, found.load());
    };
  }
  // The progress line goes when the run ends, also at the hit limit.
  struct ClearLine {
    bool shown;
    ~ClearLine() {
      if (shown) std::fprintf(stderr, "\r%-40s\r", "");
    }
  } clear{static_cast<bool>(control.progress)};
  KeepRunResult(session, RunAspectarian(input, control));
  for (const std::string& notice : session.run.notices) ui.ShowMessage({MessageIcon::Information, "Information", notice});
}

bool RunSearch(RunCliOptions& o, const std::string& program, Session& session, ConsoleInterface& ui) {
  std::optional<RunInput> input = PrepareSearch(o, program, session, ui);
  if (!input) return false;
  RunPreparedSearch(*input, session, ui);
  return true;
}

void AddRunOptions(CLI::App& cmd, RunCliOptions& o) {
  o.common.AddTo(cmd);
  cmd.add_option("--selection", o.selection, "Ticked planets and aspects from a search-selection file (.opt)");
  cmd.add_option("--days", o.days, "Days to calculate from local midnight of the transit date")
      ->check(CLI::Range(0, MaxDaysToCalculate));
  cmd.add_option("--period", o.period, "Only this time window of the transit date, HH.MM-HH.MM");
  cmd.add_option("--orb-before", o.orbBefore, "Orb before exact, arc minutes (up to 10800, half the circle)")
      ->check(NumberBetween(0.0, MaxOrbDeg * 60));
  cmd.add_option("--orb-after", o.orbAfter, "Orb after exact, arc minutes (up to 10800, half the circle)")
      ->check(NumberBetween(0.0, MaxOrbDeg * 60));
  cmd.add_option("--window", o.window, "Days to look forward and back for the periods")
      ->check(NumberBetween(0.0, MaxPeriodWindowDays));
  cmd.add_option("--passes", o.passes, "Comma-separated passes: t2n, t2t (deg, apt, nak, t2nmp, tmp2nmp with the target lists)");
  cmd.add_flag("--exact-ephemeris", o.exactEphemeris,
               "Ask the ephemeris for every position instead of interpolating (slow; for comparisons)");
  cmd.add_option("--threads", o.threads, "Worker threads of the run (default: one per core, at most 8)")
      ->check(CLI::Range(0, 64));
  cmd.add_option("--max-hits", o.maxHits,
                 fmt::format("Stop with exit code 1 once the search finds more than N aspects (default {}, as the "
                             "window; 0: no limit)", MaxHitRowsDefault))
      ->check(CLI::NonNegativeNumber);
  cmd.add_option("--mpn", o.mpn, "Transit midpoints to meet natal planets (.mpn list)");
  cmd.add_option("--mpt", o.mpt, "Transit midpoints to meet transit planets (.mpt list)");
  cmd.add_option("--nmp", o.nmp, "Natal midpoints (.nmp list)");
  cmd.add_option("--nak", o.nak, "Transit planets to lunar mansion padas (.nak list)");
  cmd.add_option("--apt", o.apt, "Transit planets to auspicious points (.apt list)");
  cmd.add_option("--t2n", o.t2n, "Transit degree to natal degree pairs (.t2n list)");
  cmd.add_flag("--tmp-natal", o.tmpNatal, "Include transit midpoints to natal planets (with --mpn)");
  cmd.add_flag("--tmp-transit", o.tmpTransit, "Include transit midpoints to transit planets (with --mpt)");
  cmd.add_flag("--t-nmp", o.tNmp, "Include transit planets to natal midpoints (with --nmp)");
  cmd.add_flag("--tmp-nmp", o.tmpNmp, "Include transit midpoints to natal midpoints (with --mpn and --nmp)");
}

void AddAspectarianCommand(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<AspectarianCli>();
  CLI::App* cmd = app.add_subcommand("aspectarian", "Find the exact times of the ticked aspects over the transit days");
  AddRunOptions(*cmd, o->run);
  cmd->add_option("--report", o->report, "Write the report to FILE, or - for standard output (the default)");
  cmd->add_option("--csv", o->csv, "Write the grid with its periods as CSV to FILE, or -");
  cmd->add_option("--ics", o->ics, "Write every hit as a calendar event (iCalendar, UTC) to FILE, or -");
  cmd->callback([o, &exitCode, &app] { Run(*o, app.get_name(), exitCode); });
}

}  // namespace kesmora::cli
