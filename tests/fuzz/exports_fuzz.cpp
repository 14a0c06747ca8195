// The CSV and calendar writers on any cell texts: every export is UTF-8, a CSV reader gets the
// cells back, and every calendar line is folded to at most 75 octets at character boundaries
// and unfolds to what was written. (A run of continuation bytes once kept the folding from
// ever ending.)
#include "fuzz_support.h"

#include "core/reference/text.h"
#include "core/results/calendar.h"
#include "core/results/results.h"

#include <string_view>
#include <vector>

using namespace kesmora;

namespace {

// The cells of a CSV text as RFC 4180 reads them (quoted cells, doubled quotes, CR LF rows).
std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  size_t pos = 0;
  while (pos < text.size()) {
    std::vector<std::string> row;
    for (;;) {
      KESMORA_REQUIRE(pos < text.size() && text[pos] == '"');
      std::string cell;
      for (++pos;; ++pos) {
        KESMORA_REQUIRE(pos < text.size());
        if (text[pos] != '"') {
          cell += text[pos];
        } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
          cell += '"';
          ++pos;
        } else {
          break;
        }
      }
      ++pos;
      row.push_back(cell);
      if (text.substr(pos, 2) == "\r\n") break;
      KESMORA_REQUIRE(pos < text.size() && text[pos] == ',');
      ++pos;
    }
    pos += 2;
    rows.push_back(row);
  }
  return rows;
}

// The text a calendar's TEXT value stands for.
std::string Unescape(std::string_view value) {
  std::string out;
  for (size_t k = 0; k < value.size(); ++k) {
    if (value[k] != '\\' || k + 1 == value.size()) {
      out += value[k];
      continue;
    }
    const char next = value[++k];
    out += next == 'n' ? '\n' : next;
  }
  return out;
}

// What a calendar may carry of a text: UTF-8 without control characters but tab and line feed.
std::string CalendarText(std::string_view text) {
  std::string out;
  for (char c : ValidUtf8(text))
    if (static_cast<unsigned char>(c) >= 0x20 ? c != 0x7F : c == '\t' || c == '\n') out += c;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Cells are separated by the byte 1E, rows hold the 14 grid columns.
  std::vector<std::string> cells{""};
  for (size_t k = 0; k < size; ++k) {
    if (data[k] == 0x1E)
      cells.emplace_back();
    else
      cells.back() += static_cast<char>(data[k]);
  }
  std::vector<GridRow> rows((cells.size() + GridColumns - 1) / GridColumns);
  for (size_t k = 0; k < cells.size(); ++k) rows[k / GridColumns][k % GridColumns] = cells[k];

  const std::string csv = CsvText(rows);
  KESMORA_REQUIRE(IsValidUtf8(csv));
  const auto read = ReadCsv(csv);
  KESMORA_REQUIRE(read.size() == rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    KESMORA_REQUIRE(read[r].size() == 13);
    for (size_t c = 1; c <= 13; ++c) KESMORA_REQUIRE(read[r][c - 1] == ValidUtf8(rows[r][c]));
  }

  std::vector<CalendarEvent> events;
  for (size_t k = 0; k + 1 < cells.size(); k += 2)
    events.push_back({"u" + std::to_string(k) + "@kesmora", 0, static_cast<long long>(k) * 60, cells[k], cells[k + 1]});
  const std::string ics = IcsText(events, 0);
  KESMORA_REQUIRE(IsValidUtf8(ics));
  std::vector<std::string> unfolded;
  size_t pos = 0;
  while (pos < ics.size()) {
    const size_t end = ics.find("\r\n", pos);
    KESMORA_REQUIRE(end != std::string::npos);
    const std::string_view line(ics.data() + pos, end - pos);
    KESMORA_REQUIRE(line.size() <= 75);
    KESMORA_REQUIRE(line.find_first_of("\r\n") == std::string_view::npos);
    KESMORA_REQUIRE(IsValidUtf8(line));  // cut between characters
    if (!line.empty() && line[0] == ' ') {
      KESMORA_REQUIRE(!unfolded.empty());
      unfolded.back() += line.substr(1);
    } else {
      unfolded.emplace_back(line);
    }
    pos = end + 2;
  }
  size_t summary = 0, description = 0;
  for (const std::string& line : unfolded) {
    if (line.rfind("SUMMARY:", 0) == 0) {
      KESMORA_REQUIRE(summary < events.size());
      KESMORA_REQUIRE(Unescape(line.substr(8)) == CalendarText(events[summary++].summary));
    } else if (line.rfind("DESCRIPTION:", 0) == 0) {
      KESMORA_REQUIRE(description < events.size());
      KESMORA_REQUIRE(Unescape(line.substr(12)) == CalendarText(events[description++].description));
    }
  }
  KESMORA_REQUIRE(summary == events.size() && description == events.size());
  return 0;
}
