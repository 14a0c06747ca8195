#include "core/search/aspectarian.h"

#include "core/chart/ephemeris_notices.h"
#include "core/search/run_plan.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <utility>

namespace kesmora {

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

// One thread's share of a run: its own chart copy, calculator, positions and search.
struct Worker {
  Worker(const RunInput& in, const SearchContext& ctx, const PositionSamples* samples, const ExtraPoints& extra)
      : record(in.chart), calc(in.tables, record, in.options.chart), exact(calc) {
    calc.SetExtraPoints({&extra.points});
    calc.SetObserver(in.ephemerisObserver);
    if (samples) interpolated.emplace(*samples, calc, in.tables, &extra);
    PositionSource& scan = interpolated ? static_cast<PositionSource&>(*interpolated) : exact;
    search.emplace(ctx, scan, exact, interpolated.has_value());
  }
  ChartRecord record;
  ChartCalculator calc;
  ExactPositions exact;
  std::optional<InterpolatedPositions> interpolated;
  std::optional<AspectSearch> search;
};

int WorkerCount(const RunOptions& o) {
  if (o.threads > 0) return o.threads;
  unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 8u));
}

// Runs job(worker, item) for items 0..count-1, spread over the workers; the calling thread is
// worker 0. `progress` hears each item as it is taken. The first exception stops every worker
// and is raised again here; a run that was cancelled ends as cancelled whatever else happened.
template <typename Job>
void ForEachItem(WorkerPool& pool, std::vector<std::unique_ptr<Worker>>& workers, int count, Job job,
                 const std::function<void(int done)>& progress, const RunControl& control) {
  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  std::mutex failureMutex;
  std::function<void(int)> work = [&](int n) {
    Worker& w = *workers[static_cast<size_t>(n)];
    try {
      for (int item; !stop && (item = next++) < count;) {
        if (progress) progress(item);
        job(w, item);
      }
    } catch (...) {
      std::lock_guard lock(failureMutex);
      if (!failure) failure = std::current_exception();
      stop = true;
    }
  };
  pool.RunOnAll(std::min(static_cast<int>(workers.size()), std::max(count, 1)), work);
  if (control.cancelled && control.cancelled()) throw RunCancelled();
  if (failure) std::rethrow_exception(failure);
}

// Sorts the run table by time in the order SortHitsByTime gives, and keeps each pass's order
// pointing at its hits where they went. No hit is copied: each moves once, cycle by cycle.
void SortRunByTime(std::vector<Hit>& hits, std::vector<PassHits>& passes) {
  const int total = static_cast<int>(hits.size());
  std::vector<int> from(hits.size());  // the row that goes to each position
  std::iota(from.begin(), from.end(), 0);
  SortRowsByTime(from, hits, 1, total);
  {
    std::vector<int> to(hits.size());
    for (int k = 0; k < total; ++k) to[static_cast<size_t>(from[static_cast<size_t>(k)])] = k;
    for (PassHits& pass : passes)
      for (int& row : pass.order) row = to[static_cast<size_t>(row)];
  }
  for (int k = 0; k < total; ++k) {
    if (from[static_cast<size_t>(k)] < 0) continue;
    Hit held = std::move(hits[static_cast<size_t>(k)]);
    for (int at = k;;) {
      const int source = std::exchange(from[static_cast<size_t>(at)], -1);
      if (source == k) {
        hits[static_cast<size_t>(at)] = std::move(held);
        break;
      }
      hits[static_cast<size_t>(at)] = std::move(hits[static_cast<size_t>(source)]);
      at = source;
    }
  }
}

// What every step of the searches asks: whether the running pass has found more hits than its
// table holds (the run stops there), how far the pass has come by the steps taken, and whether
// the run is cancelled.
class StopCheck {
  std::atomic<long> ownCount_{0};  // where the hits are counted when the control does not

 public:
  StopCheck(const RunControl& control, const HitTables& hits)
      : found(control.hitsFound ? *control.hitsFound : ownCount_), reporter(control), control_(control), hits_(hits) {
    found = 0;
  }
  bool operator()() {
    if (found.load(std::memory_order_relaxed) - passStartHits_ > passRoom_) throw HitTableFull(hits_.Limit());
    if (runningPass_)
      reporter.Report(PassNumber(*runningPass_), static_cast<double>(steps.load(std::memory_order_relaxed)) / passSteps_);
    return control_.cancelled && control_.cancelled();
  }
  // Set while no search runs: the pass that starts, with the hits before it and about its steps.
  void StartPass(Pass pass, double passSteps) {
    passStartHits_ = hits_.HitCount();
    found = passStartHits_;
    passRoom_ = hits_.PassRoom();
    steps = 0;
    passSteps_ = passSteps;
    runningPass_ = pass;
    reporter.Report(PassNumber(pass), 0);
  }
  void EndPass() { runningPass_.reset(); }

