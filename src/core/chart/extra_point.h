#pragma once
// The extra points of a run: the points of the target lists, numbered behind the planets.
// Each kind has its own fields; the chart calculator computes where they stand and the search
// pairs them with the planets.
#include "core/reference/constants.h"

#include <optional>
#include <string>
#include <variant>

namespace kesmora {

// The lists in the order their points follow the planets.
enum class ListKind { DegreePairs = 1, AuspiciousPoints, LunarMansions, MidpointsToNatal, MidpointsToTransit, NatalMidpoints };
inline constexpr int ListKinds = 6;

// A transit degree against a natal degree: the transit ascendant meets the transit degree
// moved by the natal ascendant's distance from the natal degree.
struct DegreePair {
  int transitDeg = 0;      // 0..359, the whole degree the label ends in
  double natalDeg = 0;     // above 0 and below 360
  std::string natalText;   // the natal degree as the list writes it, which the report shows
};

// A whole degree of the zodiac that a planet meets (an auspicious point).
struct AuspiciousPoint {
  int lonDeg = 0;   // 0..359
  int planet = 0;   // planet index
};

// The start of one pada of a lunar mansion, which a planet meets.
struct MansionPada {
  int pada = 0;     // 0 (Nak-01, pada 1) to 107 (Nak-27, pada 4)
  int planet = 0;   // planet index
  double LonDeg() const { return pada * kPadaWidthDeg; }
};

// The midpoint of two planets on the shorter arc between them.
struct MidpointPair {
  int first = 0, second = 0;  // planet indexes
};

struct ExtraPoint {
  ListKind kind = ListKind::DegreePairs;
  std::string name;  // the label, pada or line as the list holds it, and the point's name
  std::variant<DegreePair, AuspiciousPoint, MansionPada, MidpointPair> data;

  // Where a degree pair's transit degree, an auspicious point or a pada stands; nothing for a
  // midpoint, which moves with its planets.
  std::optional<double> FixedLonDeg() const {
    if (const auto* p = std::get_if<DegreePair>(&data)) return p->transitDeg;
    if (const auto* p = std::get_if<AuspiciousPoint>(&data)) return p->lonDeg;
    if (const auto* p = std::get_if<MansionPada>(&data)) return p->LonDeg();
    return std::nullopt;
  }
  const MidpointPair* Midpoint() const { return std::get_if<MidpointPair>(&data); }
  // A midpoint of two transit planets: it moves, and flips as they pass opposition.
  bool IsTransitMidpoint() const { return kind == ListKind::MidpointsToNatal || kind == ListKind::MidpointsToTransit; }
  // The planet that meets an auspicious point or a pada; 0 for the other kinds.
  int MeetingPlanet() const {
    if (const auto* p = std::get_if<AuspiciousPoint>(&data)) return p->planet;
    if (const auto* p = std::get_if<MansionPada>(&data)) return p->planet;
    return 0;
  }
};

}  // namespace kesmora
