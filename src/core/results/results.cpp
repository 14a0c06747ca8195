#include "core/results/results.h"

#include "core/reference/text.h"

#include <fmt/format.h>

#include <cmath>

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
  if (extra) n.names.insert(n.names.end(), extra->names.begin(), extra->names.end());
  return n;
}

const char* PassHeading(int pass) {
  static const char* headings[] = {
      "  Aspects found - transit to natal:",
      "  Aspects found - transit to transit:",
      "  Aspects found - transit deg to natal deg:",
      "  Aspects found - transit to transit Auspicious Points:",
      "  Aspects found - transit to transit Lunar Mansions (Nakshatras):",
      "  Aspects found - transit planets to natal midpoints:",
      "  Aspects found - transit midpoints to natal midpoints:"};
  return pass >= 0 && pass <= 6 ? headings[pass] : "";
}

namespace {

std::string PadTo(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string Degrees000(const std::string& field) { return FixedPattern(HitValue(field), 3, 4); }

std::string AspectCaption(const ReferenceTables& tables, const std::string& field) {
  int k = static_cast<int>(HitValue(field));
  return k >= 0 && k < NumAspectBoxes ? tables.aspectCaptions[static_cast<size_t>(k)] : "";
}

std::string DayKey(const std::string& exactText) { return exactText.substr(0, exactText.find(' ')); }

std::string HitLine(const HitRow& row, const PointNames& names, const ReferenceTables& tables) {
  const std::string& pass = row[hit::Pass];
  auto name = [&](int field) { return names.Of(static_cast<int>(HitValue(row[static_cast<size_t>(field)]))); };
  if (pass == "2") {
    std::string line = PadTo("  " + row[hit::SecondPoint], 28) + "000  " + PadTo(name(hit::MovingPoint), 18);
    return PadTo(line, 53) + row[hit::ExactText] + std::string(CRLF);
  }
  bool pair = pass == "0" || pass == "1";
  bool extra = pass == "3" || pass == "4" || pass == "5" || pass == "6";
  if (!pair && !extra) return {};
  std::string line = PadTo("  " + name(hit::MovingPoint), 28) + AspectCaption(tables, row[hit::Aspect]) + "  " +
                     PadTo(name(hit::SecondPoint), pair ? 18 : 26);
  return PadTo(line, pair ? 53 : 61) + row[hit::ExactText] + "   " + Degrees000(row[hit::MovingPosition]) + "   " +
         Degrees000(row[hit::SecondPosition]) + std::string(CRLF);
}

}  // namespace

std::string ReportPassHits(const std::vector<HitRow>& rows, int count, int pass, const PointNames& names,
                           const ReferenceTables& tables, DateOrder) {
  std::string block = std::string(CRLF) + PassHeading(pass) + std::string(CRLF);
  std::string previousDay;
  for (int r = 1; r <= count; ++r) {
    const HitRow& row = rows[static_cast<size_t>(r)];
    // The date text already follows the date order; a new date opens with a blank line.
    std::string day = DayKey(row[hit::ExactText]);
    if (day != previousDay) {
      block += CRLF;
      previousDay = day;
    }
    block += HitLine(row, names, tables);
  }
  return block;
}

int MansionNumber(double longitude) { return static_cast<int>(longitude / 13.3333333333333) + 1; }

int PadaNumber(double longitude) {
  double inMansion = longitude;
  while (inMansion >= 13.333333333333) inMansion -= 13.333333333333;
  return static_cast<int>(inMansion / 3.3333333333333) + 1;
}

namespace {

std::string TypeLabel(const HitRow& row, int numPlanetsUsed) {
  const std::string& pass = row[hit::Pass];
  bool extraMoving = HitValue(row[hit::MovingPoint]) > numPlanetsUsed;
  if (pass == "0") return extraMoving ? "tmp to n." : "t. to n.";
  if (pass == "1") return extraMoving ? "tmp to t." : "t. to t.";
  if (pass == "2") return "t. to t.";
  if (pass == "5") return "t to nmp";
  if (pass == "6") return "tmp2nmp";
  return row[hit::Declination] == "d" ? "t. to n." : "";
}

}  // namespace

std::vector<GridRow> GridRowsOf(const std::vector<HitRow>& rows, int count, const PointNames& names,
                                const ReferenceTables& tables,
                                const std::vector<AspectSearch::Periods>& periods) {
  std::vector<GridRow> grid;
  for (int r = 1; r <= count; ++r) {
    const HitRow& row = rows[static_cast<size_t>(r)];
    bool declination = row[hit::Declination] == "d";
    auto position = [&](int field) {
      double v = HitValue(row[static_cast<size_t>(field)]);
      return declination ? FixedPattern(v, 1, 2) : FormatLongitude(v);
    };
    auto mansion = [&](int field) {
      return declination ? std::string() : std::to_string(MansionNumber(HitValue(row[static_cast<size_t>(field)])));
    };
    auto pada = [&](int field) {
      return declination ? std::string() : std::to_string(PadaNumber(HitValue(row[static_cast<size_t>(field)])));
    };
    GridRow g;
    g[0] = std::to_string(r);
    g[1] = TypeLabel(row, tables.NumPlanetsUsed());
    g[2] = names.Of(static_cast<int>(HitValue(row[hit::MovingPoint])));
    g[3] = position(hit::MovingPosition);
    g[4] = mansion(hit::MovingPosition);
    g[5] = pada(hit::MovingPosition);
    int k = static_cast<int>(HitValue(row[hit::Aspect]));
    g[6] = k >= 0 && k < NumAspectBoxes ? tables.aspectCaptions[static_cast<size_t>(k)] : "";
    g[7] = row[hit::Pass] == "2" ? row[hit::SecondPoint] : names.Of(static_cast<int>(HitValue(row[hit::SecondPoint])));
    g[8] = position(hit::SecondPosition);
    g[9] = mansion(hit::SecondPosition);
    g[10] = pada(hit::SecondPosition);
    g[12] = row[hit::ExactText];
    if (static_cast<size_t>(r) < periods.size()) {
      g[grid::StartPeriod] = periods[static_cast<size_t>(r)].start;
      g[grid::EndPeriod] = periods[static_cast<size_t>(r)].end;
    }
    grid.push_back(std::move(g));
  }
  return grid;
}

std::string CsvText(const std::vector<GridRow>& rows) {
  std::string out;
  for (const GridRow& row : rows) {
    for (int c = 1; c <= 13; ++c) {
      // A quote inside a cell (the seconds mark of a position) is doubled, so every CSV
      // reader sees the cell whole.
      out += '"';
      for (char ch : row[static_cast<size_t>(c)]) out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
      out += '"';
      out += c < 13 ? "," : std::string(CRLF);
    }
  }
  return out;
}

}  // namespace kesmora