  std::atomic<long>& found;
  std::atomic<long> steps{0};
  ProgressReporter reporter;

 private:
  const RunControl& control_;
  const HitTables& hits_;
  long passStartHits_ = 0, passRoom_ = 0;
  std::optional<Pass> runningPass_;
  double passSteps_ = 1;
};

using Workers = std::vector<std::unique_ptr<Worker>>;

// The tracks of a sample request, planet index and whether of the declination, made by all
// the workers; every sample is counted and asks whether to stop.
std::vector<Track> SampleTracks(const RunInput& in, const SampleRequest& request,
                                const std::vector<std::pair<int, bool>>& tracks, const ChartCalculator& probe,
                                WorkerPool& pool, Workers& workers, const RunControl& control,
                                ProgressReporter& reporter) {
  // The nutation once for all the bodies.
  std::optional<Track> nutation;
  if (!request.longitudes.empty() && in.options.chart.zodiac != Zodiac::Sidereal)
    nutation = SampleNutation(probe, request.fromJd, request.toJd + 1);
  std::vector<Track> made(tracks.size());
  double samplesWanted = 1;
  for (auto [index, declination] : tracks)
    samplesWanted += (request.toJd - request.fromJd) / SampleStepDays(in.tables, index) + 1;
  std::atomic<long> samplesTaken{0};
  auto eachSample = [&] {
    const long done = samplesTaken.fetch_add(1, std::memory_order_relaxed) + 1;
    reporter.Report(run_stage::Sampling, static_cast<double>(done) / samplesWanted);
    reporter.CheckCancelled();
  };
  reporter.Report(run_stage::Sampling, 0);
  ForEachItem(pool, workers, static_cast<int>(tracks.size()),
              [&](Worker& w, int item) {
                auto [index, declination] = tracks[static_cast<size_t>(item)];
                made[static_cast<size_t>(item)] = SampleTrack(w.calc, in.tables, index, declination, request.fromJd,
                                                              request.toJd, nutation ? &*nutation : nullptr, eachSample);
              },
              {}, control);
  return made;
}

// Samples of every moving point the plan reads, with the houses of the transit place where
// house points are among them.
PositionSamples SamplePositions(const RunInput& in, const ExtraPoints& extra, const RunPlan& plan,
                                const ChartCalculator& probe, WorkerPool& pool, Workers& workers,
                                const RunControl& control, ProgressReporter& reporter) {
  SampleRequest request = SampleRequestOf(in, extra, plan, probe);
  std::vector<std::pair<int, bool>> tracks;  // planet index, declination
  for (int i : request.longitudes) tracks.emplace_back(i, false);
  for (int i : request.declinations) tracks.emplace_back(i, true);
  std::vector<Track> made = SampleTracks(in, request, tracks, probe, pool, workers, control, reporter);
  PositionSamples samples;
  const size_t size = static_cast<size_t>(in.tables.NumPlanetsUsed()) + 1;
  samples.longitude.resize(size);
  samples.declination.resize(size);
  for (size_t n = 0; n < tracks.size(); ++n) {
    auto [index, declination] = tracks[n];
    (declination ? samples.declination : samples.longitude)[static_cast<size_t>(index)] = std::move(made[n]);
  }
  MarkNearTheSun(samples, in.tables);
  if (request.houses) samples.houses.emplace(in.chart.transitPlace, in.options.chart, request.fromJd, request.toJd);
  return samples;
}

// The workers of a run, each with its own calculator, searching on the samples when given.
void MakeWorkers(Workers& workers, int threads, const RunInput& in, const SearchContext& ctx,
                 const PositionSamples* samples, const ExtraPoints& extra) {
  workers.resize(static_cast<size_t>(threads));
  for (auto& w : workers) w = std::make_unique<Worker>(in, ctx, samples, extra);
}

