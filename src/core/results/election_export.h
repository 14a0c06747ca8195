#pragma once
// The windows of an election as the window's grid shows them and as they are written: CSV
// rows, and calendar events whose UIDs stay the same when the same election is exported again.
#include "core/reference/format.h"
#include "core/results/calendar.h"
#include "core/results/election_picture.h"

#include <array>
#include <string>
#include <vector>

namespace kesmora {

// Rank, start, end (date and time on the transit place's clock), minutes, score, the preferred
// conditions with the share of the window each holds.
inline constexpr int kWindowColumns = 6;
using WindowRow = std::array<std::string, kWindowColumns>;
extern const WindowRow kWindowHeadings;

std::vector<WindowRow> ElectionWindowRows(const ElectionPicture& picture, const ReferenceTables& tables,
                                          DateOrder order);
// The headings and the rows, as quoted CSV cells, CR LF lines.
std::string WindowsCsvText(const std::vector<WindowRow>& rows);

// One event a window, in rank order. The UID is made from the natal chart, the election's lines
// and the minute the window starts.
std::vector<CalendarEvent> ElectionCalendarEvents(const ElectionPicture& picture, const ReferenceTables& tables,
                                                  DateOrder order, double natalJulianDay);

}  // namespace kesmora
