// The favourable-times window opening its picture: the model of the span built from the items'
// intervals, then the picture painted at the window's size. Run offscreen
// (QT_QPA_PLATFORM=offscreen build/bin/kesmora-gui-bench).
#include "core/reference/reference_tables.h"
#include "core/results/election_picture.h"
#include "gui/results/favourable_picture.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <random>

namespace kesmora {
namespace {

struct Span {
  Election election;
  std::vector<IntervalSet> held;
  std::vector<ElectionWindow> windows;
  std::vector<Event> events;
  Interval span;
};

// Ten items that hold over four stretches a day each, 300 windows, a void Moon every other day
// and two retrograde periods.
Span SyntheticSpan(int days) {
  Span s;
  const double start = 2460370.5 + 5.5 / 24;
  s.span = {start, start + days};
  std::mt19937 rng(1949);
  std::uniform_real_distribution<double> at(s.span.startJd, s.span.endJd), length(0.005, 0.3);
  for (int k = 0; k < 10; ++k) {
    s.election.items.push_back({k < 3 ? Role::Required : k < 5 ? Role::Avoided : Role::Preferred, 1.0 + k, MoonVoid{}});
    IntervalSet set;
    for (int n = 0; n < days * 4; ++n) {
      const double from = at(rng);
      set.push_back({from, from + length(rng)});
    }
    s.held.push_back(Normalized(set));
  }
  for (int n = 0; n < 300; ++n) {
    const double from = at(rng);
    s.windows.push_back({{from, from + 0.02}, 1, {}});
  }
  for (int n = 0; n < days / 2; ++n) {
    const double from = at(rng);
    s.events.push_back({EventKind::Void, 2, from, from + 0.2, 0, 0, false});
  }
  s.events.push_back({EventKind::Retrograde, 3, start - 5, start + 20, 0, 0, false});
  s.events.push_back({EventKind::Retrograde, 5, start + 30, start + 120, 0, 0, false});
  return s;
}

void BM_OpenWeeksPicture(benchmark::State& state) {
  const Span s = SyntheticSpan(static_cast<int>(state.range(0)));
  ReferenceTables tables;
  for (const char* name : {"Sun", "Moon", "Mercury", "Venus", "Mars"}) tables.planets.push_back({name, PointClass::Planet, "", 0, 0});
  gui::WeeksPicture picture(tables, DateOrder::DayMonthYear);
  QImage screen(1300, 700, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    ElectionPicture p = BuildElectionPicture(s.election, s.held, s.windows, s.span, -5.5, &s.events);
    picture.SetPicture(&p);
    QPainter painter(&screen);
    picture.Paint(painter, QRectF(0, 0, 860, 700));
    painter.end();
    picture.SetPicture(nullptr);
  }
}
BENCHMARK(BM_OpenWeeksPicture)->Arg(30)->Arg(90)->Arg(365)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kesmora

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
