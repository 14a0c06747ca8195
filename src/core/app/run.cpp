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

void AdoptRunResult(Session& s, RunResult result) {
  s.run = std::move(result);
  s.runDone = true;
  // A run searches the charts as last calculated (the window calculates first when the fields
  // have changed), so they name its hits, not what the fields hold later.
  s.runTitle = s.chartPerson1.name + " and " + s.chartPerson2.name;
  s.runDateText = s.transitDateText;
  s.runDate = {s.reading2.year, s.reading2.month, s.reading2.day};
  HitTextContext texts = RunTexts(s);
  s.runReport.clear();
  s.output.StartNewPage();
  for (const PassHits& pass : s.run.passes) {
    s.runReport.push_back(ReportPassHits(pass.hits, pass.pass, texts));
    s.output.outLine = s.runReport.back();
    s.output.AddOutLine();
    s.output.ShowPage(s.programDir);
  }
}

std::vector<GridRow> RunGridRows(const Session& s) { return GridRowsOf(s.run.hits.RunHits(), RunTexts(s)); }

}  // namespace kesmora