// About the steps of a pass, each one a stop check, for its progress: a scan step for each
// pair (two where both points move), and one more for each step of a mover whose second
// points stand still, as its positions are taken once; a day for each declination pair.
double PassSteps(Pass pass, const RunInput& in, const RunPlan& plan, RunSpan span, const AspectSearch& probeSearch) {
  const double spanDays = std::max(span.end - span.start, 0.0) + 1;
  const auto& ticked = in.options.aspects;
  const bool longitudeAspects =
      std::any_of(ticked.begin(), ticked.begin() + aspect::LastLongitude + 1, [](bool on) { return on; });
  double total = 0;
  const bool scans = pass == Pass::DegreePair ? ticked[aspect::Conjunction] : longitudeAspects;
  for (const auto& [i, seconds] : plan.PairsOf(pass)) {
    if (!scans || seconds.empty()) continue;
    for (int j : seconds) total += (MovingSecond(pass) ? 2 : 1) * spanDays / probeSearch.ScanStepDaysFor(pass, i, j);
    if (!MovingSecond(pass)) total += spanDays / probeSearch.ScanStepDaysFor(pass, i, seconds.front());
  }
  if (pass == Pass::TransitToNatal && plan.declinations) {
    int natal = 0;
    for (int j = 1; j <= in.tables.NumPlanetsUsed(); ++j)
      natal += probeSearch.TakesPartInDeclinations(j, false) && std::isfinite(in.chart.natalDecl[static_cast<size_t>(j)]);
    total += static_cast<double>(plan.declinationBodies.size()) * natal * spanDays;
  }
  return std::max(total, 1.0);
}

// Searches each moving point on a worker and adds its hits to the run table, mover by mover
// in the order given, each in the order found.
template <typename SearchOne>
void SearchMovers(const std::vector<int>& movers, SearchOne searchOne, WorkerPool& pool, Workers& workers,
                  const RunControl& control, HitTables& table) {
  std::vector<std::vector<Hit>> byMover(movers.size());
  ForEachItem(pool, workers, static_cast<int>(movers.size()),
              [&](Worker& w, int item) {
                w.search->SetOutput(&byMover[static_cast<size_t>(item)]);
                w.search->CheckCancelled();
                searchOne(w, movers[static_cast<size_t>(item)]);
                // The hits of the last step are counted too; the list goes with this call.
                w.search->CheckCancelled();
                w.search->SetOutput(nullptr);
              },
              {}, control);
  size_t rows = table.RunHits().size();
  for (const auto& hits : byMover) rows += hits.size();
  table.RunHits().reserve(rows);
  for (auto& hits : byMover) {
    for (const Hit& hit : hits) table.AppendHit(hit);
    std::vector<Hit>().swap(hits);  // held once, in the table, from here on
  }
}

// One pass over its pairs (and the declinations after the pairs of the first pass); its hits
// join the run table and their order in the report is kept, by time except the degree pairs.
void RunPass(Pass pass, const RunPlan& plan, WorkerPool& pool, Workers& workers, const RunControl& control,
             RunResult& result) {
  const Pairs& pairs = plan.PairsOf(pass);
  std::vector<int> movers;
  for (const auto& [i, seconds] : pairs) movers.push_back(i);
  SearchMovers(
      movers,
      [&](Worker& w, int i) {
        for (const auto& [mover, seconds] : pairs)
          if (mover == i)
            for (int j : seconds) w.search->ScanPair(pass, i, j);
      },
      pool, workers, control, result.hits);
  if (pass == Pass::TransitToNatal && plan.declinations)
    SearchMovers(plan.declinationBodies, [&](Worker& w, int i) { w.search->DeclinationsOf(i); }, pool, workers,
                 control, result.hits);
  const int first = result.hits.HitCount();
  result.hits.AddPassToRun();
  PassHits shown{pass, std::vector<int>(static_cast<size_t>(result.hits.HitCount() - first))};
  std::iota(shown.order.begin(), shown.order.end(), first);
  if (pass != Pass::DegreePair && shown.order.size() >= 2)
    SortRowsByTime(shown.order, result.hits.RunHits(), 1, static_cast<int>(shown.order.size()));
  result.passes.push_back(std::move(shown));
}

// The start and end periods of every hit, a share of them per worker.
void FindAllPeriods(std::vector<Hit>& hits, WorkerPool& pool, Workers& workers, const RunControl& control,
                 ProgressReporter& reporter) {
  constexpr int kHitsPerItem = 32;
  const int total = static_cast<int>(hits.size());
  const int items = (total + kHitsPerItem - 1) / kHitsPerItem;
  reporter.Report(run_stage::Periods, 0);
  ForEachItem(pool, workers, items,
              [&](Worker& w, int item) {
                int last = std::min(total, (item + 1) * kHitsPerItem);
                for (int r = item * kHitsPerItem; r < last; ++r) w.search->FindPeriods(hits[static_cast<size_t>(r)]);
              },
              [&](int done) { reporter.Report(run_stage::Periods, static_cast<double>(done) / items); }, control);
}

