#include "core/results/results.h"

#include "core/reference/constants.h"
#include "core/reference/text.h"
#include "core/search/aspectarian.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kesmora {

const std::string& PointNames::Of(int index) const {
  static const std::string none;
  if (index < 1 || static_cast<size_t>(index) >= names.size()) return none;
  return names[static_cast<size_t>(index)];
}

PointNames PointNamesOf(const ReferenceTables& tables, const ExtraPoints* extra) {
  PointNames n;
  n.names.emplace_back();
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) n.names.push_back(tables.Planet(i).name);
  if (extra)
    for (const ExtraPoint& point : extra->points) n.names.push_back(point.name);
  return n;
}

HitTextContext HitTextsOf(const ReferenceTables& tables, const ExtraPoints& extra, DateOrder order,
                          double timeZoneHours) {
  return {&tables, &extra, PointNamesOf(tables, &extra), order, timeZoneHours};
}

std::string MomentText(double jd, const HitTextContext& c) {
  DateTimeText t = JulianDayToText(jd, c.timeZoneHours, c.dateOrder);
  return t.date + " " + t.time;
}

std::string SecondPointText(const Hit& hit, const HitTextContext& c) {
  if (hit.pass == Pass::DegreePair) {
    const ExtraPoint* point = c.extra ? c.extra->Point(hit.movingPoint, c.tables->NumPlanetsUsed()) : nullptr;
    const DegreePair* pair = point ? std::get_if<DegreePair>(&point->data) : nullptr;
    return pair ? pair->natalText : std::string();
  }
  return c.names.Of(hit.secondPoint);
}

const char* PassHeading(Pass pass) {
  static const char* headings[kPassCount] = {
      "  Aspects found - transit to natal:",
      "  Aspects found - transit to transit:",
      "  Aspects found - transit deg to natal deg:",
      "  Aspects found - transit to transit Auspicious Points:",
      "  Aspects found - transit to transit Lunar Mansions (Nakshatras):",
      "  Aspects found - transit planets to natal midpoints:",
      "  Aspects found - transit midpoints to natal midpoints:"};
  return headings[PassNumber(pass)];
}

