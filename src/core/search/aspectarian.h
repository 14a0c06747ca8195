#pragma once
// The aspectarian run: the passes over the run span, the sorted hits, the report of each pass
// and the start and end period of every hit.
#include "core/search/aspect_search.h"
#include "core/search/hit_table.h"
#include "core/search/run_options.h"
#include "core/search/worker_pool.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kesmora {

struct Session;

struct RunResult {
  HitTables hits;                          // the run table holds every hit, rows 1..HitCount
  std::vector<std::string> reportBlocks;   // one text block per pass that ran
  std::vector<AspectSearch::Periods> periods;  // by run row; index 0 unused
  int lastPass = -1;                       // the last pass that ran
  RunSpan span;
  double transitTimeZone = 0;     // hours, west positive: the local time of the hits' texts
  EphemerisCalls ephemerisCalls;  // made by every thread of the run
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
};
RunInput RunInputOf(const Session& session, const RunOptions& options);
// Which list files a run with these options loads, in loading order.
std::vector<ListKind> ListsNeeded(const RunOptions& options);

// Runs the passes on the pool's threads (on threads of the run's own when no pool is given).
// Raises RunCancelled when the control says so, HitTableFull when the hits would not fit; the
// result is complete only when it returns.
RunResult RunAspectarian(const RunInput& input, const RunControl& control = {}, WorkerPool* pool = nullptr);

// Keeps a finished run in the session: its hits, grid periods and report on a new page.
void AdoptRunResult(Session& session, RunResult result);

}  // namespace kesmora
