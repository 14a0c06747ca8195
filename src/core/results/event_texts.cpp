#include "core/results/event_texts.h"

#include "core/reference/format.h"
#include "core/reference/text.h"
#include "core/search/target_lists.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace kesmora {

const char* EventKindName(EventKind kind) {
  switch (kind) {
    case EventKind::Ingress: return "Ingress";
    case EventKind::Station: return "Station";
    case EventKind::Retrograde: return "Retrograde";
    case EventKind::Mansion: return "Mansion";
    case EventKind::Void: return "Void";
  }
  return "";
}

EventRow EventRowOf(const Event& e, const HitTextContext& c) {
  EventRow row;
  row[0] = EventKindName(e.kind);
  row[1] = c.names.Of(e.body);
  row[2] = MomentText(e.startJd, c);
  const bool period = e.kind == EventKind::Retrograde || e.kind == EventKind::Void;
  if (period) row[3] = MomentText(e.endJd, c);
  switch (e.kind) {
    case EventKind::Ingress:
    case EventKind::Void: row[4] = SignName(e.entered); break;
    case EventKind::Station: row[4] = e.turnsRetrograde ? "retrograde" : "direct"; break;
    case EventKind::Mansion: {
      static const std::vector<std::string> padas = PadaTexts();
      const int q = (e.entered - 1) * 4 + (e.pada - 1);
      if (q >= 0 && q < static_cast<int>(padas.size())) row[4] = padas[static_cast<size_t>(q)];
      break;
    }
    case EventKind::Retrograde: break;
  }
  return row;
}

std::string EventsCsv(const std::vector<Event>& events, const HitTextContext& c) {
  std::string out;
  for (const Event& e : events) {
    const EventRow row = EventRowOf(e, c);
    for (size_t k = 0; k < row.size(); ++k) {
      if (k > 0) out += ',';
      AppendCsvCell(out, row[k]);
    }
    out += CRLF;
  }
  return out;
}

std::string EventsText(const std::vector<Event>& events, const HitTextContext& c) {
  std::vector<EventRow> rows;
  std::array<size_t, EventColumns> width{};
  for (const Event& e : events) {
    rows.push_back(EventRowOf(e, c));
    for (size_t k = 0; k < width.size(); ++k) width[k] = std::max(width[k], rows.back()[k].size());
  }
  std::string out;
  for (const EventRow& row : rows) {
    std::string line;
    for (size_t k = 0; k < row.size(); ++k) {
      line += row[k];
      if (k + 1 < row.size()) line.append(width[k] - row[k].size() + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line;
    out += CRLF;
  }
  return out;
}

std::vector<CalendarEvent> EventCalendarOf(const std::vector<Event>& events, const HitTextContext& c) {
  std::vector<CalendarEvent> out;
  std::unordered_map<std::string, int> given;
  for (const Event& e : events) {
    const EventRow row = EventRowOf(e, c);
    CalendarEvent ce;
    ce.startUtc = UtcSecondsAsShown(e.startJd, c.timeZoneHours);
    ce.endUtc = row[3].empty() ? ce.startUtc : UtcSecondsAsShown(e.endJd, c.timeZoneHours);
    ce.summary = row[0] + " " + row[1] + (row[4].empty() ? "" : " " + row[4]);
    ce.description = "Start: " + row[2] + " local time" + (row[3].empty() ? "" : "\nEnd: " + row[3] + " local time");
    const long long minute = static_cast<long long>(std::floor((static_cast<double>(ce.startUtc) + 30.0) / 60.0));
    const std::string key = fmt::format("event|{}|{}|{}|{}|{}", row[0], row[1], row[4], e.turnsRetrograde, minute);
    ce.uid = CalendarUid(key, ++given[key]);
    out.push_back(std::move(ce));
  }
  return out;
}

}  // namespace kesmora
