#pragma once
// The plan of a run: which pairs of points each pass searches, and which positions the run
// samples before it searches.
#include "core/chart/chart_calculator.h"
#include "core/search/aspect_search.h"
#include "core/search/aspectarian.h"
#include "core/search/positions.h"

#include <utility>
#include <vector>

namespace kesmora {

// The passes in the order they run.
inline constexpr Pass kPasses[kPassCount] = {Pass::TransitToNatal,         Pass::TransitToTransit,
                                             Pass::DegreePair,             Pass::AuspiciousPoint,
                                             Pass::LunarMansion,           Pass::TransitToNatalMidpoint,
                                             Pass::TransitMidpointToNatalMidpoint};

// Whether the options switch a pass on.
bool PassEnabled(const RunOptions& o, Pass pass);

// The pairs of a pass: each moving point with its second points, moving point outermost.
using Pairs = std::vector<std::pair<int, std::vector<int>>>;

// The pairs every pass that runs searches, once the points the ephemeris cannot compute over
// the span are taken out, and the transit bodies whose declinations are searched.
struct RunPlan {
  std::vector<Pairs> pairsByPass = std::vector<Pairs>(kPassCount);
  bool declinations = false;
  std::vector<int> declinationBodies;
  const Pairs& PairsOf(Pass pass) const { return pairsByPass[static_cast<size_t>(PassNumber(pass))]; }
};

// The plan of a run's passes. A point the ephemeris cannot compute at either end of the span
// (the probe tells) takes part in no search; neither does a natal point without a position.
RunPlan PlanRun(const RunInput& in, const ExtraPoints& extra, RunSpan span, ChartCalculator& probe,
                const AspectSearch& probeSearch);

// The planet indexes whose positions the plan's passes read, and whether house points are
// among them, over the span and the margin its periods look beyond it.
SampleRequest SampleRequestOf(const RunInput& in, const ExtraPoints& extra, const RunPlan& plan,
                              const ChartCalculator& calc);

}  // namespace kesmora
