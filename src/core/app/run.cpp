#include "core/app/run.h"

#include "core/reference/text.h"
#include "core/search/run_options.h"

#include <fmt/format.h>

#include <cmath>

namespace kesmora {

RunInput RunInputOf(const Session& s, const RunOptions& options) {
  RunInput in;
  in.programDir = s.programDir;
  in.tables = s.tables;
  in.chart = s.chart;
  in.transitYear = s.reading2.year;
  in.transitMonth = s.reading2.month;
  in.transitDay = s.reading2.day;
  in.dateOrder = s.formats.dateOrder;
  in.options = options;
  const Settings& st = s.settings;
  auto fileOf = [](const std::string& name) { return std::filesystem::path(name); };
  in.lists.file[static_cast<size_t>(ListKind::DegreePairs)] = fileOf(s.degreePairFile);
  in.lists.file[static_cast<size_t>(ListKind::AuspiciousPoints)] = fileOf(st.aptFilename);
  in.lists.file[static_cast<size_t>(ListKind::LunarMansions)] = fileOf(st.nakFilename);
  in.lists.file[static_cast<size_t>(ListKind::MidpointsToNatal)] = fileOf(st.mpnFilename);
  in.lists.file[static_cast<size_t>(ListKind::MidpointsToTransit)] = fileOf(st.mptFilename);
  in.lists.file[static_cast<size_t>(ListKind::NatalMidpoints)] = fileOf(st.nmpFilename);
  return in;
}

HitTextContext RunTexts(const Session& s) {
  return HitTextsOf(s.tables, s.run.extra, s.formats.dateOrder, s.run.transitTimeZone);
}

RunShown ShownRunOf(const RunInput& in, const RunResult& run, const RunControl& control) {
  const HitTextContext texts = HitTextsOf(in.tables, run.extra, in.dateOrder, run.transitTimeZone);
  const std::vector<Hit>& hits = run.hits.RunHits();
  // Each hit has a line in its pass's report and a row in the grid.
  const double work = 2.0 * static_cast<double>(hits.size()) + 1;
  constexpr size_t kPiecesPerCheck = 64;
  ProgressReporter reporter(control);
  size_t done = 0;
  auto step = [&] {
    if (++done % kPiecesPerCheck != 0) return;
    reporter.Report(run_stage::Texts, static_cast<double>(done) / work);
    reporter.CheckCancelled();
  };
  RunShown shown;
  for (const PassHits& pass : run.passes) {
    std::string block;
    WritePassReport(
        [&](std::string_view piece) {
          block += piece;
          step();
        },
        run.Shown(pass), pass.pass, texts);
    shown.report.push_back(std::move(block));
  }
  shown.grid.reserve(hits.size());
  shown.keys.reserve(hits.size());
  for (size_t r = 0; r < hits.size(); ++r) {
    shown.grid.push_back(GridRowOf(hits[r], static_cast<int>(r) + 1, texts));
    shown.keys.push_back(GridSortKeyOf(hits[r], static_cast<int>(r) + 1));
    step();
  }
  return shown;
}

namespace {

// "Example, 09/22/1949 10:43 AM, zone 6.35889, 95W23 29N45, Houston TX"
std::string PersonTitle(const PersonFields& f, const PersonReading& r, DateOrder order) {
  std::string text = f.name.empty() ? "(no name)" : f.name;
  text += ", " + DateText({r.year, r.month, r.day}, order);
  if (f.half == HalfDay::Unknown) {
    text += " time unknown (noon)";
  } else {
    const double minute = LeadingNumber(f.minute);
    const std::string minuteText =
        minute == std::floor(minute) ? fmt::format("{:02}", ClampedInt(minute)) : fmt::format("{:05.2f}", minute);
    text += fmt::format(" {}:{} {}", ClampedInt(LeadingNumber(f.hour)), minuteText, f.half == HalfDay::PM ? "PM" : "AM");
  }
  text += ", zone " + (f.timeZone.empty() ? std::string("0") : f.timeZone);
  auto number = [](const std::string& field) { return ClampedInt(LeadingNumber(field)); };
  text += fmt::format(", {}{}{:02} {}{}{:02}", number(f.longDeg), f.east ? 'E' : 'W', number(f.longMin),
                      number(f.latDeg), f.south ? 'S' : 'N', number(f.latMin));
  std::string place = f.city;
  if (!f.stateCountry.empty()) place += (place.empty() ? "" : " ") + f.stateCountry;
  if (!place.empty()) text += ", " + place;
  return text;
}

}  // namespace

std::vector<std::string> RunTitleLines(const Session& s) {
  const RunOptions o = RunOptionsOf(s.settings, s.person2);
  const DateOrder order = s.formats.dateOrder;
  const std::string date = DateText({s.reading2.year, s.reading2.month, s.reading2.day}, order);
  std::string span;
  if (o.timePeriod)
    span = fmt::format("{} from {} to {}", date, o.startTime, o.endTime);
  else if (o.daysToCalculate == 0)
    span = fmt::format("the one day from midnight of {} (Days to calculate 0)", date);
  else
    span = fmt::format("{} day{} from midnight of {}", o.daysToCalculate, o.daysToCalculate == 1 ? "" : "s", date);
  static const char* houses[] = {"Placidus", "Koch", "Whole sign", "Asc -30 deg"};
  const int house = static_cast<int>(o.chart.houses);
  auto minutes = [](double degrees) { return fmt::format("{:g}'", std::round(degrees * 60 * 100) / 100); };
  return {
      fmt::format("Aspectarian of {} and {}", s.person1.name, s.person2.name),
      "Natal (Person 1):   " + PersonTitle(s.person1, s.reading1, order),
      "Transit (Person 2): " + PersonTitle(s.person2, s.reading2, order),
      "Span:               " + span + " (local time of Person 2)",
      fmt::format("Zodiac and houses:  {}, {}", o.chart.zodiac == Zodiac::Sidereal ? "Sidereal" : "Tropical",
                  house >= 0 && house < 4 ? houses[house] : "none"),
      fmt::format("Orbs:               {} before exact, {} after; start and end looked for {:g} days either side",
                  minutes(o.orbBefore), minutes(o.orbAfter), o.periodWindow)};
}

void KeepRunResult(Session& s, RunResult result) {
  s.run = std::move(result);
  s.runDone = true;
  // A run searches the charts as last calculated (the window calculates first when the fields
  // have changed), so they name its hits, not what the fields hold later.
  s.runTitle = s.chartPerson1.name + " and " + s.chartPerson2.name;
  s.runDateText = s.transitDateText;
  s.runDate = {s.reading2.year, s.reading2.month, s.reading2.day};
  s.runReport.clear();
}

void AdoptRunResult(Session& s, RunResult result, std::vector<std::string> report) {
  KeepRunResult(s, std::move(result));
  s.runReport = std::move(report);
  s.output.StartNewPage();
  for (const std::string& line : RunTitleLines(s)) {
    s.output.outLine = line;
    s.output.AddOutLine();
  }
  for (const std::string& block : s.runReport) {
    s.output.outLine = block;
    s.output.AddOutLine();
    s.output.ShowPage(s.programDir);
  }
}

std::vector<GridRow> RunGridRows(const Session& s) { return GridRowsOf(s.run.hits.RunHits(), RunTexts(s)); }

}  // namespace kesmora
