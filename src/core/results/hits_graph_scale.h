#pragma once
// Where the hits graph draws, in its own drawing units: whatever the window's size, x runs
// from 0 at the left edge to 612 at the right, y from -30 at the top to 480 at the bottom.
#include "core/persons/names_file.h"
#include "core/reference/format.h"

#include <optional>
#include <string>
#include <vector>

namespace kesmora {

namespace graph {
inline constexpr double Width = 612, TopEdge = -30, BottomEdge = 480;
inline constexpr double Left = 59, Right = 639;  // x of the first and last visible point, before the shift
inline constexpr double Shift = 35;              // every plotted x is drawn this much further left
inline constexpr double PlotLeft = Left - Shift, PlotRight = Right - Shift;  // 24 and 604
inline constexpr double Top = 3, Bottom = 403, Height = Bottom - Top;       // y of the maximum and of 0
inline constexpr double GridLeft = Left - 3 - Shift;                       // 21
inline constexpr double ValueLabelRight = 52 - Shift;                      // 17
inline constexpr double HourRow = Bottom + 5, MinuteRow = Bottom + 20, HalfRow = Bottom + 35;
inline constexpr double TickLength = 4;
inline constexpr double TitleY = 7 + TopEdge;  // -23
}  // namespace graph

// The scale of the visible range first..last of a series with counts 1..n.
struct GraphScale {
  int first = 1, last = 1;
  int maximum = 0;       // the largest visible count raised to a multiple of 5
  int axisMaximum = 5;   // the value at the top of the axis: the maximum, or 5 when it is 0
  int majorStep = 1;     // axisMaximum / 5
  int minorDivisions = 1;  // minor lines split each major step into this many parts
  double spacing = 580;  // drawing units from one point to the next
};
// counts: index 1..n, index 0 unused. A range of one point spans the whole width.
GraphScale ScaleFor(const std::vector<int>& counts, int first, int last);

struct ValueLine {
  double y;
  int value;
  bool major;
};
// The horizontal grid lines from the top down, each with its label value.
std::vector<ValueLine> ValueLines(const GraphScale& scale);

// Minutes between time labels: a round step (1, 2, 5, 10, 15 or 30 minutes, 1, 2, 3, 6 or 12
// hours) that gives at most about 25 labels over the visible range.
int TimeLabelStepMinutes(const GraphScale& scale, int stepMinutes);
// The points after the first whose time labels and ticks are drawn: each first point at or past
// a multiple of that step, point 1 being `startMinute` after midnight.
std::vector<int> TimeLabelPoints(const GraphScale& scale, int points, int startMinute, int stepMinutes);

// The hover text of a point: "1 hit at 10:43 am", "5 hits at 10:43 am".
std::string HitsAtText(int count, const std::string& label);

// x of point i as drawn; y of a count as drawn (whole units, 3..403).
double PointX(const GraphScale& scale, int i);
double CountY(const GraphScale& scale, int count);

struct Segment {
  double x1, y1, x2, y2;
};
// Line mode: a segment from each visible point to the next.
std::vector<Segment> LineSegments(const GraphScale& scale, const std::vector<int>& counts);

struct Bar {
  int point;
  double x1, x2, top;  // from the baseline 403 up to top
};
// Bar mode: bars 0.8 spacing wide centred on their points; the first a half bar, the last
// running to the right border.
std::vector<Bar> Bars(const GraphScale& scale, const std::vector<int>& counts);

// The point under a pointer at x, named by the hover text and sent to the transit fields by a
// right-button release: the nearest one, inside the visible range and the series.
int NearestPoint(const GraphScale& scale, int points, double x);

// Zoom between two marked points: the smaller to the larger + 1; nothing when either is
// missing (0) or both are the same.
std::optional<std::pair<int, int>> ZoomRange(int index1, int index2);

struct Point {
  double x = 0, y = 0;
  bool operator==(const Point&) const = default;
};
struct ExtendedLine {
  Segment segment;
  bool vertical;  // drawn in the text colour rather than the help-line colour
};
// The line through P1 and P2 clipped to the plot; nothing when both are (0, 0).
std::optional<ExtendedLine> ExtendLine(Point p1, Point p2);

// Minutes after midnight of the names-file records dated `date` with a known time (AM or PM).
std::vector<int> WinMinutes(const std::vector<NamesRecord>& records, const CivilDate& date, DateOrder order);
// x of a moment `minuteOfDay` on a series starting at `startMinute` with `step` minutes between
// points; nothing when it lies outside the visible range.
std::optional<double> MinuteX(const GraphScale& scale, int startMinute, int step, int minuteOfDay);

}  // namespace kesmora
