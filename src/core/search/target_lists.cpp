#include "core/search/target_lists.h"

#include "core/reference/constants.h"
#include "core/reference/format.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <cctype>
#include <optional>
#include <utility>

namespace kesmora {

namespace {

// Why a row was left out; empty when it was taken.
using Refusal = std::string;

std::optional<std::pair<std::string, std::string>> SplitAtSlash(const std::string& line) {
  size_t slash = line.find('/');
  if (slash == std::string::npos) return std::nullopt;
  return std::pair{line.substr(0, slash), line.substr(slash + 1)};
}

// The number of a text of one to `maxDigits` digits (blanks around them allowed); -1 when
// the text is anything else.
int DigitsNumber(const std::string& text, size_t maxDigits) {
  std::string t = Trim(text);
  if (t.empty() || t.size() > maxDigits) return -1;
  for (char c : t)
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
  return static_cast<int>(WholeNumber(t).value_or(-1));
}

// The whole number of degrees a label ends in: its last three characters.
int TrailingDegrees(const std::string& label) {
  return DigitsNumber(label.size() >= 3 ? label.substr(label.size() - 3) : label, 3);
}

std::string NotAPlanet(const std::string& name) { return fmt::format("\"{}\" is not the name of a planet", name); }

template <typename Data>
void AddPoint(ExtraPoints& extra, ListKind kind, const std::string& name, Data data) {
  extra.points.push_back({kind, name, std::move(data)});
  extra.natalMidpointLon.push_back(0);
  extra.natalMidpointSpeed.push_back(0);
  ++extra.count[static_cast<size_t>(kind)];
}

Refusal DegreePairRow(ExtraPoints& extra, const std::string& label, const std::string& natalText) {
  int t = TrailingDegrees(label);
  if (t < 0) return "its label does not end in a whole number of degrees";
  if (t >= 360) return fmt::format("the transit degree {} is not below 360", t);
  double natal = LeadingNumber(natalText);
  if (!(natal > 0 && natal < 360)) return "the natal degree must be a number above 0 and below 360";
  AddPoint(extra, ListKind::DegreePairs, label, DegreePair{t, natal, natalText});
  return {};
}

Refusal AuspiciousPointRow(ExtraPoints& extra, const std::string& label, const std::string& planet,
                           const ReferenceTables& tables) {
  int d = TrailingDegrees(label);
  if (d < 0) return "its label does not end in a whole number of degrees";
  if (d >= 360) return fmt::format("the degree {} is not below 360", d);
  int b = PlanetIndexByName(tables, planet);
  if (b < 1) return NotAPlanet(planet);
  AddPoint(extra, ListKind::AuspiciousPoints, label, AuspiciousPoint{d, b});
  return {};
}

Refusal LunarMansionRow(ExtraPoints& extra, const std::string& pada, const std::string& planet,
                        const ReferenceTables& tables) {
  // "Nak-05, pada 3": the mansion in characters 5 and 6, the pada in the last one.
  int n = pada.size() >= 6 ? DigitsNumber(pada.substr(4, 2), 2) : -1;
  int p = pada.empty() ? -1 : DigitsNumber(pada.substr(pada.size() - 1), 1);
  if (n < 0 || p < 0) return "it does not begin with a pada such as \"Nak-05, pada 3\"";
  if (n < 1 || n > 27) return fmt::format("there is no mansion {} (1 to 27)", n);
  if (p < 1 || p > 4) return fmt::format("there is no pada {} (1 to 4)", p);
  int q = (n - 1) * 4 + (p - 1);
  int b = PlanetIndexByName(tables, planet);
  if (b < 1) return NotAPlanet(planet);
  AddPoint(extra, ListKind::LunarMansions, pada, MansionPada{q, b});
  return {};
}

Refusal MidpointRow(ExtraPoints& extra, ListKind kind, const std::string& line, const std::string& first,
                    const std::string& second, const ReferenceTables& tables) {
  int a = PlanetIndexByName(tables, first);
  if (a < 1) return NotAPlanet(first);
  int b = PlanetIndexByName(tables, second);
  if (b < 1) return NotAPlanet(second);
  AddPoint(extra, kind, line, MidpointPair{a, b});
  return {};
}

const char* ListName(ListKind kind) {
  switch (kind) {
    case ListKind::DegreePairs: return "Degree-pair file";
    case ListKind::AuspiciousPoints: return "Auspicious point file";
    case ListKind::LunarMansions: return "Lunar mansion file";
    default: return "Midpoint file";
  }
}

void LoadFile(ExtraPoints& extra, ListKind kind, const std::filesystem::path& file, const ReferenceTables& tables) {
  if (file.empty() || !FileExists(file)) return;
  std::string name = file.filename().string();
  if (auto text = ReadTextFile(file)) {
    LoadTargetListText(extra, kind, name, *text, tables);
    return;
  }
  if (kind == ListKind::DegreePairs) extra = ExtraPoints{};
  extra.notices.push_back(fmt::format("{} '{}' cannot be read; its points are left out.", ListName(kind), name));
}

}  // namespace

int ExtraPoints::FirstIndex(ListKind kind, int numPlanetsUsed) const {
  int before = 0;
  for (int k = 1; k < static_cast<int>(kind); ++k) before += count[static_cast<size_t>(k)];
  return numPlanetsUsed + before + 1;
}

const ExtraPoint* ExtraPoints::Point(int index, int numPlanetsUsed) const {
  int r = index - numPlanetsUsed;
  if (r < 1 || r > Total()) return nullptr;
  return &points[static_cast<size_t>(r - 1)];
}

int PlanetIndexByName(const ReferenceTables& tables, const std::string& name) {
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i)
    if (tables.Planet(i).name == name) return i;
  return -1;
}

