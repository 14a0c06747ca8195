#include "core/chart/ephemeris_notices.h"

#include "core/reference/format.h"

#include <fmt/format.h>
#include <algorithm>
#include <swephexp.h>

namespace kesmora {

namespace {

std::string DateOf(double jd) {
  int year = 0, month = 0, day = 0;
  double hour = 0;
  swe_revjul(jd, SE_GREG_CAL, &year, &month, &day, &hour);
  return DayMonthNameYear({year, month, day});
}

std::string Dates(const EphemerisProblems::Span& span) {
  std::string first = DateOf(span.firstJd), last = DateOf(span.lastJd);
  return first == last ? "on " + first : "from " + first + " to " + last;
}

// The names of the entries computed from an ephemeris body: the node serves two.
std::string BodyNames(int body, const ReferenceTables& tables) {
  std::string names;
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) {
    if (!tables.IsBody(i) || tables.Planet(i).sweNumber != body) continue;
    if (!names.empty()) names += ", ";
    names += tables.Planet(i).name;
  }
  return names.empty() ? fmt::format("Body {}", body) : names;
}

const char* HouseSystemName(char letter) {
  switch (letter) {
    case 'p': return "Placidus";
    case 'k': return "Koch";
    default: return "chosen";
  }
}

}  // namespace

std::vector<std::string> EphemerisNotices(const EphemerisProblems& problems, const ReferenceTables& tables) {
  std::vector<std::string> notices;
  // Bodies that failed over the same dates for the same reason share one notice.
  std::vector<std::pair<std::string, std::vector<std::string>>> groups;  // dates and reason, names
  for (const auto& [body, span] : problems.bodies) {
    std::string key = Dates(span) + ": " + span.error;
    auto it = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == key; });
    if (it == groups.end()) it = groups.insert(groups.end(), {key, {}});
    it->second.push_back(BodyNames(body, tables));
  }
  for (const auto& [key, names] : groups) {
    std::string list = names.front();
    for (size_t n = 1; n < names.size(); ++n) list += (n + 1 == names.size() ? " and " : ", ") + names[n];
    notices.push_back(fmt::format("{} cannot be computed {}. {} as n/a and {} part in no search.", list, key,
                                  names.size() == 1 ? "It shows" : "They show", names.size() == 1 ? "takes" : "take"));
  }
  if (problems.analytical)
    notices.push_back(fmt::format(
        "The ephemeris files do not cover the planets {}: they are computed with the Swiss Ephemeris' "
        "analytical ephemeris instead, good to about a second of arc.",
        Dates(*problems.analytical)));
  for (const auto& [letter, span] : problems.housesReplaced)
    notices.push_back(fmt::format(
        "The {} houses cannot be computed at this latitude {}: the Swiss Ephemeris gave Porphyry houses instead.",
        HouseSystemName(letter), Dates(span)));
  return notices;
}

}  // namespace kesmora
