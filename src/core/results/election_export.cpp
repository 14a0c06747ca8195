#include "core/results/election_export.h"

#include "core/reference/text.h"
#include "core/results/results.h"

#include <fmt/format.h>

#include <cmath>

namespace kesmora {

const WindowRow kWindowHeadings{"#", "Start", "End", "Minutes", "Score", "Preferred"};

namespace {

std::string MomentText(double jd, double zone, DateOrder order) {
  const DateTimeText t = JulianDayToText(jd, zone, order);
  return t.date + " " + t.time;
}

std::string PreferredText(const ElectionPicture& p, const ElectionWindow& w, const ReferenceTables& tables) {
  std::string out;
  for (const PreferredShare& share : w.preferred) {
    if (share.item < 0 || static_cast<size_t>(share.item) >= p.election.items.size()) continue;
    if (!out.empty()) out += "; ";
    const double percent = w.Minutes() > 0 ? 100 * share.heldMinutes / w.Minutes() : 0;
    out += fmt::format("{} ({:.0f}%)", ConditionText(p.election.items[static_cast<size_t>(share.item)].condition, tables),
                       percent);
  }
  return out;
}

}  // namespace

std::vector<WindowRow> ElectionWindowRows(const ElectionPicture& p, const ReferenceTables& tables, DateOrder order) {
  std::vector<WindowRow> rows;
  rows.reserve(p.windows.size());
  for (size_t k = 0; k < p.windows.size(); ++k) {
    const ElectionWindow& w = p.windows[k];
    rows.push_back({std::to_string(k + 1), MomentText(w.interval.startJd, p.timeZoneHours, order),
                    MomentText(w.interval.endJd, p.timeZoneHours, order), std::to_string(std::lround(w.Minutes())),
                    fmt::format("{:.2f}", w.score), PreferredText(p, w, tables)});
  }
  return rows;
}

std::string WindowsCsvText(const std::vector<WindowRow>& rows) {
  std::string out;
  auto line = [&out](const WindowRow& row) {
    for (size_t c = 0; c < row.size(); ++c) {
      AppendCsvCell(out, row[c]);
      out += c + 1 < row.size() ? "," : std::string(CRLF);
    }
  };
  line(kWindowHeadings);
  for (const WindowRow& row : rows) line(row);
  return out;
}

std::vector<CalendarEvent> ElectionCalendarEvents(const ElectionPicture& p, const ReferenceTables& tables,
                                                  DateOrder order, double natalJulianDay) {
  std::string lines = fmt::format("{:.6f}", natalJulianDay);
  for (const ElectionItem& item : p.election.items) lines += "|" + ElectionLineText(item, tables);
  const std::vector<WindowRow> rows = ElectionWindowRows(p, tables, order);
  std::vector<CalendarEvent> events;
  for (size_t k = 0; k < p.windows.size(); ++k) {
    const ElectionWindow& w = p.windows[k];
    CalendarEvent e;
    e.startUtc = UtcSecondsAsShown(w.interval.startJd, p.timeZoneHours);
    e.endUtc = UtcSecondsAsShown(w.interval.endJd, p.timeZoneHours);
    // The same election for the same chart starting in the same minute is the same event.
    const long long minute = static_cast<long long>(std::floor((static_cast<double>(e.startUtc) + 30.0) / 60.0));
    e.uid = CalendarUid(lines + "|" + std::to_string(minute));
    const WindowRow& r = rows[k];
    e.summary = fmt::format("Favourable window {} (score {})", r[0], r[4]);
    e.description = "Start: " + r[1] + " local time\nEnd: " + r[2] + " local time\nMinutes: " + r[3] +
                    (r[5].empty() ? "" : "\nPreferred: " + r[5]);
    events.push_back(std::move(e));
  }
  return events;
}

}  // namespace kesmora
