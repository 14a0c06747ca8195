// The four reference files, given as one input with NUL between them: either start-up ends
// with its fatal message, or the tables hold only what a chart can compute.
#include "fuzz_support.h"

#include "core/reference/reference_tables.h"

#include <array>

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::Text(data, size);
  std::array<std::string, 4> files;  // constants, aspects, planets used, planet names
  size_t start = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    size_t end = i + 1 < files.size() ? text.find('\0', start) : std::string::npos;
    files[i] = text.substr(std::min(start, text.size()), end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
  }
  ReferenceTables tables;
  try {
    ParsePlanetConstants(tables, files[0]);
    ParseAspectDefinitions(tables, files[1]);
    ParsePlanetsUsed(tables, files[2], files[3]);
  } catch (const FatalError&) {
    return 0;
  }
  KESMORA_REQUIRE(tables.NumConsts() > 0);
  KESMORA_REQUIRE(tables.NumPlanetsUsed() > 0 && tables.NumPlanetsUsed() <= NumPlanetBoxes);
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) {
    const PlanetEntry& p = tables.Planet(i);
    KESMORA_REQUIRE(p.cls != PointClass::None && p.constRow >= 1 && p.constRow <= tables.NumConsts());
  }
  for (int k = 0; k < NumAspectBoxes; ++k)
    KESMORA_REQUIRE(tables.AspectAngle(k) >= 0 && tables.AspectAngle(k) <= 360);
  return 0;
}
