// How soon a run stops once it has to: after Cancel, at each stage of the run, and after it
// has passed its hit limit. Every ephemeris body of the shipped set on both sides (no house
// points), every aspect, transit to natal, two threads as in the window.
//
// The cancel benchmarks press Cancel from a thread of their own once the stage has run for a
// while and report, in milliseconds, the time from the press to the run's end ("cancel_ms",
// the worst of the iterations). The limit benchmark stops a ten-year run at 32,767 hits and
// reports the time from the moment the hits passed the limit to the run's end ("stop_ms").
// Peak memory and memory per hit of whole processes: bench/export_memory.py.
#include "core/search/aspectarian.h"
#include "run_fixture.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kesmora {
namespace {

using bench::RunFixture;
using Clock = std::chrono::steady_clock;

constexpr int kSampling = run_stage::Sampling, kScanning = 0, kPeriods = run_stage::Periods;

// With `angles` the transit Ascendant and Midheaven move instead, at their step of 1/52 day.
RunInput EveryBody(RunFixture& f, int days, bool angles = false) {
  RunOptions& o = f.options;
  for (int i = 1; i <= f.session.tables.NumPlanetsUsed(); ++i) {
    const bool body = f.session.tables.IsBody(i), angle = i == 15 || i == 16;
    o.transitPlanets[static_cast<size_t>(i - 1)] = angles ? angle : body;
    o.natalPlanets[static_cast<size_t>(i - 1)] = body;
  }
  o.transitToTransit = false;
  o.daysToCalculate = days;
  o.threads = 2;
  return RunInputOf(f.session, o);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Runs until Cancel, pressed `delaySeconds` after the stage began; the seconds from the press to
// the end of the run, or a negative number when the stage was not reached or was left before.
// With `run` the texts of that finished run are made instead (the stage run_stage::Texts).
double CancelLatency(const RunInput& input, int stage, double delaySeconds, const RunResult* run = nullptr) {
  std::atomic<bool> cancel{false}, done{false}, passedStage{false};
  std::atomic<int> latest{kSampling};
  std::atomic<Clock::rep> stageStart{stage == kSampling ? Clock::now().time_since_epoch().count() : 0};
  Clock::time_point pressed;
  RunControl control;
  control.progress = [&](int reported, double) {
    if (reported == stage && stageStart == 0) stageStart = Clock::now().time_since_epoch().count();
    if (reported > stage) passedStage = true;
    latest = reported;
  };
  control.cancelled = [&] { return cancel.load(); };
  std::thread presser([&] {
    while (!done) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      const Clock::rep start = stageStart;
      if (start == 0 || Seconds(Clock::now() - Clock::time_point(Clock::duration(start))) < delaySeconds) continue;
      pressed = Clock::now();
      cancel = true;
      return;
    }
  });
  bool cancelled = false;
  try {
    if (run)
      ShownRunOf(input, *run, control);
    else
      RunAspectarian(input, control);
  } catch (const RunCancelled&) {
    cancelled = true;
  }
  const Clock::time_point end = Clock::now();
  done = true;
  presser.join();
  if (!cancelled || passedStage) return -1;
  return Seconds(end - pressed);
}

void MeasureCancel(benchmark::State& state, int days, int stage, double delaySeconds) {
  RunFixture f(days, "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  const RunInput input = EveryBody(f, days);
  double worst = 0;
  for (auto _ : state) {
    double latency = CancelLatency(input, stage, delaySeconds);
    if (latency < 0) {
      state.SkipWithError("the run was not cancelled in the stage measured");
      return;
    }
    worst = std::max(worst, latency);
  }
  state.counters["cancel_ms"] = worst * 1000;
}

void BM_CancelWhileSampling(benchmark::State& state) { MeasureCancel(state, 3650, kSampling, 0.2); }
BENCHMARK(BM_CancelWhileSampling)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CancelWhileScanning(benchmark::State& state) { MeasureCancel(state, 3650, kScanning, 1.0); }
BENCHMARK(BM_CancelWhileScanning)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CancelWhileFindingPeriods(benchmark::State& state) { MeasureCancel(state, 730, kPeriods, 0.2); }
BENCHMARK(BM_CancelWhileFindingPeriods)->Unit(benchmark::kMillisecond)->Iterations(3);

// The report and grid texts of some 28,000 hits, made for the window on the run's thread.
void BM_CancelWhileMakingTexts(benchmark::State& state) {
  RunFixture f(640, "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  const RunInput input = EveryBody(f, 640);
  const RunResult run = RunAspectarian(input);
  double worst = 0;
  for (auto _ : state) {
    double latency = CancelLatency(input, run_stage::Texts, 0.05, &run);
    if (latency < 0) {
      state.SkipWithError("the texts were made before Cancel");
      return;
    }
    worst = std::max(worst, latency);
  }
  state.counters["hits"] = run.hits.HitCount();
  state.counters["cancel_ms"] = worst * 1000;
}
BENCHMARK(BM_CancelWhileMakingTexts)->Unit(benchmark::kMillisecond)->Iterations(3);

// Ten years of every body pass the window's limit of 32,767 hits within a few seconds; so do
// ten years of the transit angles, whose scans take longest, within a month of the first.
void BM_StopAtTheHitLimit(benchmark::State& state) {
  RunFixture f(3650, "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich");
  RunInput input = EveryBody(f, 3650, state.range(0) != 0);
  input.options.hitLimit = MaxHitRowsDefault;
  double worst = 0;
  for (auto _ : state) {
    // A watcher notes when the hits found reach the limit (the one pass holds one fewer).
    std::atomic<long> found{0};
    std::atomic<bool> done{false};
    std::atomic<Clock::rep> passed{0};
    RunControl control;
    control.hitsFound = &found;
    std::thread watcher([&] {
      while (!done && passed == 0) {
        if (found >= MaxHitRowsDefault) passed = Clock::now().time_since_epoch().count();
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
    });
    try {
      RunAspectarian(input, control);
      state.SkipWithError("the run did not reach the limit");
    } catch (const HitTableFull&) {
    }
    const Clock::time_point end = Clock::now();
    done = true;
    watcher.join();
    if (passed == 0) {
      state.SkipWithError("the watcher did not see the limit passed");
      return;
    }
    worst = std::max(worst, Seconds(end - Clock::time_point(Clock::duration(passed.load()))));
  }
  state.counters["stop_ms"] = worst * 1000;
}
BENCHMARK(BM_StopAtTheHitLimit)->ArgName("angles")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kesmora
