// Stand-ins for the election core while it is being written on its own branch: enough for the
// window to link and show conditions. Removed when that branch is merged.
#include "core/search/election.h"
#include "core/search/election_file.h"
#include "core/search/events.h"

#include "core/reference/format.h"

#include <fmt/format.h>

namespace kesmora {

bool NeedsEvents(const Condition& c) {
  return std::holds_alternative<MoonVoid>(c) || std::holds_alternative<Retrograde>(c) ||
         std::holds_alternative<Stationary>(c) || std::holds_alternative<InMansion>(c);
}
bool NeedsHits(const Condition& c) { return std::holds_alternative<HitsAtLeast>(c); }

Parsed<Condition> ParseCondition(std::string_view, const ReferenceTables&) { return {std::nullopt, "not available yet"}; }

std::string ConditionText(const Condition& condition, const ReferenceTables& tables) {
  auto name = [&](int i) { return i >= 1 && i <= tables.NumPlanetsUsed() ? tables.Planet(i).name : std::string("?"); };
  return std::visit(
      [&](const auto& c) -> std::string {
        using T = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<T, AspectInOrb>)
          return fmt::format("transit {} {} {} {} orb {}", name(c.transitPoint),
                             tables.aspectCaptions[static_cast<size_t>(c.aspect)], c.otherIsTransit ? "transit" : "natal",
                             name(c.otherPoint), c.orbDeg);
        else if constexpr (std::is_same_v<T, MoonVoid>)
          return "Moon void";
        else if constexpr (std::is_same_v<T, Retrograde>)
          return name(c.body) + " retrograde";
        else if constexpr (std::is_same_v<T, Stationary>)
          return fmt::format("{} stationary {}", name(c.body), c.withinHours);
        else if constexpr (std::is_same_v<T, InSigns>) {
          std::string s;
          for (int k = 0; k < 12; ++k)
            if (c.signs[static_cast<size_t>(k)]) s += (s.empty() ? "" : ",") + std::string(SignName(k));
          return name(c.point) + " in " + s;
        } else if constexpr (std::is_same_v<T, InMansion>)
          return fmt::format("Moon in mansion {}", c.mansion) + (c.pada ? fmt::format(" pada {}", c.pada) : "");
        else if constexpr (std::is_same_v<T, InNatalHouse>)
          return fmt::format("{} in natal house {}", name(c.point), c.house);
        else if constexpr (std::is_same_v<T, HitsAtLeast>)
          return fmt::format("hits >= {}", c.count);
        else if constexpr (std::is_same_v<T, TimeOfDay>)
          return fmt::format("time {:02d}:{:02d}-{:02d}:{:02d}", c.fromMinute / 60, c.fromMinute % 60, c.toMinute / 60,
                             c.toMinute % 60);
        else {
          std::string s;
          for (int k = 0; k < 7; ++k)
            if (c.days[static_cast<size_t>(k)]) s += (s.empty() ? "" : ",") + std::string(WeekdayAbbreviation(k));
          return "weekday " + s;
        }
      },
      condition);
}

Parsed<ElectionItem> ParseElectionLine(std::string_view, const ReferenceTables&) {
  return {std::nullopt, "not available yet"};
}
std::string ElectionLineText(const ElectionItem& item, const ReferenceTables& tables) {
  const char* role = item.role == Role::Required ? "require " : item.role == Role::Avoided ? "avoid " : "prefer ";
  return role + (item.role == Role::Preferred ? fmt::format("{} ", item.weight) : "") + ConditionText(item.condition, tables);
}
Parsed<ElectionItem> ParsePreferredArgument(std::string_view, const ReferenceTables&) {
  return {std::nullopt, "not available yet"};
}

IntervalSet HeldIntervals(const Condition&, const ElectionInputs&) { throw ElectionError("not available yet"); }
std::vector<ElectionWindow> RankWindows(const Election&, const std::vector<IntervalSet>&, Interval, double) { return {}; }
std::vector<ElectionWindow> FindWindows(const Election&, const ElectionInputs&, double) { return {}; }

ElectionRead ParseElectionText(std::string_view, const std::filesystem::path& file, const ReferenceTables&) {
  return {{}, file.string() + ": not available yet"};
}
ElectionRead ReadElectionFile(const std::filesystem::path& file, const ReferenceTables& tables) {
  return ParseElectionText({}, file, tables);
}
std::string ElectionFileText(const Election& election, const ReferenceTables& tables, std::string_view) {
  std::string out;
  for (const ElectionItem& item : election.items) out += ElectionLineText(item, tables) + "\r\n";
  return out;
}
WriteResult WriteElectionFile(const std::filesystem::path& file, const Election& election, const ReferenceTables& tables,
                              std::string_view comment) {
  return WriteFileAtomically(file, ElectionFileText(election, tables, comment));
}

std::vector<Event> FindEvents(ChartCalculator&, const ReferenceTables&, double, double, const EventOptions&,
                              const std::function<void()>&) {
  return {};
}

}  // namespace kesmora
