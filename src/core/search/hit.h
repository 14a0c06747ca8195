#pragma once
// A hit: one exact aspect, parallel or target reached, as the search finds it, in numbers.
// Texts are made from it only where it is shown or written.
#include <optional>

namespace kesmora {

// The search passes, numbered as the program has always numbered them.
enum class Pass {
  TransitToNatal = 0,
  TransitToTransit = 1,
  DegreePair = 2,
  AuspiciousPoint = 3,
  LunarMansion = 4,
  TransitToNatalMidpoint = 5,
  TransitMidpointToNatalMidpoint = 6,
};
inline constexpr int kPassCount = 7;
inline constexpr int PassNumber(Pass pass) { return static_cast<int>(pass); }

// What moves in a pass: the moving point stands still in the passes to fixed degrees (the
// degree pairs, auspicious points and lunar mansions), whose second point is a transit point;
// natal points never move.
inline constexpr bool FixedMover(Pass pass) {
  return pass == Pass::DegreePair || pass == Pass::AuspiciousPoint || pass == Pass::LunarMansion;
}
inline constexpr bool MovingFirst(Pass pass) { return pass != Pass::AuspiciousPoint && pass != Pass::LunarMansion; }
inline constexpr bool MovingSecond(Pass pass) {
  return pass == Pass::TransitToTransit || pass == Pass::AuspiciousPoint || pass == Pass::LunarMansion;
}
// The planet index of the transit ascendant, which moves for a degree pair.
inline constexpr int kDegreePairMover = 15;
// The planet whose positions move point i in a pass.
inline constexpr int MoverIndex(Pass pass, int i) { return pass == Pass::DegreePair ? kDegreePairMover : i; }

// Aspect indexes: those of the aspect check boxes. 0 to 14 are angles between longitudes
// (each box's caption gives its angle); 15 and 16 compare declinations.
namespace aspect {
inline constexpr int Conjunction = 0;
inline constexpr int LastLongitude = 14;
inline constexpr int Parallel = 15;
inline constexpr int ContraParallel = 16;
}  // namespace aspect

enum class HitKind { Longitude, Declination };

struct Hit {
  HitKind kind = HitKind::Longitude;
  Pass pass = Pass::TransitToNatal;  // declination hits are found with the transit-to-natal pass
  int movingPoint = 0;   // point index of the moving point (a degree pair's own point in pass 2)
  int aspect = 0;        // aspect index
  int secondPoint = 0;   // point index of the second point; 0 for a degree pair
  double exactJd = 0;    // UT
  double movingDeg = 0, secondDeg = 0;  // longitudes, or declinations for a declination hit
  // The moving point's speed (0 where the moving point is a fixed degree: passes 2 to 4), and
  // the second point's; degrees per day.
  double movingSpeedDegPerDay = 0, secondSpeedDegPerDay = 0;
  std::optional<double> startJd, endJd;  // the period around the exact moment, when found
};

}  // namespace kesmora
