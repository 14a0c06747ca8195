#include "search/aspectarian.h"

#include "app/session.h"
#include "results/results.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

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

namespace {

// One thread's share of a run: its own chart copy, calculator, positions and search.
struct Worker {
  Worker(const RunInput& in, const SearchContext& ctx)
      : record(in.chart), calc(in.tables, record, in.options.chart), points(calc, in.options.sharedEvaluation),
        search(ctx, points) {}
  ChartRecord record;
  ChartCalculator calc;
  PointSource points;
  AspectSearch search;
  EphemerisCalls calls;
};

int WorkerCount() {
  unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 8u));
}

// Runs job(worker, item) for items 0..count-1, spread over the workers; the calling thread is
// worker 0 and the only one that reports progress. The first exception stops every worker
// and is raised again here.
template <typename Job>
void ForEachItem(std::vector<std::unique_ptr<Worker>>& workers, const std::filesystem::path& programDir,
                 int count, Job job, const std::function<void(int done)>& progress) {
  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  std::mutex failureMutex;
  auto work = [&](Worker& w, bool reports) {
    EphemerisCalls before = ThreadEphemerisCalls();
    try {
      for (int item; !stop && (item = next++) < count;) {
        if (reports && progress) progress(item);
        job(w, item);
      }
    } catch (...) {
      std::lock_guard lock(failureMutex);
      if (!failure) failure = std::current_exception();
      stop = true;
    }
    w.calls.calc += ThreadEphemerisCalls().calc - before.calc;
    w.calls.houses += ThreadEphemerisCalls().houses - before.houses;
  };
  std::vector<std::thread> threads;
  for (size_t n = 1; n < workers.size() && static_cast<int>(n) < count; ++n)
    threads.emplace_back([&, n] {
      PrepareEphemeris(programDir);
      work(*workers[n], false);
    });
  work(*workers[0], true);
  for (std::thread& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

RunResult RunAspectarian(const RunInput& in, const RunControl& control) {
  PrepareEphemeris(in.programDir);
  RunResult result;
  result.hits = HitTables(in.options.hitLimit);
  result.span = RunSpanOf(in.options, in.transitYear, in.transitMonth, in.transitDay);
  SearchContext ctx{&in.tables, &in.chart, in.options, result.span, in.dateOrder};
  std::vector<std::unique_ptr<Worker>> workers;
  for (int n = 0; n < WorkerCount(); ++n) workers.push_back(std::make_unique<Worker>(in, ctx));
  PointNames names = PointNamesOf(in.tables);
  auto checkCancel = [&] {
    if (control.cancelled && control.cancelled()) throw RunCancelled();
  };
  std::atomic<int> found{0};
  // Hits of one moving point, in the order found; the pass takes them mover by mover.
  auto searchMovers = [&](const std::vector<int>& movers, int pass, auto searchOne) {
    std::vector<std::vector<HitRow>> byMover(movers.size());
    ForEachItem(workers, in.programDir, static_cast<int>(movers.size()),
                [&](Worker& w, int item) {
                  checkCancel();
                  w.search.SetOutput(&byMover[static_cast<size_t>(item)]);
                  searchOne(w, movers[static_cast<size_t>(item)]);
                  if ((found += static_cast<int>(byMover[static_cast<size_t>(item)].size())) > in.options.hitLimit)
                    throw HitTableFull();
                },
                [&](int done) {
                  if (control.progress) control.progress(pass, static_cast<double>(done) / movers.size());
                });
    for (const auto& rows : byMover)
      for (const HitRow& row : rows) result.hits.AppendHit(row);
  };

  result.hits.StartRun();
  for (int pass = 0; pass <= 6; ++pass) {
    if (!PassEnabled(in.options, pass)) continue;
    result.hits.StartPass();
    found = 0;
    for (auto& w : workers) w->points.Forget();
    auto pairs = PairsOf(pass, in);
    std::vector<int> movers;
    for (const auto& [i, seconds] : pairs) movers.push_back(i);
    searchMovers(movers, pass, [&](Worker& w, int i) {
      for (const auto& [mover, seconds] : pairs)
        if (mover == i)
          for (int j : seconds) w.search.ScanPair(pass, i, j);
    });
    if (pass == 0 && (in.options.aspects[15] || in.options.aspects[16])) {
      std::vector<int> bodies;
      for (int i = 1; i <= in.tables.NumPlanetsUsed(); ++i)
        if (workers[0]->search.TakesPartInDeclinations(i, true)) bodies.push_back(i);
      searchMovers(bodies, pass, [&](Worker& w, int i) { w.search.DeclinationsOf(i); });
    }
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
  if (in.options.computePeriods && total > 0) {
    for (auto& w : workers) w->points.Forget();
    constexpr int kRowsPerItem = 32;
    int items = (total + kRowsPerItem - 1) / kRowsPerItem;
    ForEachItem(workers, in.programDir, items,
                [&](Worker& w, int item) {
                  checkCancel();
                  int last = std::min(total, (item + 1) * kRowsPerItem);
                  for (int r = item * kRowsPerItem + 1; r <= last; ++r)
                    result.periods[static_cast<size_t>(r)] =
                        w.search.PeriodsOf(result.hits.RunRows()[static_cast<size_t>(r)]);
                },
                [&](int done) {
                  if (control.progress) control.progress(7, static_cast<double>(done) / items);
                });
  }
  for (const auto& w : workers) {
    result.ephemerisCalls.calc += w->calls.calc;
    result.ephemerisCalls.houses += w->calls.houses;
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
