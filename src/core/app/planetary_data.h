#pragma once
// "Calculate planetary data": checks both persons, computes and keeps both charts.
#include "core/app/session.h"
#include "core/persons/person_checks.h"

#include <string>
#include <vector>

namespace kesmora {

class UserInterface;

// Checks both blocks, shows each failed check, and when all pass computes and saves the natal
// chart with its declinations, then the transit chart. Returns true when charts were computed.
bool CalculatePlanetaryData(Session& session, UserInterface& ui);
// Whether the charts were calculated from the blocks as they are now, with the zodiac and
// houses now chosen: what a run searches and the planet grid shows are then what the fields
// say. The city and state or country, which no chart reads, may differ.
bool ChartsOfFields(const Session& session, const PersonFields& natal, const PersonFields& transit);
inline bool ChartsOfFields(const Session& session) { return ChartsOfFields(session, session.person1, session.person2); }

struct PlanetGridRow {
  int index = 0;
  std::string name;
  std::string transit;  // longitude text and retrograde mark
  std::string natal;
};
inline constexpr const char* PlanetGridFormat = "^#|<Name|<Transit Longitude|<Natal Longitude";
inline constexpr int PlanetGridWidthsTwips[4] = {340, 1320, 1470, 1470};
std::vector<PlanetGridRow> PlanetGridRows(const Session& session);

}  // namespace kesmora
