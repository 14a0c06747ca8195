#pragma once
// The planet, constant and aspect tables that the reference files define.
#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

inline constexpr const char* ProgramVersion = "1.60";
// The reference files of the program directory.
inline constexpr const char* ReferenceFileNames[] = {"planet_constants_and_indexes.txt", "aspect_definitions.txt",
                                                     "planets_used.txt", "planet_names.txt"};
inline constexpr int NumPlanetBoxes = 62;
inline constexpr int NumAspectBoxes = 17;
inline constexpr int LastAspectIndex = 16;
inline constexpr int LastHitColumn = 11;

// Raised when start-up cannot go on; `title` is the message box title, `what()` its text.
class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const std::string& message) : std::runtime_error(message) {}
  std::string title = "Fatal error";
};

// What a planet-table entry is: the letter its planets_used.txt line begins with.
enum class PointClass : char {
  None = 0,        // no line gave the entry
  Planet = 'g',    // the ephemeris bodies: the planets,
  Node = 't',      // the nodes and apsides,
  Centaur = 'd',   // Chiron and Pholus,
  Asteroid = 'a',  // and the asteroids
  Cusp = 'c',      // a house cusp
  Point = 'p',     // a point of the houses: ascendant, midheaven, vertex and the like
  Lot = 'l',       // an Arabic part
  Other = '?',     // any other letter: named, never computed
};
PointClass PointClassOf(char letter);  // upper case counts as lower
inline constexpr bool IsBody(PointClass c) {
  return c == PointClass::Planet || c == PointClass::Node || c == PointClass::Centaur || c == PointClass::Asteroid;
}
// A computed point or part: found from the houses (and, for parts, from bodies).
inline constexpr bool IsComputedPoint(PointClass c) { return c == PointClass::Point || c == PointClass::Lot; }
// What moves with the houses, a turn a day: cusps, points and parts.
inline constexpr bool IsHouseDependent(PointClass c) { return c == PointClass::Cusp || IsComputedPoint(c); }

struct PlanetEntry {
  std::string name;       // caption of the planet check boxes
  PointClass cls = PointClass::None;
  std::string code;       // short code: cusp number or point name
  int sweNumber = 0;      // ephemeris body number
  int constRow = 0;       // row of the constants table
};

struct ClassCounts {
  int g = 0, c = 0, p = 0, l = 0, t = 0, d = 0, a = 0;
};

struct ReferenceTables {
  std::vector<std::string> constName{""};  // index 0 unused
  std::vector<int> constValue{0};
  // Index 0 is unused; planet index i is planets[i] for 1..NumPlanetsUsed().
  std::vector<PlanetEntry> planets{PlanetEntry{}};
  ClassCounts classCounts;
  std::array<std::string, NumAspectBoxes> aspectCaptions{
      "000", "030", "160", "040", "045", "060", "072", "090", "108",
      "120", "135", "144", "150", "165", "180", "par", "c.p"};

  int NumConsts() const { return static_cast<int>(constName.size()) - 1; }
  int NumPlanetsUsed() const { return static_cast<int>(planets.size()) - 1; }
  const PlanetEntry& Planet(int index) const { return planets.at(static_cast<size_t>(index)); }
  // The aspect angle in degrees: the leading number of the caption.
  double AspectAngle(int k) const;
  bool IsBody(int index) const;           // classes g, t, d, a
  bool IsHouseDependent(int index) const;  // classes c, p, l
};

// Each raises FatalError with the program's message when its file cannot be read, is empty,
// holds a constant that is not a whole number or an aspect angle outside 0 to 360, or
// (planets_used.txt) names a constant that planet_constants_and_indexes.txt does not hold.
void ReadPlanetConstants(ReferenceTables& tables, const std::filesystem::path& programDir);
void ReadAspectDefinitions(ReferenceTables& tables, const std::filesystem::path& programDir);
void ReadPlanetsUsed(ReferenceTables& tables, const std::filesystem::path& programDir);
// The same from the texts of the files.
void ParsePlanetConstants(ReferenceTables& tables, std::string_view text);
void ParseAspectDefinitions(ReferenceTables& tables, std::string_view text);
void ParsePlanetsUsed(ReferenceTables& tables, std::string_view usedText, std::string_view namesText);
// The three readers in start-up order.
void LoadReferenceData(ReferenceTables& tables, const std::filesystem::path& programDir);

}  // namespace kesmora
