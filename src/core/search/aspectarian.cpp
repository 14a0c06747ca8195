#include "core/search/aspectarian.h"

#include "core/app/session.h"
#include "core/chart/ephemeris_notices.h"
#include "core/results/results.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
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

std::vector<ListKind> ListsNeeded(const RunOptions& o) {
  std::vector<ListKind> kinds;
  if (o.degreePairs) kinds.push_back(ListKind::DegreePairs);
  if (o.auspiciousPoints) kinds.push_back(ListKind::AuspiciousPoints);
  if (o.lunarMansions) kinds.push_back(ListKind::LunarMansions);
  if (o.transitMidpointsToNatalPlanets || o.transitMidpointsToNatalMidpoints) kinds.push_back(ListKind::MidpointsToNatal);
  if (o.transitMidpointsToTransitPlanets) kinds.push_back(ListKind::MidpointsToTransit);
  if (o.transitPlanetsToNatalMidpoints || o.transitMidpointsToNatalMidpoints) kinds.push_back(ListKind::NatalMidpoints);
  return kinds;
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

// The pairs of a pass, moving point outermost.
std::vector<std::pair<int, std::vector<int>>> PairsOf(int pass, const RunInput& in, const ExtraPoints& extra) {
  const RunOptions& o = in.options;
  const int n = in.tables.NumPlanetsUsed();
  auto kindOf = [&](int r) { return static_cast<int>(extra.rows[static_cast<size_t>(r - 1)].Number(9)); };
  std::vector<int> natalMidpoints;
  for (int r = 1; r <= extra.Total(); ++r)
    if (kindOf(r) == 5) natalMidpoints.push_back(n + r);
  std::vector<std::pair<int, std::vector<int>>> pairs;
  auto planetsTicked = [&](const std::array<bool, NumPlanetBoxes>& boxes, int except) {
    std::vector<int> js;
    for (int j = 1; j <= n; ++j)
      if (j != except && Ticked(boxes, j)) js.push_back(j);
    return js;
  };
  switch (pass) {
    case 0:
    case 1:
      for (int i = 1; i <= n; ++i)
        if (Ticked(o.transitPlanets, i))
          pairs.emplace_back(i, pass == 0 ? planetsTicked(o.natalPlanets, 0) : planetsTicked(o.transitPlanets, i));
      for (int r = 1; r <= extra.Total(); ++r) {
        if (kindOf(r) != pass) continue;
        bool meetsPlanets = pass == 1 || o.transitMidpointsToNatalPlanets;
        pairs.emplace_back(n + r, meetsPlanets ? (pass == 0 ? planetsTicked(o.natalPlanets, 0)
                                                            : planetsTicked(o.transitPlanets, 0))
                                               : std::vector<int>{});
      }
      break;
    case 2:
    case 3:
    case 4:
      for (int r = 1; r <= extra.Total(); ++r)
        if (kindOf(r) == pass) {
          int j = pass == 2 ? 0 : static_cast<int>(extra.rows[static_cast<size_t>(r - 1)].Number(8));
          pairs.emplace_back(n + r, std::vector<int>{j});
        }
      break;
    case 5:
      for (int i = 1; i <= n; ++i)
        if (Ticked(o.transitPlanets, i)) pairs.emplace_back(i, natalMidpoints);
      break;
    case 6:
      // The transit midpoints meet the natal midpoints.
      for (int r = 1; r <= extra.Total(); ++r)
        if (extra.classes[static_cast<size_t>(r - 1)] == "mp") pairs.emplace_back(n + r, natalMidpoints);
      break;
    default:
      break;
  }
  return pairs;
}

// Takes out of a pass's pairs the points that cannot be computed.
void DropUnavailable(std::vector<std::pair<int, std::vector<int>>>& pairs, int pass, const RunInput& in,
                     const ExtraPoints& extra, const std::vector<bool>& available) {
  const int n = in.tables.NumPlanetsUsed();
  auto secondOk = [&](int j) {
    switch (pass) {
      case 0: return j > n || std::isfinite(in.chart.natalLon[static_cast<size_t>(j)]);
      case 2: return static_cast<bool>(available[15 <= n ? 15 : 0]);
      case 5:
      case 6: return j > n && j - n <= extra.Total() && std::isfinite(extra.natalMidpointLon[static_cast<size_t>(j - n - 1)]);
      default: return j >= 1 && static_cast<size_t>(j) < available.size() && available[static_cast<size_t>(j)];
    }
  };
  std::erase_if(pairs, [&](const auto& pair) { return !available[static_cast<size_t>(pair.first)]; });
  for (auto& [i, seconds] : pairs) std::erase_if(seconds, [&](int j) { return !secondOk(j); });
}

ExtraPoints LoadTargetLists(const RunInput& in) {
  ExtraPoints extra;
  auto file = [&](ListKind k) { return in.lists.file[static_cast<size_t>(k)]; };
  for (ListKind kind : ListsNeeded(in.options)) {
    switch (kind) {
      case ListKind::DegreePairs: LoadDegreePairs(extra, file(kind)); break;
      case ListKind::AuspiciousPoints: LoadAuspiciousPoints(extra, file(kind), in.tables); break;
      case ListKind::LunarMansions: LoadLunarMansions(extra, file(kind), in.tables); break;
      default: LoadMidpoints(extra, kind, file(kind), in.tables); break;
    }
  }
  return extra;
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

int WorkerCount(const RunOptions& o) {
  if (o.threads > 0) return o.threads;
  unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 8u));
}

