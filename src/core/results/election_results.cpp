#include "core/results/election_results.h"

#include "core/reference/text.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

std::string PreferredText(const Election& election, const ElectionWindow& w, const ReferenceTables& tables) {
  std::string out;
  for (const PreferredShare& share : w.preferred) {
    if (!out.empty()) out += "; ";
    out += fmt::format("{} ({:.0f} min)", ConditionText(election.items.at(static_cast<size_t>(share.item)).condition, tables),
                       share.heldMinutes);
  }
  return out;
}

}  // namespace

std::vector<WindowRow> WindowRowsOf(const Election& election, const std::vector<ElectionWindow>& windows,
                                    const HitTextContext& texts) {
  std::vector<WindowRow> rows;
  rows.reserve(windows.size());
  for (size_t k = 0; k < windows.size(); ++k) {
    const ElectionWindow& w = windows[k];
    rows.push_back({std::to_string(k + 1), MomentText(w.interval.startJd, texts), MomentText(w.interval.endJd, texts),
                    fmt::format("{:.0f}", w.Minutes()), fmt::format("{:.2f}", w.score),
                    PreferredText(election, w, *texts.tables)});
  }
  return rows;
}

std::string WindowsTableText(const std::vector<WindowRow>& rows) {
  // Columns as wide as their widest cell; the last one runs on.
  std::array<size_t, WindowColumns> width{};
  for (int c = 0; c < WindowColumns; ++c) width[static_cast<size_t>(c)] = std::string_view(WindowHeaders[c]).size();
  for (const WindowRow& row : rows)
    for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
  auto line = [&](auto cell) {
    std::string out;
    for (int c = 0; c < WindowColumns; ++c) {
      const std::string text = cell(c);
      const size_t w = width[static_cast<size_t>(c)];
      const bool number = c == 0 || c == 3 || c == 4;
      if (c == WindowColumns - 1)
        out += text;
      else
        out += (number ? fmt::format("{:>{}}", text, w) : fmt::format("{:<{}}", text, w)) + "  ";
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
  };
  std::string out = line([](int c) { return std::string(WindowHeaders[c]); });
  for (const WindowRow& row : rows) out += line([&](int c) { return row[static_cast<size_t>(c)]; });
  return out;
}

std::string WindowsCsvText(const std::vector<WindowRow>& rows) {
  std::string out;
  auto add = [&out](auto cell) {
    for (int c = 0; c < WindowColumns; ++c) {
      if (c) out += ',';
      AppendCsvCell(out, cell(c));
    }
    out += CRLF;
  };
  add([](int c) { return std::string_view(WindowHeaders[c]); });
  for (const WindowRow& row : rows) add([&](int c) { return std::string_view(row[static_cast<size_t>(c)]); });
  return out;
}

std::vector<CalendarEvent> WindowEventsOf(const Election& election, const std::vector<ElectionWindow>& windows,
                                          const HitTextContext& texts, double natalJulianDay) {
  const ReferenceTables& tables = *texts.tables;
  std::string conditions;
  for (const ElectionItem& item : election.items) conditions += ElectionLineText(item, tables) + "\n";
  std::vector<CalendarEvent> events;
  const std::vector<WindowRow> rows = WindowRowsOf(election, windows, texts);
  for (size_t k = 0; k < windows.size(); ++k) {
    const ElectionWindow& w = windows[k];
    const long long start = UtcSecondsAsShown(w.interval.startJd, texts.timeZoneHours);
    const long long end = UtcSecondsAsShown(w.interval.endJd, texts.timeZoneHours);
    const std::string key = fmt::format("{:.6f}|{}|{}|{}", natalJulianDay, conditions, (start + 30) / 60, (end + 30) / 60);
    std::string description = fmt::format("Rank {}, score {}, {} minutes\nFrom {} to {} local time", rows[k][0],
                                          rows[k][4], rows[k][3], rows[k][1], rows[k][2]);
    if (!rows[k][5].empty()) description += "\nPreferred: " + rows[k][5];
    description += "\n" + conditions.substr(0, conditions.empty() ? 0 : conditions.size() - 1);
    events.push_back({CalendarUid(key), start, end, fmt::format("Favourable time #{} (score {})", rows[k][0], rows[k][4]),
                      description});
  }
  return events;
}

}  // namespace kesmora
