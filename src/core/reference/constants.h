#pragma once
// Numbers the program uses in more than one place, defined once.

namespace kesmora {

inline constexpr long long kSecondsPerDay = 86400;
// The Julian day number of 1 January 1970 (the day that starts at its midnight).
inline constexpr long long kJulianDayOf1970 = 2440588;

// The 27 lunar mansions divide the zodiac evenly, each into four padas.
inline constexpr int kMansions = 27;
inline constexpr int kPadasPerMansion = 4;
inline constexpr double kMansionWidthDeg = 360.0 / kMansions;
inline constexpr double kPadaWidthDeg = kMansionWidthDeg / kPadasPerMansion;

}  // namespace kesmora
