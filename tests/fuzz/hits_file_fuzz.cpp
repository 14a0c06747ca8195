// The hits-file reader: a file it takes has points the graph can draw, and written again it
// reads back the same.
#include "fuzz_support.h"

#include "core/results/hits_file.h"
#include "core/results/hits_graph_scale.h"

#include <cmath>

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::Text(data, size);
  for (DateOrder order : {DateOrder::MonthDayYear, DateOrder::DayMonthYear, DateOrder::YearMonthDay}) {
    HitsFileReading reading = ParseHitsFile(text, order);
    if (!reading.series) {
      KESMORA_REQUIRE(!reading.error.empty());
      continue;
    }
    const HitsSeries& s = *reading.series;
    const int n = s.Points();
    KESMORA_REQUIRE(n >= 1 && n <= MaxSeriesPoints);
    KESMORA_REQUIRE(s.labels.size() == static_cast<size_t>(n) + 2);
    for (int i = 1; i <= n; ++i) KESMORA_REQUIRE(s.counts[static_cast<size_t>(i)] >= 0);

    const GraphScale scale = ScaleFor(s.counts, 1, n);
    KESMORA_REQUIRE(std::isfinite(scale.spacing) && scale.axisMaximum > 0);
    for (const Bar& b : Bars(scale, s.counts)) KESMORA_REQUIRE(std::isfinite(b.x1) && std::isfinite(b.top));
    for (const Segment& g : LineSegments(scale, s.counts)) KESMORA_REQUIRE(std::isfinite(g.x2) && std::isfinite(g.y2));
    const int near = NearestPoint(scale, n, size > 0 ? data[0] * 3.0 : 0.0);
    KESMORA_REQUIRE(near >= 1 && near <= n);
    for (int i : TimeLabelPoints(scale, n, s.StartMinuteOfDay(), s.stepMinutes)) KESMORA_REQUIRE(i >= 1 && i <= n + 1);

    HitsFileReading again = ParseHitsFile(HitsFileText(s), order);
    KESMORA_REQUIRE(again.series.has_value());
    KESMORA_REQUIRE(again.series->counts == s.counts && again.series->labels == s.labels);
  }
  return 0;
}
