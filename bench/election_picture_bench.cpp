// The picture of an election over 90 days: every minute's state and score from the items'
// intervals, as the favourable-times window builds it when a search completes.
#include "core/results/election_picture.h"

#include <benchmark/benchmark.h>

#include <random>

namespace kesmora {
namespace {

// Items that hold over many short stretches (aspects of the Moon, times of day) and a few long
// ones, with void and retrograde bands and a few hundred windows.
void BM_BuildElectionPicture(benchmark::State& state) {
  const int days = static_cast<int>(state.range(0));
  const double start = 2460370.5 + 5.5 / 24;
  const Interval span{start, start + days};
  std::mt19937 rng(1949);
  std::uniform_real_distribution<double> at(span.startJd, span.endJd), length(0.005, 0.3);
  Election e;
  std::vector<IntervalSet> held;
  for (int k = 0; k < 10; ++k) {
    e.items.push_back({k < 3 ? Role::Required : k < 5 ? Role::Avoided : Role::Preferred, 1.0 + k, MoonVoid{}});
    IntervalSet set;
    for (int n = 0; n < days * 4; ++n) {
      const double s = at(rng);
      set.push_back({s, s + length(rng)});
    }
    held.push_back(Normalized(set));
  }
  std::vector<ElectionWindow> windows;
  for (int n = 0; n < 300; ++n) {
    const double s = at(rng);
    windows.push_back({{s, s + 0.02}, 1, {}});
  }
  std::vector<Event> events;
  for (int n = 0; n < days / 2; ++n) {
    const double s = at(rng);
    events.push_back({EventKind::Void, 2, s, s + 0.2, 0, 0, false});
  }
  events.push_back({EventKind::Retrograde, 3, start - 5, start + 20, 0, 0, false});
  for (auto _ : state) {
    ElectionPicture p = BuildElectionPicture(e, held, windows, span, -5.5, &events);
    benchmark::DoNotOptimize(p.score.data());
  }
  state.SetItemsProcessed(state.iterations() * days * kPictureMinutesPerDay);
}
BENCHMARK(BM_BuildElectionPicture)->Arg(30)->Arg(90)->Arg(365)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kesmora