namespace {

std::string PadTo(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// A longitude that rounds up to a full circle is written as 0 degrees.
std::string Degrees000(double degrees) {
  std::string text = FixedPattern(degrees, 3, 4);
  return text == "360.0000" ? "000.0000" : text;
}

std::string AspectCaption(const ReferenceTables& tables, int k) {
  return k >= 0 && k < NumAspectBoxes ? tables.aspectCaptions[static_cast<size_t>(k)] : "";
}

std::string HitLine(const Hit& hit, const std::string& moment, const HitTextContext& c) {
  if (hit.kind == HitKind::Declination) return {};
  if (hit.pass == Pass::DegreePair) {
    std::string line = PadTo("  " + SecondPointText(hit, c), 28) + "000  " + PadTo(c.names.Of(hit.movingPoint), 18);
    return PadTo(line, 53) + moment + std::string(CRLF);
  }
  bool pair = hit.pass == Pass::TransitToNatal || hit.pass == Pass::TransitToTransit;
  std::string line = PadTo("  " + c.names.Of(hit.movingPoint), 28) + AspectCaption(*c.tables, hit.aspect) + "  " +
                     PadTo(c.names.Of(hit.secondPoint), pair ? 18 : 26);
  return PadTo(line, pair ? 53 : 61) + moment + "   " + Degrees000(hit.movingDeg) + "   " +
         Degrees000(hit.secondDeg) + std::string(CRLF);
}

}  // namespace

void WritePassReport(const TextSink& out, const HitsInOrder& hits, Pass pass, const HitTextContext& c) {
  out(std::string(CRLF) + PassHeading(pass) + std::string(CRLF));
  std::string previousDay;
  for (size_t n = 0; n < hits.size(); ++n) {
    const Hit& hit = hits[n];
    std::string moment = MomentText(hit.exactJd, c);
    // The date text follows the date order; a new date opens with a blank line.
    std::string day = moment.substr(0, moment.find(' '));
    if (day != previousDay) {
      out(CRLF);
      previousDay = day;
    }
    out(HitLine(hit, moment, c));
  }
}

std::string ReportPassHits(const std::vector<Hit>& hits, Pass pass, const HitTextContext& c) {
  std::string block;
  WritePassReport([&](std::string_view piece) { block += piece; }, HitsInOrder(hits), pass, c);
  return block;
}

void WriteRunReport(const TextSink& out, const RunResult& run, const HitTextContext& c) {
  for (const PassHits& pass : run.passes) {
    WritePassReport(out, run.Shown(pass), pass.pass, c);
    out(CRLF);
  }
}

namespace {

// The pada (0 to 107) a longitude lies in. A lunar mansion's target stands exactly on the
// first degree of its pada, where the division may fall a rounding short: a hair is added.
int PadaIndex(double longitude) {
  constexpr int kLastPada = kMansions * 4 - 1;
  return std::clamp(static_cast<int>(longitude / kPadaWidthDeg + 1e-9), 0, kLastPada);
}

}  // namespace

int MansionNumber(double longitude) { return PadaIndex(longitude) / 4 + 1; }

int PadaNumber(double longitude) { return PadaIndex(longitude) % 4 + 1; }

namespace {

std::string TypeLabel(const Hit& hit, int numPlanetsUsed) {
  if (hit.kind == HitKind::Declination) return "t. to n.";
  bool extraMoving = hit.movingPoint > numPlanetsUsed;
  switch (hit.pass) {
    case Pass::TransitToNatal: return extraMoving ? "tmp to n." : "t. to n.";
    case Pass::TransitToTransit: return extraMoving ? "tmp to t." : "t. to t.";
    case Pass::DegreePair: return "t. to t.";
    case Pass::TransitToNatalMidpoint: return "t to nmp";
    case Pass::TransitMidpointToNatalMidpoint: return "tmp2nmp";
    case Pass::AuspiciousPoint:
    case Pass::LunarMansion: break;
  }
  return "";
}

}  // namespace

GridRow GridRowOf(const Hit& hit, int number, const HitTextContext& c) {
  const bool declination = hit.kind == HitKind::Declination;
  auto position = [&](double v) { return declination ? FixedPattern(v, 1, 2) : FormatLongitude(v); };
  auto mansion = [&](double v) { return declination ? std::string() : std::to_string(MansionNumber(v)); };
  auto pada = [&](double v) { return declination ? std::string() : std::to_string(PadaNumber(v)); };
  GridRow g;
  g[0] = std::to_string(number);
  g[1] = TypeLabel(hit, c.tables->NumPlanetsUsed());
  g[2] = c.names.Of(hit.movingPoint);
  g[3] = position(hit.movingDeg);
  g[4] = mansion(hit.movingDeg);
  g[5] = pada(hit.movingDeg);
  g[6] = AspectCaption(*c.tables, hit.aspect);
  g[7] = SecondPointText(hit, c);
  g[8] = position(hit.secondDeg);
  g[9] = mansion(hit.secondDeg);
  g[10] = pada(hit.secondDeg);
  g[12] = MomentText(hit.exactJd, c);
  if (hit.startJd) g[grid::StartPeriod] = MomentText(*hit.startJd, c);
  if (hit.endJd) g[grid::EndPeriod] = MomentText(*hit.endJd, c);
  return g;
}

std::vector<GridRow> GridRowsOf(const std::vector<Hit>& hits, const HitTextContext& c) {
  std::vector<GridRow> grid;
  grid.reserve(hits.size());
  for (const Hit& hit : hits) grid.push_back(GridRowOf(hit, static_cast<int>(grid.size()) + 1, c));
  return grid;
}

GridKeys GridSortKeyOf(const Hit& hit, int number) {
  constexpr double text = std::numeric_limits<double>::quiet_NaN();
  const bool declination = hit.kind == HitKind::Declination;
  auto mansion = [&](double v) { return declination ? text : MansionNumber(v); };
  auto pada = [&](double v) { return declination ? text : PadaNumber(v); };
  GridKeys k;
  k.fill(text);
  k[0] = number;
  k[3] = hit.movingDeg;
  k[4] = mansion(hit.movingDeg);
  k[5] = pada(hit.movingDeg);
  k[6] = hit.aspect;
  k[8] = hit.secondDeg;
  k[9] = mansion(hit.secondDeg);
  k[10] = pada(hit.secondDeg);
  k[12] = hit.exactJd;
  k[grid::StartPeriod] = hit.startJd.value_or(text);
  k[grid::EndPeriod] = hit.endJd.value_or(text);
  return k;
}

std::vector<GridKeys> GridSortKeysOf(const std::vector<Hit>& hits) {
  std::vector<GridKeys> keys;
  keys.reserve(hits.size());
  for (const Hit& hit : hits) keys.push_back(GridSortKeyOf(hit, static_cast<int>(keys.size()) + 1));
  return keys;
}

std::string CsvCell(std::string_view text) {
  std::string out;
  AppendCsvCell(out, text);
  return out;
}

void AppendCsvCell(std::string& out, std::string_view text) {
  // A quote inside a cell (the seconds mark of a position) is doubled, so every CSV reader sees
  // the cell whole; the text is UTF-8, as spreadsheets and Python read a CSV file.
  out += '"';
  for (char ch : ValidUtf8(text)) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

void AppendCsvLine(std::string& out, const GridRow& row) {
  for (int c = 1; c <= 13; ++c) {
    AppendCsvCell(out, row[static_cast<size_t>(c)]);
    out += c < 13 ? "," : std::string(CRLF);
  }
}

std::string CsvText(const std::vector<GridRow>& rows) {
  std::string out;
  for (const GridRow& row : rows) AppendCsvLine(out, row);
  return out;
}

void WriteCsv(const TextSink& out, const std::vector<Hit>& hits, const HitTextContext& c) {
  std::string line;
  for (size_t r = 0; r < hits.size(); ++r) {
    line.clear();
    AppendCsvLine(line, GridRowOf(hits[r], static_cast<int>(r) + 1, c));
    out(line);
  }
}

}  // namespace kesmora
