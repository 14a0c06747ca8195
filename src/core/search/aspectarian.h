#pragma once
// The aspectarian run: the passes over the run span, the hits sorted by time, and the start
// and end period of every hit.
//
// A run samples the positions of its moving points once (unless it is to ask the ephemeris at
// every moment), then scans every pair of every pass that runs on the worker threads, each
// moving point on one thread, and at last finds the periods of the hits, a share of them per
// thread.
#include "core/reference/format.h"
#include "core/search/aspect_search.h"
#include "core/search/hit_table.h"
#include "core/search/run_options.h"
#include "core/search/worker_pool.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kesmora {

// The hits of one pass that ran, in the order its report shows them.
struct PassHits {
  Pass pass;
  std::vector<int> order;  // rows of the run table
};

struct RunResult {
  HitTables hits;                 // the run table holds every hit, sorted by exact time
  std::vector<PassHits> passes;   // one per pass that ran
  HitsInOrder Shown(const PassHits& pass) const { return HitsInOrder(hits.RunHits(), &pass.order); }
  RunSpan span;
  double transitTimeZone = 0;     // hours, west positive: the local time of the hits' texts
  ExtraPoints extra;              // the points of the target lists the run loaded
  // What the user is told after the run: list rows refused, bodies the ephemeris could not
  // compute, house systems it replaced.
  std::vector<std::string> notices;
};

// What a run reads, copied so that a run on another thread shares nothing with the window.
struct RunInput {
  std::filesystem::path programDir;  // for the ephemeris path of the running thread
  ReferenceTables tables;
  ChartRecord chart;
  int transitYear = 2000, transitMonth = 1, transitDay = 1;
  DateOrder dateOrder = DateOrder::MonthDayYear;
  RunOptions options;
  TargetListFiles lists;  // the files of the lists the options switch on
  // Hears the ephemeris calls of every calculator of the run, on every thread (the
  // benchmarks count them); nullptr: none.
  EphemerisObserver* ephemerisObserver = nullptr;
};
// Which list files a run with these options loads, in loading order.
std::vector<ListKind> ListsNeeded(const RunOptions& options);

// Runs the passes on the pool's threads (on threads of the run's own when no pool is given).
// Raises RunCancelled when the control says so, HitTableFull as soon as the hits would not fit
// (options.hitLimit); either within a step of the work. The result is complete only when it
// returns.
RunResult RunAspectarian(const RunInput& input, const RunControl& control = {}, WorkerPool* pool = nullptr);

}  // namespace kesmora
