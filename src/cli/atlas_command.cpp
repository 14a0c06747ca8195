#include "atlas_command.h"

#include "cli_common.h"
#include "core/persons/atlas.h"
#include "core/persons/time_zone.h"

#include <fmt/format.h>

#include <memory>
#include <regex>

namespace kesmora::cli {

namespace {

struct AtlasOptionsCli {
  std::string city, region, date, time = "12:00";
  bool standardTime = false;
};

LocalMoment MomentOf(const std::string& date, const std::string& time) {
  static const std::regex datePattern(R"((-?\d{1,4})-(\d{2})-(\d{2}))"), timePattern(R"((\d{2}):(\d{2}))");
  std::smatch d, t;
  if (!std::regex_match(date, d, datePattern))
    throw UsageError(fmt::format("'{}' is not a date YYYY-MM-DD", date));
  if (!std::regex_match(time, t, timePattern))
    throw UsageError(fmt::format("'{}' is not a time HH:MM", time));
  LocalMoment m;
  m.date = {std::stoi(d[1]), std::stoi(d[2]), std::stoi(d[3])};
  m.hour = std::stoi(t[1]);
  m.minute = std::stoi(t[2]);
  if (!ValidDate(m.date)) throw UsageError(fmt::format("'{}' is no day of the calendar", date));
  if (m.hour > 23 || m.minute > 59) throw UsageError(fmt::format("'{}' is no time of the day", time));
  return m;
}

}  // namespace

void AddAtlasCommand(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<AtlasOptionsCli>();
  CLI::App* cmd = app.add_subcommand(
      "atlas", "Look a place up in the atlas; print city (with the name that matched when it is another of the "
               "place's names, \"Mumbai (Bombay)\"), state/country, latitude (N+), longitude (W+), "
               "zone (hours, W+), kind of time and time-zone name of each match, tab-separated, and before 1970, "
               "away from the city whose clock the zone records, a note to check the time in force");
  cmd->add_option("city", o->city, "City, or the beginning of any of its names (case and accents ignored)")->required();
  cmd->add_option("--state", o->region, "State or country: the beginning of its name, or its two-letter code");
  cmd->add_option("--date", o->date, "Local date YYYY-MM-DD")->required();
  cmd->add_option("--time", o->time, "Local clock time HH:MM (24-hour; default 12:00)");
  cmd->add_flag("--standard-time", o->standardTime,
                "Where a note says to check the time in force: standard time instead of the zone's answer");
  cmd->callback([o, &exitCode] {
    const LocalMoment moment = MomentOf(o->date, o->time);
    std::string error;
    const Atlas atlas = Atlas::Shipped(&error);
    if (!error.empty()) {
      fmt::print(stderr, "{}\n", error);
      exitCode = 2;
      return;
    }
    const Atlas::Matches m = atlas.Search(o->city, o->region);
    // Places named as typed; only when there are none, those whose name begins so.
    const size_t shown = m.sameName > 0 ? m.sameName : m.places.size();
    if (shown == 0) {
      fmt::print(stderr, "no match: check the spelling, or try the state or country (or leave it out)\n");
      exitCode = 2;
      return;
    }
    for (size_t k = 0; k < shown; ++k) {
      const AtlasPlace p = atlas.Place(m.places[k]);
      std::string error;
      const auto zone = ZoneAt(p.zoneName, moment, p.longitudeWestDeg, &error);
      if (!zone) {
        fmt::print(stderr, "{}\n", error);
        exitCode = 2;
        continue;
      }
      const std::optional<std::string> note = ZoneHistoryNote(p, moment, *zone);
      const ZoneInForce shown = note && o->standardTime ? StandardTimeOf(*zone) : *zone;
      fmt::print("{}\t{}\t{:.4f}\t{:.4f}\t{}\t{}\t{}{}\n", MatchedPlaceText(p.city, m.matchedNames[k]),
                 p.RegionText(), p.latitudeDeg, p.longitudeWestDeg, ZoneFieldText(shown.hoursWest), TimeKindText(shown), p.zoneName, note ? "\t" + *note : "");
    }
    if (exitCode != 2) exitCode = 0;
  });
}

}  // namespace kesmora::cli
