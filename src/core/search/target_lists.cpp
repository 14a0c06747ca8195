#include "core/search/target_lists.h"

#include "core/reference/format.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <cctype>

namespace kesmora {

namespace {

constexpr double kPadaWidth = 3.3333333333333;

std::optional<std::pair<std::string, std::string>> SplitAtSlash(const std::string& line) {
  size_t slash = line.find('/');
  if (slash == std::string::npos) return std::nullopt;
  return std::pair{line.substr(0, slash), line.substr(slash + 1)};
}

// The whole number a text ends in: its last three characters, blanks before the digits allowed.
std::optional<int> TrailingDegrees(const std::string& label) {
  std::string tail = Trim(label.size() >= 3 ? label.substr(label.size() - 3) : label);
  if (tail.empty()) return std::nullopt;
  for (char c : tail)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return std::stoi(tail);
}

std::optional<int> WholeNumber(const std::string& text) {
  std::string t = Trim(text);
  if (t.empty()) return std::nullopt;
  for (char c : t)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return std::stoi(t);
}

void AddPoint(ExtraPoints& extra, ListKind kind, ExtraPointRow row, const std::string& cls) {
  std::string name = row.Text(0);
  extra.rows.push_back(std::move(row));
  extra.names.push_back(name);
  extra.codes.push_back(ToUpper(name));
  extra.classes.push_back(cls);
  extra.natalMidpointLon.push_back(0);
  extra.natalMidpointSpeed.push_back(0);
  ++extra.count[static_cast<size_t>(kind)];
}

std::vector<std::string> LinesOf(const std::filesystem::path& file) {
  if (file.empty()) return {};
  return ReadLines(file).value_or(std::vector<std::string>{});
}

}  // namespace

int ExtraPoints::FirstIndex(ListKind kind, int numPlanetsUsed) const {
  int before = 0;
  for (int k = 1; k < static_cast<int>(kind); ++k) before += count[static_cast<size_t>(k)];
  return numPlanetsUsed + before + 1;
}

const ExtraPointRow* ExtraPoints::Row(int index, int numPlanetsUsed) const {
  int r = index - numPlanetsUsed;
  if (r < 1 || r > Total()) return nullptr;
  return &rows[static_cast<size_t>(r - 1)];
}

int PlanetIndexByName(const ReferenceTables& tables, const std::string& name) {
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i)
    if (tables.Planet(i).name == name) return i;
  return -1;
}

void LoadDegreePairs(ExtraPoints& extra, const std::filesystem::path& file) {
  if (file.empty() || !FileExists(file)) return;
  extra = ExtraPoints{};
  for (const std::string& line : LinesOf(file)) {
    auto parts = SplitAtSlash(line);
    if (!parts) continue;
    const auto& [label, natalText] = *parts;
    std::optional<int> t = TrailingDegrees(label);
    double natal = LeadingNumber(natalText);
    if (!t || !(natal > 0) || *t < 0) continue;
    ExtraPointRow row;
    row.field = {label, label, natalText, static_cast<double>(*t), natalText, std::string("tn"), std::string("c"),
                 static_cast<double>(*t), natalText, 2.0, std::monostate{}};
    AddPoint(extra, ListKind::DegreePairs, std::move(row), "ap");
  }
}

void LoadAuspiciousPoints(ExtraPoints& extra, const std::filesystem::path& file, const ReferenceTables& tables) {
  if (file.empty() || !FileExists(file)) return;
  for (const std::string& line : LinesOf(file)) {
    auto parts = SplitAtSlash(line);
    if (!parts) continue;
    const auto& [label, planet] = *parts;
    std::optional<int> d = TrailingDegrees(label);
    int b = PlanetIndexByName(tables, planet);
    if (!d || *d < 0 || b < 1) continue;
    const PlanetEntry& e = tables.Planet(b);
    ExtraPointRow row;
    row.field = {label, label, planet, static_cast<double>(*d), static_cast<double>(e.sweNumber), std::string("ap"),
                 e.cls, static_cast<double>(*d), static_cast<double>(b), 3.0, std::monostate{}};
    AddPoint(extra, ListKind::AuspiciousPoints, std::move(row), "ap");
  }
}

void LoadLunarMansions(ExtraPoints& extra, const std::filesystem::path& file, const ReferenceTables& tables) {
  if (file.empty() || !FileExists(file)) return;
  for (const std::string& line : LinesOf(file)) {
    auto parts = SplitAtSlash(line);
    if (!parts) continue;
    const auto& [pada, planet] = *parts;
    // "Nak-05, pada 3": the mansion in characters 5 and 6, the pada in the last one.
    std::optional<int> n = pada.size() >= 6 ? WholeNumber(pada.substr(4, 2)) : std::nullopt;
    std::optional<int> p = pada.empty() ? std::nullopt : WholeNumber(pada.substr(pada.size() - 1));
    if (!n || !p) continue;
    int q = (*n - 1) * 4 + (*p - 1);
    int b = PlanetIndexByName(tables, planet);
    if (q < 0 || b < 1) continue;
    const PlanetEntry& e = tables.Planet(b);
    ExtraPointRow row;
    row.field = {pada, pada, planet, q * kPadaWidth, static_cast<double>(e.sweNumber), std::string("lm"), e.cls,
                 static_cast<double>(q), static_cast<double>(b), 4.0, std::monostate{}};
    AddPoint(extra, ListKind::LunarMansions, std::move(row), "lm");
  }
}

void LoadMidpoints(ExtraPoints& extra, ListKind kind, const std::filesystem::path& file, const ReferenceTables& tables) {
  if (file.empty() || !FileExists(file)) return;
  double pass = kind == ListKind::MidpointsToNatal ? 0 : kind == ListKind::MidpointsToTransit ? 1 : 5;
  std::string cls = kind == ListKind::NatalMidpoints ? "nmp" : "mp";
  for (const std::string& line : LinesOf(file)) {
    auto parts = SplitAtSlash(line);
    if (!parts) continue;
    int a = PlanetIndexByName(tables, parts->first);
    int b = PlanetIndexByName(tables, parts->second);
    if (a < 1 || b < 1) continue;
    const PlanetEntry &ea = tables.Planet(a), &eb = tables.Planet(b);
    ExtraPointRow row;
    row.field = {line, parts->first, parts->second, static_cast<double>(ea.sweNumber),
                 static_cast<double>(eb.sweNumber), ea.cls, eb.cls, static_cast<double>(a), static_cast<double>(b),
                 pass, std::monostate{}};
    AddPoint(extra, kind, std::move(row), cls);
  }
}

void ComputeNatalMidpoints(ExtraPoints& extra, ChartCalculator& calc, double natalJulianDay, int numPlanetsUsed) {
  extra.natalMidpointLon.assign(extra.rows.size(), 0.0);
  extra.natalMidpointSpeed.assign(extra.rows.size(), 0.0);
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