void LoadTargetListText(ExtraPoints& extra, ListKind kind, std::string_view fileName, std::string_view text,
                        const ReferenceTables& tables) {
  if (kind == ListKind::DegreePairs) extra = ExtraPoints{};
  int number = 0;
  for (const std::string& line : SplitLines(text)) {
    ++number;
    if (Trim(line).empty()) continue;
    Refusal why;
    if (auto parts = SplitAtSlash(line)) {
      const auto& [before, after] = *parts;
      switch (kind) {
        case ListKind::DegreePairs: why = DegreePairRow(extra, before, after); break;
        case ListKind::AuspiciousPoints: why = AuspiciousPointRow(extra, before, after, tables); break;
        case ListKind::LunarMansions: why = LunarMansionRow(extra, before, after, tables); break;
        default: why = MidpointRow(extra, kind, line, before, after, tables); break;
      }
    } else {
      why = "it has no \"/\"";
    }
    if (!why.empty())
      extra.notices.push_back(
          fmt::format("{} '{}', line {}: \"{}\" is left out: {}.", ListName(kind), fileName, number, line, why));
  }
}

void LoadDegreePairs(ExtraPoints& extra, const std::filesystem::path& file) {
  static const ReferenceTables none;  // degree pairs name no planets
  LoadFile(extra, ListKind::DegreePairs, file, none);
}

void LoadAuspiciousPoints(ExtraPoints& extra, const std::filesystem::path& file, const ReferenceTables& tables) {
  LoadFile(extra, ListKind::AuspiciousPoints, file, tables);
}

void LoadLunarMansions(ExtraPoints& extra, const std::filesystem::path& file, const ReferenceTables& tables) {
  LoadFile(extra, ListKind::LunarMansions, file, tables);
}

void LoadMidpoints(ExtraPoints& extra, ListKind kind, const std::filesystem::path& file, const ReferenceTables& tables) {
  LoadFile(extra, kind, file, tables);
}

void ComputeNatalMidpoints(ExtraPoints& extra, ChartCalculator& calc, double natalJulianDay, int numPlanetsUsed) {
  extra.natalMidpointLon.assign(extra.points.size(), 0.0);
  extra.natalMidpointSpeed.assign(extra.points.size(), 0.0);
  const ChartRecord& record = calc.Record();
  int first = extra.FirstIndex(ListKind::MidpointsToNatal, numPlanetsUsed);
  for (int p = first; p <= numPlanetsUsed + extra.Total(); ++p) {
    size_t r = static_cast<size_t>(p - numPlanetsUsed - 1);
    extra.natalMidpointLon[r] = calc.CalcPointAtPlace(natalJulianDay, p, 0);
    extra.natalMidpointSpeed[r] = record.lastPointSpeed;
  }
}

std::vector<std::string> PadaTexts() {
  std::vector<std::string> texts;
  for (int n = 1; n <= 27; ++n)
    for (int p = 1; p <= 4; ++p) texts.push_back(fmt::format("Nak-{:02d}, pada {}", n, p));
  return texts;
}

}  // namespace kesmora
