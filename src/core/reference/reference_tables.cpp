#include "core/reference/reference_tables.h"

#include "core/reference/text.h"

#include <fmt/format.h>

#include <cctype>
#include <limits>
#include <optional>

namespace kesmora {

namespace fs = std::filesystem;

double ReferenceTables::AspectAngle(int k) const {
  return LeadingNumber(aspectCaptions.at(static_cast<size_t>(k)));
}

PointClass PointClassOf(char letter) {
  switch (std::tolower(static_cast<unsigned char>(letter))) {
    case 'g': return PointClass::Planet;
    case 't': return PointClass::Node;
    case 'd': return PointClass::Centaur;
    case 'a': return PointClass::Asteroid;
    case 'c': return PointClass::Cusp;
    case 'p': return PointClass::Point;
    case 'l': return PointClass::Lot;
    default: return PointClass::Other;
  }
}

bool ReferenceTables::IsBody(int index) const { return kesmora::IsBody(Planet(index).cls); }

bool ReferenceTables::IsHouseDependent(int index) const { return kesmora::IsHouseDependent(Planet(index).cls); }

namespace {

[[noreturn]] void EmptyFile(const char* name) { throw FatalError(fmt::format("Your '{}' file is empty.", name)); }

}  // namespace

void ReadPlanetConstants(ReferenceTables& tables, const fs::path& programDir) {
  auto text = ReadTextFile(programDir / "planet_constants_and_indexes.txt");
  if (!text) throw FatalError("I cannot find your 'planet_constants_and_indexes.txt' file");
  ParsePlanetConstants(tables, *text);
}

void ParsePlanetConstants(ReferenceTables& tables, std::string_view text) {
  tables.constName.assign(1, "");
  tables.constValue.assign(1, 0);
  ValueStream values{std::string(text)};
  while (!values.AtEnd()) {
    std::string name = Trim(values.Next().value_or(""));
    std::string number = values.Next().value_or("");
    std::optional<long long> value = WholeNumber(number);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
      throw FatalError(fmt::format(
          "Your 'planet_constants_and_indexes.txt' file gives the constant '{}' the value '{}', which is not a "
          "whole number.", name, number));
    tables.constName.push_back(name);
    tables.constValue.push_back(static_cast<int>(*value));
  }
  if (tables.NumConsts() == 0) EmptyFile("planet_constants_and_indexes.txt");
}

void ReadAspectDefinitions(ReferenceTables& tables, const fs::path& programDir) {
  auto text = ReadTextFile(programDir / "aspect_definitions.txt");
  if (!text) throw FatalError("I cannot find your 'aspect_definitions.txt' file");
  ParseAspectDefinitions(tables, *text);
}

void ParseAspectDefinitions(ReferenceTables& tables, std::string_view text) {
  ValueStream values{std::string(text)};
  size_t n = 0;
  while (!values.AtEnd()) {
    std::string item = Trim(values.Next().value_or(""));
    if (n >= tables.aspectCaptions.size())
      throw FatalError(fmt::format(
          "Your 'aspect_definitions.txt' file has more than {} aspects.", NumAspectBoxes));
    double angle = LeadingNumber(item);
    if (!(angle >= 0 && angle <= 360))
      throw FatalError(fmt::format(
          "Your 'aspect_definitions.txt' file has the aspect '{}', whose angle is not from 0 to 360 degrees.", item));
    tables.aspectCaptions[n++] = item;
  }
  if (n == 0) EmptyFile("aspect_definitions.txt");
}

namespace {

std::vector<std::string> NonBlankTrimmed(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& line : lines) {
    std::string t = Trim(line);
    if (!t.empty()) out.push_back(std::move(t));
  }
  return out;
}

void AddToClassCount(ClassCounts& counts, char letter) {
  switch (letter) {
    case 'g': ++counts.g; break;
    case 'c': ++counts.c; break;
    case 'p': ++counts.p; break;
    case 'l': ++counts.l; break;
    case 't': ++counts.t; break;
    case 'd': ++counts.d; break;
    case 'a': ++counts.a; break;
    default: break;
  }
}

}  // namespace

void ReadPlanetsUsed(ReferenceTables& tables, const fs::path& programDir) {
  auto usedText = ReadTextFile(programDir / "planets_used.txt");
  if (!usedText) throw FatalError("You are missing the 'planets_used.txt' file.");
  auto namesText = ReadTextFile(programDir / "planet_names.txt");
  if (!namesText) throw FatalError("You are missing the 'planet_names.txt' file.");
  ParsePlanetsUsed(tables, *usedText, *namesText);
}

void ParsePlanetsUsed(ReferenceTables& tables, std::string_view usedText, std::string_view namesText) {
  std::vector<std::string> used = NonBlankTrimmed(SplitLines(usedText));
  std::vector<std::string> names = NonBlankTrimmed(SplitLines(namesText));
  if (used.empty()) EmptyFile("planets_used.txt");
  if (names.empty()) EmptyFile("planet_names.txt");
  if (used.size() > static_cast<size_t>(NumPlanetBoxes))
    throw FatalError(fmt::format("Your 'planets_used.txt' file has more than {} entries.", NumPlanetBoxes));
  if (names.size() > used.size())
    throw FatalError("Your 'planet_names.txt' file has more names than 'planets_used.txt' has lines.");

  tables.planets.assign(used.size() + 1, PlanetEntry{});
  tables.classCounts = ClassCounts{};
  for (size_t i = 0; i < names.size(); ++i) tables.planets[i + 1].name = names[i];

  size_t i = 1;
  for (const std::string& line : used) {
    std::string constName = line.size() > 2 ? line.substr(2) : std::string();
    int row = 0;
    for (int k = 1; k <= tables.NumConsts(); ++k) {
      if (tables.constName[static_cast<size_t>(k)] == constName) {
        row = k;
        break;
      }
    }
    // A line that names no constant would compute nothing and shift every later index.
    if (row == 0)
      throw FatalError(fmt::format(
          "Your 'planets_used.txt' file names the constant '{}', which 'planet_constants_and_indexes.txt' does "
          "not hold.", constName));
    PlanetEntry& entry = tables.planets[i];
    char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    entry.sweNumber = tables.constValue[static_cast<size_t>(row)];
    entry.cls = PointClassOf(letter);
    AddToClassCount(tables.classCounts, letter);
    entry.code = line.size() > 5 ? line.substr(5) : std::string();
    entry.constRow = row;
    ++i;
  }
}

void LoadReferenceData(ReferenceTables& tables, const fs::path& programDir) {
  ReadPlanetConstants(tables, programDir);
  ReadAspectDefinitions(tables, programDir);
  ReadPlanetsUsed(tables, programDir);
}

}  // namespace kesmora
