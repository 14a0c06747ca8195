#pragma once
// Everything one running program holds: program directory, options, reference tables,
// charts, settings, persons and the names list. The window and the command-line program each
// own one and pass it to the core.
#include "core/chart/chart_calculator.h"
#include "core/persons/person_checks.h"
#include "core/output/output_buffer.h"
#include "core/search/aspectarian.h"
#include "core/persons/names_file.h"
#include "core/persons/person_fields.h"
#include "core/reference/format.h"
#include "core/reference/reference_tables.h"
#include "core/settings/options_file.h"
#include "core/settings/settings.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kesmora {

struct Session {
  std::filesystem::path programDir;
  // libswe pointed at the program's ephemeris folder on the thread that started the session,
  // for the charts computed there; reset when the program ends.
  std::shared_ptr<EphemerisThread> ephemeris;
  OptionValues optionValues{};
  ReferenceTables tables;
  ChartRecord chart;
  Settings settings;
  LocaleFormats formats;

  PersonFields person1, person2;  // natal, transit
  PersonReading reading1, reading2;
  std::string transitDateText;
  bool chartsComputed = false;
  // The blocks as the charts were last calculated from them, and the zodiac and houses.
  PersonFields chartPerson1, chartPerson2;
  ChartOptions chartOptions;

  NamesList names;

  // Chosen with "Load .t2n file"; kept for this session only.
  std::string degreePairFile, degreePairPath;
  // The last calendar the grid was saved as, proposed again so that a new export replaces it.
  std::string calendarFile;
  OutputBuffer output;
  RunResult run;        // the last finished aspectarian run
  // Whose charts it searched ("Person 1 and Person 2") and its transit date, as calculated.
  std::string runTitle, runDateText;
  CivilDate runDate;
  std::vector<std::string> runReport;  // its report, one block per pass that ran
  bool runDone = false;

  std::string TitlePrefix() const;
  std::filesystem::path SettingsFile() const;
};

}  // namespace kesmora
