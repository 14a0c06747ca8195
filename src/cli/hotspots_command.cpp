#include "hotspots_command.h"

#include "aspectarian_command.h"
#include "cli_common.h"
#include "core/reference/text.h"
#include "core/results/hits_file.h"
#include "core/results/hotspots.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>

namespace kesmora::cli {

namespace {

struct HotspotsCli {
  RunCliOptions run;
  std::string date, hitsFile;
  int top = 10;
};

CivilDate DateOption(const std::string& text) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) == 3) {
    // Through the date order that reads year first, which also checks the calendar.
    if (auto date = ParseDateText(fmt::format("{}/{}/{}", y, m, d), DateOrder::YearMonthDay)) return *date;
  }
  throw UsageError(fmt::format("'{}' is not a date YYYY-MM-DD", text));
}

struct Stretch {
  int count, first, last;  // minutes after midnight
};

// Runs of minutes with the same count, busiest first, earlier first among equals.
std::vector<Stretch> BusiestStretches(const MinuteCounts& counts, int most) {
  std::vector<Stretch> stretches;
  for (int m = 0; m < MinutesPerDay;) {
    int end = m;
    while (end + 1 < MinutesPerDay && counts[static_cast<size_t>(end) + 1] == counts[static_cast<size_t>(m)]) ++end;
    if (counts[static_cast<size_t>(m)] > 0) stretches.push_back({counts[static_cast<size_t>(m)], m, end});
    m = end + 1;
  }
  std::stable_sort(stretches.begin(), stretches.end(),
                   [](const Stretch& a, const Stretch& b) { return a.count > b.count; });
  if (static_cast<int>(stretches.size()) > most) stretches.resize(static_cast<size_t>(most));
  return stretches;
}

std::string Summary(const HitsSeries& series, const HotspotCount& count, size_t hits, int most) {
  std::string out = fmt::format("Hits in force on {}: {}\n", series.dateText, series.title);
  out += fmt::format("Counted from {} hits of the run", hits);
  if (count.twinsMerged > 0)
    out += fmt::format("; {} transit-to-transit aspects found from both points counted once", count.twinsMerged);
  out += ".\n";
  auto stretches = BusiestStretches(count.counts, most);
  if (stretches.empty()) return out + "No hit is in force on that date.\n";
  out += "Busiest minutes:\n";
  for (const Stretch& s : stretches) {
    std::string when = TimeLabel(s.first);
    if (s.last > s.first) when += " to " + TimeLabel(s.last);
    out += fmt::format("{:>6} {:<4}  {}\n", s.count, s.count == 1 ? "hit" : "hits", when);
  }
  return out;
}

void Run(HotspotsCli& o, const std::string& program, int& exitCode) {
  // The date is checked before the search starts.
  std::optional<CivilDate> chosen;
  if (!o.date.empty()) chosen = DateOption(o.date);
  Session session;
  ConsoleInterface ui;
  if (!RunSearch(o.run, program, session, ui)) {
    exitCode = 2;
    return;
  }
  CivilDate date = chosen ? *chosen : CivilDate{session.reading2.year, session.reading2.month, session.reading2.day};
  HotspotHits hits = HotspotHitsOf(session.run);
  HotspotCount count = CountHotspots(hits, date);
  HitsSeries series = SeriesOfDay(session.person1.name + " and " + session.person2.name,
                                  DateText(date, session.formats.dateOrder), count.counts);
  const std::string text = HitsFileText(series);
  if (o.hitsFile == "-") {
    std::cout << text;
  } else {
    std::filesystem::path file = o.hitsFile.empty() ? WorkingHitsFile(session.programDir) : std::filesystem::path(o.hitsFile);
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    if (WriteResult written = WriteFileAtomically(file, text); !written) throw UsageError(WriteFailureText(file, written));
    std::cout << Summary(series, count, hits.hits.size(), o.top);
  }
  exitCode = 0;
}

}  // namespace

void AddHotspotsCommand(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<HotspotsCli>();
  CLI::App* cmd = app.add_subcommand("hotspots", "Count the hits in force at each minute of a day and show the busiest");
  AddRunOptions(*cmd, o->run);
  cmd->add_option("--date", o->date, "The day to count, YYYY-MM-DD (default: the transit date)");
  cmd->add_option("--hits-file", o->hitsFile,
                  "Write the hits file to FILE, or - for standard output (default: hits/temp_hits.csv)");
  cmd->add_option("--top", o->top, "How many of the busiest stretches to list")->check(CLI::Range(1, 1440));
  cmd->callback([o, &exitCode, &app] { Run(*o, app.get_name(), exitCode); });
}

}  // namespace kesmora::cli
