#include "core/results/hits_graph_scale.h"

#include "core/reference/text.h"

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

constexpr double kEpsilon = 1e-9;

int PointCount(const std::vector<int>& counts) { return static_cast<int>(counts.size()) - 1; }

int CountAt(const std::vector<int>& counts, int i) { return counts[static_cast<size_t>(i)]; }

}  // namespace

GraphScale ScaleFor(const std::vector<int>& counts, int first, int last) {
  GraphScale s;
  s.first = first;
  s.last = last;
  const int n = PointCount(counts);
  int maximum = 0;
  for (int i = std::max(first, 1); i <= std::min(last, n); ++i) maximum = std::max(maximum, CountAt(counts, i));
  if (maximum % 5 != 0) maximum += 5 - maximum % 5;
  s.maximum = maximum;
  // Without a hit in view the axis still runs from 0 to 5.
  s.axisMaximum = maximum > 0 ? maximum : 5;
  s.majorStep = s.axisMaximum / 5;
  s.minorDivisions = s.majorStep % 5 == 0 ? 5 : s.majorStep % 4 == 0 ? 4 : s.majorStep % 3 == 0 ? 3 : 1;
  // One point alone spans the whole width.
  s.spacing = last > first ? (graph::Right - graph::Left) / (last - first) : graph::Right - graph::Left;
  return s;
}

std::vector<ValueLine> ValueLines(const GraphScale& s) {
  std::vector<ValueLine> lines;
  const double band = graph::Height / 5;
  for (int k = 0; k <= 5; ++k) lines.push_back({graph::Top + band * k, s.axisMaximum - s.majorStep * k, true});
  const int m = s.minorDivisions;
  for (int k = 0; k <= 4; ++k)
    for (int j = 1; j < m; ++j)
      lines.push_back({graph::Top + band * k + band * j / m, s.axisMaximum - (s.majorStep * k + s.majorStep * j / m),
                       false});
  return lines;
}

int TimeLabelStepMinutes(const GraphScale& s, int stepMinutes) {
  // The first round step that puts no more than about 25 labels over the visible range.
  constexpr int kRoundSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 180, 360, 720, 1440};
  constexpr int kMostLabels = 25;
  const long long span = static_cast<long long>(std::max(s.last - s.first, 1)) * std::max(stepMinutes, 1);
  for (int round : kRoundSteps)
    if (span <= static_cast<long long>(round) * kMostLabels) return round;
  return static_cast<int>((span + kMostLabels - 1) / kMostLabels);
}

std::vector<int> TimeLabelPoints(const GraphScale& s, int points, int startMinute, int stepMinutes) {
  std::vector<int> labelled;
  const int step = std::max(stepMinutes, 1);
  const int round = TimeLabelStepMinutes(s, step);
  auto minuteOf = [&](int i) { return static_cast<long long>(startMinute) + static_cast<long long>(i - 1) * step; };
  auto floorDiv = [](long long a, long long b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); };
  for (int i = s.first + 1; i <= std::min(s.last, points + 1); ++i) {
    // The first point whose time reaches a multiple of the step; none crowding the label of
    // the first visible point at the left axis.
    if (floorDiv(minuteOf(i), round) == floorDiv(minuteOf(i - 1), round)) continue;
    if (2 * (minuteOf(i) - minuteOf(s.first)) < round) continue;
    labelled.push_back(i);
  }
  return labelled;
}

std::string HitsAtText(int count, const std::string& label) {
  return std::to_string(count) + (count == 1 ? " hit at " : " hits at ") + label;
}

double PointX(const GraphScale& s, int i) { return graph::Left + (i - s.first) * s.spacing - graph::Shift; }

double CountY(const GraphScale& s, int count) {
  double norm = static_cast<double>(count) / s.axisMaximum;
  return std::clamp(std::floor(graph::Bottom - norm * graph::Height), graph::Top, graph::Bottom);
}

std::vector<Segment> LineSegments(const GraphScale& s, const std::vector<int>& counts) {
  std::vector<Segment> segments;
  const int n = PointCount(counts);
  for (int i = std::max(s.first, 1); i <= std::min(s.last, n); ++i) {
    double x1 = (i - s.first) * s.spacing + graph::Left;
    double x2 = x1 + s.spacing;
    bool inside = x1 >= graph::Left - kEpsilon && x1 <= graph::Right + kEpsilon && x2 >= graph::Left - kEpsilon &&
                  x2 <= graph::Right + kEpsilon;
    if (!inside || i + 1 > n || i >= s.last) continue;  // the last visible point has no segment
    segments.push_back({x1 - graph::Shift, CountY(s, CountAt(counts, i)), x2 - graph::Shift,
                        CountY(s, CountAt(counts, i + 1))});
  }
  return segments;
}