// Runs job(worker, item) for items 0..count-1, spread over the workers; the calling thread is
// worker 0 and the only one that reports progress. The first exception stops every worker
// and is raised again here.
template <typename Job>
void ForEachItem(WorkerPool& pool, std::vector<std::unique_ptr<Worker>>& workers, int count, Job job,
                 const std::function<void(int done)>& progress, const RunControl& control) {
  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  std::mutex failureMutex;
  std::function<void(int)> work = [&](int n) {
    Worker& w = *workers[static_cast<size_t>(n)];
    EphemerisCalls before = ThreadEphemerisCalls();
    try {
      for (int item; !stop && (item = next++) < count;) {
        if (n == 0 && progress) progress(item);
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
  pool.RunOnAll(std::min(static_cast<int>(workers.size()), std::max(count, 1)), work);
  // A run that was cancelled ends as cancelled, whatever else went wrong meanwhile.
  if (control.cancelled && control.cancelled()) throw RunCancelled();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

RunResult RunAspectarian(const RunInput& in, const RunControl& control, WorkerPool* sharedPool) {
  // Without a pool of the caller's, the run has threads of its own for its duration.
  std::optional<WorkerPool> ownPool;
  if (!sharedPool || sharedPool->ProgramDir() != in.programDir)
    sharedPool = &ownPool.emplace(in.programDir, WorkerCount(in.options) - 1);
  WorkerPool& pool = *sharedPool;
  PrepareEphemeris(in.programDir);
  RunResult result;
  result.hits = HitTables(in.options.hitLimit);
  result.span = RunSpanOf(in.options, in.transitYear, in.transitMonth, in.transitDay);
  result.transitTimeZone = in.options.transitTimeZone;
  result.extra = LoadTargetLists(in);
  const ExtraPoints& extra = result.extra;
  SearchContext ctx{&in.tables, &in.chart, &extra, in.options, result.span, in.dateOrder, control.cancelled};
  std::vector<std::unique_ptr<Worker>> workers;
  for (int n = 0; n < std::min(WorkerCount(in.options), pool.Threads() + 1); ++n) {
    workers.push_back(std::make_unique<Worker>(in, ctx));
    workers.back()->calc.SetExtraPoints({&extra.rows});
  }
  if (extra.count[static_cast<size_t>(ListKind::NatalMidpoints)] > 0)
    ComputeNatalMidpoints(result.extra, workers[0]->calc, in.chart.natalJulianDay, in.tables.NumPlanetsUsed());
  PointNames names = PointNamesOf(in.tables, &extra);
  // A point the ephemeris cannot compute over the span takes part in no search; neither does
  // a natal point without a position. Only the points of the passes that run are asked.
  std::vector<bool> available(static_cast<size_t>(in.tables.NumPlanetsUsed() + extra.Total()) + 1, true);
  {
    std::vector<bool> used(available.size(), false);
    for (int pass = 0; pass <= 6; ++pass) {
      if (!PassEnabled(in.options, pass)) continue;
      for (const auto& [i, seconds] : PairsOf(pass, in, extra)) {
        used[static_cast<size_t>(pass == 2 ? 15 : i)] = true;
        if (pass == 1 || pass == 3 || pass == 4)
          for (int j : seconds) used[static_cast<size_t>(j)] = true;
      }
    }
    for (int i = 1; i <= in.tables.NumPlanetsUsed(); ++i)
      if (workers[0]->search.TakesPartInDeclinations(i, true) && PassEnabled(in.options, 0) &&
          (in.options.aspects[15] || in.options.aspects[16]))
        used[static_cast<size_t>(i)] = true;
    ChartCalculator& calc = workers[0]->calc;
    for (size_t i = 1; i < available.size(); ++i) {
      if (!used[i]) continue;
      bool atStart = std::isfinite(calc.PointAt(result.span.start, static_cast<int>(i)).lon);
      bool atEnd = std::isfinite(calc.PointAt(result.span.end, static_cast<int>(i)).lon);
      available[i] = atStart && atEnd;
    }
  }
  auto checkCancel = [&] {
    if (control.cancelled && control.cancelled()) throw RunCancelled();
  };
  std::atomic<int> found{0};
  // Hits of one moving point, in the order found; the pass takes them mover by mover.
  auto searchMovers = [&](const std::vector<int>& movers, int pass, auto searchOne) {
    std::vector<std::vector<HitRow>> byMover(movers.size());
    ForEachItem(pool, workers, static_cast<int>(movers.size()),
                [&](Worker& w, int item) {
                  checkCancel();
                  w.search.SetOutput(&byMover[static_cast<size_t>(item)]);
                  searchOne(w, movers[static_cast<size_t>(item)]);
                  if ((found += static_cast<int>(byMover[static_cast<size_t>(item)].size())) > in.options.hitLimit)
                    throw HitTableFull();
                },
                [&](int done) {
                  if (control.progress) control.progress(pass, static_cast<double>(done) / movers.size());
                },
                control);
    for (const auto& rows : byMover)
      for (const HitRow& row : rows) result.hits.AppendHit(row);
  };

  result.hits.StartRun();
  for (int pass = 0; pass <= 6; ++pass) {
    if (!PassEnabled(in.options, pass)) continue;
    result.hits.StartPass();
    found = 0;
    for (auto& w : workers) w->points.Forget();
    auto pairs = PairsOf(pass, in, extra);
    DropUnavailable(pairs, pass, in, extra, available);
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
        if (workers[0]->search.TakesPartInDeclinations(i, true) && available[static_cast<size_t>(i)])
          bodies.push_back(i);
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
    ForEachItem(pool, workers, items,
                [&](Worker& w, int item) {
                  checkCancel();
                  int last = std::min(total, (item + 1) * kRowsPerItem);
                  for (int r = item * kRowsPerItem + 1; r <= last; ++r)
                    result.periods[static_cast<size_t>(r)] =
                        w.search.PeriodsOf(result.hits.RunRows()[static_cast<size_t>(r)]);
                },
                [&](int done) {
                  if (control.progress) control.progress(7, static_cast<double>(done) / items);
                },
                control);
  }
  EphemerisProblems problems;
  for (const auto& w : workers) {
    result.ephemerisCalls.calc += w->calls.calc;
    result.ephemerisCalls.houses += w->calls.houses;
    problems.Merge(w->calc.Problems());
  }
  result.notices = result.extra.notices;
  for (std::string& notice : EphemerisNotices(problems, in.tables)) result.notices.push_back(std::move(notice));
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
