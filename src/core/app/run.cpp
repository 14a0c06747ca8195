#include "core/app/run.h"

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

void KeepRunResult(Session& s, RunResult result) {
  s.run = std::move(result);
  s.runDone = true;
  s.runReport.clear();
}

void AdoptRunResult(Session& s, RunResult result, std::vector<std::string> report) {
  KeepRunResult(s, std::move(result));
  s.runReport = std::move(report);
  s.output.StartNewPage();
  for (const std::string& block : s.runReport) {
    s.output.outLine = block;
    s.output.AddOutLine();
    s.output.ShowPage(s.programDir);
  }
}

std::vector<GridRow> RunGridRows(const Session& s) { return GridRowsOf(s.run.hits.RunHits(), RunTexts(s)); }

}  // namespace kesmora