std::vector<Bar> Bars(const GraphScale& s, const std::vector<int>& counts) {
  std::vector<Bar> bars;
  const int n = PointCount(counts);
  const double gap = s.spacing / 10;
  const double half = s.spacing / 2;
  for (int i = std::max(s.first, 1); i <= std::min(s.last, n); ++i) {
    double x = PointX(s, i);
    double top = CountY(s, CountAt(counts, i));
    if (s.first == s.last)
      bars.push_back({i, graph::PlotLeft, graph::PlotRight, top});
    else if (i == s.first)
      bars.push_back({i, x, x + half - gap, top});
    else if (i == s.last)
      bars.push_back({i, x + gap - half, graph::PlotRight, top});
    else
      bars.push_back({i, x + gap - half, x + half - gap, top});
  }
  return bars;
}

namespace {

// A point index kept within the visible range and the series.
int Visible(const GraphScale& s, int points, int i) {
  int highest = std::min(s.last, points), lowest = std::min(std::max(s.first, 1), highest);
  return std::clamp(i, lowest, highest);
}

}  // namespace

int NearestPoint(const GraphScale& s, int points, double x) {
  return Visible(s, points, static_cast<int>(std::floor((x - graph::PlotLeft) / s.spacing - 0.5)) + s.first + 1);
}

std::optional<std::pair<int, int>> ZoomRange(int index1, int index2) {
  if (index1 < 1 || index2 < 1 || index1 == index2) return std::nullopt;
  return std::pair{std::min(index1, index2), std::max(index1, index2) + 1};
}

std::optional<ExtendedLine> ExtendLine(Point p1, Point p2) {
  if (p1 == Point{} && p2 == Point{}) return std::nullopt;
  if (static_cast<float>(p2.x - p1.x) == 0.0f)
    return ExtendedLine{{p1.x, graph::Top, p1.x, graph::Bottom}, true};
  const double m = (p2.y - p1.y) / (p2.x - p1.x);
  const double b = p2.y - m * p2.x;
  if (m == 0 && (b < graph::Top || b > graph::Bottom)) return std::nullopt;  // runs beside the plot
  Point start{0, b}, end{graph::Right, m * graph::Right + b};
  auto atY = [&](Point& p, double y) {
    p.y = y;
    if (m != 0) p.x = (y - b) / m;
  };
  auto atX = [&](Point& p, double x) {
    p.x = x;
    p.y = m * x + b;
  };
  if (start.y > graph::Bottom) atY(start, graph::Bottom);
  if (end.y > graph::Bottom) atY(end, graph::Bottom);
  if (end.x > graph::PlotRight) atX(end, graph::PlotRight);
  if (start.x < graph::Shift) atX(start, graph::PlotLeft);
  if (start.y < graph::Top) atY(start, graph::Top);
  if (end.y < graph::Top) atY(end, graph::Top);
  return ExtendedLine{{start.x, start.y, end.x, end.y}, false};
}

std::vector<int> WinMinutes(const std::vector<NamesRecord>& records, const CivilDate& date, DateOrder order) {
  std::vector<int> minutes;
  for (const NamesRecord& r : records) {
    auto d = ParseStoredDate(r.date, order);
    if (!d || d->year != date.year || d->month != date.month || d->day != date.day) continue;
    std::string half = ToUpper(Trim(r.amPm));
    if (half != "A" && half != "P") continue;  // an unknown time marks nothing
    double t = LeadingNumber(r.time);
    int hour = static_cast<int>(t);
    int minute = static_cast<int>(std::lround((t - hour) * 100));
    if (hour < 0 || hour > 12 || minute < 0 || minute > 59) continue;
    if (half == "A" && hour == 12) hour = 0;
    if (half == "P" && hour != 12) hour += 12;
    minutes.push_back(hour * 60 + minute);
  }
  return minutes;
}

std::optional<double> MinuteX(const GraphScale& s, int startMinute, int step, int minuteOfDay) {
  int after = minuteOfDay - startMinute;
  if (after < 0 || step <= 0) return std::nullopt;
  double point = 1 + static_cast<double>(after) / step;
  if (point < s.first - kEpsilon || point > s.last + kEpsilon) return std::nullopt;
  return graph::Left + (point - s.first) * s.spacing - graph::Shift;
}

}  // namespace kesmora