// What the user is told after the run: list rows refused, bodies the ephemeris could not
// compute, house systems it replaced.
void TellWhatHappened(const RunInput& in, const ChartCalculator& probe, const Workers& workers, RunResult& result) {
  EphemerisProblems problems = probe.Problems();
  for (const auto& w : workers) {
    problems.Merge(w->calc.Problems());
    if (w->interpolated && w->interpolated->HousesReplaced() && in.options.chart.houses != HouseSystem::None) {
      char letter = in.options.chart.houses == HouseSystem::Koch ? 'k' : 'p';
      problems.housesReplaced[letter].Note(result.span.start, "");
    }
  }
  result.notices = result.extra.notices;
  for (std::string& notice : EphemerisNotices(problems, in.tables)) result.notices.push_back(std::move(notice));
}

// The result a run starts from: its tables, its span, and the points of the lists it loads.
RunResult StartResult(const RunInput& in) {
  RunResult result;
  result.hits = HitTables(in.options.hitLimit);
  result.span = RunSpanOf(in.options, in.transitYear, in.transitMonth, in.transitDay);
  result.transitTimeZone = in.options.transitTimeZone;
  result.extra = LoadTargetLists(in);
  return result;
}

}  // namespace

// A run: the lists and the natal midpoints, the plan of its passes, the samples of the moving
// points, the passes, the hits sorted by time, their periods, and what the user is told.
RunResult RunAspectarian(const RunInput& in, const RunControl& control, WorkerPool* sharedPool) {
  // Without a pool of the caller's, the run has threads of its own for its duration.
  std::optional<WorkerPool> ownPool;
  if (!sharedPool || sharedPool->ProgramDir() != in.programDir)
    sharedPool = &ownPool.emplace(in.programDir, WorkerCount(in.options) - 1);
  WorkerPool& pool = *sharedPool;
  // The probe, the natal midpoints and the nutation are computed on this thread.
  const EphemerisThread ephemeris(in.programDir);
  RunResult result = StartResult(in);
  const ExtraPoints& extra = result.extra;
  StopCheck stop(control, result.hits);
  SearchContext ctx{&in.tables, &in.chart, &extra, in.options, result.span, [&stop] { return stop(); },
                    &stop.found, &stop.steps};
  const int threads = std::min(WorkerCount(in.options), pool.Threads() + 1);

  // The probe and the natal midpoints use a calculator of this thread.
  ChartRecord probeRecord = in.chart;
  ChartCalculator probe(in.tables, probeRecord, in.options.chart);
  probe.SetExtraPoints({&extra.points});
  probe.SetObserver(in.ephemerisObserver);
  if (extra.count[static_cast<size_t>(ListKind::NatalMidpoints)] > 0)
    ComputeNatalMidpoints(result.extra, probe, in.chart.natalJulianDay, in.tables.NumPlanetsUsed());
  ExactPositions probePositions(probe);
  const AspectSearch probeSearch(ctx, probePositions, probePositions, false);
  const RunPlan plan = PlanRun(in, extra, result.span, probe, probeSearch);

  // Unless every position is to come from the ephemeris itself, the workers sample every
  // moving point first and then search on the samples.
  std::optional<PositionSamples> samples;
  Workers workers;
  MakeWorkers(workers, threads, in, ctx, nullptr, extra);
  if (!in.options.exactEphemeris) {
    samples = SamplePositions(in, extra, plan, probe, pool, workers, control, stop.reporter);
    MakeWorkers(workers, threads, in, ctx, &*samples, extra);
  }

  result.hits.StartRun();
  std::optional<Pass> lastPass;
  for (Pass pass : kPasses) {
    if (!PassEnabled(in.options, pass)) continue;
    result.hits.StartPass();
    stop.StartPass(pass, PassSteps(pass, in, plan, result.span, probeSearch));
    RunPass(pass, plan, pool, workers, control, result);
    stop.EndPass();
    lastPass = pass;
  }
  std::vector<Hit>& hits = result.hits.RunHits();
  if (lastPass != Pass::DegreePair && hits.size() >= 2) SortRunByTime(hits, result.passes);
  if (in.options.computePeriods && !hits.empty()) FindAllPeriods(hits, pool, workers, control, stop.reporter);
  TellWhatHappened(in, probe, workers, result);
  return result;
}

}  // namespace kesmora
