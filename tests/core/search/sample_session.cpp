#include "core/search/sample_session.h"

#include "core/app/startup.h"
#include "core/app/planetary_data.h"
#include "core/persons/names_file.h"
#include "core/settings/settings.h"

#include <stdexcept>

namespace kesmora::test {

SampleSession::SampleSession(const std::string& transitRecord, DateOrder order) {
  CopyShippedData(home.path());
  StartSession(session, StartIn(home.path(), order));
  NamesList natal = ParseNames(std::string(SampleNamesRecord) + "\n");
  NamesList transit = ParseNames(transitRecord + "\n");
  if (natal.records.size() != 1 || transit.records.size() != 1 ||
      !LoadPersonFromRecord(natal.records[0], session.person1, order) ||
      !LoadPersonFromRecord(transit.records[0], session.person2, order) || !CalculatePlanetaryData(session, ui))
    throw std::runtime_error("the sample charts cannot be computed for " + transitRecord);
}

int SampleSession::Index(const std::string& name) const {
  for (int i = 1; i <= session.tables.NumPlanetsUsed(); ++i)
    if (session.tables.Planet(i).name == name) return i;
  throw std::runtime_error("no planet " + name);
}

RunOptions SampleSession::Options(std::initializer_list<const char*> moving, std::initializer_list<const char*> natal,
                                  std::initializer_list<int> aspects, int days) const {
  RunOptions o = RunOptionsOf(session.settings, session.person2);
  o.transitPlanets.fill(false);
  o.natalPlanets.fill(false);
  o.aspects.fill(false);
  for (const char* n : moving) o.transitPlanets[static_cast<size_t>(Index(n) - 1)] = true;
  for (const char* n : natal) o.natalPlanets[static_cast<size_t>(Index(n) - 1)] = true;
  for (int k : aspects) o.aspects[static_cast<size_t>(k)] = true;
  o.transitToNatal = true;
  o.transitToTransit = o.degreePairs = o.auspiciousPoints = o.lunarMansions = false;
  o.transitMidpointsToNatalPlanets = o.transitMidpointsToTransitPlanets = false;
  o.transitPlanetsToNatalMidpoints = o.transitMidpointsToNatalMidpoints = false;
  o.timePeriod = false;
  o.daysToCalculate = days;
  return o;
}

}  // namespace kesmora::test
