#include "core/search/run_plan.h"

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

// The pass in which the points of a list are the moving points, or for natal midpoints the
// second points of the transit planets.
Pass PassOf(ListKind kind) {
  switch (kind) {
    case ListKind::DegreePairs: return Pass::DegreePair;
    case ListKind::AuspiciousPoints: return Pass::AuspiciousPoint;
    case ListKind::LunarMansions: return Pass::LunarMansion;
    case ListKind::MidpointsToNatal: return Pass::TransitToNatal;
    case ListKind::MidpointsToTransit: return Pass::TransitToTransit;
    case ListKind::NatalMidpoints: break;
  }
  return Pass::TransitToNatalMidpoint;
}

bool Ticked(const std::array<bool, NumPlanetBoxes>& boxes, int index) {
  return index >= 1 && index <= NumPlanetBoxes && boxes[static_cast<size_t>(index - 1)];
}

// The pairs of a pass, moving point outermost.
Pairs PairsOf(Pass passKind, const RunInput& in, const ExtraPoints& extra) {
  const int pass = PassNumber(passKind);
  const RunOptions& o = in.options;
  const int n = in.tables.NumPlanetsUsed();
  auto point = [&](int r) -> const ExtraPoint& { return extra.points[static_cast<size_t>(r - 1)]; };
  auto searchedIn = [&](int r) { return PassNumber(PassOf(point(r).kind)); };
  std::vector<int> natalMidpoints;
  for (int r = 1; r <= extra.Total(); ++r)
    if (point(r).kind == ListKind::NatalMidpoints) natalMidpoints.push_back(n + r);
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
        if (searchedIn(r) != pass) continue;
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
        if (searchedIn(r) == pass) pairs.emplace_back(n + r, std::vector<int>{point(r).MeetingPlanet()});
      break;
    case 5:
      for (int i = 1; i <= n; ++i)
        if (Ticked(o.transitPlanets, i)) pairs.emplace_back(i, natalMidpoints);
      break;
    case 6:
      // The transit midpoints meet the natal midpoints.
      for (int r = 1; r <= extra.Total(); ++r)
        if (point(r).IsTransitMidpoint()) pairs.emplace_back(n + r, natalMidpoints);
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

}  // namespace

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

RunPlan PlanRun(const RunInput& in, const ExtraPoints& extra, RunSpan span, ChartCalculator& probe,
                const AspectSearch& probeSearch) {
  RunPlan plan;
  std::vector<bool> used(static_cast<size_t>(in.tables.NumPlanetsUsed() + extra.Total()) + 1, false);
  for (Pass pass : kPasses) {
    if (!PassEnabled(in.options, pass)) continue;
    Pairs& pairs = plan.pairsByPass[static_cast<size_t>(PassNumber(pass))];
    pairs = PairsOf(pass, in, extra);
    for (const auto& [i, seconds] : pairs) {
      used[static_cast<size_t>(MoverIndex(pass, i))] = true;
      if (pass == Pass::TransitToTransit || pass == Pass::AuspiciousPoint || pass == Pass::LunarMansion)
        for (int j : seconds) used[static_cast<size_t>(j)] = true;
    }
  }
  plan.declinations = PassEnabled(in.options, Pass::TransitToNatal) &&
                      (in.options.aspects[aspect::Parallel] || in.options.aspects[aspect::ContraParallel]);
  if (plan.declinations)
    for (int i = 1; i <= in.tables.NumPlanetsUsed(); ++i)
      if (probeSearch.TakesPartInDeclinations(i, true)) used[static_cast<size_t>(i)] = true;
  std::vector<bool> available(used.size(), true);
  for (size_t i = 1; i < used.size(); ++i) {
    if (!used[i]) continue;
    bool atStart = std::isfinite(probe.PointAt(span.start, static_cast<int>(i)).lon);
    bool atEnd = std::isfinite(probe.PointAt(span.end, static_cast<int>(i)).lon);
    available[i] = atStart && atEnd;
  }
  for (Pass pass : kPasses)
    DropUnavailable(plan.pairsByPass[static_cast<size_t>(PassNumber(pass))], pass, in, extra, available);
  if (plan.declinations)
    for (int i = 1; i <= in.tables.NumPlanetsUsed(); ++i)
      if (probeSearch.TakesPartInDeclinations(i, true) && available[static_cast<size_t>(i)])
        plan.declinationBodies.push_back(i);
  return plan;
}

SampleRequest SampleRequestOf(const RunInput& in, const ExtraPoints& extra, const RunPlan& plan,
                              const ChartCalculator& calc) {
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
    const ExtraPoint* point = extra.Point(index, n);
    if (const MidpointPair* pair = point ? point->Midpoint() : nullptr) {
      addPlanet(pair->first);
      addPlanet(pair->second);
    }
  };
  for (Pass pass : kPasses) {
    const Pairs& pairs = plan.PairsOf(pass);
    for (const auto& [i, seconds] : pairs) {
      if (seconds.empty()) continue;
      addPoint(MoverIndex(pass, i));
      if (pass == Pass::TransitToTransit || pass == Pass::AuspiciousPoint || pass == Pass::LunarMansion)
        for (int j : seconds) addPoint(j);
    }
  }
  request.declinations.insert(plan.declinationBodies.begin(), plan.declinationBodies.end());
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

}  // namespace kesmora
