#include "core/search/aspectarian.h"

#include "core/chart/ephemeris_notices.h"

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

constexpr Pass kPasses[kPassCount] = {Pass::TransitToNatal, Pass::TransitToTransit, Pass::DegreePair,
                                      Pass::AuspiciousPoint, Pass::LunarMansion, Pass::TransitToNatalMidpoint,
                                      Pass::TransitMidpointToNatalMidpoint};

bool PassEnabled(const RunOptions& o, Pass pass) {
  switch (PassNumber(pass)) {
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

using Pairs = std::vector<std::pair<int, std::vector<int>>>;

// The pairs of a pass, moving point outermost.
Pairs PairsOf(Pass passKind, const RunInput& in, const ExtraPoints& extra) {
  const int pass = PassNumber(passKind);
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
void DropUnavailable(Pairs& pairs, Pass passKind, const RunInput& in,
                     const ExtraPoints& extra, const std::vector<bool>& available) {
  const int n = in.tables.NumPlanetsUsed();
  const int pass = PassNumber(passKind);
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

// One thread's share of a run: its own chart copy, calculator, positions and search.
struct Worker {
  Worker(const RunInput& in, const SearchContext& ctx, const PositionSamples* samples, const ExtraPoints& extra)
      : record(in.chart), calc(in.tables, record, in.options.chart), exact(calc) {
    calc.SetExtraPoints({&extra.rows});
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

// The planet indexes whose positions the passes read, and whether house points are among them.
SampleRequest SampleRequestOf(const RunInput& in, const ExtraPoints& extra, const std::vector<Pairs>& pairsByPass,
                              const std::vector<int>& declinationBodies, const ChartCalculator& calc) {
  SampleRequest request;
  const int n = in.tables.NumPlanetsUsed();
  auto addPlanet = [&](int index) {
    if (index < 1 || index > n) return;
    if (in.tables.IsBody(index)) {
      request.longitudes.insert(index);
    } else if (in.tables.IsHouseDependent(index)) {
      request.houses = true;
      if (calc.NeedsParts(index))
        for (int body : ChartCalculator::kPartBodies)
          if (body <= n && in.tables.IsBody(body)) request.longitudes.insert(body);
    }
  };
  auto addPoint = [&](int index) {
    if (index <= n) return addPlanet(index);
    const ExtraPointRow* row = extra.Row(index, n);
    int kind = row ? static_cast<int>(row->Number(9)) : -1;
    if (row && kind != 2 && kind != 3 && kind != 4) {
      addPlanet(static_cast<int>(row->Number(7)));
      addPlanet(static_cast<int>(row->Number(8)));
    }
  };
  for (Pass pass : kPasses) {
    const Pairs& pairs = pairsByPass[static_cast<size_t>(PassNumber(pass))];
    for (const auto& [i, seconds] : pairs) {
      if (seconds.empty()) continue;
      addPoint(MoverIndex(pass, i));
      if (pass == Pass::TransitToTransit || pass == Pass::AuspiciousPoint || pass == Pass::LunarMansion)
        for (int j : seconds) addPoint(j);
    }
  }
  request.declinations.insert(declinationBodies.begin(), declinationBodies.end());
  // The Sun tells where the other bodies pass near it (see MarkNearTheSun).
  if ((!request.longitudes.empty() || !request.declinations.empty()) && n >= 1 && in.tables.IsBody(1))
    request.longitudes.insert(1);
  // Periods look up to the period window (or a slow pair's own reach) beyond the span; what
  // the samples do not cover is asked of the ephemeris.
  double margin = std::ceil(std::max(in.options.periodWindow, 3.0)) + 4;
  RunSpan span = RunSpanOf(in.options, in.transitYear, in.transitMonth, in.transitDay);
  request.fromJd = span.start - margin;
  request.toJd = span.end + margin;
  return request;
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

}  // namespace

RunResult RunAspectarian(const RunInput& in, const RunControl& control, WorkerPool* sharedPool) {
  // Without a pool of the caller's, the run has threads of its own for its duration.
  std::optional<WorkerPool> ownPool;
  if (!sharedPool || sharedPool->ProgramDir() != in.programDir)
    sharedPool = &ownPool.emplace(in.programDir, WorkerCount(in.options) - 1);
  WorkerPool& pool = *sharedPool;
  // The probe, the natal midpoints and the nutation are computed on this thread.
  const EphemerisThread ephemeris(in.programDir);
  RunResult result;
  result.hits = HitTables(in.options.hitLimit);
  result.span = RunSpanOf(in.options, in.transitYear, in.transitMonth, in.transitDay);
  result.transitTimeZone = in.options.transitTimeZone;
  result.extra = LoadTargetLists(in);
  const ExtraPoints& extra = result.extra;

  // Every step of the searches counts the hits found and asks whether to stop: when the
  // running pass has found more than its table holds, the run stops there. The progress of a
  // pass is told from the steps taken.
  std::atomic<long> ownCount{0}, steps{0};
  std::atomic<long>& found = control.hitsFound ? *control.hitsFound : ownCount;
  found = 0;
  long passStartHits = 0, passRoom = 0;  // set before each pass, while no search runs
  std::optional<Pass> runningPass;
  double passSteps = 1;
  ProgressReporter reporter(control);
  auto stop = [&] {
    if (found.load(std::memory_order_relaxed) - passStartHits > passRoom) throw HitTableFull(result.hits.Limit());
    if (runningPass)
      reporter.Report(PassNumber(*runningPass), static_cast<double>(steps.load(std::memory_order_relaxed)) / passSteps);
    return control.cancelled && control.cancelled();
  };
  SearchContext ctx{&in.tables, &in.chart, &extra, in.options, result.span, stop, &found, &steps};
  const int threads = std::min(WorkerCount(in.options), pool.Threads() + 1);

  // The probe and the natal midpoints use a calculator of this thread.
  ChartRecord probeRecord = in.chart;
  ChartCalculator probe(in.tables, probeRecord, in.options.chart);
  probe.SetExtraPoints({&extra.rows});
  probe.SetObserver(in.ephemerisObserver);
  if (extra.count[static_cast<size_t>(ListKind::NatalMidpoints)] > 0)
    ComputeNatalMidpoints(result.extra, probe, in.chart.natalJulianDay, in.tables.NumPlanetsUsed());

  // The pairs of every pass that runs. A point the ephemeris cannot compute over the span
  // takes part in no search; neither does a natal point without a position.
  std::vector<Pairs> pairsByPass(kPassCount);
  std::vector<bool> used(static_cast<size_t>(in.tables.NumPlanetsUsed() + extra.Total()) + 1, false);
  for (Pass pass : kPasses) {
    if (!PassEnabled(in.options, pass)) continue;
    pairsByPass[static_cast<size_t>(PassNumber(pass))] = PairsOf(pass, in, extra);
    for (const auto& [i, seconds] : pairsByPass[static_cast<size_t>(PassNumber(pass))]) {
      used[static_cast<size_t>(MoverIndex(pass, i))] = true;
      if (pass == Pass::TransitToTransit || pass == Pass::AuspiciousPoint || pass == Pass::LunarMansion)
        for (int j : seconds) used[static_cast<size_t>(j)] = true;
    }
  }
  const bool declinations = PassEnabled(in.options, Pass::TransitToNatal) &&
                            (in.options.aspects[aspect::Parallel] || in.options.aspects[aspect::ContraParallel]);
  ExactPositions probePositions(probe);
  AspectSearch probeSearch(ctx, probePositions, probePositions, false);
  std::vector<int> declinationBodies;
  if (declinations)
    for (int i = 1; i <= in.tables.NumPlanetsUsed(); ++i)
      if (probeSearch.TakesPartInDeclinations(i, true)) used[static_cast<size_t>(i)] = true;
  std::vector<bool> available(used.size(), true);
  for (size_t i = 1; i < used.size(); ++i) {
    if (!used[i]) continue;
    bool atStart = std::isfinite(probe.PointAt(result.span.start, static_cast<int>(i)).lon);
    bool atEnd = std::isfinite(probe.PointAt(result.span.end, static_cast<int>(i)).lon);
    available[i] = atStart && atEnd;
  }
  for (Pass pass : kPasses) DropUnavailable(pairsByPass[static_cast<size_t>(PassNumber(pass))], pass, in, extra, available);
  if (declinations)
    for (int i = 1; i <= in.tables.NumPlanetsUsed(); ++i)
      if (probeSearch.TakesPartInDeclinations(i, true) && available[static_cast<size_t>(i)]) declinationBodies.push_back(i);

  // Samples of every moving point, made by all workers, unless every position is to come from
  // the ephemeris itself.
  std::optional<PositionSamples> samples;
  std::vector<std::unique_ptr<Worker>> workers;
  if (!in.options.exactEphemeris) {
    SampleRequest request = SampleRequestOf(in, extra, pairsByPass, declinationBodies, probe);
    std::vector<std::pair<int, bool>> tracks;  // planet index, declination
    for (int i : request.longitudes) tracks.emplace_back(i, false);
    for (int i : request.declinations) tracks.emplace_back(i, true);
    for (int n = 0; n < threads; ++n) workers.push_back(std::make_unique<Worker>(in, ctx, nullptr, extra));
    // The nutation once for all the bodies.
    std::optional<Track> nutation;
    if (!request.longitudes.empty() && in.options.chart.zodiac != Zodiac::Sidereal)
      nutation = SampleNutation(probe, request.fromJd, request.toJd + 1);
    std::vector<Track> parts(tracks.size());
    // Every sample is counted and asks whether to stop.
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
                  parts[static_cast<size_t>(item)] =
                      SampleTrack(w.calc, in.tables, index, declination, request.fromJd, request.toJd,
                                  nutation ? &*nutation : nullptr, eachSample);
                },
                {}, control);
    samples.emplace();
    const size_t size = static_cast<size_t>(in.tables.NumPlanetsUsed()) + 1;
    samples->longitude.resize(size);
    samples->declination.resize(size);
    for (size_t n = 0; n < tracks.size(); ++n) {
      auto [index, declination] = tracks[n];
      (declination ? samples->declination : samples->longitude)[static_cast<size_t>(index)] = std::move(parts[n]);
    }
    MarkNearTheSun(*samples, in.tables);
    if (request.houses) samples->houses.emplace(in.chart.transitPlace, in.options.chart, request.fromJd, request.toJd);
    for (auto& w : workers) w = std::make_unique<Worker>(in, ctx, &*samples, extra);
  } else {
    for (int n = 0; n < threads; ++n) workers.push_back(std::make_unique<Worker>(in, ctx, nullptr, extra));
  }

  // About the steps of a pass, each one a stop check, for its progress: a scan step for each
  // pair (two where both points move), and one more for each step of a mover whose second
  // points stand still, as its positions are taken once; a day for each declination pair.
  const double spanDays = std::max(result.span.end - result.span.start, 0.0) + 1;
  const auto& ticked = in.options.aspects;
  const bool longitudeAspects =
      std::any_of(ticked.begin(), ticked.begin() + aspect::LastLongitude + 1, [](bool on) { return on; });
  auto stepsOf = [&](Pass pass, const Pairs& pairs) {
    double total = 0;
    const bool scans = pass == Pass::DegreePair ? in.options.aspects[aspect::Conjunction] : longitudeAspects;
    for (const auto& [i, seconds] : pairs) {
      if (!scans || seconds.empty()) continue;
      for (int j : seconds) total += (MovingSecond(pass) ? 2 : 1) * spanDays / probeSearch.ScanStepDaysFor(pass, i, j);
      if (!MovingSecond(pass)) total += spanDays / probeSearch.ScanStepDaysFor(pass, i, seconds.front());
    }
    if (pass == Pass::TransitToNatal && declinations) {
      int natal = 0;
      for (int j = 1; j <= in.tables.NumPlanetsUsed(); ++j)
        natal += probeSearch.TakesPartInDeclinations(j, false) &&
                 std::isfinite(in.chart.natalDecl[static_cast<size_t>(j)]);
      total += static_cast<double>(declinationBodies.size()) * natal * spanDays;
    }
    return std::max(total, 1.0);
  };

  // Hits of one moving point, in the order found; the pass takes them mover by mover.
  auto searchMovers = [&](const std::vector<int>& movers, auto searchOne) {
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
    size_t rows = result.hits.RunHits().size();
    for (const auto& hits : byMover) rows += hits.size();
    result.hits.RunHits().reserve(rows);
    for (auto& hits : byMover) {
      for (const Hit& hit : hits) result.hits.AppendHit(hit);
      std::vector<Hit>().swap(hits);  // held once, in the table, from here on
    }
  };

  result.hits.StartRun();
  std::optional<Pass> lastPass;
  for (Pass pass : kPasses) {
    if (!PassEnabled(in.options, pass)) continue;
    result.hits.StartPass();
    passStartHits = result.hits.HitCount();
    found = passStartHits;
    passRoom = result.hits.PassRoom();
    const Pairs& pairs = pairsByPass[static_cast<size_t>(PassNumber(pass))];
    steps = 0;
    passSteps = stepsOf(pass, pairs);
    runningPass = pass;
    reporter.Report(PassNumber(pass), 0);
    std::vector<int> movers;
    for (const auto& [i, seconds] : pairs) movers.push_back(i);
    searchMovers(movers, [&](Worker& w, int i) {
      for (const auto& [mover, seconds] : pairs)
        if (mover == i)
          for (int j : seconds) w.search->ScanPair(pass, i, j);
    });
    if (pass == Pass::TransitToNatal && declinations)
      searchMovers(declinationBodies, [&](Worker& w, int i) { w.search->DeclinationsOf(i); });
    runningPass.reset();
    const int first = result.hits.HitCount();
    result.hits.AddPassToRun();
    // The report shows a pass sorted by time, except the degree pairs.
    PassHits shown{pass, std::vector<int>(static_cast<size_t>(result.hits.HitCount() - first))};
    std::iota(shown.order.begin(), shown.order.end(), first);
    if (pass != Pass::DegreePair && shown.order.size() >= 2)
      SortRowsByTime(shown.order, result.hits.RunHits(), 1, static_cast<int>(shown.order.size()));
    result.passes.push_back(std::move(shown));
    lastPass = pass;
  }
  std::vector<Hit>& hits = result.hits.RunHits();
  const int total = result.hits.HitCount();
  if (lastPass != Pass::DegreePair && total >= 2) SortRunByTime(hits, result.passes);

  if (in.options.computePeriods && total > 0) {
    constexpr int kHitsPerItem = 32;
    int items = (total + kHitsPerItem - 1) / kHitsPerItem;
    reporter.Report(run_stage::Periods, 0);
    ForEachItem(pool, workers, items,
                [&](Worker& w, int item) {
                  int last = std::min(total, (item + 1) * kHitsPerItem);
                  for (int r = item * kHitsPerItem; r < last; ++r) w.search->FindPeriods(hits[static_cast<size_t>(r)]);
                },
                [&](int done) { reporter.Report(run_stage::Periods, static_cast<double>(done) / items); },
                control);
  }

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
  return result;
}

}  // namespace kesmora
