#pragma once
// What an election shows: its windows as rows (rank, start, end, minutes, score and the
// preferred conditions that hold), as a text table, as CSV and as calendar events.
#include "core/results/calendar.h"
#include "core/results/results.h"
#include "core/search/election.h"

#include <array>
#include <string>
#include <vector>

namespace kesmora {

inline constexpr int WindowColumns = 6;
using WindowRow = std::array<std::string, WindowColumns>;
inline constexpr const char* WindowHeaders[WindowColumns] = {"Rank", "Start", "End", "Minutes", "Score", "Preferred"};

// The rows of the windows in their order, ranked from 1; times in the transit person's local
// time as the grid writes them.
std::vector<WindowRow> WindowRowsOf(const Election& election, const std::vector<ElectionWindow>& windows,
                                    const HitTextContext& texts);
// A table for the console: a heading line, then one line per row.
std::string WindowsTableText(const std::vector<WindowRow>& rows);
// CSV with the headers, CR LF lines.
std::string WindowsCsvText(const std::vector<WindowRow>& rows);
// One event per window. The UID is made of the natal moment, the election's conditions and the
// window's start and end to the minute, so that the same window is the same event again.
std::vector<CalendarEvent> WindowEventsOf(const Election& election, const std::vector<ElectionWindow>& windows,
                                          const HitTextContext& texts, double natalJulianDay);

}  // namespace kesmora
