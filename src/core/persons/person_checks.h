#pragma once
// The checks and readings of a block of person fields: what "Calculate planetary data" and the
// Save buttons check before they use a block.
#include "core/chart/chart_calculator.h"
#include "core/persons/person_fields.h"
#include "core/reference/format.h"

#include <string>
#include <vector>

namespace kesmora {

inline constexpr const char* NatalInputError = "Error in natal input data section. Please correct.";
inline constexpr const char* DiurnalInputError = "Error in diurnal input data section. Please correct.";

// Values derived from one block of fields by the reading step.
struct PersonReading {
  int day = 0, month = 0, year = 0;
  std::string dateText;
  float timeZone = 0;
  std::string eastWest;    // "East" or "West"
  std::string northSouth;  // "North" or "South"
};

// Reads a block; with Unknown selected it writes noon into the hour and minute fields.
PersonReading ReadPersonFields(PersonFields& fields, DateOrder order);
// The chart inputs of a block: 24-hour UT hour, minute and place (East and North positive).
ChartInputs ChartInputsOf(const PersonFields& fields, const PersonReading& reading);
// The check messages a pair of blocks raises, in the order they are shown: one per failed
// check, the section's message followed by a line for each offending field ("Lat Deg: 95
// (above 90)").
std::vector<std::string> CheckPersonFields(const PersonFields& natal, const PersonFields& transit);
// The same checks on the transit block alone, for what needs no natal chart.
std::vector<std::string> CheckTransitFields(const PersonFields& transit);
// The same checks on one block about to be saved, and before them those a stored record needs:
// a name ("Name: empty"), texts of one line, and a number in every number field ("Birth Hour:
// ten (not a number)").
std::vector<std::string> CheckPersonToSave(const PersonFields& fields, Person person);

// Notices shown together in one message, a blank line between them.
std::string JoinNotices(const std::vector<std::string>& notices);

}  // namespace kesmora
