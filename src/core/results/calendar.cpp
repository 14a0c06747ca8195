#include "core/results/calendar.h"

#include "core/reference/constants.h"
#include "core/reference/reference_tables.h"
#include "core/reference/text.h"
#include "core/results/hotspots.h"
#include "core/search/aspectarian.h"

#include <date/date.h>
#include <fmt/format.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace kesmora {

namespace {


std::string UtcText(long long seconds) {
  date::sys_seconds t{std::chrono::seconds{seconds}};
  return date::format("%Y%m%dT%H%M%SZ", t);
}

// RFC 5545 TEXT: UTF-8, backslash, semicolon, comma and line breaks escaped, no other control
// characters.
std::string EscapeText(const std::string& text) {
  std::string out;
  for (char c : ValidUtf8(text)) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case ';': out += "\\;"; break;
      case ',': out += "\\,"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += c; break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
    }
  }
  return out;
}

// Lines longer than 75 octets go on in lines that start with a blank, cut where a character
// starts (a UTF-8 character has at most three continuation bytes).
void AddLine(std::string& out, std::string_view line) {
  constexpr size_t kOctets = 75;
  auto continues = [&line](size_t k) { return (static_cast<unsigned char>(line[k]) & 0xC0) == 0x80; };
  size_t room = kOctets;
  while (line.size() > room) {
    size_t cut = room;
    while (cut > 0 && continues(cut)) --cut;
    if (cut == 0) cut = room;  // no character starts within reach: no UTF-8 to keep whole
    out += line.substr(0, cut);
    out += CRLF;
    out += ' ';
    line.remove_prefix(cut);
    room = kOctets - 1;
  }
  out += line;
  out += CRLF;
}

uint64_t Fnv1a(const std::string& text) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string ZoneText(double hours) {
  // West positive, as the program's fields write it.
  return NumberText(hours) + " h (west positive)";
}

void AddHeader(std::string& out) {
  AddLine(out, "BEGIN:VCALENDAR");
  AddLine(out, "VERSION:2.0");
  AddLine(out, std::string("PRODID:-//Kesmora//Kesmora ") + ProgramVersion + "//EN");
  AddLine(out, "CALSCALE:GREGORIAN");
  AddLine(out, "METHOD:PUBLISH");
}

void AddEvent(std::string& out, const CalendarEvent& e, const std::string& stamp) {
  AddLine(out, "BEGIN:VEVENT");
  AddLine(out, "UID:" + e.uid);
  AddLine(out, "DTSTAMP:" + stamp);
  AddLine(out, "DTSTART:" + UtcText(e.startUtc));
  // A moment has no end of its own (RFC 5545 3.6.1): it ends where it starts.
  if (e.endUtc > e.startUtc) AddLine(out, "DTEND:" + UtcText(e.endUtc));
  AddLine(out, "SUMMARY:" + EscapeText(e.summary));
  AddLine(out, "DESCRIPTION:" + EscapeText(e.description));
  AddLine(out, "TRANSP:TRANSPARENT");
  AddLine(out, "END:VEVENT");
}

}  // namespace

std::string IcsText(const std::vector<CalendarEvent>& events, long long stampUtc) {
  std::string out;
  AddHeader(out);
  const std::string stamp = UtcText(stampUtc);
  for (const CalendarEvent& e : events) AddEvent(out, e, stamp);
  AddLine(out, "END:VCALENDAR");
  return out;
}

std::string CalendarUid(const std::string& key) { return fmt::format("{:016x}@kesmora", Fnv1a(key)); }

long long UtcSecondsAsShown(double jd, double timeZoneHours) {
  return LocalSecondsOf(jd, timeZoneHours) - kJulianDayOf1970 * kSecondsPerDay +
         std::llround(timeZoneHours * 3600.0);
}

void WriteCalendar(const TextSink& out, const RunResult& run, const HitTextContext& texts, double natalJulianDay,
                   long long stampUtc) {
  std::string lines;
  auto flush = [&] {
    out(lines);
    lines.clear();
  };
  AddHeader(lines);
  flush();
  const std::string stamp = UtcText(stampUtc);
  const double zone = run.transitTimeZone;
  // How often each UID has been given: a second event of the same UID gets "-2", and so on.
  std::unordered_map<uint64_t, int> given;
  const std::vector<Hit>& hits = run.hits.RunHits();
  for (size_t k = 0; k < hits.size(); ++k) {
    const Hit& h = hits[k];
    const GridRow g = GridRowOf(h, static_cast<int>(k) + 1, texts);
    const long long exact = UtcSecondsAsShown(h.exactJd, zone);
    const long long start = h.startJd ? UtcSecondsAsShown(*h.startJd, zone) : exact;
    const long long end = h.endJd ? UtcSecondsAsShown(*h.endJd, zone) : exact;
    const std::string summary = g[2] + " " + g[6] + " " + g[7] + (g[1].empty() ? "" : " (" + g[1] + ")");
    const std::string notFound = "not found";
    const std::string description =
        "Exact: " + g[12] + " local time, zone " + ZoneText(zone) + "\n" + g[2] + ": " + g[3] + "\n" + g[7] + ": " +
        g[8] + "\nStart: " + (g[grid::StartPeriod].empty() ? notFound : g[grid::StartPeriod]) +
        "\nEnd: " + (g[grid::EndPeriod].empty() ? notFound : g[grid::EndPeriod]);
    // The same aspect to the same chart within the same minute is the same event in any run.
    const long long minute = static_cast<long long>(std::floor((static_cast<double>(exact) + 30.0) / 60.0));
    const std::string key =
        fmt::format("{:.6f}|{}|{}|{}|{}|{}", natalJulianDay, PassNumber(h.pass), g[2], g[6], g[7], minute);
    const uint64_t hash = Fnv1a(key);  // as CalendarUid
    const int n = ++given[hash];
    const std::string uid = n == 1 ? fmt::format("{:016x}@kesmora", hash) : fmt::format("{:016x}-{}@kesmora", hash, n);
    AddEvent(lines, {uid, start, end, summary, description}, stamp);
    flush();
  }
  AddLine(lines, "END:VCALENDAR");
  flush();
}

}  // namespace kesmora
