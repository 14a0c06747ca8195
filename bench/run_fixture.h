#pragma once
// A session on the sample chart in a scratch program directory, with run options that tick
// every ephemeris body and the Ascendant and Midheaven on both sides, every aspect, both
// passes, and no hit limit; the benchmarks narrow them.
#include "core/app/planetary_data.h"
#include "core/app/run.h"
#include "core/app/session.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"

#include <filesystem>
#include <string>

namespace kesmora::bench {

namespace fs = std::filesystem;

struct RunFixture {
  explicit RunFixture(int days, const std::string& transitRecord = "London,06 Dec 2026,0.00,A,0,0.07,51.30,,London") {
    home = fs::temp_directory_path() / "kesmora-bench-home";
    fs::remove_all(home);
    StartOptions start;
    start.home = home;
    start.executableDir = KESMORA_SHIPPED_DATA_DIR;
    start.formats = LocaleFormats{DateOrder::DayMonthYear, ClockFormat::Hours24};
    StartSession(session, start);
    RecordingInterface ui;
    NamesList natal = ParseNames(std::string(SampleNamesRecord) + "\n");
    NamesList transit = ParseNames(transitRecord + "\n");
    LoadPersonFromRecord(natal.records[0], session.person1, session.formats.dateOrder);
    LoadPersonFromRecord(transit.records[0], session.person2, session.formats.dateOrder);
    CalculatePlanetaryData(session, ui);

    options.transitToNatal = options.transitToTransit = true;
    options.daysToCalculate = days;
    options.orbBefore = options.orbAfter = 0.5;
    options.periodWindow = 3;
    options.chart = ChartOptionsOf(session.settings);
    for (int i = 1; i <= session.tables.NumPlanetsUsed(); ++i) {
      const PlanetEntry& e = session.tables.Planet(i);
      bool wanted = session.tables.IsBody(i) || e.code == "ASC" || e.code == "MC";
      options.transitPlanets[static_cast<size_t>(i - 1)] = options.natalPlanets[static_cast<size_t>(i - 1)] = wanted;
    }
    options.aspects.fill(true);
    // ASC and MC make several hundred thousand hits a year, far past the 32,767 rows a
    // run may show: the measurement lifts the limit.
    options.hitLimit = 1 << 30;
  }
  ~RunFixture() { fs::remove_all(home); }

  fs::path home;
  Session session;
  RunOptions options;
};

}  // namespace kesmora::bench
