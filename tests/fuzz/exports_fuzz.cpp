// The CSV and calendar writers on any cell texts: every export is UTF-8, a CSV reader gets the
// cells back, and every calendar line is folded to at most 75 octets between characters and
// unfolds to the text written. (A run of continuation bytes once kept the folding from ending.)
#include "fuzz_support.h"

#include "core/reference/text.h"
#include "core/results/calendar.h"
#include "core/results/results.h"

using namespace kesmora;

namespace {

// The cells of a CSV text as RFC 4180 reads them: quoted cells, doubled quotes, CR LF rows.
std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows(1);
  std::vector<std::string>* row = &rows.back();
  for (size_t pos = 0; pos < text.size();) {
    KESMORA_REQUIRE(text[pos] == '"');
    std::string& cell = row->emplace_back();
    for (++pos; pos < text.size() && (text[pos] != '"' || text.substr(pos, 2) == "\"\""); pos += text[pos] == '"' ? 2 : 1)
      cell += text[pos];
    KESMORA_REQUIRE(pos++ < text.size());
    if (text.substr(pos, 2) == "\r\n") {
      pos += 2;
      row = &rows.emplace_back();
    } else {
      KESMORA_REQUIRE(text.substr(pos++, 1) == ",");
    }
  }
  rows.pop_back();  // after the last line end
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Cells are separated by the byte 1E; a grid row holds 14 of them.
  std::vector<std::string> cells{""};
  for (size_t k = 0; k < size; ++k) data[k] == 0x1E ? (void)cells.emplace_back() : (void)(cells.back() += static_cast<char>(data[k]));
  std::vector<GridRow> rows((cells.size() + GridColumns - 1) / GridColumns);
  for (size_t k = 0; k < cells.size(); ++k) rows[k / GridColumns][k % GridColumns] = cells[k];

  const std::string csv = CsvText(rows);
  KESMORA_REQUIRE(IsValidUtf8(csv));
  const auto read = ReadCsv(csv);
  KESMORA_REQUIRE(read.size() == rows.size());
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 1; c <= 13; ++c) KESMORA_REQUIRE(read[r].size() == 13 && read[r][c - 1] == ValidUtf8(rows[r][c]));

  std::vector<CalendarEvent> events;
  for (size_t k = 0; k < cells.size(); ++k)
    events.push_back({"u" + std::to_string(k), 0, static_cast<long long>(k) * 60, cells[k], "d"});
  const std::string ics = IcsText(events, 0);
  KESMORA_REQUIRE(IsValidUtf8(ics));
  size_t summaries = 0;
  std::string line;  // unfolded
  for (size_t pos = 0, end; pos < ics.size(); pos = end + 2) {
    end = ics.find("\r\n", pos);
    KESMORA_REQUIRE(end != std::string::npos && end - pos <= 75);
    const std::string_view folded(ics.data() + pos, end - pos);
    KESMORA_REQUIRE(folded.find_first_of("\r\n") == std::string_view::npos && IsValidUtf8(folded));
    if (!folded.empty() && folded[0] == ' ') {
      line += folded.substr(1);
      continue;
    }
    if (line.rfind("SUMMARY:", 0) == 0) {
      // The summary as written: UTF-8, no control characters but tab, escapes undone.
      std::string want, got;
      for (char c : ValidUtf8(events[summaries++].summary))
        if (static_cast<unsigned char>(c) >= 0x20 ? c != 0x7F : c == '\t' || c == '\n') want += c;
      for (size_t k = 8; k < line.size(); ++k) got += line[k] != '\\' ? line[k] : line[++k] == 'n' ? '\n' : line[k];
      KESMORA_REQUIRE(got == want);
    }
    line = folded;
  }
  KESMORA_REQUIRE(summaries == events.size());
  return 0;
}
