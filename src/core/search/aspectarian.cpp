#include "search/aspectarian.h"

#include "app/session.h"
#include "results/results.h"

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
  return in;
}

namespace {

bool PassEnabled(const RunOptions& o, int pass) {
  switch (pass) {
    case 0: return o.transitToNatal;
    case 1: return o.transitToTransit;
    case 2: return o.degreePairs;
    case 3: return o.auspiciousPoints;
    case 4: return o.lunarMansions;
    case 5: return o.transitPlanetsToNatalMidpoints && o.transitToNatal;
    case 6: return o.transitMidpointsToNatalMidpoints && o.transitToNatal;
    default: return false;
  }
}

bool Ticked(const std::array<bool, NumPlanetBoxes>& boxes, int index) {
  return index >= 1 && index <= NumPlanetBoxes && boxes[static_cast<size_t>(index - 1)];
}

// The pairs of a pass, moving point outermost. Extra points join with the target lists.
std::vector<std::pair<int, std::vector<int>>> PairsOf(int pass, const RunInput& in) {
  const RunOptions& o = in.options;
  const int n = in.tables.NumPlanetsUsed();
  std::vector<std::pair<int, std::vector<int>>> pairs;
  if (pass != 0 && pass != 1) return pairs;
  for (int i = 1; i <= n; ++i) {
    if (!Ticked(o.transitPlanets, i)) continue;
    std::vector<int> seconds;
    for (int j = 1; j <= n; ++j) {
      if (pass == 0 && Ticked(o.natalPlanets, j)) seconds.push_back(j);
      if (pass == 1 && j != i && Ticked(o.transitPlanets, j)) seconds.push_back(j);
    }
    pairs.emplace_back(i, std::move(seconds));
  }
  return pairs;
}

}  // namespace

RunResult RunAspectarian(const RunInput& in, const RunControl& control) {
  PrepareEphemeris(in.programDir);
  ChartRecord working = in.chart;
  ChartCalculator calc(in.tables, working, in.options.chart);
  PointSource points(calc, in.options.sharedEvaluation);
  RunResult result;
  result.hits = HitTables(in.options.hitLimit);
  result.span = RunSpanOf(in.options, in.transitYear, in.transitMonth, in.transitDay);
  SearchContext ctx{&in.tables, &in.chart, in.options, result.span, in.dateOrder};
  AspectSearch search(ctx, points, result.hits);
  PointNames names = PointNamesOf(in.tables);
  auto checkCancel = [&] {
    if (control.cancelled && control.cancelled()) throw RunCancelled();
  };

  result.hits.StartRun();
  for (int pass = 0; pass <= 6; ++pass) {
    if (!PassEnabled(in.options, pass)) continue;
    result.hits.StartPass();
    points.Forget();
    auto pairs = PairsOf(pass, in);
    for (size_t p = 0; p < pairs.size(); ++p) {
      checkCancel();
      if (control.progress) control.progress(pass, static_cast<double>(p) / static_cast<double>(pairs.size()));
      for (int j : pairs[p].second) search.ScanPair(pass, pairs[p].first, j);
    }
    if (pass == 0 && (in.options.aspects[15] || in.options.aspects[16])) search.DeclinationPass(checkCancel);
    result.hits.ClosePass();
    result.hits.AddPassToRun();
    int count = result.hits.PassHitCount();
    if (pass != 2 && count >= 2) SortHitsByTime(result.hits.PassRows(), 1, count);
    result.reportBlocks.push_back(
        ReportPassHits(result.hits.PassRows(), count, pass, names, in.tables, in.dateOrder));
    result.lastPass = pass;
  }
  int total = result.hits.HitCount();
  if (result.lastPass != 2 && total >= 2) SortHitsByTime(result.hits.RunRows(), 1, total);

  result.periods.assign(static_cast<size_t>(total) + 1, AspectSearch::Periods{});
  if (in.options.computePeriods) {
    points.Forget();
    for (int r = 1; r <= total; ++r) {
      if (r % 16 == 0) {
        checkCancel();
        if (control.progress) control.progress(7, static_cast<double>(r) / total);
      }
      result.periods[static_cast<size_t>(r)] = search.PeriodsOf(result.hits.RunRows()[static_cast<size_t>(r)]);
    }
  }
  return result;
}

void AdoptRunResult(Session& s, RunResult result) {
  s.output.StartNewPage();
  for (const std::string& block : result.reportBlocks) {
    s.output.outLine = block;
    s.output.AddOutLine();
    s.output.ShowPage(s.programDir);
  }
  s.run = std::move(result);
  s.runDone = true;
}

}  // namespace kesmora
